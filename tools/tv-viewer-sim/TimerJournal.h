// The viewer watches the gadget's Ecore timers: it stands between the gadget
// and Ecore's ecore_timer_add/ecore_timer_del, so that a scenario can see
// which timers are pending and the journal shows when they start and stop.
#ifndef VANTRO_TIMER_JOURNAL_H
#define VANTRO_TIMER_JOURNAL_H

#include <cstddef>
#include <vector>

namespace tvsim {

struct PendingTimer {
    double interval;
    const void* callback;  // identifies the kind of timer
};

// Timers the gadget started that are still pending.
std::vector<PendingTimer> PendingGadgetTimers();
std::size_t PendingGadgetTimerCount();
// How often the gadget deleted a timer handle after its timer had stopped or
// been deleted: a forgotten handle. Every scenario fails on one.
std::size_t GoneTimerDeletes();
// Virtual microseconds at which the first pending gadget timer is due at
// the earliest; none pending: the largest value.
long long NextGadgetTimerDueUs();

}  // namespace tvsim

#endif
