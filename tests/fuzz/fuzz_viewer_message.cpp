// Arbitrary viewer messages through the gadget's message operation: any
// extra-data keys and values (empty, unterminated by the input, prefixes of
// the commands), in any order, with the gadget created or not.
#include <stdint.h>

#include "FuzzHost.h"
#include "VirtualClock.h"

namespace {

const char* const kKeys[] = {"cmd", "sportsmodezoom", "CMD", "cmd ", ""};
const char* const kValues[] = {"show", "hide", "enter", "exit", "sh", "e", "showx", "", "h", "en"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tvsim::Viewer& viewer = vfuzz::TheViewer();
    vfuzz::InputClock clock;
    vfuzz::Bytes in(data, size);
    vfuzz::RecordingWorld();
    bool created = in.Byte() % 4 != 0;
    viewer.SetAnswers(false);
    if (created) viewer.Create();

    for (int step = 0; step < 32 && !in.Empty(); ++step) {
        switch (in.Pick(4)) {
            case 0:
                vfuzz::SetSomeFact(in);
                break;
            case 1:
                vclock::AdvanceAndRun(static_cast<int64_t>(in.Pick(20)) * 1000000, 100000);
                break;
            default: {
                std::vector<std::pair<std::string, std::string>> extras(in.Pick(4));
                for (auto& extra : extras) {
                    // Known words or raw bytes; a NUL inside raw bytes ends the C string.
                    extra.first = in.Byte() & 1 ? kKeys[in.Pick(5)] : in.Text(12);
                    extra.second = in.Byte() & 1 ? kValues[in.Pick(10)] : in.Text(24);
                }
                viewer.Message(extras);
                break;
            }
        }
    }
    viewer.Settle();
    viewer.Destroy();
    vfuzz::ExpectReleased();
    vclock::RunPending();
    vsim::ClearJournal();
    return 0;
}
