/* The process's clocks. Exported from the executable so that every library
 * loaded into the process, the gadget and Ecore included, reads the same
 * virtual time, which only the viewer moves.
 *
 * A 32-bit target has two entry points per clock: the plain names, with a
 * 32-bit time_t, which libraries built without 64-bit time call (the
 * distribution's toolkit), and glibc's 64-bit ones, which code built with
 * _TIME_BITS=64 calls (the gadget). Both are served here from the same clock,
 * and the plain ones fail as glibc's do once a time no longer fits. This file
 * is therefore built with the default time width, whatever the build asks. */
#undef _TIME_BITS
#undef _FILE_OFFSET_BITS
#define _GNU_SOURCE
#include <errno.h>
#include <stdint.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

/* Wall-clock time of the virtual epoch: 2026-01-01 00:00:00 UTC. */
#define VCLOCK_EPOCH_SECONDS 1767225600LL

/* Start well away from zero so that no time difference goes negative. */
__attribute__((visibility("default"))) int64_t vantro_vclock_now_us = 1000LL * 1000 * 1000;
/* What is added to the monotonic clock to make the wall clock. */
__attribute__((visibility("default"))) int64_t vantro_vclock_wall_offset_us = VCLOCK_EPOCH_SECONDS * 1000000LL;

/* Threads other than the viewer's own, the toolkit's workers, read the real
 * clocks: they only wait on them, and a deadline worked out from virtual time
 * lies long past for the kernel, so each timed wait returned at once and the
 * worker spun, taking half the processor. */
static int IsWorkerThread(void) {
    static __thread signed char worker = -1;
    if (worker < 0) worker = (signed char)(syscall(SYS_gettid) != getpid());
    return worker;
}

/* The virtual time of a clock in microseconds; 0 when the clock is not virtual. */
static int VirtualUs(clockid_t id, int64_t* us) {
    if (IsWorkerThread()) return 0;
    switch (id) {
        case CLOCK_REALTIME:
        case CLOCK_REALTIME_COARSE:
            *us = __atomic_load_n(&vantro_vclock_now_us, __ATOMIC_SEQ_CST) +
                  __atomic_load_n(&vantro_vclock_wall_offset_us, __ATOMIC_SEQ_CST);
            return 1;
        case CLOCK_MONOTONIC:
        case CLOCK_MONOTONIC_RAW:
        case CLOCK_MONOTONIC_COARSE:
        case CLOCK_BOOTTIME:
            *us = __atomic_load_n(&vantro_vclock_now_us, __ATOMIC_SEQ_CST);
            return 1;
        default:
            return 0;
    }
}

static int64_t RealUs(clockid_t id) {
    struct timespec ts = {0, 0};
    syscall(SYS_clock_gettime, id, &ts);
    return (int64_t)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

static int64_t Seconds(int64_t us) { return us >= 0 ? us / 1000000 : -((-us + 999999) / 1000000); }
static int64_t Micros(int64_t us) { return us - Seconds(us) * 1000000; }

/* Whether a count of seconds fits this build's time_t. */
static int FitsTimeT(int64_t seconds) {
    const time_t narrowed = seconds;
    return narrowed == seconds;
}

__attribute__((visibility("default"))) int clock_gettime(clockid_t id, struct timespec* ts) {
    int64_t us;
    /* CPU-time clocks stay real. */
    if (!VirtualUs(id, &us)) return (int)syscall(SYS_clock_gettime, id, ts);
    if (!FitsTimeT(Seconds(us))) {
        errno = EOVERFLOW;
        return -1;
    }
    ts->tv_sec = Seconds(us); /* fits: checked above */
    ts->tv_nsec = Micros(us) * 1000;
    return 0;
}

__attribute__((visibility("default"))) int gettimeofday(struct timeval* restrict tv, void* restrict tz) {
    (void)tz;
    int64_t us;
    if (!VirtualUs(CLOCK_REALTIME, &us)) us = RealUs(CLOCK_REALTIME);
    if (!FitsTimeT(Seconds(us))) {
        errno = EOVERFLOW; /* the timeval stays as it was */
        return -1;
    }
    tv->tv_sec = Seconds(us); /* fits: checked above */
    tv->tv_usec = Micros(us);
    return 0;
}

#if __TIMESIZE == 32
/* glibc's 64-bit time records on a 32-bit target. */
struct vclock_timespec64 {
    int64_t tv_sec;
    int32_t tv_nsec;
    int32_t padding;
};
struct vclock_timeval64 {
    int64_t tv_sec;
    int64_t tv_usec;
};

__attribute__((visibility("default"))) int __clock_gettime64(clockid_t id, struct vclock_timespec64* ts) {
    int64_t us;
    if (!VirtualUs(id, &us)) {
        struct timespec real;
        int ret = (int)syscall(SYS_clock_gettime, id, &real);
        ts->tv_sec = real.tv_sec;
        ts->tv_nsec = (int32_t)real.tv_nsec;
        ts->padding = 0;
        return ret;
    }
    ts->tv_sec = Seconds(us);
    ts->tv_nsec = (int32_t)(Micros(us) * 1000);
    ts->padding = 0;
    return 0;
}

__attribute__((visibility("default"))) int __gettimeofday64(struct vclock_timeval64* restrict tv, void* restrict tz) {
    (void)tz;
    int64_t us;
    if (!VirtualUs(CLOCK_REALTIME, &us)) us = RealUs(CLOCK_REALTIME);
    tv->tv_sec = Seconds(us);
    tv->tv_usec = Micros(us);
    return 0;
}
#endif
