/* AV output control. */
#ifndef VANTRO_PLATFORM_AVOC_H
#define VANTRO_PLATFORM_AVOC_H

#ifdef __cplusplus
extern "C" {
#endif

/* Returns 0 on success and writes the 3D mode (0 = off). */
int avoc_get_3d_mode(int window, int* mode, int reserved);

#ifdef __cplusplus
}
#endif

#endif
