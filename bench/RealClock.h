// The machine's own monotonic clock, for programs that carry the virtual
// clock: gettimeofday and clock_gettime of such a process answer virtual
// time, which only moves when we move it. libc's clock_gettime, found past
// the executable's own definition, still reads the real one.
#ifndef VANTRO_BENCH_REAL_CLOCK_H
#define VANTRO_BENCH_REAL_CLOCK_H

#include <dlfcn.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vbench {

inline int64_t RealNowNs() {
    using ClockFn = int (*)(clockid_t, struct timespec*);
    static ClockFn real = [] {
        auto fn = reinterpret_cast<ClockFn>(dlsym(RTLD_NEXT, "clock_gettime"));
        if (!fn) {
            std::fprintf(stderr, "no real clock_gettime\n");
            std::abort();
        }
        return fn;
    }();
    struct timespec ts;
    real(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// The q-quantile (0..1) of the samples, nearest rank; sorts them.
inline double Quantile(std::vector<double>& samples, double q) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    std::size_t rank = static_cast<std::size_t>(q * static_cast<double>(samples.size()) + 0.999999);
    if (rank < 1) rank = 1;
    if (rank > samples.size()) rank = samples.size();
    return samples[rank - 1];
}

}  // namespace vbench

#endif
