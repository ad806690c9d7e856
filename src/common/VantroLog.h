// The gadget's diagnostic lines: tag "PVR_UIG_SPT", each prefixed with the
// source file, function and line.
#ifndef VANTRO_LOG_H
#define VANTRO_LOG_H

#include "dlog.h"

namespace vantro {

constexpr const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/') base = p + 1;
    return base;
}

}  // namespace vantro

#define VANTRO_LOG_TAG "PVR_UIG_SPT"

#define VANTRO_LOG_AT(logId, prio, fmt, ...)                                                                          \
    __dlog_print(logId, prio, VANTRO_LOG_TAG, "%s: %s(%d) > [APP][%s:%d] " fmt, vantro::BaseName(__FILE__), __func__, \
                 __LINE__, __func__, __LINE__, ##__VA_ARGS__)

// Ordinary progress.
#define VLOG_INFO(fmt, ...) VANTRO_LOG_AT(LOG_ID_MAIN, DLOG_INFO, fmt, ##__VA_ARGS__)
// Failures and the decisions that matter.
#define VLOG_SYS(fmt, ...) VANTRO_LOG_AT(LOG_ID_SYSTEM, DLOG_WARN, fmt, ##__VA_ARGS__)
// Resource release, debounce timings, bookmark reader failures.
#define VLOG_WARN(fmt, ...) VANTRO_LOG_AT(LOG_ID_MAIN, DLOG_WARN, fmt, ##__VA_ARGS__)
// Geometry and other debugging aids.
#define VLOG_DEBUG(fmt, ...) VANTRO_LOG_AT(LOG_ID_MAIN, DLOG_DEBUG, fmt, ##__VA_ARGS__)

#endif
