// TV context service.
#include <string>

#include "fallible.h"
#include "sim_world.h"
#include "tvcontext.h"

namespace {
const vsim::DefaultFacts kDefaults({
    {"tvcontext_check_visible", {"0"}},
});
}

extern "C" {

int tvcontext_init(void) {
    VSIM_FALLIBLE("tvcontext_init", -1);
    vsim::RecordCall("tvcontext_init");
    return vsim::CallResult("tvcontext_init", 0);
}

int tvcontext_check_visible(const char* app_id, int arg1, int arg2, int* visible) {
    VSIM_FALLIBLE("tvcontext_check_visible", -1);
    std::string app = app_id ? app_id : "(null)";
    vsim::RecordCall("tvcontext_check_visible", app + " " + std::to_string(arg1) + " " + std::to_string(arg2));
    std::string fact = vsim::FactFor("tvcontext_check_visible", app);
    int ret = vsim::CallResult(fact, 0);
    if (ret == 0) vsim::OutInt(fact, 0, visible);
    return ret;
}

}  // extern "C"
