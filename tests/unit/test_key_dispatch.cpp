// Routing of the low- and high-priority keys: source types, sports mode on
// AV inputs, PVR support and conflicting applications, and the pop-up keys.
#include "KeyTestSupport.h"

namespace {

using namespace ktest;

class KeyDispatchTest : public KeyTest {};

const char* const kSourceRefused =
    "current source is not SOURCE_TYPE_TV or SOURCE_TYPE_PLAYBACK or SOURCE_TYPE_AV, send it to tvviewer";
const char* const kAVSportsOff = "Current AV source, sport mode off, send key to tvviewer";
const char* const kAVNoRecording = "Current AV source, sport on & no recording, send key to tv-viewer.";
const char* const kAVNoHighlight = "Current AV source, not support highlight, send rec key to tv-viewer.";
const char* const kNoPvr = "do not support PVR releated key, return key to tvviewer.";
const char* const kUgReturned = "not process Ug Recognition key, return key to tv-viewer.";
const char* const kRecorderReturned = "not process Record Recognition key, return key to tv-viewer.";

TEST_F(KeyDispatchTest, SourceTypesDecideWhichRecorderKeysGoFurther) {
    struct Row {
        int source;
        bool sports, recording, highlightInAV;
        int key;
        const char* line;  // the refusal line, null when the recorder gets the key
    };
    const Row rows[] = {
        // The tuner and the playback source leave sports mode to the handlers.
        {0, false, false, true, K::KEY_STOP_T, nullptr},
        {29, true, false, true, K::KEY_STOP_T, nullptr},
        // Every AV input; not even the record key passes with sports mode off.
        {1, false, true, true, K::KEY_STOP_T, kAVSportsOff},
        {2, false, false, true, K::KEY_RECORD_T, kAVSportsOff},
        {3, false, true, true, K::KEY_PAUSE_T, kAVSportsOff},
        {36, true, false, true, K::KEY_STOP_T, kAVNoRecording},
        {1, true, false, true, K::KEY_RECORD_T, nullptr},
        {2, true, false, false, K::KEY_RECORD_T, kAVNoHighlight},
        // Something records: every key goes on, highlights in AV or not.
        {3, true, true, false, K::KEY_STOP_T, nullptr},
        {4, true, true, true, K::KEY_STOP_T, kSourceRefused},
        {25, true, true, true, K::KEY_RECORD_T, kSourceRefused},
        {-1, true, true, true, K::KEY_STOP_T, kSourceRefused},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("source " + std::to_string(row.source) + " key " + std::to_string(row.key));
        ResetWorld();
        Source(row.source);
        SportsMode(row.sports);
        Recording(row.recording, kAV);
        Recording(row.recording, kLive);
        Flag("system_info_get_value_bool[464]", row.highlightInAV);
        vtest::AdvanceMs(1000);
        EXPECT_EQ(Low(row.key), row.line ? 0 : 1);
        if (row.line) {
            EXPECT_TRUE(vtest::LoggedOnSystem(row.line));
            EXPECT_TRUE(Launches().empty());
        } else {
            EXPECT_TRUE(vtest::Logged("sport-ug process Record Recognition key."));
            ASSERT_EQ(Launches().size(), 1u);
            EXPECT_EQ(Launches()[0].app, "orvane.pvrrecorder");
        }
    }
}

TEST_F(KeyDispatchTest, UndeterminedSourceReturnsTheKey) {
    SportsMode(true);
    // A query answering -1 is undetermined even with the tuner's value written.
    Fact("ISourceControl::GetCurrentSourceInfo[1,0].ret", {"-1"});
    EXPECT_EQ(Low(K::KEY_STOP_T), 0);
    Fact("TVServiceAPI::CreateSourceControl[1,0]", {"null"});
    EXPECT_EQ(Low(K::KEY_RED_T), 0);
    EXPECT_EQ(Low(K::KEY_RECORD_T), 0);
    EXPECT_EQ(vtest::CountLogged("get current source type failed!!, send it to tvviewer"), 3);
    EXPECT_FALSE(vtest::Logged(kSourceRefused));
    EXPECT_TRUE(Launches().empty());
}

TEST_F(KeyDispatchTest, NoPvrOrAConflictingAppReturnsKeysOfBothClassesOnTheTuner) {
    SportsMode(true);
    Recording(true);
    for (const char* fact :
         {"system_info_get_value_int[125]=0", "vconf_get_int[memory/menu/network/screenmirroring/sm_status]=2",
          "vconf_get_int[memory/menu/network/screenmirroring/smsrc_status]=1",
          "vconf_get_bool[db/dualtv/dualtv_view_status]=1"}) {
        SCOPED_TRACE(fact);
        const std::string name(fact, std::strchr(fact, '='));
        Fact(name, {std::strchr(fact, '=') + 1});
        for (int key : {K::KEY_STOP_T, K::KEY_GREEN_T}) {
            vsim::ClearJournal();
            vtest::AdvanceMs(1000);
            EXPECT_EQ(Low(key), 0) << key;
            EXPECT_TRUE(vtest::LoggedOnSystem(kNoPvr)) << key;
            EXPECT_TRUE(Launches().empty());
        }
        vsim::ClearFact(name);
    }
    // The conflict check is not even asked on a set without the PVR.
    Fact("system_info_get_value_int[125]", {"0"});
    vsim::ClearJournal();
    Low(K::KEY_STOP_T);
    EXPECT_FALSE(vtest::Logged("Not exist confilct app, support PVR key."));
}

// A handler's verdict is passed on as exactly one or zero; keys of neither
// class get no verdict line at all.
TEST_F(KeyDispatchTest, EachClassGoesToItsHandler) {
    EXPECT_EQ(Low(K::KEY_LEFT_T), 0);  // nothing to seek in
    EXPECT_TRUE(vtest::Logged(kRecorderReturned));
    SportsMode(true);
    for (int key : {K::KEY_RETURN_T, K::KEY_BACK_T, K::KEY_EXIT_T}) {
        vsim::ClearJournal();
        EXPECT_EQ(Low(key), 0) << key;
        EXPECT_TRUE(vtest::Logged(kUgReturned)) << key;
    }
    vsim::ClearJournal();
    EXPECT_EQ(Low(K::KEY_INFO_T), 0);
    EXPECT_TRUE(vtest::Logged("here receive Low Prio key event [XF86Info]"));
    EXPECT_FALSE(vtest::Logged(kUgReturned));
    EXPECT_FALSE(vtest::Logged(kRecorderReturned));
    Recording(true);
    EXPECT_EQ(Low(K::KEY_GREEN_T), 1);
    EXPECT_TRUE(vtest::LoggedOnSystem("sport-ug process Ug Recognition key."));
}

// Back and Exit ask the viewer to hide the pop-up, OK plays the last
// highlight; both only while the pop-up shows. Other keys never act.
TEST_F(KeyDispatchTest, HighPrioKeysActOnlyFromThePopup) {
    for (int key : {K::KEY_BACK_T, K::KEY_EXIT_T, K::KEY_RETURN_T}) {
        vsim::ClearJournal();
        EXPECT_EQ(High(key), 0);
        EXPECT_EQ(vtest::Logged("thumbnail wnd is not show!"), key != K::KEY_RETURN_T) << key;
        EXPECT_TRUE(vtest::Logged("return this key to tv-viewer"));
        EXPECT_TRUE(Results().empty());
        EXPECT_TRUE(Launches().empty());
    }
    ShowPopup();
    for (int key : {K::KEY_BACK_T, K::KEY_EXIT_T}) {
        vsim::ClearJournal();
        EXPECT_EQ(High(key), 1);
        EXPECT_EQ(Results(), (std::vector<vsim::Extras>{{{"hide", "pvrsportsmode"}}}));
        // The pop-up stays until the viewer answers.
        EXPECT_TRUE(mgr->m_IsBookmarkWndShow());
        EXPECT_TRUE(Launches().empty());
    }
    vsim::ClearJournal();
    EXPECT_EQ(High(K::KEY_RETURN_T), 1);
    EXPECT_TRUE(vtest::Logged("current thumbnail show, OK pressed, consume this key"));
    EXPECT_EQ(Launches(), std::vector<Launch>{ToSportsMode("key_soccer_hp_play_last")});
    vsim::ClearJournal();
    for (int key : {K::KEY_RED_T, K::KEY_GREEN_T, K::KEY_UNKNOWN_T}) EXPECT_EQ(High(key), 0) << key;
    EXPECT_TRUE(Launches().empty());
    EXPECT_TRUE(Results().empty());
}

}  // namespace
