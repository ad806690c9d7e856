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

TEST_F(KeyDispatchTest, SourceTypesDecideWhichRecorderKeysGoFurther) {
    struct Row {
        int source;
        bool sports;
        bool recording;
        bool highlightInAV;
        int key;
        int verdict;
        const char* line;  // the refusal line, null when the recorder gets the key
    };
    const Row rows[] = {
        // The tuner and the playback source leave sports mode to the handlers.
        {0, false, false, true, K::KEY_STOP_T, 1, nullptr},
        {29, false, false, true, K::KEY_STOP_T, 1, nullptr},
        // Nor is the playback source held back by the AV rule in sports mode.
        {29, true, false, true, K::KEY_STOP_T, 1, nullptr},
        {1, false, true, true, K::KEY_STOP_T, 0, kAVSportsOff},
        {2, false, false, true, K::KEY_RECORD_T, 0, kAVSportsOff},
        {3, false, true, true, K::KEY_PAUSE_T, 0, kAVSportsOff},
        {36, false, true, true, K::KEY_PLAY_T, 0, kAVSportsOff},
        {36, true, false, true, K::KEY_STOP_T, 0, kAVNoRecording},
        {1, true, false, true, K::KEY_PLAY_T, 0, kAVNoRecording},
        {1, true, false, true, K::KEY_RECORD_T, 1, nullptr},
        {2, true, false, false, K::KEY_RECORD_T, 0, kAVNoHighlight},
        // Something records: every key goes on, highlights in AV or not.
        {3, true, true, false, K::KEY_STOP_T, 1, nullptr},
        {36, true, true, false, K::KEY_PAUSE_T, 1, nullptr},
        {4, true, true, true, K::KEY_STOP_T, 0, kSourceRefused},
        {25, true, true, true, K::KEY_RECORD_T, 0, kSourceRefused},
        {-1, true, true, true, K::KEY_STOP_T, 0, kSourceRefused},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("source " + std::to_string(row.source) + " key " + std::to_string(row.key));
        vsim::ResetWorld();
        vsim::SetWindow(vtest::Window());
        Source(row.source);
        SportsMode(row.sports);
        Recording(row.recording, kAV);
        Recording(row.recording, kLive);
        Fact("system_info_get_value_bool[464]", {row.highlightInAV ? "1" : "0"});
        vtest::AdvanceMs(1000);
        EXPECT_EQ(Low(row.key), row.verdict);
        if (row.line) {
            EXPECT_TRUE(vtest::LoggedAt(row.line, LOG_ID_SYSTEM, DLOG_WARN));
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
    for (int key : {K::KEY_RED_T, K::KEY_RECORD_T}) {
        EXPECT_EQ(Low(key), 0);
    }
    EXPECT_EQ(vtest::CountLogged("get current source type failed!!, send it to tvviewer"), 3);
    EXPECT_FALSE(vtest::Logged(kSourceRefused));
    EXPECT_TRUE(Launches().empty());
}

TEST_F(KeyDispatchTest, NoPvrOrAConflictingAppReturnsEveryKeyOnTheTuner) {
    SportsMode(true);
    Recording(true);
    struct World {
        const char* fact;
        const char* value;
    };
    const World worlds[] = {
        {"system_info_get_value_int[125]", "0"},
        {"vconf_get_int[memory/menu/network/screenmirroring/sm_status]", "2"},
        {"vconf_get_int[memory/menu/network/screenmirroring/smsrc_status]", "1"},
        {"vconf_get_bool[db/dualtv/dualtv_view_status]", "1"},
    };
    for (const World& w : worlds) {
        SCOPED_TRACE(w.fact);
        Fact(w.fact, {w.value});
        for (int key : {K::KEY_RECORD_T, K::KEY_STOP_T, K::KEY_LEFT_T, K::KEY_RED_T, K::KEY_GREEN_T}) {
            vsim::ClearJournal();
            vtest::AdvanceMs(1000);
            EXPECT_EQ(Low(key), 0) << key;
            EXPECT_TRUE(vtest::LoggedAt(kNoPvr, LOG_ID_SYSTEM, DLOG_WARN)) << key;
            EXPECT_TRUE(Launches().empty());
        }
        vsim::ClearFact(w.fact);
    }
    // The conflict check is not even asked on a set without the PVR.
    Fact("system_info_get_value_int[125]", {"0"});
    vsim::ClearJournal();
    Low(K::KEY_STOP_T);
    EXPECT_FALSE(vtest::Logged("Not exist confilct app, support PVR key."));
}

TEST_F(KeyDispatchTest, ColourClassKeysReachTheColourHandlerAndOthersAreDropped) {
    SportsMode(true);
    for (int key : {K::KEY_RETURN_T, K::KEY_BACK_T, K::KEY_EXIT_T}) {
        vsim::ClearJournal();
        EXPECT_EQ(Low(key), 0) << key;
        EXPECT_TRUE(vtest::Logged("not process Ug Recognition key, return key to tv-viewer.")) << key;
    }
    // A key of neither class gets no verdict line at all.
    vsim::ClearJournal();
    EXPECT_EQ(Low(K::KEY_INFO_T), 0);
    EXPECT_TRUE(vtest::Logged("here receive Low Prio key event [XF86Info]"));
    EXPECT_FALSE(vtest::Logged("not process Ug Recognition key, return key to tv-viewer."));
    EXPECT_FALSE(vtest::Logged("not process Record Recognition key, return key to tv-viewer."));
}

TEST_F(KeyDispatchTest, HandlerVerdictsAreReportedAsExactlyOneOrZero) {
    // Recorder key returned by its handler (nothing to seek in).
    EXPECT_EQ(Low(K::KEY_LEFT_T), 0);
    EXPECT_TRUE(vtest::Logged("not process Record Recognition key, return key to tv-viewer."));
    // Colour key used by its handler.
    SportsMode(true);
    Recording(true);
    vtest::AdvanceMs(1000);
    EXPECT_EQ(Low(K::KEY_GREEN_T), 1);
    EXPECT_TRUE(vtest::LoggedAt("sport-ug process Ug Recognition key.", LOG_ID_SYSTEM, DLOG_WARN));
}

TEST_F(KeyDispatchTest, BackAndExitHideThePopupOnlyWhileItShows) {
    for (int key : {K::KEY_BACK_T, K::KEY_EXIT_T}) {
        vsim::ClearJournal();
        EXPECT_EQ(High(key), 0);
        EXPECT_TRUE(vtest::Logged("thumbnail wnd is not show!"));
        EXPECT_TRUE(vtest::Logged("return this key to tv-viewer"));
        EXPECT_TRUE(Results().empty());
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
}

TEST_F(KeyDispatchTest, OkPlaysTheLastHighlightOnlyFromThePopup) {
    EXPECT_EQ(High(K::KEY_RETURN_T), 0);
    EXPECT_FALSE(vtest::Logged("thumbnail wnd is not show!"));
    EXPECT_TRUE(Launches().empty());

    ShowPopup();
    vsim::ClearJournal();
    EXPECT_EQ(High(K::KEY_RETURN_T), 1);
    EXPECT_TRUE(vtest::Logged("current thumbnail show, OK pressed, consume this key"));
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0], ToSportsMode("key_soccer_hp_play_last"));

    // Keys outside the three never act, pop-up or not.
    vsim::ClearJournal();
    for (int key : {K::KEY_RED_T, K::KEY_GREEN_T, K::KEY_UNKNOWN_T}) EXPECT_EQ(High(key), 0) << key;
    EXPECT_TRUE(Launches().empty());
    EXPECT_TRUE(Results().empty());
}

// The viewer's window loses focus while another application is in front:
// the colour handler then takes keys only while the function OSD shows.
// (Not reachable from scenarios: the simulated viewer keeps its focus.)
class UnfocusedViewerTest : public KeyDispatchTest {
protected:
    void SetUp() override {
        KeyDispatchTest::SetUp();
        SetFocus(false);
        ASSERT_FALSE(elm_win_focus_get(vtest::Window()));
    }
    void TearDown() override {
        SetFocus(true);
        KeyDispatchTest::TearDown();
    }
    static void SetFocus(bool on) {
        ecore_evas_focus_set(ecore_evas_ecore_evas_get(evas_object_evas_get(vtest::Window())),
                             on ? EINA_TRUE : EINA_FALSE);
    }
};

const char* const kFocusOutRefused = "tvviewer focus OUT and function-osd is not showing, we do not process A/B/C/D.";
const char* const kFocusOutOsd = "tvviewer focus OUT but function-osd is showing, we  process A/B/C/D";

TEST_F(UnfocusedViewerTest, ColourKeysNeedTheFunctionOsdWhileTheViewerIsUnfocused) {
    SportsMode(true);
    Recording(true);
    Eligible(true);
    HighlightsAvailable(true);
    // No OSD: every colour key goes back, before its repeat filter is asked.
    for (int key : {K::KEY_RED_T, K::KEY_GREEN_T, K::KEY_YELLOW_T, K::KEY_RETURN_T}) {
        vsim::ClearJournal();
        EXPECT_EQ(Low(key), 0) << key;
        EXPECT_EQ(vtest::ArgsOf("tvcontext_check_visible"), (std::vector<std::string>{"orvane.function-osd 0 0"}));
        EXPECT_TRUE(vtest::Logged("Check Visiable Ret: [0], function-osd Visiable: [0].")) << key;
        EXPECT_TRUE(vtest::Logged(kFocusOutRefused)) << key;
        EXPECT_FALSE(vtest::Logged("time difference for red key is less than 500ms, ignore it!"));
        EXPECT_TRUE(Launches().empty());
        EXPECT_TRUE(PvrRequests("svc_pvr_play_pause_by_service_id").empty());
    }
    // A failed visibility query leaves the OSD counted as hidden.
    vsim::ClearJournal();
    Fact("tvcontext_check_visible[orvane.function-osd].ret", {"-1"});
    Fact("tvcontext_check_visible[orvane.function-osd]", {"1"});
    EXPECT_EQ(Low(K::KEY_YELLOW_T), 0);
    EXPECT_TRUE(vtest::Logged("Check Visiable Ret: [-1], function-osd Visiable: [0]."));
    EXPECT_TRUE(vtest::Logged(kFocusOutRefused));
    vsim::ClearFact("tvcontext_check_visible[orvane.function-osd].ret");

    // The OSD is up: the keys are handled as with focus.
    vsim::ClearJournal();
    EXPECT_EQ(Low(K::KEY_YELLOW_T), 1);
    EXPECT_TRUE(vtest::Logged("Check Visiable Ret: [0], function-osd Visiable: [1]."));
    EXPECT_TRUE(vtest::Logged(kFocusOutOsd));
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0], ToSportsMode("key_soccer_hp"));
    vsim::ClearJournal();
    EXPECT_EQ(Low(K::KEY_RED_T), 1);
    EXPECT_TRUE(vtest::Logged(kFocusOutOsd));
    EXPECT_EQ(PvrRequests("svc_pvr_play_pause_by_service_id").size(), 1u);
    // A visibility other than exactly 1 does not count.
    vsim::ClearJournal();
    Fact("tvcontext_check_visible[orvane.function-osd]", {"2"});
    vtest::AdvanceMs(1000);
    EXPECT_EQ(Low(K::KEY_RED_T), 0);
    EXPECT_TRUE(vtest::Logged(kFocusOutRefused));

    // Sports mode and the virtual channel are checked first: no OSD question.
    vsim::ClearJournal();
    SportsMode(false);
    EXPECT_EQ(Low(K::KEY_GREEN_T), 0);
    EXPECT_EQ(vtest::CallCount("tvcontext_check_visible"), 0);
    SportsMode(true);
    VirtualChannel();
    vsim::ClearJournal();
    EXPECT_EQ(Low(K::KEY_GREEN_T), 0);
    EXPECT_TRUE(vtest::Logged("virtual channel, not process A/B/C key."));
    EXPECT_EQ(vtest::CallCount("tvcontext_check_visible"), 0);
}

TEST_F(UnfocusedViewerTest, NoWindowOrAFocusedOneSkipsTheOsdQuestion) {
    SportsMode(true);
    Recording(true);
    Fact("ug_get_window", {"null"});
    EXPECT_EQ(Low(K::KEY_RED_T), 1);
    EXPECT_EQ(vtest::CallCount("tvcontext_check_visible"), 0);
    vsim::ClearFact("ug_get_window");
    SetFocus(true);
    vsim::ClearJournal();
    EXPECT_EQ(Low(K::KEY_BACK_T), 0);
    EXPECT_EQ(vtest::CallCount("tvcontext_check_visible"), 0);
    EXPECT_FALSE(vtest::Logged(kFocusOutRefused));
}

}  // namespace
