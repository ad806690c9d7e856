// Gadget framework calls and the PVR result callbacks' delivery.
#include <string>

#include "fallible.h"
#include "sim_world.h"
#include "ug_module.h"

namespace {

Evas_Object*& Window() {
    static Evas_Object* window = nullptr;
    return window;
}

vsim::ResultListener& Listener() {
    static vsim::ResultListener listener;
    return listener;
}

}  // namespace

namespace vsim {

void SetWindow(Evas_Object* window) { Window() = window; }

void SetResultListener(ResultListener listener) { Listener() = std::move(listener); }

}  // namespace vsim

extern "C" {

Evas_Object* ug_get_window(void) {
    VSIM_FALLIBLE("ug_get_window", nullptr);
    vsim::RecordCall("ug_get_window");
    if (vsim::FactIs("ug_get_window", 0, "null")) return nullptr;
    return Window();
}

int ug_send_result(ui_gadget_h ug, app_control_h result) {
    VSIM_FALLIBLE("ug_send_result", -1);
    vsim::RecordCall("ug_send_result");
    if (!result) return -22;
    vsim::Entry entry;
    entry.kind = "result";
    entry.extras = vsim::AppControlExtras(result);
    for (const auto& extra : entry.extras) {
        if (!entry.text.empty()) entry.text += ' ';
        entry.text += extra.first + " " + extra.second;
    }
    vsim::Record(entry);
    if (Listener()) Listener()(ug, entry.extras);
    return 0;
}

}  // extern "C"
