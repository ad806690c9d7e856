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
    bool ClockAt(const timeval& t) const {
        return mgr->m_stRecorderKeyTime.tv_sec == t.tv_sec && mgr->m_stRecorderKeyTime.tv_usec == t.tv_usec;
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
    for (int state : {0, 1, 2}) {  // no stream, recording, time-shifting
        Recording(state == 1);
        Flag("svc_pvr_is_timeshifting[1001]", state == 2);
        for (const auto& k : keys) {
            SCOPED_TRACE(std::string(k.name) + " in state " + std::to_string(state));
            bool sent = !k.seeking || state != 0;
            EXPECT_EQ(Press(k.key), sent ? 1 : 0);
            if (!sent) {
                EXPECT_TRUE(Launches().empty());
                EXPECT_TRUE(vtest::Logged("pvrrecording is NOT doing record or timeshift, send key to tvviewer"));
            } else {
                EXPECT_EQ(
                    Launches(),
                    (std::vector<Launch>{KeyToRecorder(k.name, k.seeking ? "orvane.tv-viewer" : "context manager")}));
                EXPECT_EQ(vtest::Logged("Send pvr releated key to record app."), !k.seeking);
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

// Refusals ahead of the repeat filter leave its clock where it was.
TEST_F(RecorderKeysTest, VirtualAnalogueAndSplitScreenRefusalsByKey) {
    const char* const kVirtualNA = "do not support virtual channel record, show N/A";
    const char* const kPxv = "in pxv mode,  pvr just process REC and stop key";
    const char* const kAtv = "current channel is ATV, but TV donot support ATV recroding, send it to tvviewer";
    struct Row {
        const char* world;
        int key;
        int verdict;
        const char* line;
        std::vector<Launch> launches;
    };
    // clang-format off
    const Row rows[] = {
        {"virtual", K::KEY_RECORD_T, 1, kVirtualNA, {kNA}},
        {"virtual", K::KEY_PAUSE_T, 1, kVirtualNA, {kNA}},
        {"virtual", K::KEY_PLAY_T, 1, kVirtualNA, {kNA}},
        // Stopping a recording stays possible on any channel.
        {"virtual", K::KEY_STOP_T, 1, "stop key, pass to app", {KeyToRecorder("XF86AudioStop", "context manager")}},
        {"virtual", K::KEY_RIGHT_T, 0, "virtual channel, return keys to tv-viewer.", {}},
        // An SBB connected on a board older than 2015: no analogue recording.
        {"atv 2014", K::KEY_RECORD_T, 0, kAtv, {}},
        {"atv 2014", K::KEY_STOP_T, 0, kAtv, {}},
        {"atv 2016", K::KEY_RECORD_T, 1, nullptr, {KeyToRecorder("XF86AudioRecord", "context manager")}},
        {"pxv 1", K::KEY_RECORD_T, 1, nullptr, {KeyToRecorder("XF86AudioRecord", "context manager")}},
        {"pxv 1", K::KEY_STOP_T, 1, nullptr, {KeyToRecorder("XF86AudioStop", "context manager")}},
        {"pxv 1", K::KEY_PLAY_T, 1, kPxv, {}},
        {"pxv 1", K::KEY_PAUSE_T, 1, kPxv, {}},
        {"pxv 1", K::KEY_NEXT_T, 1, kPxv, {}},
        {"pxv 1", K::KEY_RIGHT_T, 1, kPxv, {}},
        {"pxv 2", K::KEY_PAUSE_T, 1, nullptr, {KeyToRecorder("XF86AudioPause", "context manager")}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.world) + " key " + std::to_string(r.key));
        ResetWorld();
        Recording(true);
        const std::string world = r.world;
        if (world == "virtual") VirtualChannel();
        if (world.compare(0, 3, "atv") == 0) {
            Fact("svc_pvr_is_analog_channel[1001]", {"1"});
            Fact("system_info_get_value_bool[363]", {"1"});
            Fact("system_info_get_value_string[362]", {world.substr(4)});
        }
        if (world.compare(0, 3, "pxv") == 0) Fact("vconf_get_int[memory/pxv/state]", {world.substr(4)});
        const timeval before = mgr->m_stRecorderKeyTime;
        EXPECT_EQ(Press(r.key), r.verdict);
        if (r.line) {
            EXPECT_TRUE(vtest::Logged(r.line));
        }
        EXPECT_EQ(Launches(), r.launches);
        const bool toRecorder = !r.launches.empty() && r.launches[0].via == "aul";
        EXPECT_EQ(ClockAt(before), !toRecorder);
    }
}

// One filter for the whole family, exact at 200 ms, counting from the last
// press that passed it, even one its handler returned.
TEST_F(RecorderKeysTest, RepeatFilterIsSharedAndExactAtTwoHundredMilliseconds) {
    EXPECT_EQ(Press(K::KEY_LEFT_T), 0);  // nothing to seek in
    const timeval first = mgr->m_stRecorderKeyTime;
    AdvanceUs(199999);
    vsim::ClearJournal();
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_PLAY_T), 0);
    EXPECT_TRUE(vtest::Logged("time difference for recorder key is less than 200ms, ignore it!"));
    EXPECT_TRUE(Launches().empty());
    EXPECT_TRUE(ClockAt(first));
    AdvanceUs(1);
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_PLAY_T), 1);
    EXPECT_EQ(Launches().size(), 1u);
    // The clock starts at creation.
    Recreate(150);
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_RECORD_T), 0);
    AdvanceUs(50000);
    EXPECT_EQ(mgr->m_ProcessRecordRecognitionKey(K::KEY_RECORD_T), 1);
}

TEST_F(RecorderKeysTest, LaunchersNameTheirTargetsAndExtrasInOrder) {
    mgr->m_LaunchRecorderApp("key_name", "key_soccer_save_na");
    mgr->t_SendCmdToRecordApp("zoomresume", "1001");
    mgr->t_SendCmdToRecordApp("zoomresume", nullptr);
    mgr->m_LaunchSportsModeApp("key_name", "key_soccer_hp");
    EXPECT_EQ(mgr->m_ShowNAPopup(), 1);
    const std::vector<Launch> expected = {
        ToRecorder("key_soccer_save_na"),
        {"orvane.pvrrecorder",
         {{"method", "zoomresume"}, {"service_id", "1001"}, {"called_app", "orvane.tv-viewer"}},
         "app_control"},
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

    // Failed launches still consume the key, and say nothing of a launch.
    vsim::ClearJournal();
    Fact("bundle_create.ret", {"-1"});
    EXPECT_EQ(Press(K::KEY_PAUSE_T), 1);
    EXPECT_TRUE(vtest::Logged("create bundle error"));
    Fact("app_control_create.ret", {"-12"});
    EXPECT_EQ(mgr->m_ShowNAPopup(), 0);
    mgr->m_LaunchSportsModeApp("key_name", "key_soccer_zoom");
    mgr->t_SendCmdToRecordApp("zoomresume", "1001");
    EXPECT_TRUE(Launches().empty());
    EXPECT_FALSE(vtest::Logged("launch syspopup show NA"));
    EXPECT_FALSE(vtest::Logged("Launch sportsmode app, send [key_soccer_zoom] key to it."));
}

}  // namespace
