// The simulated platform's own bookkeeping: what scenarios and every other
// test rely on when they set facts and read the journal.
#include <gtest/gtest.h>

#include <string>

#include "VantroLog.h"
#include "dlog.h"
#include "sim_world.h"
#include "vconf.h"

namespace {

class SimWorldTest : public ::testing::Test {
protected:
    void SetUp() override { vsim::ResetWorld(); }
    void TearDown() override { vsim::ResetWorld(); }

    static std::string LastLogText() {
        std::vector<vsim::Entry> journal = vsim::Journal();
        for (auto it = journal.rbegin(); it != journal.rend(); ++it)
            if (it->kind == "log") return it->text;
        return std::string();
    }
};

TEST_F(SimWorldTest, LogLinesAreJournaledWholeAtAnyLength) {
    EXPECT_EQ(__dlog_print(LOG_ID_MAIN, DLOG_INFO, "TAG", "short %d", 7), 7);
    EXPECT_EQ(LastLogText(), "short 7");

    // Longer than any line the gadget writes, and than the sim's first try.
    for (std::size_t length : {1023u, 1024u, 1025u, 5000u}) {
        std::string body(length, 'x');
        body.back() = 'E';
        EXPECT_EQ(__dlog_print(LOG_ID_SYSTEM, DLOG_WARN, "TAG", "%s", body.c_str()), static_cast<int>(length));
        EXPECT_EQ(LastLogText(), body) << length;
    }
    vsim::Entry last = vsim::Journal().back();
    EXPECT_EQ(last.name, "TAG");
    EXPECT_EQ(last.logId, LOG_ID_SYSTEM);
    EXPECT_EQ(last.priority, DLOG_WARN);

    std::size_t before = vsim::JournalSize();
    EXPECT_EQ(__dlog_print(LOG_ID_MAIN, DLOG_INFO, "TAG", nullptr), -1);
    EXPECT_EQ(vsim::JournalSize(), before);
}

// The gadget's lines carry the file, function and line of their own site,
// each time, whatever the site logged before.
TEST_F(SimWorldTest, GadgetLinesAreHeadedByTheirSite) {
    auto site = [](int n) { VLOG_INFO("first site %d", n); };
    const std::string firstLine = std::to_string(__LINE__ - 1);
    for (int n : {1, 2}) {
        site(n);
        EXPECT_EQ(LastLogText(), "test_sim_world.cpp: operator()(" + firstLine + ") > [APP][operator():" + firstLine +
                                     "] first site " + std::to_string(n));
    }
    VLOG_SYS("second site");
    const std::string secondLine = std::to_string(__LINE__ - 1);
    EXPECT_EQ(LastLogText(),
              "test_sim_world.cpp: TestBody(" + secondLine + ") > [APP][TestBody:" + secondLine + "] second site");
    vsim::Entry last = vsim::Journal().back();
    EXPECT_EQ(last.name, "PVR_UIG_SPT");
    EXPECT_EQ(last.logId, LOG_ID_SYSTEM);
    EXPECT_EQ(last.priority, DLOG_WARN);
}

TEST_F(SimWorldTest, CallsAnswerFromTheMostSpecificFactThenTheDefault) {
    int value = -5;
    // A registered default answers when nothing is set.
    EXPECT_EQ(vconf_get_int("memory/pxv/state", &value), 0);
    EXPECT_EQ(value, 0);

    // The plain call name stands for every argument...
    vsim::SetFact("vconf_get_int", {"3"});
    value = -5;
    EXPECT_EQ(vconf_get_int("some/other/key", &value), 0);
    EXPECT_EQ(value, 3);

    // ...and NAME[ARG] wins over it, also when only its result is set.
    vsim::SetFact("vconf_get_int[memory/pxv/state]", {"9"});
    EXPECT_EQ(vsim::FactFor("vconf_get_int", "memory/pxv/state"), "vconf_get_int[memory/pxv/state]");
    vconf_get_int("memory/pxv/state", &value);
    EXPECT_EQ(value, 9);
    vsim::SetFact("vconf_get_int[db/x].ret", {"-2"});
    EXPECT_EQ(vsim::FactFor("vconf_get_int", "db/x"), "vconf_get_int[db/x]");
    EXPECT_EQ(vsim::FactFor("vconf_get_int", "db/y"), "vconf_get_int");
    value = 11;
    EXPECT_EQ(vconf_get_int("db/x", &value), -2);
    EXPECT_EQ(value, 11);  // no value fact: the out value stays as preset

    // Clearing a set fact falls back to the default, not to nothing.
    vsim::ClearFact("vconf_get_int[memory/pxv/state]");
    vsim::ClearFact("vconf_get_int");
    vconf_get_int("memory/pxv/state", &value);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(vconf_get_int("some/other/key", &value), -1);

    // Overridden defaults come back on a reset; names only ever set go away.
    vsim::SetFact("vconf_get_int[memory/pxv/state]", {"4"});
    vsim::SetFact("made_up_call", {"1"});
    vsim::ClearFact("never_set_call");
    vsim::ResetWorld();
    vconf_get_int("memory/pxv/state", &value);
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(vsim::HasFact("made_up_call"));
    // Set again after a clear: the new values answer.
    vsim::SetFact("made_up_call", {"5"});
    vsim::ClearFact("made_up_call");
    vsim::SetFact("made_up_call", {"6"});
    EXPECT_EQ(vsim::FactIntOr("made_up_call", 0, -1), 6);
}

TEST_F(SimWorldTest, ResultsAndNumbersReadFromFacts) {
    EXPECT_EQ(vsim::CallResult("made_up_call", 42), 42);
    vsim::SetFact("made_up_call.ret", {"0x10"});
    EXPECT_EQ(vsim::CallResult("made_up_call", 42), 16);
    vsim::SetFact("made_up_call", {"18446744073709551615", "-7", "twelve"});
    unsigned long long big = 0;
    long long negative = 0, bad = 99;
    EXPECT_TRUE(vsim::OutULong("made_up_call", 0, &big));
    EXPECT_EQ(big, 18446744073709551615ull);
    EXPECT_TRUE(vsim::OutLong("made_up_call", 1, &negative));
    EXPECT_EQ(negative, -7);
    EXPECT_FALSE(vsim::OutLong("made_up_call", 2, &bad));
    EXPECT_FALSE(vsim::OutLong("made_up_call", 3, &bad));
    EXPECT_EQ(bad, 99);
    EXPECT_TRUE(vsim::FactIs("made_up_call", 2, "twelve"));
    EXPECT_FALSE(vsim::FactIs("made_up_call", 2, "twelv"));
    EXPECT_FALSE(vsim::FactIs("made_up_call", 3, ""));
    EXPECT_FALSE(vsim::FactIs("never_set_call", 0, ""));

    // A call's values and result come and go apart from each other.
    vsim::SetFact("made_up_call.ret", {"7"});
    vsim::ClearFact("made_up_call");
    EXPECT_FALSE(vsim::HasFact("made_up_call"));
    EXPECT_EQ(vsim::CallResult("made_up_call", 0), 7);
    EXPECT_TRUE(vsim::HasFactOrResult("made_up_call"));
    EXPECT_EQ(vsim::FactFor("made_up_call", "x"), "made_up_call");
    vsim::SetFact("made_up_call[x].ret", {"3"});
    EXPECT_EQ(vsim::FactFor("made_up_call", "x"), "made_up_call[x]");
    vsim::ClearFact("made_up_call.ret");
    EXPECT_FALSE(vsim::HasFactOrResult("made_up_call"));
    EXPECT_EQ(vsim::CallResult("made_up_call", -9), -9);
}

}  // namespace
