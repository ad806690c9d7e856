// The scenario language's verbs, one table: name, kind, arguments, usage and
// handler. The runner, the recorder and the documentation all read it.
#ifndef VANTRO_VERBS_H
#define VANTRO_VERBS_H

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
    bool quiet = false;      // print only failures and the summary
    bool showLogs = false;   // print the gadget's log lines too
    std::string baseDir;     // screenshots and relative paths resolve here
    bool keepGoing = false;  // run every command, whatever an expectation says
    // Time in which no timer of the gadget is due passes in one step: the
    // gadget cannot act then. The toolkit's own animations get fewer frames.
    bool skipIdleTime = false;
};

// What verbs act on and what expectations look back at.
struct RunContext {
    Viewer& viewer;
    std::ostream& out;
    RunOptions options;
    std::size_t actionMark = 0;  // journal size at the last action
    int lastVerdict = -1;        // of the last key event: 0 consumed, 1 returned
    std::string lastKey;
    std::map<std::string, std::string> texts;  // `text NAME "TEXT"`: what a word $NAME stands for
    std::vector<vsim::Entry> SinceAction() const { return vsim::JournalSince(actionMark); }
};

// World verbs set facts and files; actions are what the expectations after
// them look at (the journal mark moves); expectations check.
enum class VerbKind { World, Action, Expectation };

// The words after the verb (for an expectation, after `expect WHAT`).
using VerbHandler =
    std::function<bool(RunContext&, const Command&, const std::vector<std::string>& args, std::string* failure)>;

struct VerbSpec {
    std::string name;  // "key", or "expect consumed"
    VerbKind kind;
    std::string args;  // as written in the usage, e.g. "NAME"
    int minArgs;
    int maxArgs;  // -1: any number
    std::string usage;
    VerbHandler handler;
};

const std::vector<VerbSpec>& Verbs();
// The verb a command runs (expectations by their second word, a named fact
// as the world verb that sets it); null when none.
const VerbSpec* FindVerb(const Command& command);
bool IsActionVerb(const std::string& verb);
// The verb reference as a Markdown table, as docs/scenarios.md carries it.
std::string VerbReference();
// The names of codes and facts as Markdown tables.
std::string NameReference();

// Parts of the table, defined beside their handlers.
void AddWorldVerbs(std::vector<VerbSpec>* verbs);
void AddActionVerbs(std::vector<VerbSpec>* verbs);
void AddExpectations(std::vector<VerbSpec>* verbs);

// A journal entry as the transcript and failures show it.
std::string Describe(const vsim::Entry& e);
// Parses "1500", "200ms", "199999us", "2s" into microseconds.
bool ParseDuration(const std::string& text, long long* us);

}  // namespace tvsim

#endif
