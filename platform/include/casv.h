/* Content-analysis service. Each query returns nonzero for yes. */
#ifndef VANTRO_PLATFORM_CASV_H
#define VANTRO_PLATFORM_CASV_H

#ifdef __cplusplus
extern "C" {
#endif

int CASV_IsHighlightModeRunning(void);
int CASV_IsGameResumeModeRunning(int mode);
int CASV_IsAnalysisEngineRunning(unsigned long long service_id);

#ifdef __cplusplus
}
#endif

#endif
