/* System information: product facts by integer key. Calls return 0 on success. */
#ifndef VANTRO_PLATFORM_SYSTEM_INFO_H
#define VANTRO_PLATFORM_SYSTEM_INFO_H

#include <stdbool.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int system_info_key_e;

int system_info_get_value_int(system_info_key_e key, int* value);
int system_info_get_value_bool(system_info_key_e key, bool* value);
/* On success *value is newly allocated; the caller frees it with free(). */
int system_info_get_value_string(system_info_key_e key, char** value);

#ifdef __cplusplus
}
#endif

#endif
