/* UI-gadget framework: the module contract and the calls a gadget makes. */
#ifndef VANTRO_PLATFORM_UG_MODULE_H
#define VANTRO_PLATFORM_UG_MODULE_H

#include <Evas.h>

#include "app_control.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ui_gadget_s* ui_gadget_h;

enum ug_mode {
    UG_MODE_FULLVIEW = 0,
    UG_MODE_FRAMEVIEW = 1,
};

enum ug_event {
    UG_EVENT_NONE = 0,
    UG_EVENT_LOW_MEMORY = 1,
    UG_EVENT_LOW_BATTERY = 2,
    UG_EVENT_LANG_CHANGE = 3,
    UG_EVENT_ROTATE_PORTRAIT = 4,
    UG_EVENT_ROTATE_LANDSCAPE = 5,
    UG_EVENT_REGION_CHANGE = 6,
};

struct ug_module_ops {
    void* (*create)(ui_gadget_h ug, enum ug_mode mode, app_control_h data, void* priv);
    void (*start)(ui_gadget_h ug, app_control_h data, void* priv);
    void (*pause)(ui_gadget_h ug, app_control_h data, void* priv);
    void (*resume)(ui_gadget_h ug, app_control_h data, void* priv);
    void (*destroy)(ui_gadget_h ug, app_control_h data, void* priv);
    void (*message)(ui_gadget_h ug, app_control_h msg, app_control_h data, void* priv);
    void (*event)(ui_gadget_h ug, enum ug_event event, app_control_h data, void* priv);
    void (*key_event)(ui_gadget_h ug, int event, app_control_h data, void* priv);
    void (*destroying)(ui_gadget_h ug, app_control_h data, void* priv);
    void* reserved[3];
    void* priv;
    unsigned int opt;
};

/* The window the hosting application runs the gadget in. */
Evas_Object* ug_get_window(void);

/* Hands a result message to the gadget's host. */
int ug_send_result(ui_gadget_h ug, app_control_h result);

#ifdef __cplusplus
}
#endif

#endif
