#include "VirtualClock.h"

#include <Ecore.h>

extern "C" {
// Defined beside the clock functions themselves.
extern int64_t vantro_vclock_now_us;
}

namespace {
int64_t Load() { return __atomic_load_n(&vantro_vclock_now_us, __ATOMIC_SEQ_CST); }
void Add(int64_t us) { __atomic_fetch_add(&vantro_vclock_now_us, us, __ATOMIC_SEQ_CST); }
}  // namespace

namespace vclock {

int64_t NowUs() { return Load(); }

void SetUs(int64_t us) { __atomic_store_n(&vantro_vclock_now_us, us, __ATOMIC_SEQ_CST); }

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
