// What the fuzz targets share: reading an input as a stream of choices, a
// headless window for the gadget, and platform facts an input may set.
#ifndef VANTRO_FUZZ_HOST_H
#define VANTRO_FUZZ_HOST_H

#include <Elementary.h>
#include <stdint.h>
#include <stdlib.h>

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "HeadlessToolkit.h"

#include "VirtualClock.h"

#include "bookmark_writer.h"
#include "sim_world.h"
#include "ug_module.h"

extern "C" int UG_MODULE_INIT(struct ug_module_ops* ops);
extern "C" void UG_MODULE_EXIT(struct ug_module_ops* ops);

namespace vfuzz {

// Key names the gadget knows, near misses of them, and names it must hand back.
// clang-format off
const char* const kKeyNames[] = {"XF86Red",  "XF86Green",      "XF86Yellow",     "Return",        "XF86Back",
                                 "XF86Exit", "XF86AudioRecord", "XF86AudioPause", "XF86AudioPlay", "XF86AudioStop",
                                 "XF86AudioNext", "XF86AudioRewind", "Left", "Right", "XF86Blue", "Up", "XF86Info",
                                 "0", "5", "9", "XF86Re", "XF86Redd", "return", ""};
// clang-format on
const size_t kKeyNameCount = sizeof kKeyNames / sizeof *kKeyNames;

// Takes bytes off the front of an input; an exhausted input answers zeros.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    // A choice among n (n > 0).
    size_t Pick(size_t n) { return Byte() % n; }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return v;
    }
    // Up to `max` raw bytes, taken as a string (NULs included).
    std::string Text(size_t max) {
        size_t n = Pick(max + 1);
        if (n > m_size - (m_at < m_size ? m_at : m_size)) n = m_size - (m_at < m_size ? m_at : m_size);
        std::string s(reinterpret_cast<const char*>(m_data + (m_at < m_size ? m_at : m_size)), n);
        m_at += n;
        return s;
    }
    // The next n bytes (zero-padded when the input ends first).
    void Copy(void* out, size_t n) {
        auto* o = static_cast<uint8_t*>(out);
        for (size_t i = 0; i < n; ++i) o[i] = Byte();
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// ---- time --------------------------------------------------------------------
//
// The process's clocks are virtual: the gadget's timers and debounces follow
// what an input asks for. libFuzzer reads the same clocks for its total time
// and its per-input timeout, so an input is made to look as long as it really
// was: afterwards the clock goes back to where it stood plus the real time
// spent. Gadget timers are gone by then (destroy deletes them). libFuzzer's own
// timeout would see the virtual jumps inside an input; these targets run with
// it off and watch the real time of each input here instead.

inline int64_t RealUs() {
    struct timespec ts;
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

const int64_t kInputLimitUs = 10 * 1000000;

inline std::atomic<int64_t>& InputStartedUs() {
    static std::atomic<int64_t> started{0};
    return started;
}

inline void StartWatchdog() {
    static bool running = [] {
        std::thread([] {
            for (;;) {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                int64_t started = InputStartedUs().load();
                if (started != 0 && RealUs() - started > kInputLimitUs) {
                    std::fprintf(stderr, "vantro-fuzz: one input ran for more than %lld s\n",
                                 static_cast<long long>(kInputLimitUs / 1000000));
                    abort();
                }
            }
        }).detach();
        return true;
    }();
    (void)running;
}

// Lives for one input.
class InputClock {
public:
    InputClock() {
        StartWatchdog();
        m_realStart = RealUs();
        // What libFuzzer did since the last input (leak checks, mutations) took real time too.
        if (LastRealEnd() != 0) vclock::SetUs(LastVirtualEnd() + (m_realStart - LastRealEnd()));
        m_virtualStart = vclock::NowUs();
        InputStartedUs().store(m_realStart);
    }
    ~InputClock() {
        InputStartedUs().store(0);
        LastRealEnd() = RealUs();
        LastVirtualEnd() = m_virtualStart + (LastRealEnd() - m_realStart);
        vclock::SetUs(LastVirtualEnd());
    }

private:
    static int64_t& LastRealEnd() {
        static int64_t us = 0;
        return us;
    }
    static int64_t& LastVirtualEnd() {
        static int64_t us = 0;
        return us;
    }
    int64_t m_virtualStart = 0;
    int64_t m_realStart = 0;
};

// The headless 1920x1080 window the gadget is created on, once per process.
inline Evas_Object* Window() {
    static Evas_Object* window = [] {
        tvsim::UseHeadlessToolkit();
        static char arg0[] = "vantro-fuzz";
        static char* argv[] = {arg0, nullptr};
        elm_init(1, argv);
        Evas_Object* w = elm_win_add(nullptr, "tv-viewer", ELM_WIN_BASIC);
        if (!w) abort();
        evas_object_resize(w, 1920, 1080);
        evas_object_show(w);
        return w;
    }();
    return window;
}

// A recording whose bookmark file exists, so that the green path and the
// viewer's "show" reach the pop-up.
inline const std::string& RecordingUri() {
    static std::string uri = [] {
        std::string templ = vsim::ScratchDir() + "/vantro-fuzz-XXXXXX";
        if (!mkdtemp(&templ[0])) abort();
        return templ + "/rec.srf";
    }();
    return uri;
}

// Writes the recording's bookmarks afresh: a real picture, one that does not
// decode and one too small to try. Bookmarks set by earlier inputs are gone.
inline void WriteBookmarks() {
    static const std::vector<unsigned char> jpeg = vsim::DefaultThumbnail(true, 0);
    std::vector<vsim::BookmarkEntry> entries(3);
    entries[0].isAuto = true;
    entries[0].time = 600;
    entries[0].image = jpeg;
    entries[1].isAuto = true;
    entries[1].time = 1200;
    entries[1].image.assign(100, 0x5a);
    entries[2].isAuto = false;
    entries[2].time = 1805;
    entries[2].image.assign(40, 0x11);
    if (!vsim::WriteBmk(vsim::BookmarkPathFor(RecordingUri()), entries)) abort();
}

struct FactChoice {
    const char* name;
    std::vector<std::vector<std::string>> values;
};

// Facts that steer the gadget's decisions and platform calls that fail.
inline const std::vector<FactChoice>& Facts() {
    static const std::vector<FactChoice> facts = {
        {"svc_pvr_is_sports_mode", {{"1"}, {"0"}, {"1"}}},
        {"svc_pvr_get_record_state_by_service_id", {{"2", "0"}, {"0", "0"}, {"2", "1"}}},
        {"svc_pvr_get_current_recording_count", {{"1"}, {"0"}, {"2"}}},
        {"svc_pvr_is_timeshifting", {{"0"}, {"1"}}},
        {"svc_pvr_get_play_state_by_service_id", {{"1"}, {"2"}}},
        {"svc_pvr_get_highlight_player_flag", {{"0"}, {"1"}}},
        {"svc_pvr_is_highlight_player_available", {{"1"}, {"0"}}},
        {"svc_pvr_get_progress_by_service_id", {{"2712", "2750"}, {"-5", "0"}}},
        {"svc_pvr_get_progress_by_service_id.ret", {{"0"}, {"-2"}}},
        {"svc_pvr_set_bookmark.ret", {{"0"}, {"-1"}}},
        {"svc_pvr_play_pause_by_service_id.ret", {{"0"}, {"-1"}}},
        {"svc_pvr_get_recording_uri_by_service_id.ret", {{"0"}, {"-1"}}},
        {"svc_pvr_get_current_livetv_service_id.ret", {{"0"}, {"-1"}}},
        {"ISourceControl::GetCurrentSourceInfo[1,0]", {{"0"}, {"1"}, {"29"}, {"4"}}},
        {"app_control_create.ret", {{"0"}, {"-12"}}},
        {"app_control_send_launch_request.ret", {{"0"}, {"-1"}}},
        {"ug_get_window", {{"null"}}},
        {"tv_viewer_kevent_handler_add.ret", {{"0"}, {"-1"}}},
    };
    return facts;
}

// The world a fuzz input starts from: recording in sports mode.
// The window is the viewer's own, or the one above.
inline void RecordingWorld(Evas_Object* window = nullptr) {
    vsim::ResetWorld();
    vsim::SetWindow(window ? window : Window());
    vsim::SetFact("svc_pvr_is_sports_mode", {"1"});
    vsim::SetFact("svc_pvr_get_record_state_by_service_id", {"2", "0"});
    vsim::SetFact("svc_pvr_get_current_recording_count", {"1"});
    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id", {RecordingUri()});
    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id.ret", {"0"});
    vsim::SetFact("svc_pvr_get_progress_by_service_id", {"2712", "2750"});
    WriteBookmarks();
}

// Sets or clears one fact as the input says.
inline void SetSomeFact(Bytes& in) {
    const std::vector<FactChoice>& facts = Facts();
    const FactChoice& f = facts[in.Pick(facts.size())];
    size_t choice = in.Pick(f.values.size() + 1);
    if (choice == f.values.size())
        vsim::ClearFact(f.name);
    else
        vsim::SetFact(f.name, f.values[choice]);
}

// The framework's side of one gadget instance, over the gadget linked in.
class Gadget {
public:
    Gadget() {
        std::memset(&m_ops, 0, sizeof m_ops);
        if (UG_MODULE_INIT(&m_ops) != 0 || !m_ops.create || !m_ops.destroy || !m_ops.message) abort();
    }
    ~Gadget() { UG_MODULE_EXIT(&m_ops); }
    static ui_gadget_h Handle() {
        static int instance;
        return reinterpret_cast<ui_gadget_h>(&instance);
    }
    void* Create() {
        void* base = m_ops.create(Handle(), UG_MODE_FULLVIEW, nullptr, m_ops.priv);
        if (base) m_bases.push_back(static_cast<Evas_Object*>(base));
        return base;
    }
    // The base objects belong to the framework once the gadget is gone.
    void Destroy() {
        m_ops.destroy(Handle(), nullptr, m_ops.priv);
        for (Evas_Object* base : m_bases) evas_object_del(base);
        m_bases.clear();
    }
    void Message(app_control_h msg) { m_ops.message(Handle(), msg, nullptr, m_ops.priv); }
    const ug_module_ops& Ops() const { return m_ops; }

private:
    ug_module_ops m_ops;
    std::vector<Evas_Object*> m_bases;
};

// After destroy the gadget holds nothing of the platform's.
inline void ExpectReleased() {
    if (vsim::KeyHandlerCount() != 0 || vsim::KeyClientCount() != 0 || vsim::PvrCallbackCount() != 0) abort();
}

}  // namespace vfuzz

#endif
