// Window system and UI appearance: the compositor's opaque hint and the
// reading direction of the menu language.
#include <string>

#include "fallible.h"
#include "sim_world.h"
#include "ua_ui.h"
#include "utilx.h"

namespace {
const vsim::DefaultFacts kDefaults({
    {"utilx_set_window_opaque_state.ret", {"1"}},
    {"ua_UI_orientation_get", {"0"}},
});
}

extern "C" {

int utilx_set_window_opaque_state(Ecore_X_Display* dpy, Ecore_X_Window win, Utilx_Opaque_State state) {
    (void)dpy;
    // 1 is success.
    VSIM_FALLIBLE("utilx_set_window_opaque_state", 0);
    vsim::RecordCall("utilx_set_window_opaque_state",
                     std::to_string(static_cast<unsigned long>(win)) + " " + std::to_string(static_cast<int>(state)));
    return vsim::CallResult("utilx_set_window_opaque_state", 1);
}

int ua_UI_orientation_get(void) {
    vsim::RecordCall("ua_UI_orientation_get");
    return static_cast<int>(vsim::FactIntOr("ua_UI_orientation_get", 0, 0));
}

}  // extern "C"
