// What the fuzz targets share: reading an input as a stream of choices, the
// viewer that hosts the real library, and platform facts an input may set.
#ifndef VANTRO_FUZZ_HOST_H
#define VANTRO_FUZZ_HOST_H

#include <Elementary.h>
#include <stdint.h>
#include <stdlib.h>

#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "HeadlessToolkit.h"
#include "Viewer.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"
#include "sim_world.h"

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
// The process's clocks are virtual, and libFuzzer reads them too: after each
// input the clock goes back to where it stood plus the real time spent, so
// libFuzzer's total time stays true. Its per-input timeout would see the
// virtual jumps, so it is off; a real-time alarm (the kernel's, which virtual
// time does not move) limits each input instead.

inline int64_t RealUs() {
    struct timespec ts;
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

const unsigned kInputLimitSeconds = 10;

inline void OnInputTooLong(int) {
    static const char message[] = "vantro-fuzz: one input ran for more than 10 s\n";
    if (write(2, message, sizeof message - 1) < 0) abort();
    abort();
}

// Lives for one input.
class InputClock {
public:
    InputClock() {
        signal(SIGALRM, OnInputTooLong);
        alarm(kInputLimitSeconds);
        m_realStart = RealUs();
        // What libFuzzer did since the last input (leak checks, mutations) took real time too.
        if (LastRealEnd() != 0) vclock::SetUs(LastVirtualEnd() + (m_realStart - LastRealEnd()));
        m_virtualStart = vclock::NowUs();
    }
    ~InputClock() {
        alarm(0);
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

// The viewer, once per process: its headless window, the real library loaded.
inline tvsim::Viewer& TheViewer() {
    static tvsim::Viewer* viewer = [] {
        tvsim::UseHeadlessToolkit();
        static char arg0[] = "vantro-fuzz";
        static char* argv[] = {arg0, nullptr};
        elm_init(1, argv);
        auto* v = new tvsim::Viewer;
        std::string error;
        if (!v->OpenWindow() || !v->Load(VANTRO_GADGET_PATH, &error)) abort();
        return v;
    }();
    return *viewer;
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

// The world a fuzz input starts from: recording in sports mode, shown in the
// viewer's window.
inline void RecordingWorld() {
    vsim::ResetWorld();
    vsim::SetWindow(TheViewer().Window());
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

// After destroy the gadget holds nothing of the platform's.
inline void ExpectReleased() {
    if (vsim::KeyHandlerCount() != 0 || vsim::KeyClientCount() != 0 || vsim::PvrCallbackCount() != 0) abort();
}

}  // namespace vfuzz

#endif
