// Runs a scenario on the viewer: actions, world facts and expectations,
// with a readable transcript.
#ifndef VANTRO_RUNNER_H
#define VANTRO_RUNNER_H

#include <cstddef>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "Scenario.h"
#include "Viewer.h"
#include "sim_world.h"

namespace tvsim {

struct RunOptions {
    bool quiet = false;     // print only failures and the summary
    bool showLogs = false;  // print the gadget's log lines too
    std::string baseDir;    // screenshots and relative paths resolve here
};

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

    // Further verbs, for tools that extend the language (e.g. bookmark files).
    using Verb = std::function<bool(const Command&, std::string* failure)>;
    static void AddVerb(const std::string& name, Verb verb);

private:
    bool Act(const Command& c, std::string* failure);
    bool Expect(const Command& c, std::string* failure);
    void BeginAction();
    // An outline row's fresh start: the gadget gone and unloaded, the world
    // as at start-up, a fresh UG_MODULE_INIT.
    void StartRow();
    void PrintNew();
    std::vector<vsim::Entry> SinceAction() const;

    Viewer& m_viewer;
    std::ostream& m_out;
    RunOptions m_options;
    std::size_t m_actionMark = 0;
    std::size_t m_printed = 0;
    int m_lastVerdict = -1;
    std::string m_lastKey;
    // Facts in effect when the runner started (the menu language's
    // orientation, say), put back for every outline row.
    std::vector<std::pair<std::string, vsim::Values>> m_startFacts;
};

// Parses "1500", "200ms", "199999us", "2s" into microseconds.
bool ParseDuration(const std::string& text, long long* us);

}  // namespace tvsim

#endif
