#include "TimerJournal.h"

#include <Ecore.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>

#include "VirtualClock.h"
#include "fallible.h"
#include "sim_world.h"

namespace {

struct Tracked {
    Ecore_Timer* handle = nullptr;
    Ecore_Task_Cb callback = nullptr;
    const void* data = nullptr;
    double interval = 0;
    long long dueUs = 0;   // virtual time it is due at, or a little before
    bool running = false;  // inside its callback
    bool gone = false;     // deleted while running
};

// Deletes by the gadget of a handle it no longer had: a timer that had
// stopped or was deleted before. Ecore may have reused the handle by then.
std::size_t g_goneDeletes = 0;

std::map<Ecore_Timer*, Tracked*>& Timers() {
    static auto* timers = new std::map<Ecore_Timer*, Tracked*>;
    return *timers;
}

using AddFn = Ecore_Timer* (*)(double, Ecore_Task_Cb, const void*);
using DelFn = void* (*)(Ecore_Timer*);
using ResetFn = void (*)(Ecore_Timer*);

AddFn RealAdd() {
    static AddFn fn = reinterpret_cast<AddFn>(dlsym(RTLD_NEXT, "ecore_timer_add"));
    return fn;
}

DelFn RealDel() {
    static DelFn fn = reinterpret_cast<DelFn>(dlsym(RTLD_NEXT, "ecore_timer_del"));
    return fn;
}

ResetFn RealReset() {
    static ResetFn fn = reinterpret_cast<ResetFn>(dlsym(RTLD_NEXT, "ecore_timer_reset"));
    return fn;
}

long long IntervalUs(const Tracked* t) { return std::llround(t->interval * 1e6); }

bool FromGadget(void* caller) {
    Dl_info info;
    if (!dladdr(caller, &info) || !info.dli_fname) return false;
    return std::strstr(info.dli_fname, "libvantro.so") != nullptr;
}

void Note(const char* what, const Tracked* t) {
    vsim::Entry entry;
    entry.kind = "timer";
    char text[96];
    std::snprintf(text, sizeof text, "%s %.3f s", what, t->interval);
    entry.text = text;
    vsim::Record(entry);
}

Eina_Bool Trampoline(void* data) {
    auto* t = static_cast<Tracked*>(data);
    t->running = true;
    Eina_Bool keep = t->callback(const_cast<void*>(t->data));
    t->running = false;
    if (t->gone) {
        delete t;
        return ECORE_CALLBACK_CANCEL;
    }
    if (!keep) {
        Note("stop", t);
        Timers().erase(t->handle);
        delete t;
        return keep;
    }
    // Ecore moves a periodic timer on by its interval from when it was due.
    t->dueUs += IntervalUs(t);
    return keep;
}

}  // namespace

namespace tvsim {

std::vector<PendingTimer> PendingGadgetTimers() {
    std::vector<PendingTimer> out;
    for (const auto& entry : Timers())
        out.push_back({entry.second->interval, reinterpret_cast<const void*>(entry.second->callback)});
    return out;
}

std::size_t PendingGadgetTimerCount() { return Timers().size(); }

std::size_t GoneTimerDeletes() { return g_goneDeletes; }

long long NextGadgetTimerDueUs() {
    long long next = std::numeric_limits<long long>::max();
    for (const auto& entry : Timers()) next = std::min(next, entry.second->dueUs);
    return next;
}

}  // namespace tvsim

extern "C" __attribute__((visibility("default"))) Ecore_Timer* ecore_timer_add(double in, Ecore_Task_Cb func,
                                                                               const void* data) {
    if (!FromGadget(__builtin_return_address(0)) || !func) return RealAdd()(in, func, data);
    // A scenario may make the gadget's timers of one interval fail to be made:
    // set ecore_timer_add[1] null (or ecore_timer_add null for every interval).
    char interval[32];
    std::snprintf(interval, sizeof interval, "%g", in);
    // Or a sweep that fails each fallible call in turn picks this one.
    if (vsim::FailNow("ecore_timer_add", __builtin_return_address(0)) ||
        vsim::FactIs(vsim::FactFor("ecore_timer_add", interval), 0, "null")) {
        Tracked refused;
        refused.interval = in;
        Note("refused", &refused);
        return nullptr;
    }
    auto* t = new Tracked;
    t->callback = func;
    t->data = data;
    t->interval = in;
    t->dueUs = vclock::NowUs() + IntervalUs(t);
    t->handle = RealAdd()(in, Trampoline, t);
    if (!t->handle) {
        delete t;
        return nullptr;
    }
    Timers()[t->handle] = t;
    Note("add", t);
    return t->handle;
}

extern "C" __attribute__((visibility("default"))) void* ecore_timer_del(Ecore_Timer* timer) {
    auto it = Timers().find(timer);
    if (it == Timers().end()) {
        if (!timer || !FromGadget(__builtin_return_address(0))) return RealDel()(timer);
        // Not passed on: the handle may be someone else's timer by now.
        ++g_goneDeletes;
        vsim::Entry entry;
        entry.kind = "timer";
        entry.text = "del of a timer already gone";
        vsim::Record(entry);
        return nullptr;
    }
    Tracked* t = it->second;
    Timers().erase(it);
    const void* data = t->data;
    Note("del", t);
    RealDel()(timer);
    if (t->running)
        t->gone = true;
    else
        delete t;
    return const_cast<void*>(data);
}

// A reset timer is due a whole interval from now.
extern "C" __attribute__((visibility("default"))) void ecore_timer_reset(Ecore_Timer* timer) {
    auto it = Timers().find(timer);
    if (it != Timers().end()) it->second->dueUs = vclock::NowUs() + IntervalUs(it->second);
    RealReset()(timer);
}
