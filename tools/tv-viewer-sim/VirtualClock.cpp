#include "VirtualClock.h"

#include <Ecore.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cctype>

extern "C" {
// Defined beside the clock functions themselves.
extern int64_t vantro_vclock_now_us;
extern int64_t vantro_vclock_wall_offset_us;
}

namespace {
int64_t Load() { return __atomic_load_n(&vantro_vclock_now_us, __ATOMIC_SEQ_CST); }
void Add(int64_t us) { __atomic_fetch_add(&vantro_vclock_now_us, us, __ATOMIC_SEQ_CST); }

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
}  // namespace

namespace vclock {

int64_t NowUs() { return Load(); }

int64_t RealUs() {
    // Past the process's own clock_gettime, which answers virtual time.
    struct timespec ts;
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void SetUs(int64_t us) { __atomic_store_n(&vantro_vclock_now_us, us, __ATOMIC_SEQ_CST); }

bool SetWallClock(const std::string& utc) {
    // Exactly YYYY-MM-DDTHH:MM:SSZ: digits where the pattern has 9s.
    const std::string pattern = "9999-99-99T99:99:99Z";
    if (utc.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (pattern[i] == '9' ? !std::isdigit(static_cast<unsigned char>(utc[i])) : utc[i] != pattern[i]) return false;
    auto number = [&utc](std::size_t at, std::size_t digits) {
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i) value = value * 10 + (utc[i] - '0');
        return value;
    };
    const int y = number(0, 4), mo = number(5, 2), d = number(8, 2), h = number(11, 2), mi = number(14, 2),
              sec = number(17, 2);
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec > 59) return false;
    const int64_t seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + sec;
    __atomic_store_n(&vantro_vclock_wall_offset_us, seconds * 1000000 - Load(), __ATOMIC_SEQ_CST);
    return true;
}

int64_t WallSeconds() {
    const int64_t us = Load() + __atomic_load_n(&vantro_vclock_wall_offset_us, __ATOMIC_SEQ_CST);
    return us >= 0 ? us / 1000000 : -((-us + 999999) / 1000000);
}

void RunPending() {
    // Animations follow the virtual clock too: Ecore's own animator thread
    // would measure real sleeps against it and complain. Set every time:
    // window creation may put the timer source back.
    if (ecore_animator_source_get() != ECORE_ANIMATOR_SOURCE_CUSTOM)
        ecore_animator_source_set(ECORE_ANIMATOR_SOURCE_CUSTOM);
    ecore_loop_time_set(ecore_time_get());
    ecore_animator_custom_tick();
    // Twice: a timer added by a callback of the first pass may already be due.
    ecore_main_loop_iterate_may_block(0);
    ecore_main_loop_iterate_may_block(0);
}

void AdvanceAndRun(int64_t us, int64_t stepUs) {
    if (stepUs <= 0) stepUs = 1000;
    while (us > 0) {
        int64_t step = us < stepUs ? us : stepUs;
        Add(step);
        us -= step;
        RunPending();
    }
    RunPending();
}

}  // namespace vclock
