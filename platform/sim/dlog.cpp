// Platform log: every line goes to the journal.
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "dlog.h"
#include "sim_world.h"

extern "C" int __dlog_print(log_id_t log_id, int prio, const char* tag, const char* fmt, ...) {
    if (!fmt) return -1;
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return -1;
    }
    std::vector<char> line(static_cast<size_t>(length) + 1);
    std::vsnprintf(line.data(), line.size(), fmt, again);
    va_end(again);

    vsim::Entry entry;
    entry.kind = "log";
    entry.name = tag ? tag : "";
    entry.text = line.data();
    entry.logId = log_id;
    entry.priority = prio;
    vsim::Record(entry);
    return length;
}
