// This process's resident memory as the kernel reports it, for the
// benchmarks and for the tests that bound what a read may commit.
#ifndef VANTRO_BENCH_PROCESS_MEMORY_H
#define VANTRO_BENCH_PROCESS_MEMORY_H

#include <cstdio>
#include <cstring>

namespace vbench {

// A field of /proc/self/status in KiB ("VmRSS" now, "VmHWM" the peak); -1
// when unreadable.
inline long StatusKiB(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    const std::size_t n = std::strlen(field);
    char line[256];
    long kib = -1;
    while (kib < 0 && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0 && line[n] == ':' && std::sscanf(line + n + 1, "%ld", &kib) != 1)
            kib = -1;
    std::fclose(f);
    return kib;
}

// Starts a fresh peak: from here on VmHWM counts from the current size.
inline bool ResetPeakResident() {
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f) return false;
    const bool written = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && written;
}

}  // namespace vbench

#endif
