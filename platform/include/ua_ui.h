/* UI appearance: the reading direction of the menu language. */
#ifndef VANTRO_PLATFORM_UA_UI_H
#define VANTRO_PLATFORM_UA_UI_H

#ifdef __cplusplus
extern "C" {
#endif

/* 0 left to right, 1 right to left. */
int ua_UI_orientation_get(void);

#ifdef __cplusplus
}
#endif

#endif
