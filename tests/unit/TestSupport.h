// Shared helpers of the unit tests: a fresh simulated world per test and
// questions about the journal.
#ifndef VANTRO_TEST_SUPPORT_H
#define VANTRO_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dlog.h"
#include "sim_world.h"

namespace vtest {

// The viewer's window, created once for the whole test run (buffer engine).
Evas_Object* Window();

// Messages of the log lines since the journal was last cleared.
std::vector<std::string> LogMessages();
bool Logged(const std::string& message);
// A gadget line (its tag, which the TV's log filter goes by) with exactly
// this message on this log at this priority.
bool LoggedAt(const std::string& message, int logId, int priority);
int CountLogged(const std::string& message);
std::vector<vsim::Entry> EntriesOf(const std::string& kind);
// Arguments of every journaled call of this name, in order (one a call).
std::vector<std::string> ArgsOf(const std::string& call);
// The journaled calls as "name args", or the bare name when they had none.
std::vector<std::string> Calls();
// The log lines, each message behind the log and priority it went to: "S "
// system warning, "M " main warning, "I " main information, "? " any other
// or a line without the gadget's tag.
std::vector<std::string> Lines();
using Facts = std::vector<std::pair<std::string, vsim::Values>>;
void SetFacts(const Facts& facts);

class SimTest : public ::testing::Test {
protected:
    void SetUp() override;
};

// The gadget never destroys the channel manager; these tests drop it before
// and after each test, so that a failed initialisation cannot leak in.
class FreshChannelMgrTest : public SimTest {
protected:
    void SetUp() override;
    void TearDown() override;
    static void DropChannelMgr();
};

}  // namespace vtest

#endif
