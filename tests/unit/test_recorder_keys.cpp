// Recorder keys: what reaches the recorder, with which extras, and what is
// swallowed, refused or answered with the not-available pop-up.
#include "KeyTestSupport.h"

namespace {

using namespace ktest;

class RecorderKeysTest : public KeyTest {
protected:
    // The recorder's verdict on one key, a second after the last.
    int Press(int key) {
        vtest::AdvanceMs(1000);
        vsim::ClearJournal();
        return mgr->m_ProcessRecordRecognitionKey(key);
    }
};

// Sports mode is off: on the tuner the recorder still gets its keys. The
// transport keys always go, from "context manager"; the seeking keys only
// while the channel records or time-shifts, from the viewer.
TEST_F(RecorderKeysTest, TransportKeysAlwaysGoSeekingKeysOnlyWithAStream) {
    const struct {
        int key;
        const char* name;
        bool seeking;
    } keys[] = {{K::KEY_RECORD_T, "XF86AudioRecord", false},
                {K::KEY_PAUSE_T, "XF86AudioPause", false},
                {K::KEY_PLAY_T, "XF86AudioPlay", false},
                {K::KEY_STOP_T, "XF86AudioStop", false},
                {K::KEY_NEXT_T, "XF86AudioNext", true},
                {K::KEY_REWIND_T, "XF86AudioRewind", true},
                {K::KEY_LEFT_T, "Left", true},
                {K::KEY_RIGHT_T, "Right", true}};
    struct State {
        bool recording, timeshifting;
    };
    for (const State& s : {State{false, false}, State{true, false}, State{false, true}}) {
        Recording(s.recording);
        Timeshifting(s.timeshifting);
        for (const auto& k : keys) {
            SCOPED_TRACE(std::string(k.name) + (s.recording ? " recording" : "") + (s.timeshifting ? " ts" : ""));
            bool sent = !k.seeking || s.recording || s.timeshifting;
            EXPECT_EQ(Press(k.key), sent ? 1 : 0);
            if (!sent) {
                EXPECT_TRUE(Launches().empty());
                EXPECT_TRUE(vtest::Logged("pvrrecording is NOT doing record or timeshift, send key to tvviewer"));
            } else if (k.seeking) {
                EXPECT_EQ(Launches(), (std::vector<Launch>{KeyToRecorder(k.name, "orvane.tv-viewer")}));
            } else {
                EXPECT_EQ(Launches(), (std::vector<Launch>{KeyToRecorder(k.name, "context manager")}));
                EXPECT_TRUE(vtest::Logged("Send pvr releated key to record app."));
            }
        }
    }
}

TEST_F(RecorderKeysTest, RecordKeyGoesBackWhenTheSecondRecorderTakesIt) {
    Fact("system_info_get_value_bool[518]", {"1"});
    VirtualChannel();  // not even asked
    EXPECT_EQ(Press(K::KEY_RECORD_T), 0);
    EXPECT_TRUE(vtest::Logged("Support_A_PIC =[1], nRet=[0]"));
    EXPECT_TRUE(vtest::Logged("return record key to tv-viewer"));
    EXPECT_TRUE(Launches().empty());
    EXPECT_EQ(vtest::CallCount("IServiceNavigation::GetCurrentServiceInfo"), 0);
    // Other recorder keys do not look at it.
    EXPECT_EQ(Press(K::KEY_STOP_T), 1);
}

TEST_F(RecorderKeysTest, VirtualChannelRefusalsByKey) {
    VirtualChannel();
    Recording(true);
    struct Row {
        int key;
        int verdict;
        bool na;         // not-available pop-up
        bool forwarded;  // reached the recorder
        const char* line;
    };
    // clang-format off
    const Row rows[] = {
        {K::KEY_RECORD_T, 1, true, false, "do not support virtual channel record, show N/A"},
        {K::KEY_PAUSE_T, 1, true, false, "do not support virtual channel record, show N/A"},
        {K::KEY_PLAY_T, 1, true, false, "do not support virtual channel record, show N/A"},
        {K::KEY_STOP_T, 1, false, true, "stop key, pass to app"},
        {K::KEY_NEXT_T, 0, false, false, "virtual channel, return keys to tv-viewer."},
        {K::KEY_REWIND_T, 0, false, false, "virtual channel, return keys to tv-viewer."},
        {K::KEY_LEFT_T, 0, false, false, "virtual channel, return keys to tv-viewer."},
        {K::KEY_RIGHT_T, 0, false, false, "virtual channel, return keys to tv-viewer."},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.key);
        timeval before = mgr->m_stRecorderKeyTime;
        EXPECT_EQ(Press(r.key), r.verdict);
        EXPECT_TRUE(vtest::Logged(r.line));
        auto launches = Launches();
        if (r.na) {
            EXPECT_EQ(launches, std::vector<Launch>{kNA});
        }
        if (r.forwarded) {
            ASSERT_EQ(launches.size(), 1u);
            EXPECT_EQ(launches[0], KeyToRecorder("XF86AudioStop", "context manager"));
        } else {
            // Refused before the debounce: the clock did not move.
            EXPECT_EQ(mgr->m_stRecorderKeyTime.tv_sec, before.tv_sec);
        }
        if (!r.na && !r.forwarded) {
            EXPECT_TRUE(launches.empty());
        }
    }
}

