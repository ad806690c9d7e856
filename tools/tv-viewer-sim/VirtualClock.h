// Virtual time for the viewer's process. The viewer owns the clocks that the
// gadget and Ecore read (gettimeofday, clock_gettime): they stand still until
// a scenario advances them.
#ifndef VANTRO_VIRTUAL_CLOCK_H
#define VANTRO_VIRTUAL_CLOCK_H

#include <cstdint>
#include <string>

namespace vclock {

// Microseconds since the virtual epoch (what CLOCK_MONOTONIC shows).
int64_t NowUs();
void SetUs(int64_t us);
// Moves the clock forward and lets the main loop run everything now due,
// timer by timer, in steps of at most stepUs, so that each periodic timer
// ticks once per interval passed.
void AdvanceAndRun(int64_t us, int64_t stepUs = 1000);
// Sets the wall clock (gettimeofday, CLOCK_REALTIME) to a UTC time written
// YYYY-MM-DDTHH:MM:SSZ, leaving the monotonic clock alone; false when the
// text is not such a time.
bool SetWallClock(const std::string& utc);
// Seconds since 1970 that the wall clock shows.
int64_t WallSeconds();
// Runs what is due now without moving the clock.
void RunPending();
// Microseconds of the machine's own monotonic clock, which virtual time does
// not move: for limits and pacing that must hold in real time.
int64_t RealUs();

}  // namespace vclock

#endif
