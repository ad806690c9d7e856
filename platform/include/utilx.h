/* Window-system utilities. */
#ifndef VANTRO_PLATFORM_UTILX_H
#define VANTRO_PLATFORM_UTILX_H

#include <Ecore_X.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    UTILX_OPAQUE_STATE_OFF = 0,
    UTILX_OPAQUE_STATE_ON = 1,
} Utilx_Opaque_State;

/* Returns 1 on success. */
int utilx_set_window_opaque_state(Ecore_X_Display* dpy, Ecore_X_Window win, Utilx_Opaque_State state);

#ifdef __cplusplus
}
#endif

#endif
