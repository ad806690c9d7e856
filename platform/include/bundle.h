/* Key/value bundles passed with asynchronous launches. */
#ifndef VANTRO_PLATFORM_BUNDLE_H
#define VANTRO_PLATFORM_BUNDLE_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct bundle_s bundle;

bundle* bundle_create(void);
int bundle_add(bundle* b, const char* key, const char* value);
int bundle_free(bundle* b);

#ifdef __cplusplus
}
#endif

#endif
