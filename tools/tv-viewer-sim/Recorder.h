// Records a session as a scenario: every action is followed by what the
// gadget did, written as expectations, so the file replays today's
// behaviour as a snapshot to review and commit.
#ifndef VANTRO_RECORDER_H
#define VANTRO_RECORDER_H

#include <cstddef>
#include <string>
#include <vector>

#include "Runner.h"
#include "Scenario.h"
#include "Viewer.h"

namespace tvsim {

class Recorder {
public:
    Recorder(Viewer& viewer, Runner& runner, bool logs);

    // Runs the scenario's commands but not its expectations, and keeps the
    // text with the recorded expectations in their place. False with
    // "line N: reason" when a command failed.
    bool RunScenario(const std::string& text, const std::vector<Command>& commands, std::string* failure);
    // A remote key pressed in the window, after the virtual time since the
    // last recorded action; returns the key-down verdict.
    int PressKey(const std::string& remote);
    // Ends the session: the time since the last key.
    void Finish();

    std::string Text() const { return m_text; }
    int Expectations() const { return m_expectations; }

private:
    // What the last action did, as expectation lines (without indentation).
    std::vector<std::string> Observe(const std::string& verb, std::size_t mark);
    void WriteObserved(const std::string& verb, std::size_t mark, const std::string& indent);
    void FlushTime();

    Viewer& m_viewer;
    Runner& m_runner;
    bool m_logs;
    std::string m_text;
    int m_expectations = 0;
    bool m_windowStarted = false;
    long long m_timeMark = 0;
    std::size_t m_journalMark = 0;
    int m_focus = -1;  // the viewer's focus as the replay will have it; -1 unknown
};

}  // namespace tvsim

#endif
