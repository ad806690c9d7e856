// The gadget's fallible calls, counted and failed one at a time.
//
// Every simulated call that can fail, and every toolkit, timer and memory
// call the viewer stands between, asks FailNow before it does anything. While
// counting is on, a call made from the gadget library gets the next number;
// the call with the chosen number fails the way its interface says a failure
// looks (an error result, a null handle, false) and writes none of its out
// values. Calls from anywhere else (the viewer, the toolkit's own) are not
// counted and never fail.
#ifndef VANTRO_SIM_FALLIBLE_H
#define VANTRO_SIM_FALLIBLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vsim {

// One counted call: what was called and where in the gadget from (the
// return address's offset in the gadget library).
struct FallibleCall {
    std::string name;
    std::uintptr_t offset = 0;
};

// Starts counting from zero; call number failAt (counted from 0) fails, none
// when it is negative. False when no gadget library is loaded.
bool StartCounting(long failAt);
void StopCounting();
// The calls counted since StartCounting, in order.
const std::vector<FallibleCall>& CountedCalls();
// Whether the chosen call came (and failed).
bool InjectedFailure();
// While the library is opened or closed its runtime's calls (a coverage
// build's counters, say) are not the gadget's: none is counted.
void HoldCounting(bool hold);

// Asked by a fallible call with its caller's return address: true when this
// call is to fail. A failure is journaled as a note.
bool FailNow(const char* name, const void* caller);

// The memory the gadget holds. From StartCounting until EndHolding, every
// block the gadget allocates itself and every object or string the platform
// hands it to free or destroy is noted with the call that made it; a free
// anywhere in the process crosses it out again, since the toolkit frees
// strings the gadget hands it, and the gadget frees the platform's. What is
// left once the library is unloaded is a leak, found without searching the
// whole process. Frees are seen through the memory checker's free hook: with
// no memory checker in the process nothing is noted.
bool HoldingTracked();
// Notes p, made by the named call from caller, as the gadget's to free.
void Held(const void* p, const char* name, const void* caller);
// Stops noting: the blocks still held (each by its call's name and offset),
// and whether more were held than could be noted.
std::vector<FallibleCall> EndHolding(bool* overflow);

}  // namespace vsim

// For the viewer's C interposers (toolkit, timers, memory).
extern "C" int vsim_fail_now(const char* name, const void* caller);

// First statement of a fallible simulated call: returns `failed` when the
// call is the one chosen to fail.
#define VSIM_FALLIBLE(name, failed)                                            \
    do {                                                                       \
        if (vsim::FailNow((name), __builtin_return_address(0))) return failed; \
    } while (0)

#endif
