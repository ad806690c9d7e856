// The gadget's diagnostic lines: tag "PVR_UIG_SPT", each prefixed with the
// source file, function and line.
#ifndef VANTRO_LOG_H
#define VANTRO_LOG_H

#include <cstdio>

#include "dlog.h"

namespace vantro {

constexpr const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/') base = p + 1;
    return base;
}

// The fixed head of one log site's lines, "file: func(line) > [APP][func:line] ",
// composed once on the site's first line. A key decision writes dozens of
// lines, and formatting those five fields every time was most of their cost.
class LogSite {
public:
    LogSite(const char* file, const char* func, int line) {
        if (std::snprintf(m_head, sizeof m_head, "%s: %s(%d) > [APP][%s:%d] ", BaseName(file), func, line, func, line) <
            0)
            m_head[0] = '\0';
    }
    const char* Head() const { return m_head; }

private:
    // Our longest file and function names need about half of this.
    char m_head[256];
};

}  // namespace vantro

#define VANTRO_LOG_TAG "PVR_UIG_SPT"

#define VANTRO_LOG_AT(logId, prio, fmt, ...)                                                      \
    do {                                                                                          \
        static const vantro::LogSite vantroLogSite(__FILE__, __func__, __LINE__);                 \
        __dlog_print(logId, prio, VANTRO_LOG_TAG, "%s" fmt, vantroLogSite.Head(), ##__VA_ARGS__); \
    } while (0)

// Ordinary progress.
#define VLOG_INFO(fmt, ...) VANTRO_LOG_AT(LOG_ID_MAIN, DLOG_INFO, fmt, ##__VA_ARGS__)
// Failures and the decisions that matter.
#define VLOG_SYS(fmt, ...) VANTRO_LOG_AT(LOG_ID_SYSTEM, DLOG_WARN, fmt, ##__VA_ARGS__)
// Resource release, debounce timings, bookmark reader failures.
#define VLOG_WARN(fmt, ...) VANTRO_LOG_AT(LOG_ID_MAIN, DLOG_WARN, fmt, ##__VA_ARGS__)
// Geometry and other debugging aids.
#define VLOG_DEBUG(fmt, ...) VANTRO_LOG_AT(LOG_ID_MAIN, DLOG_DEBUG, fmt, ##__VA_ARGS__)

#endif
