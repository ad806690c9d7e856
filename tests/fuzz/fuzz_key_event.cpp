// Key events through the gadget's four key handlers as the key-event service
// calls them: known names, arbitrary bytes as names, records without a name
// and no record at all, downs and ups in any order. Every key-up must repeat
// the verdict of the key-down handler that ran last.
#include <stdint.h>

#include "FuzzHost.h"
#include "VirtualClock.h"
#include "tv_viewer_kevent.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tvsim::Viewer& viewer = vfuzz::TheViewer();
    vfuzz::InputClock clock;
    vfuzz::Bytes in(data, size);
    vfuzz::RecordingWorld();
    viewer.SetAnswers(false);
    viewer.Create();

    int lastDown = 1;  // the gadget's verdict before any key-down
    bool anyDown = false;
    for (int step = 0; step < 48 && !in.Empty(); ++step) {
        uint8_t op = in.Byte();
        if (op % 8 == 0) {
            vfuzz::SetSomeFact(in);
            continue;
        }
        if (op % 8 == 1) {
            vclock::AdvanceAndRun(static_cast<int64_t>(in.Pick(64)) * 50000, 50000);
            continue;
        }
        int kind = (op & 0x10) ? TV_VIEWER_KEVENT_KEY_UP : TV_VIEWER_KEVENT_KEY_DOWN;
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
        int verdict = vsim::DispatchKeyEvent(kind, record, "fuzz");
        if (verdict != 0 && verdict != 1) abort();
        if (kind == TV_VIEWER_KEVENT_KEY_DOWN) {
            lastDown = verdict;
            anyDown = true;
        } else if (anyDown && verdict != lastDown) {
            // The service stops at the first handler that consumes a key-down,
            // so the last verdict a handler gave is the dispatch's own.
            abort();
        }
    }
    viewer.Settle();
    viewer.Destroy();
    vfuzz::ExpectReleased();
    vclock::RunPending();
    vsim::ClearJournal();
    return 0;
}
