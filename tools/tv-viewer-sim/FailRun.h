// One run of a --fail-each sweep: a piece of a scenario with one of the
// gadget's fallible calls failing, the gadget destroyed, what must hold then
// checked, and a second session of the same piece with nothing failing.
#ifndef VANTRO_FAIL_RUN_H
#define VANTRO_FAIL_RUN_H

#include <string>
#include <vector>

#include "Runner.h"
#include "Scenario.h"
#include "Viewer.h"
#include "fallible.h"

// Present when a leak checker runs in the process.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the runtime's name
extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

namespace tvsim {

// A piece of a scenario that starts from a known state: the plain lines
// before the first outline row, one outline row, or plain lines after rows.
struct Piece {
    int line = 0;  // where it starts (an outline row: the row's line)
    std::vector<Command> commands;
};

std::vector<Piece> Pieces(const std::vector<Command>& commands);

struct RunReport {
    bool complete = false;                  // the run got to its end
    std::vector<vsim::FallibleCall> calls;  // counted while its call failed
    bool injected = false;                  // the chosen call came and failed
    bool keptByDesign = false;              // its effect outlives the session on purpose
    std::vector<std::string> broken;        // rules that did not hold
    std::vector<std::string> decisions;     // of the second session
    std::string failLog;                    // the first log line after the failure
};

// Runs the piece with call number failAt failing (none when negative) and
// checks it; with a reference (the unfailed run) the second session must
// decide as the reference's did.
RunReport RunPiece(Viewer& viewer, Runner& runner, const Piece& piece, long failAt, const RunReport* reference);

// Runs go in child processes: the report comes back through a file.
bool WriteReport(const std::string& path, const RunReport& report);
bool ReadReport(const std::string& path, RunReport* report);

}  // namespace tvsim

#endif
