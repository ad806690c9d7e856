/* TV context service: what the TV shows and which applications are visible. */
#ifndef VANTRO_PLATFORM_TVCONTEXT_H
#define VANTRO_PLATFORM_TVCONTEXT_H

#ifdef __cplusplus
extern "C" {
#endif

int tvcontext_init(void);
/* Writes 1 to *visible when the application is on screen. Returns 0 on success. */
int tvcontext_check_visible(const char* app_id, int arg1, int arg2, int* visible);

#ifdef __cplusplus
}
#endif

#endif
