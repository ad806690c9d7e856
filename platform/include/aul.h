/* Application utility library: asynchronous launch by application id. */
#ifndef VANTRO_PLATFORM_AUL_H
#define VANTRO_PLATFORM_AUL_H

#include "bundle.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Returns a process id (> 0) on success, a negative error otherwise. */
int aul_launch_app_async(const char* appid, bundle* kb);

#ifdef __cplusplus
}
#endif

#endif
