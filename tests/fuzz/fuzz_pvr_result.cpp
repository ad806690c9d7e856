// Arbitrary PVR result records through the gadget's result callback, at odd
// addresses and with or without user data, between the keys and viewer
// messages that make a result matter (red starts zoom and waits for the
// pause; leaving zoom waits for the resume).
#include <stdint.h>

#include <cstring>
#include <memory>

#include "FuzzHost.h"
#include "VirtualClock.h"

namespace {

// One record taken from the input, placed `shift` bytes into a buffer that
// ends where the record ends, so any read past it is caught; delivered by the
// service. Returns the callbacks it reached.
int Delivered(vfuzz::Bytes& in) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tvsim::Viewer& viewer = vfuzz::TheViewer();
    vfuzz::InputClock clock;
    vfuzz::Bytes in(data, size);
    vfuzz::RecordingWorld();
    viewer.SetAnswers(false);
    viewer.Create();

    for (int step = 0; step < 32 && !in.Empty(); ++step) {
        switch (in.Pick(8)) {
            case 0:
            case 1:
            case 2:
                Delivered(in);
                break;
            case 3:
                vsim::DispatchKey(0, "XF86Red");
                vsim::DispatchKey(1, "XF86Red");
                break;
            case 4:
                viewer.Message({{"cmd", in.Byte() & 1 ? "enter" : "exit"}});
                break;
            case 5:
                vfuzz::SetSomeFact(in);
                break;
            default:
                vclock::AdvanceAndRun(static_cast<int64_t>(in.Pick(20)) * 250000, 50000);
                break;
        }
    }
    viewer.Settle();
    viewer.Destroy();
    vfuzz::ExpectReleased();
    // After destroy the service has no callback left to reach.
    if (in.Byte() & 1 && Delivered(in) != 0) abort();
    vclock::RunPending();
    vsim::ClearJournal();
    return 0;
}
