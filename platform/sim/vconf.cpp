// Settings store: answers from the world, every read journaled.
//
// Only the keys registered below (those the gadget reads) or set as facts
// exist; any other key fails like a missing entry of the real store.
#include <string>

#include "fallible.h"
#include "sim_world.h"
#include "vconf.h"

namespace {

const vsim::DefaultFacts kDefaults({
    {"vconf_get_int[memory/pxv/state]", {"0"}},
    {"vconf_get_int[db/pxv/pxv_focus]", {"0"}},
    {"vconf_get_int[db/menu/picture/pip/onoff]", {"0"}},
    {"vconf_get_int[memory/menu/network/screenmirroring/smsrc_status]", {"0"}},
    {"vconf_get_int[memory/menu/network/screenmirroring/sm_status]", {"0"}},
    {"vconf_get_int[db/broadcasting/channel_navigation_mode]", {"0"}},
    {"vconf_get_bool[db/dualtv/dualtv_view_status]", {"0"}},
});

const int kMissing = -1;

int Read(const char* call, const void* caller, const char* key, int* value) {
    if (vsim::FailNow(call, caller)) return kMissing;
    std::string name = key ? key : "(null)";
    vsim::RecordCall(call, name);
    std::string fact = vsim::FactFor(call, name);
    if (!vsim::HasFactOrResult(fact)) return kMissing;
    // The value is written whenever the fact has one, also with a failing
    // result: callers must not trust it then.
    vsim::OutInt(fact, 0, value);
    return vsim::CallResult(fact, 0);
}

}  // namespace

extern "C" {

int vconf_get_int(const char* key, int* value) {
    return Read("vconf_get_int", __builtin_return_address(0), key, value);
}

// The store keeps booleans as 0 or 1, whatever number the fact holds.
int vconf_get_bool(const char* key, int* value) {
    int raw = value ? *value : 0;
    int ret = Read("vconf_get_bool", __builtin_return_address(0), key, &raw);
    if (value && raw != *value) *value = raw != 0 ? 1 : 0;
    return ret;
}

}  // extern "C"
