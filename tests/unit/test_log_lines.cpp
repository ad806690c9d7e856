// The log as the simulated platform journals it: whole lines at any length,
// and the gadget's lines headed by their own site.
#include <gtest/gtest.h>

#include <string>

#include "VantroLog.h"
#include "dlog.h"
#include "sim_world.h"

namespace {

class LogLinesTest : public ::testing::Test {
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

TEST_F(LogLinesTest, LogLinesAreJournaledWholeAtAnyLength) {
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
TEST_F(LogLinesTest, GadgetLinesAreHeadedByTheirSite) {
    auto site = [](int n) { VLOG_INFO("first site %d", n); };
    const std::string firstLine = std::to_string(__LINE__ - 1);
    for (int n : {1, 2}) {
        site(n);
        EXPECT_EQ(LastLogText(), "test_log_lines.cpp: operator()(" + firstLine + ") > [APP][operator():" + firstLine +
                                     "] first site " + std::to_string(n));
    }
    VLOG_SYS("second site");
    const std::string secondLine = std::to_string(__LINE__ - 1);
    EXPECT_EQ(LastLogText(),
              "test_log_lines.cpp: TestBody(" + secondLine + ") > [APP][TestBody:" + secondLine + "] second site");
    vsim::Entry last = vsim::Journal().back();
    EXPECT_EQ(last.name, "PVR_UIG_SPT");
    EXPECT_EQ(last.logId, LOG_ID_SYSTEM);
    EXPECT_EQ(last.priority, DLOG_WARN);
}

}  // namespace
