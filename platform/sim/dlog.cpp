// Platform log: every line goes to the journal.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "dlog.h"
#include "sim_world.h"

extern "C" int __dlog_print(log_id_t log_id, int prio, const char* tag, const char* fmt, ...) {
    if (!fmt) return -1;
    // Nearly every line fits the stack buffer, so it is formatted once; a
    // longer one is formatted again at its full length.
    char small[1024];
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return -1;
    }
    vsim::Entry entry;
    if (static_cast<size_t>(length) < sizeof small) {
        entry.text.assign(small, static_cast<size_t>(length));
    } else {
        entry.text.resize(static_cast<size_t>(length));
        std::vsnprintf(&entry.text[0], entry.text.size() + 1, fmt, again);
    }
    va_end(again);

    // VANTRO_LOG_FILE keeps every whole line of this run, head included, for checks that
    // look at where lines are written rather than what they say.
    static FILE* copy = [] {
        const char* path = std::getenv("VANTRO_LOG_FILE");
        return path && *path ? std::fopen(path, "w") : nullptr;
    }();
    if (copy) {
        std::fprintf(copy, "%s\n", entry.text.c_str());
        std::fflush(copy);
    }

    entry.kind = "log";
    entry.name = tag ? tag : "";
    entry.logId = log_id;
    entry.priority = prio;
    vsim::Record(std::move(entry));
    return length;
}
