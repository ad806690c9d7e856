// Whole sessions of the real library in the viewer: keys (also raw events of
// any name, or none), viewer messages, PVR results (also raw records at odd
// addresses), virtual time, lifecycle calls and platform facts. After every
// step each key event has one verdict, 0 or 1, a key-up repeats the last
// key-down's, no two timers of one kind are pending, and after destroy nothing
// of the gadget is left registered or pending.
#include <Elementary.h>
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "HeadlessToolkit.h"
#include "TimerJournal.h"
#include "Viewer.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"
#include "sim_world.h"
#include "tv_viewer_kevent.h"

namespace {

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
        std::string s(reinterpret_cast<const char*>(m_data + m_at), std::min(n, m_size - m_at));
        m_at += s.size();
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

// The process's clocks are virtual and libFuzzer reads them too: after each
// input the clock is set back to where it stood plus the real time spent.
// libFuzzer's per-input timeout would see the virtual jumps, so a real-time
// alarm limits each input instead.

const unsigned kInputLimitSeconds = 10;

void OnInputTooLong(int) {
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
        m_realStart = vclock::RealUs();
        // What libFuzzer did since the last input (leak checks, mutations) took real time too.
        if (s_lastRealEnd != 0) vclock::SetUs(s_lastVirtualEnd + (m_realStart - s_lastRealEnd));
        m_virtualStart = vclock::NowUs();
    }
    ~InputClock() {
        alarm(0);
        s_lastRealEnd = vclock::RealUs();
        s_lastVirtualEnd = m_virtualStart + (s_lastRealEnd - m_realStart);
        vclock::SetUs(s_lastVirtualEnd);
    }

private:
    static inline int64_t s_lastRealEnd = 0, s_lastVirtualEnd = 0;
    int64_t m_virtualStart = 0;
    int64_t m_realStart = 0;
};

