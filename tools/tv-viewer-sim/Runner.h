// Runs a scenario on the viewer: actions, world facts and expectations,
// with a readable transcript.
#ifndef VANTRO_RUNNER_H
#define VANTRO_RUNNER_H

#include <cstddef>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "Scenario.h"
#include "Verbs.h"
#include "Viewer.h"
#include "sim_world.h"

namespace tvsim {

struct RunResult {
    int commands = 0;
    int expectations = 0;
    int failures = 0;
    std::vector<std::string> failureLines;  // "line LINE[, column C (NAME)]: message"
    int rows = 0;                           // outline rows run
};

class Runner {
public:
    Runner(Viewer& viewer, std::ostream& out, RunOptions options);

    // Runs every command; stops at the first failed expectation, except
    // that a failed outline row only ends that row: the next row runs.
    RunResult Run(const std::vector<Command>& commands);
    // One command; false when it failed (message in *failure).
    bool Execute(const Command& command, std::string* failure);
    // An outline row's fresh start: the gadget gone and its library
    // unloaded, the world as at start-up, the library loaded afresh. Without
    // reload the library, and what it keeps from session to session, stays.
    bool Restart(bool reload, std::string* failure);

private:
    void PrintNew();

    RunContext m_context;
    std::size_t m_printed = 0;
    // Facts in effect when the runner started (the menu language's
    // orientation, say), put back for every outline row.
    std::vector<std::pair<std::string, vsim::Values>> m_startFacts;
};

}  // namespace tvsim

#endif
