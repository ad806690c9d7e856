// Whole sessions of the real library in the viewer: the input becomes a
// well-formed sequence of keys, viewer messages (any extra data), PVR results, virtual time,
// lifecycle calls and platform facts. After every step the gadget keeps its
// promises: each key event gets exactly one verdict, a key-up repeats the
// verdict of its key-down, no two timers of one kind are pending, and after
// destroy no handler, callback or timer of the gadget is left.
#include <Elementary.h>
#include <stdint.h>
#include <stdlib.h>

#include <map>
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

    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        switch (in.Pick(12)) {
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
                        ExpectNothingLeft();
                        break;
                    case 1:
                        if (!created) created = viewer.Create();
                        break;
                    case 2:
                        viewer.Pause();
                        break;
                    default:
                        viewer.Resume();
                        break;
                }
                break;
            default:
                break;
        }
        viewer.Settle();
        ExpectAtMostOneTimerOfEachKind();
    }
    viewer.Destroy();
    ExpectNothingLeft();
    vclock::RunPending();
    vsim::ClearJournal();
    return 0;
}
