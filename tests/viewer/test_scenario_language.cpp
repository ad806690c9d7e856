// The scenario language's tables: names resolve to the codes they stand for,
// the parser refuses what a table must not hold, and the reference in
// docs/scenarios.md is the one the viewer's tables generate.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Names.h"
#include "Scenario.h"
#include "Verbs.h"

namespace {

using Words = std::vector<std::string>;

struct Resolution {
    std::string name;
    Words values;
    std::string fact;  // empty: refused
    Words codes;
};

TEST(ScenarioNames, ResolveToTheRawFactsAndCodes) {
    const Resolution cases[] = {
        {"source", {"av1"}, "ISourceControl::GetCurrentSourceInfo[1,0]", {"1"}},
        {"source", {"playback"}, "ISourceControl::GetCurrentSourceInfo[1,0]", {"29"}},
        {"source.ret", {"5"}, "ISourceControl::GetCurrentSourceInfo[1,0].ret", {"5"}},
        {"ISourceControl::GetCurrentSourceInfo[1,0]",
         {"playback-av"},
         "ISourceControl::GetCurrentSourceInfo[1,0]",
         {"36"}},
        {"record-state[1001]", {"recording", "0"}, "svc_pvr_get_record_state_by_service_id[1001]", {"2", "0"}},
        {"play-state", {"paused"}, "svc_pvr_get_play_state_by_service_id", {"2"}},
        {"sports-mode", {"on"}, "svc_pvr_is_sports_mode", {"1"}},
        {"sports-mode", {}, "svc_pvr_is_sports_mode", {}},
        {"service[1002]",
         {"channel-type=9", "major=8", "16=Eight"},
         "IService::FindService[1002]",
         {"1=9", "13=8", "16=Eight"}},
        {"system_info_get_value_bool[highlight-in-av]", {"1"}, "system_info_get_value_bool[464]", {"1"}},
        {"vconf_get_int[pip].ret", {"-1"}, "vconf_get_int[db/menu/picture/pip/onoff].ret", {"-1"}},
        {"highlight-in-av", {}, "system_info_get_value_bool[464]", {}},
        {"source-control", {"null"}, "TVServiceAPI::CreateSourceControl[1,0]", {"null"}},
        {"svc_pvr_set_bookmark.image", {"0"}, "svc_pvr_set_bookmark.image", {"0"}},
        {"source", {"av9"}, "", {}},
        {"pip[db/x]", {"1"}, "", {}},
    };
    for (const Resolution& c : cases) {
        std::string fact, error;
        Words codes;
        bool ok = tvsim::ResolveFact(c.name, c.values, &fact, &codes, &error);
        EXPECT_EQ(ok, !c.fact.empty()) << c.name << ": " << error;
        if (!ok) continue;
        EXPECT_EQ(fact, c.fact) << c.name;
        EXPECT_EQ(codes, c.codes) << c.name;
    }
}

struct Table {
    std::string text;
    std::string error;  // part of the parse error; empty: parses
    Words commands;     // what the row runs, after its reset and set-up
};

TEST(ScenarioTables, CellsSayWhatTheyMean) {
    // A good row first, so that a bad one leaves the outline its rows.
    const std::string head =
        "outline \"o\"\n  lifecycle create\n| source | key | expect |\n| av1 | Left | consumed |\n";
    const Table cases[] = {
        {head + "| av1 | Left | consumed |\n", "", {"source av1", "key Left", "expect consumed"}},
        {head + "| - | Left | - |\n", "", {"key Left"}},
        {head + "| ~ | Left | - |\n", "", {"source", "key Left"}},
        {head + "| | Left | consumed |\n", "column 1 (source) is empty", {}},
        {head + "| av1 | Left |   |\n", "column 3 (expect) is empty", {}},
        {head + "| av1; | Left | - |\n", "an empty command", {}},
        {head + "| av1 | Left |\n", "the row has 2 cells", {}},
        {head + "| av1 | $left | - |\n", "column 2 (key): no text named left", {}},
    };
    for (const Table& c : cases) {
        std::vector<tvsim::ParseError> errors;
        std::vector<tvsim::Command> commands = tvsim::ParseScenario(c.text, &errors);
        if (!c.error.empty()) {
            ASSERT_EQ(errors.size(), 1u) << c.text;
            EXPECT_NE(errors[0].message.find(c.error), std::string::npos) << errors[0].message;
            EXPECT_EQ(errors[0].line, 5);
            continue;
        }
        ASSERT_TRUE(errors.empty()) << c.text << errors[0].message;
        Words run;
        for (const tvsim::Command& command : commands)
            if (command.column && command.line == 5) run.push_back(command.source);
        EXPECT_EQ(run, c.commands) << c.text;
    }
}

// Set-up shared with "every outline" runs first in each row of the outlines
// after it, in its order; a bare "every outline" ends the sharing. A section
// is one row of its own lines.
TEST(ScenarioTables, EveryOutlineStartsTheOutlinesAfterIt) {
    const std::string table = "| key |\n| Left |\n";
    const std::string text = "every outline\n  sports-recording\n  lifecycle create\noutline \"a\"\n  advance 1s\n" +
                             table + "every outline\noutline \"b\"\n" + table +
                             "section \"c\"\n  key Right\nevery thing\n";
    std::vector<tvsim::ParseError> errors;
    std::vector<tvsim::Command> commands = tvsim::ParseScenario(text, &errors);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 14);
    std::map<std::string, Words> rows;
    for (const tvsim::Command& command : commands)
        if (command.row)
            rows[command.outline].push_back(command.verb + (command.args.empty() ? "" : " " + command.args.back()));
    EXPECT_EQ(rows["a"], (Words{"outline-row a", "sports-recording", "lifecycle create", "advance 1s", "key Left"}));
    EXPECT_EQ(rows["b"], (Words{"outline-row b", "key Left"}));
    EXPECT_EQ(rows["c"], (Words{"outline-row c", "key Right"}));
}

// The document with the generated part between its two markers replaced.
std::string Regenerated(const std::string& text, const std::string& marker, const std::string& part) {
    const std::string begin = "<!-- " + marker + ": generated -->\n", end = "<!-- end of " + marker + " -->";
    std::size_t from = text.find(begin), to = text.find(end);
    if (from == std::string::npos || to == std::string::npos || to < from) return text + "\n(no markers " + begin;
    return text.substr(0, from + begin.size()) + part + text.substr(to);
}

TEST(ScenarioDocs, ReferenceTablesAreTheViewersOwn) {
    std::ifstream in(VANTRO_SCENARIO_DOC);
    ASSERT_TRUE(in) << "cannot read " << VANTRO_SCENARIO_DOC;
    std::stringstream text;
    text << in.rdbuf();
    const std::string doc = text.str();
    const std::string want =
        Regenerated(Regenerated(doc, "verbs", tvsim::VerbReference()), "names", tvsim::NameReference());
    if (want == doc) return;
    // The document as it should read, to be copied over the old one.
    const char* tmp = std::getenv("TMPDIR");
    const std::string path = std::string(tmp ? tmp : ".") + "/scenarios.md";
    std::ofstream(path) << want;
    ADD_FAILURE() << "docs/scenarios.md differs from the viewer's verb and name tables; regenerated: " << path;
}

}  // namespace
