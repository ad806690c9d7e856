// AV output control: the 3D mode from the world, every call journaled.
#include <string>

#include "avoc.h"
#include "fallible.h"
#include "sim_world.h"

namespace {

const vsim::DefaultFacts kDefaults({
    {"avoc_get_3d_mode", {"0"}},
    {"avoc_get_3d_mode.ret", {"0"}},
});

}  // namespace

extern "C" {

int avoc_get_3d_mode(int window, int* mode, int reserved) {
    VSIM_FALLIBLE("avoc_get_3d_mode", -1);
    vsim::RecordCall("avoc_get_3d_mode", std::to_string(window) + " " + std::to_string(reserved));
    vsim::OutInt("avoc_get_3d_mode", 0, mode);
    return vsim::CallResult("avoc_get_3d_mode", 0);
}

}  // extern "C"
