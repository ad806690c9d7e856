/* Application control: launch requests and messages with string extras. */
#ifndef VANTRO_PLATFORM_APP_CONTROL_H
#define VANTRO_PLATFORM_APP_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct app_control_s* app_control_h;

typedef enum {
    APP_CONTROL_ERROR_NONE = 0,
    APP_CONTROL_ERROR_INVALID_PARAMETER = -22,
    APP_CONTROL_ERROR_OUT_OF_MEMORY = -12,
    APP_CONTROL_ERROR_KEY_NOT_FOUND = -126,
    APP_CONTROL_ERROR_APP_NOT_FOUND = -0x01100000 | 0x21,
    APP_CONTROL_ERROR_LAUNCH_FAILED = -0x01100000 | 0x24,
} app_control_error_e;

typedef void (*app_control_reply_cb)(app_control_h request, app_control_h reply, int result, void* user_data);

int app_control_create(app_control_h* app_control);
int app_control_destroy(app_control_h app_control);
int app_control_add_extra_data(app_control_h app_control, const char* key, const char* value);
/* On success *value is a newly allocated string the caller frees with free(). */
int app_control_get_extra_data(app_control_h app_control, const char* key, char** value);
int app_control_set_app_id(app_control_h app_control, const char* app_id);
int app_control_send_launch_request(app_control_h app_control, app_control_reply_cb callback, void* user_data);

#ifdef __cplusplus
}
#endif

#endif
