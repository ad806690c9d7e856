// Deleting an Ecore timer and forgetting its handle go together: a handle kept
// after the delete would be deleted again by the next cleanup.
#ifndef VANTRO_TIMER_HANDLE_H
#define VANTRO_TIMER_HANDLE_H

#include <Ecore.h>

namespace vantro {

inline void DeleteTimer(Ecore_Timer*& timer) {
    if (!timer) return;
    ecore_timer_del(timer);
    timer = nullptr;
}

}  // namespace vantro

#endif