TEST_F(RecorderKeysTest, AnalogueChannelNeedsAnalogueRecording) {
    Fact("svc_pvr_is_analog_channel[1001]", {"1"});
    // SBB connected on a board older than 2015: no analogue recording.
    Fact("system_info_get_value_bool[363]", {"1"});
    Fact("system_info_get_value_string[362]", {"2014"});
    for (int key : {K::KEY_RECORD_T, K::KEY_STOP_T, K::KEY_PLAY_T}) {
        EXPECT_EQ(Press(key), 0) << key;
        EXPECT_TRUE(vtest::Logged("current channel is ATV, but TV donot support ATV recroding, send it to tvviewer"));
        EXPECT_TRUE(Launches().empty());
    }
    Fact("system_info_get_value_string[362]", {"2016"});
    EXPECT_EQ(Press(K::KEY_RECORD_T), 1);
    EXPECT_EQ(Launches().size(), 1u);
}

TEST_F(RecorderKeysTest, SplitScreenLeavesOnlyRecordAndStop) {
    struct Row {
        const char* pxv;
        int key;
        bool sent;
    };
    // clang-format off
    const Row rows[] = {
        {"1", K::KEY_RECORD_T, true}, {"1", K::KEY_STOP_T, true},  {"1", K::KEY_PLAY_T, false},
        {"1", K::KEY_PAUSE_T, false}, {"1", K::KEY_NEXT_T, false}, {"1", K::KEY_RIGHT_T, false},
        {"2", K::KEY_PAUSE_T, true},
    };
    // clang-format on
    Recording(true);
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string("pxv ") + r.pxv + " key " + std::to_string(r.key));
        Fact("vconf_get_int[memory/pxv/state]", {r.pxv});
        timeval before = mgr->m_stRecorderKeyTime;
        EXPECT_EQ(Press(r.key), 1);
        EXPECT_EQ(Launches().size(), r.sent ? 1u : 0u);
        EXPECT_EQ(vtest::Logged("in pxv mode,  pvr just process REC and stop key"), !r.sent);
        if (!r.sent) {
            EXPECT_EQ(mgr->m_stRecorderKeyTime.tv_sec, before.tv_sec);
            EXPECT_EQ(mgr->m_stRecorderKeyTime.tv_usec, before.tv_usec);
        }
    }
}

TEST_F(RecorderKeysTest, RepeatFilterIsSharedAndExactAtTwoHundredMilliseconds) {
    EXPECT_EQ(Press(K::KEY_STOP_T), 1);
    const timeval first = mgr->m_stRecorderKeyTime;
    // 199999 µs later: a repeat, even for another key of the family.
    AdvanceUs(199999);
    vsim::ClearJournal();
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_PLAY_T), 0);
    EXPECT_TRUE(vtest::Logged("time difference for recorder key is less than 200ms, ignore it!"));
    EXPECT_TRUE(Launches().empty());
    EXPECT_EQ(mgr->m_stRecorderKeyTime.tv_sec, first.tv_sec);
    EXPECT_EQ(mgr->m_stRecorderKeyTime.tv_usec, first.tv_usec);
    // One microsecond more: a new press.
    AdvanceUs(1);
    vsim::ClearJournal();
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_PLAY_T), 1);
    EXPECT_EQ(Launches().size(), 1u);
}

