// System information: product facts by integer key, every call journaled.
// A key with neither a default below nor a fact is not supported and fails.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fallible.h"
#include "sim_world.h"
#include "system_info.h"

namespace {

const vsim::DefaultFacts kDefaults({
    {"system_info_get_value_int[125]", {"1"}},
    {"system_info_get_value_bool[464]", {"1"}},
    {"system_info_get_value_bool[518]", {"0"}},
    {"system_info_get_value_bool[363]", {"0"}},
    {"system_info_get_value_string[362]", {"2016"}},
});

const int kNotSupported = -1;

// The fact for this call and key; false when the key is unknown, or when the
// call is the one chosen to fail.
bool Lookup(const char* call, const void* caller, system_info_key_e key, std::string* fact) {
    if (vsim::FailNow(call, caller)) return false;
    std::string arg = std::to_string(key);
    vsim::RecordCall(call, arg);
    *fact = vsim::FactFor(call, arg);
    return vsim::HasFactOrResult(*fact);
}

}  // namespace

extern "C" {

int system_info_get_value_int(system_info_key_e key, int* value) {
    std::string fact;
    if (!Lookup("system_info_get_value_int", __builtin_return_address(0), key, &fact)) return kNotSupported;
    vsim::OutInt(fact, 0, value);
    return vsim::CallResult(fact, 0);
}

int system_info_get_value_bool(system_info_key_e key, bool* value) {
    std::string fact;
    if (!Lookup("system_info_get_value_bool", __builtin_return_address(0), key, &fact)) return kNotSupported;
    long long flag;
    if (value && vsim::FactInt(fact, 0, &flag)) *value = flag != 0;
    return vsim::CallResult(fact, 0);
}

int system_info_get_value_string(system_info_key_e key, char** value) {
    std::string fact;
    if (!Lookup("system_info_get_value_string", __builtin_return_address(0), key, &fact)) return kNotSupported;
    int ret = vsim::CallResult(fact, 0);
    // Only a successful call hands out a string, so a caller that frees on
    // success only never leaks.
    std::string text;
    if (ret == 0 && value && vsim::FactString(fact, 0, &text)) {
        *value = strdup(text.c_str());
        vsim::Held(*value, "system_info_get_value_string", __builtin_return_address(0));
    }
    return ret;
}

}  // extern "C"
