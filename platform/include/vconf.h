/* Platform settings store. Reads return 0 on success, -1 on failure. */
#ifndef VANTRO_PLATFORM_VCONF_H
#define VANTRO_PLATFORM_VCONF_H

#ifdef __cplusplus
extern "C" {
#endif

int vconf_get_int(const char* key, int* value);
int vconf_get_bool(const char* key, int* value);

#ifdef __cplusplus
}
#endif

#endif