TEST_F(RecorderKeysTest, RecorderKeyRightAfterCreationIsARepeat) {
    mgr->Destroy();
    delete mgr;
    mgr = CSportsUGMgr::Get();
    ASSERT_TRUE(mgr->Create(vtest::Window(), nullptr));
    AdvanceUs(150000);
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_RECORD_T), 0);
    AdvanceUs(50000);
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_RECORD_T), 1);
}

TEST_F(RecorderKeysTest, AKeyThatPassesTheFilterMovesTheClockEvenWhenReturned) {
    EXPECT_EQ(Press(K::KEY_LEFT_T), 0);  // nothing to seek in
    AdvanceUs(100000);
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_STOP_T), 0);
    EXPECT_TRUE(vtest::Logged("time difference for recorder key is less than 200ms, ignore it!"));
}

TEST_F(RecorderKeysTest, FailedLaunchesStillConsumeTheKey) {
    Fact("bundle_create.ret", {"-1"});
    EXPECT_EQ(Press(K::KEY_PAUSE_T), 1);
    EXPECT_TRUE(vtest::Logged("create bundle error"));
    EXPECT_TRUE(Launches().empty());

    Fact("app_control_create.ret", {"-12"});
    EXPECT_EQ(mgr->m_ShowNAPopup(), 0);
    mgr->m_LaunchSportsModeApp("key_name", "key_soccer_zoom");
    mgr->t_SendCmdToRecordApp("zoomresume", "1001");
    EXPECT_TRUE(Launches().empty());
    EXPECT_FALSE(vtest::Logged("launch syspopup show NA"));
    EXPECT_FALSE(vtest::Logged("Launch sportsmode app, send [key_soccer_zoom] key to it."));
}

TEST_F(RecorderKeysTest, CommandLaunchersNameTheirTargetsAndExtrasInOrder) {
    mgr->m_LaunchRecorderApp("key_name", "key_soccer_save_na");
    mgr->t_SendCmdToRecordApp("zoomresume", "1001");
    mgr->t_SendCmdToRecordApp("zoomresume", nullptr);
    mgr->m_LaunchSportsModeApp("key_name", "key_soccer_hp");
    EXPECT_EQ(mgr->m_ShowNAPopup(), 1);
    const std::vector<Launch> expected = {
        ToRecorder("key_soccer_save_na"),
        Resume("1001"),
        {"orvane.pvrrecorder", {{"method", "zoomresume"}, {"called_app", "orvane.tv-viewer"}}, "app_control"},
        ToSportsMode("key_soccer_hp"),
        kNA,
    };
    EXPECT_EQ(Launches(), expected);
    EXPECT_TRUE(vtest::Logged("Launch PVR_RECORDER_PACKAGE app, send [key_soccer_save_na] key to it."));
    EXPECT_TRUE(vtest::Logged("Launch record app to [zoomresume], servic id is:[1001]"));
    EXPECT_TRUE(vtest::Logged("Launch sportsmode app, send [key_soccer_hp] key to it."));
    EXPECT_TRUE(vtest::Logged("launch syspopup show NA"));
    EXPECT_EQ(vtest::CallCount("app_control_create"), vtest::CallCount("app_control_destroy"));

    // A refused resume command is reported with its code.
    vsim::ClearJournal();
    Fact("app_control_send_launch_request[orvane.pvrrecorder].ret", {"-3"});
    mgr->t_SendCmdToRecordApp("zoomresume", "7");
    EXPECT_TRUE(vtest::Logged("[orvane.pvrrecorder] launch  failed, the ret is [-3] , error info is "));
    EXPECT_EQ(vtest::CallCount("app_control_destroy"), 1);
}

}  // namespace
