// Whole sessions of the real library in the viewer: the input becomes a
// sequence of keys, viewer messages (any extra data), PVR results, virtual
// time, lifecycle calls and platform facts. Besides well-formed key presses
// and results, raw key events reach the four key handlers (any name, bytes,
// no name, no record, downs and ups in any order) and raw PVR result records
// arrive at odd addresses, with or without the registered user data. After
// every step the gadget keeps its promises: each key event gets exactly one
// verdict, 0 or 1, a key-up repeats the verdict of the last key-down, no two
// timers of one kind are pending, and after destroy no handler, callback or
// timer of the gadget is left and a result reaches nothing.
#include <Elementary.h>
#include <stdint.h>
#include <stdlib.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FuzzHost.h"
#include "TimerJournal.h"
#include "Viewer.h"
#include "VirtualClock.h"
#include "sim_world.h"
#include "tv_viewer_kevent.h"

namespace {

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
int DeliveredRecord(vfuzz::Bytes& in) {
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
int RawKeyEvent(vfuzz::Bytes& in, int kind) {
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
            info.keyname = vfuzz::kKeyNames[in.Pick(vfuzz::kKeyNameCount)];
            break;
    }
    info.keycode = in.U32();
    info.timestamp = in.U32();
    return vsim::DispatchKeyEvent(kind, record, "fuzz");
}

void ExpectNothingLeft() {
    vfuzz::ExpectReleased();
    if (tvsim::PendingGadgetTimerCount() != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tvsim::Viewer& viewer = vfuzz::TheViewer();
    vfuzz::InputClock clock;
    vfuzz::Bytes in(data, size);
    vfuzz::RecordingWorld();
    viewer.SetAnswers(true);
    bool created = viewer.Create();
    int lastDown = -1;  // no key-down since the gadget was made

    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        switch (in.Pick(14)) {
            case 0:
            case 1:
            case 2:
            case 3: {
                const char* key = vfuzz::kKeyNames[in.Pick(vfuzz::kKeyNameCount)];
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
                vfuzz::SetSomeFact(in);
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
