/* The process's clocks. Exported from the executable so that every library
 * loaded into the process, the gadget and Ecore included, reads the same
 * virtual time, which only the viewer moves. */
#define _GNU_SOURCE
#include <stdint.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

/* Wall-clock time of the virtual epoch: 2026-01-01 00:00:00 UTC. */
#define VCLOCK_EPOCH_SECONDS 1767225600LL

/* Start well away from zero so that no time difference goes negative. */
__attribute__((visibility("default"))) int64_t vantro_vclock_now_us = 1000LL * 1000 * 1000;

__attribute__((visibility("default"))) int clock_gettime(clockid_t id, struct timespec* ts) {
    switch (id) {
        case CLOCK_REALTIME:
        case CLOCK_REALTIME_COARSE:
        case CLOCK_MONOTONIC:
        case CLOCK_MONOTONIC_RAW:
        case CLOCK_MONOTONIC_COARSE:
        case CLOCK_BOOTTIME: {
            int64_t us = __atomic_load_n(&vantro_vclock_now_us, __ATOMIC_SEQ_CST);
            if (id == CLOCK_REALTIME || id == CLOCK_REALTIME_COARSE) us += VCLOCK_EPOCH_SECONDS * 1000000LL;
            ts->tv_sec = us / 1000000;
            ts->tv_nsec = (us % 1000000) * 1000;
            return 0;
        }
        default:
            /* CPU-time clocks stay real. */
            return (int)syscall(SYS_clock_gettime, id, ts);
    }
}

__attribute__((visibility("default"))) int gettimeofday(struct timeval* restrict tv, void* restrict tz) {
    (void)tz;
    int64_t us = __atomic_load_n(&vantro_vclock_now_us, __ATOMIC_SEQ_CST) + VCLOCK_EPOCH_SECONDS * 1000000LL;
    tv->tv_sec = (time_t)(us / 1000000);
    tv->tv_usec = (suseconds_t)(us % 1000000);
    return 0;
}
