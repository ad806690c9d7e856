/* The live viewer's key-event service: clients see every remote key before the viewer does. */
#ifndef VANTRO_PLATFORM_TV_VIEWER_KEVENT_H
#define VANTRO_PLATFORM_TV_VIEWER_KEVENT_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tv_viewer_kevent_s* tv_viewer_kevent_h;
typedef unsigned long tv_viewer_kevent_handler_id;

typedef enum {
    TV_VIEWER_KEVENT_KEY_DOWN = 0,
    TV_VIEWER_KEVENT_KEY_UP = 1,
} tv_viewer_kevent_kind_e;

/* Lower value means offered earlier. */
typedef enum {
    TV_VIEWER_KEVENT_PRIORITY_HIGH = 1,
    TV_VIEWER_KEVENT_PRIORITY_LOW = 5,
} tv_viewer_kevent_priority_e;

typedef struct {
    const char* keyname; /* the platform key name, e.g. "XF86Red" */
    unsigned int keycode;
    unsigned int timestamp;
} tv_viewer_kevent_info_s;

/* A handler returns 0 to consume the key, 1 to pass it on. */
typedef int (*tv_viewer_kevent_cb)(void* event_info, void* user_data);

tv_viewer_kevent_h tv_viewer_kevent_init(const char* client_name);
tv_viewer_kevent_handler_id tv_viewer_kevent_handler_add(tv_viewer_kevent_h handle, int kind, int priority,
                                                         tv_viewer_kevent_cb handler, void* user_data);
int tv_viewer_kevent_handler_del(tv_viewer_kevent_handler_id id);
int tv_viewer_kevent_fini(tv_viewer_kevent_h handle);

#ifdef __cplusplus
}
#endif

#endif