// The viewer, once per process: its headless window, the real library loaded.
tvsim::Viewer& TheViewer() {
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
const std::string& RecordingUri() {
    static std::string uri = [] {
        std::string templ = vsim::ScratchDir() + "/vantro-fuzz-XXXXXX";
        if (!mkdtemp(&templ[0])) abort();
        return templ + "/rec.srf";
    }();
    return uri;
}

// Writes the recording's bookmarks afresh: a real picture, one that does not
// decode and one too small to try. Bookmarks set by earlier inputs are gone.
void WriteBookmarks() {
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
const std::vector<FactChoice>& Facts() {
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
        {"svc_pvr_get_recording_uri_by_service_id[1001].ret", {{"0"}, {"-1"}}},
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
void RecordingWorld() {
    vsim::ResetWorld();
    vsim::SetWindow(TheViewer().Window());
    vsim::SetSportsRecording(RecordingUri());
    vsim::SetFact("svc_pvr_get_progress_by_service_id", {"2712", "2750"});
    WriteBookmarks();
}

// Sets or clears one fact as the input says.
void SetSomeFact(Bytes& in) {
    const std::vector<FactChoice>& facts = Facts();
    const FactChoice& f = facts[in.Pick(facts.size())];
    size_t choice = in.Pick(f.values.size() + 1);
    if (choice == f.values.size())
        vsim::ClearFact(f.name);
    else
        vsim::SetFact(f.name, f.values[choice]);
}

const char* const kExtraKeys[] = {"cmd", "sportsmodezoom", "CMD", "cmd ", ""};
const char* const kCommands[] = {"show", "hide", "enter", "exit", "e", "sh", "hidden", "", "showx", "h", "en"};

size_t VerdictsSince(size_t mark) {
    size_t n = 0;
    for (const vsim::Entry& e : vsim::JournalSince(mark))
        if (e.kind == "key") ++n;
    return n;
}

// One pending timer of each kind (callback) at most: a second is a timer
// added without deleting the one it replaces.
void ExpectAtMostOneTimerOfEachKind() {
    std::map<const void*, int> kinds;
    for (const tvsim::PendingTimer& t : tvsim::PendingGadgetTimers())
        if (++kinds[t.callback] > 1) abort();
}

// One record taken from the input, placed `shift` bytes into a buffer that
// ends where the record ends, so any read past it is caught; delivered by the
// service. Returns the callbacks it reached.
int DeliveredRecord(Bytes& in) {
    size_t shift = 1 + in.Pick(7);
    std::unique_ptr<unsigned char[]> storage(new unsigned char[shift + sizeof(ps_result_pvr)]);
    unsigned char* at = storage.get() + shift;
    in.Copy(at, sizeof(ps_result_pvr));
    // Steer the two fields the gadget reads towards the codes it knows.
    uint8_t steer = in.Byte();
    if (steer & 1) {
        int32_t method = static_cast<int32_t>(steer >> 1) % 5;
        std::memcpy(at, &method, sizeof method);
    }
    if (steer & 2) std::memset(at + 4, 0, 4);
    return vsim::DeliverPvrRecord(reinterpret_cast<ps_result_pvr*>(at), in.Byte() & 1);
}

// A key event as the key-event service hands it over, record and name
// included or not; returns the dispatch's verdict.
int RawKeyEvent(Bytes& in, int kind) {
    std::string raw;
    tv_viewer_kevent_info_s info = {};
    void* record = &info;
    switch (in.Pick(8)) {
        case 0:
            record = nullptr;
            break;
        case 1:
            info.keyname = nullptr;
            break;
        case 2:
        case 3:
            raw = in.Text(24);
            info.keyname = raw.c_str();
            break;
        default:
            info.keyname = kKeyNames[in.Pick(kKeyNameCount)];
            break;
    }
    info.keycode = in.U32();
    info.timestamp = in.U32();
    return vsim::DispatchKeyEvent(kind, record, "fuzz");
}

// After destroy the gadget holds nothing of the platform's, and no timer.
void ExpectNothingLeft() {
    if (vsim::KeyHandlerCount() != 0 || vsim::KeyClientCount() != 0 || vsim::PvrCallbackCount() != 0 ||
        tvsim::PendingGadgetTimerCount() != 0)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tvsim::Viewer& viewer = TheViewer();
    InputClock clock;
    Bytes in(data, size);
    RecordingWorld();
    viewer.SetAnswers(true);
    bool created = viewer.Create();
    int lastDown = -1;  // no key-down since the gadget was made

    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        switch (in.Pick(14)) {
            case 0:
            case 1:
            case 2:
            case 3: {
                const char* key = kKeyNames[in.Pick(kKeyNameCount)];
                size_t mark = vsim::JournalSize();
                int down = viewer.KeyDown(key);
                if (VerdictsSince(mark) != 1) abort();
                // Sometimes the viewer lets time or a message pass before the key-up.
                if (in.Byte() % 4 == 0) vclock::AdvanceAndRun(static_cast<int64_t>(in.Pick(10)) * 100000, 50000);
                mark = vsim::JournalSize();
                int up = viewer.KeyUp(key);
                if (VerdictsSince(mark) != 1) abort();
                if (up != down) abort();
                lastDown = down;
                break;
            }
            case 4: {  // any extra data: known words or raw bytes (a NUL ends the C string)
                std::vector<std::pair<std::string, std::string>> extras(in.Pick(4));
                for (auto& extra : extras) {
                    extra.first = in.Byte() & 1 ? kExtraKeys[in.Pick(5)] : in.Text(12);
                    extra.second = in.Byte() & 1 ? kCommands[in.Pick(11)] : in.Text(24);
                }
                viewer.Message(extras);
                break;
            }
            case 5:
                viewer.PvrResult(static_cast<int>(in.Pick(5)), in.Pick(3) ? 0 : -static_cast<int>(in.Pick(3)) - 1);
                break;
            case 6:
            case 7:
                vclock::AdvanceAndRun(static_cast<int64_t>(in.Pick(40)) * 500000, 50000);
                break;
            case 8:
                SetSomeFact(in);
                break;
            case 9:
                viewer.SetAnswers(in.Byte() % 4 != 0);
                break;
            case 10:
                switch (in.Pick(4)) {
                    case 0:
                        viewer.Destroy();
                        created = false;
                        lastDown = -1;
                        ExpectNothingLeft();
                        break;
                    case 1:
                        if (!created) created = viewer.Create();
                        lastDown = -1;
                        break;
                    case 2:
                        viewer.Pause();
                        break;
                    default:
                        viewer.Resume();
                        break;
                }
                break;
            case 11:
            case 12: {
                int kind = in.Byte() & 1 ? TV_VIEWER_KEVENT_KEY_UP : TV_VIEWER_KEVENT_KEY_DOWN;
                int verdict = RawKeyEvent(in, kind);
                if (!created) break;
                // The service stops at the first handler that consumes a
                // key-down, so the last verdict a handler gave is the
                // dispatch's own, and a key-up repeats it.
                if (kind == TV_VIEWER_KEVENT_KEY_DOWN)
                    lastDown = verdict;
                else if (lastDown >= 0 && verdict != lastDown)
                    abort();
                break;
            }
            default:
                DeliveredRecord(in);
                break;
        }
        viewer.Settle();
        ExpectAtMostOneTimerOfEachKind();
        // The service takes 0 and 1 for answers and counts any other.
        if (vsim::OddKeyAnswerCount() != 0) abort();
    }
    viewer.Destroy();
    ExpectNothingLeft();
    if (in.Byte() & 1 && DeliveredRecord(in) != 0) abort();
    vclock::RunPending();
    vsim::ClearJournal();
    return 0;
}
