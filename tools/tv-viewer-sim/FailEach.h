// tv-viewer-sim --fail-each: every fallible call the gadget makes while a
// scenario runs (platform calls, the toolkit objects and timers it makes, its
// own allocations) fails once, in turn, and the gadget must come through:
// no crash, hang, sanitizer report or leak; every key answered 0 or 1;
// nothing left after destroy; and a second session, with nothing failing,
// deciding as an unfailed one does.
#ifndef VANTRO_FAIL_EACH_H
#define VANTRO_FAIL_EACH_H

#include <ostream>
#include <string>
#include <vector>

#include "Viewer.h"

namespace tvsim {

struct FailEachOptions {
    int jobs = 2;  // runs at a time
    // Only the case of the piece starting at this line whose call number
    // onlyCall fails, run in the foreground with its transcript.
    int onlyLine = 0;
    long onlyCall = -1;
    bool showLogs = false;
};

// Sweeps the scenario files and prints every broken rule and the totals.
// Returns 0 when every run came through, 1 when one did not, 2 when a file
// cannot be read or parsed.
int FailEach(Viewer& viewer, const std::vector<std::string>& files, const FailEachOptions& options, std::ostream& out);

}  // namespace tvsim

#endif
