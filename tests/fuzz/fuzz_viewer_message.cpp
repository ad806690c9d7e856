// Arbitrary viewer messages through the gadget's message operation: any
// extra-data keys and values (empty, unterminated by the input, prefixes of
// the commands), in any order, with the gadget created or not.
#include <stdint.h>

#include "FuzzHost.h"
#include "VirtualClock.h"
#include "app_control.h"

namespace {

const char* const kKeys[] = {"cmd", "sportsmodezoom", "CMD", "cmd ", ""};
const char* const kValues[] = {"show", "hide", "enter", "exit", "sh", "e", "showx", "", "h", "en"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static vfuzz::Gadget gadget;
    vfuzz::InputClock clock;
    vfuzz::Bytes in(data, size);
    vfuzz::RecordingWorld();
    bool created = in.Byte() % 4 != 0;
    if (created) gadget.Create();

    for (int step = 0; step < 32 && !in.Empty(); ++step) {
        switch (in.Pick(4)) {
            case 0:
                vfuzz::SetSomeFact(in);
                break;
            case 1:
                vclock::AdvanceAndRun(static_cast<int64_t>(in.Pick(20)) * 1000000, 100000);
                break;
            default: {
                app_control_h msg = nullptr;
                if (app_control_create(&msg) != APP_CONTROL_ERROR_NONE) break;
                size_t pairs = in.Pick(4);
                for (size_t i = 0; i < pairs; ++i) {
                    // Known words or raw bytes; a NUL inside raw bytes ends the C string.
                    std::string key = in.Byte() & 1 ? kKeys[in.Pick(5)] : in.Text(12);
                    std::string value = in.Byte() & 1 ? kValues[in.Pick(10)] : in.Text(24);
                    app_control_add_extra_data(msg, key.c_str(), value.c_str());
                }
                gadget.Message(msg);
                app_control_destroy(msg);
                break;
            }
        }
    }
    gadget.Destroy();
    vfuzz::ExpectReleased();
    vclock::RunPending();
    vsim::ClearJournal();
    return 0;
}
