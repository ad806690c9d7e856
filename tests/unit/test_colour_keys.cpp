// Red, green and yellow refusals, in the order the colour handler asks: each
// row is one world, and the lines of the checks after the deciding one must
// be absent (they were never asked). The repeat marks of green and yellow
// move only when the key is acted on; red's moves with every press that
// passes its filter.
#include "KeyTestSupport.h"

namespace {

using namespace ktest;

using vtest::Facts;

const char* const kSportsOff = "sports mode is off!";
const char* const kVirtual = "virtual channel, not process A/B/C key.";
const char* const kRedNA = "can't zoom, consume A key, show N/A.";
const char* const kNoStream = "Current recording or timeshift not start, do nothing. Pass A key to tv-viewer.";
const char* const kResumePending = "Current resume operation not finished, consume A key directly.";
const char* const kZoomSwallows = "current is zoom, not process B/C, but consumed.";
const char* const kNotSupported = "current channel not support sport function, show N/A.";
const char* const kGreenNotRecording = "current channel is not recording! process KEY_GREEN_T show N/A.";
const char* const kYellowNotRecording =
    "current channel is not recording! process KEY_YELLOW_T show need turn record on popup.";
const char* const kAudioLive = "svc_pvr_is_audio_only_channel return RESULT_TRUE. lluLiveServiceID is [1001].";
const char* const kRecNone = "svc_pvr_get_current_recording_count return REC Num is [0]";

const Facts kVirtualChannel = {{"IService::FindService[1001]", {"1=9", "13=7", "14=1"}}};
const std::pair<std::string, vsim::Values> kNoRecording = {"svc_pvr_get_record_state_by_service_id[1001]", {"0", "0"}};
const std::pair<std::string, vsim::Values> kTimeshift = {"svc_pvr_is_timeshifting[1001]", {"1"}};
const std::pair<std::string, vsim::Values> kAudioOnly = {"svc_pvr_is_audio_only_channel[1001]", {"1"}};
const std::pair<std::string, vsim::Values> kLocked = {"IAVControl::GetParentalLock[1,0]", {"1"}};
const std::pair<std::string, vsim::Values> kNotEligible = {"svc_pvr_get_current_recording_count", {"0"}};
// An AV input that records, on a set without highlights in AV.
const Facts kAVWithoutHighlight = {{"ISourceControl::GetCurrentSourceInfo[1,0]", {"1"}},
                                   {"svc_pvr_get_record_state_by_service_id[4294967294]", {"2", "0"}},
                                   {"system_info_get_value_bool[464]", {"0"}}};

Facts With(Facts facts, const std::pair<std::string, vsim::Values>& more) {
    facts.push_back(more);
    return facts;
}

struct Row {
    const char* name;
    int key;
    Facts facts;  // over sports mode on a recording live channel that may use the sports functions
    bool zoom;    // zoom on screen
    bool resume;  // a resume left pending by zoom
    int verdict;
    std::vector<Launch> launches;
    std::vector<vsim::Extras> results;
    std::vector<std::string> pvr;  // PVR requests, by call
    bool moved;                    // the key's repeat mark moved
    std::vector<std::string> lines;
    std::vector<std::string> absent;
};

const vsim::Extras kHideZoom = {{"hide", "sportsmodezoom"}};

// clang-format off
const Row kRows[] = {
    // ---- red
    {"red, sports mode off", K::KEY_RED_T, {{"svc_pvr_is_sports_mode", {"0"}}}, false, false, 0, {}, {}, {}, false,
     {kSportsOff}, {"The channel type is 0"}},
    {"red, virtual channel", K::KEY_RED_T, kVirtualChannel, false, false, 0, {}, {}, {}, false,
     {"CHANNEL_TYPE_VIRTUAL channel,The channel type is 9", kVirtual}, {}},
    // Zoom on screen comes before the recording test.
    {"red, zoom on screen", K::KEY_RED_T, {kNoRecording}, true, false, 1, {}, {kHideZoom}, {}, true,
     {"current zoom showing, exit zoom sequence"}, {kNoStream}},
    {"red, no stream", K::KEY_RED_T, {kNoRecording}, false, false, 0, {}, {}, {}, true, {kNoStream}, {}},
    {"red, resume pending, ahead of the channel checks", K::KEY_RED_T, {kAudioOnly}, false, true, 1, {}, {}, {},
     true, {kResumePending}, {kRedNA}},
    {"red, resume pending, after the stream test", K::KEY_RED_T, {kNoRecording}, false, true, 0, {}, {}, {}, true,
     {kNoStream}, {kResumePending}},
    // Time-shifting alone is stream enough for red.
    {"red, audio-only", K::KEY_RED_T, {kNoRecording, kTimeshift, kAudioOnly}, false, false, 1, {kNA}, {}, {}, true,
     {kAudioLive, kRedNA}, {"bLocked = 0"}},
    {"red, parental lock", K::KEY_RED_T, {kLocked}, false, false, 1, {kNA}, {}, {}, true,
     {"bLocked = 1", "Is parent locked.", kRedNA}, {"Watch live TV off."}},
    {"red, live TV", K::KEY_RED_T, {{"svc_pvr_get_share_data[3]", {"1"}}}, false, false, 1, {kNA}, {}, {}, true,
     {"bLocked = 0", "Watch live TV on.", kRedNA}, {"3d mode have been set off or get 3d mode failed"}},
    {"red, 3D", K::KEY_RED_T, {{"avoc_get_3d_mode", {"1"}}}, false, false, 1, {kNA}, {}, {}, true,
     {"Watch live TV off.", "3d mode have been set on", kRedNA}, {"nPipOnOff = 0"}},
    {"red, picture in picture", K::KEY_RED_T, {{"vconf_get_int[db/menu/picture/pip/onoff]", {"1"}}}, false, false, 1,
     {kNA}, {}, {}, true, {"3d mode have been set off or get 3d mode failed", "nPipOnOff = 1", kRedNA}, {}},
    {"red, nothing in the way: pause", K::KEY_RED_T, {}, false, false, 1, {}, {}, {"svc_pvr_play_pause_by_service_id"},
     true, {"nPipOnOff = 0", "Before enter zoom, calls svc_pvr_play_pause_by_service_id api.bRet = [1]"}, {kRedNA}},

    // ---- green
    {"green, zoom on screen, ahead of the lock", K::KEY_GREEN_T, {kNoRecording, kLocked}, true, false, 1, {}, {}, {},
     false, {kZoomSwallows}, {"Is parent locked."}},
    {"green, lock, ahead of audio-only and the recording", K::KEY_GREEN_T, {kNoRecording, kLocked, kAudioOnly}, false,
     false, 1, {kNA}, {}, {}, false, {"Is parent locked.", kNotSupported}, {kAudioLive, kGreenNotRecording}},
    {"green, audio-only on AV, ahead of the AV highlight test", K::KEY_GREEN_T,
     With(kAVWithoutHighlight, {"svc_pvr_is_audio_only_channel[4294967294]", {"1"}}), false, false, 1, {kNA}, {}, {},
     false, {"svc_pvr_is_audio_only_channel return RESULT_TRUE. lluLiveServiceID is [4294967294].", kNotSupported},
     {"current source is AV, need further check"}},
    {"green, AV without highlights", K::KEY_GREEN_T, kAVWithoutHighlight, false, false, 1, {kNA}, {}, {}, false,
     {"current source is AV, need further check", "your tv doesnot support Highlight in AV.", kNotSupported}, {}},
    {"green, only time-shifting", K::KEY_GREEN_T, {kNoRecording, kTimeshift}, false, false, 1, {kNA}, {}, {}, false,
     {"There is no recording.", kGreenNotRecording}, {"nIsHPAvai is:[0]"}},
    // The highlight player's availability is only logged for green.
    {"green, not eligible", K::KEY_GREEN_T, {kNotEligible}, false, false, 1, {kNA}, {}, {}, false,
     {"nIsHPAvai is:[0]", kRecNone, kNotSupported}, {"Current m_bGreenWaitYellowProcessFlag is false"}},
    // Acted on: the mark moves although the answer is N/A.
    {"green, bookmark refused", K::KEY_GREEN_T, {{"svc_pvr_set_bookmark.ret", {"-1"}}}, false, false, 1, {kNA}, {},
     {"svc_pvr_set_bookmark"}, true,
     {"Current m_bGreenWaitYellowProcessFlag is false", "svc_pvr_set_bookmark result is not 0",
      "Failed to set bookmark!"}, {}},

    // ---- yellow: none of these starts the wait that blocks green
    {"yellow, audio-only, ahead of the recording", K::KEY_YELLOW_T, {kNoRecording, kAudioOnly}, false, false, 1, {kNA},
     {}, {}, false, {kAudioLive, kNotSupported}, {kYellowNotRecording}},
    {"yellow, only time-shifting: offer to record", K::KEY_YELLOW_T, {kNoRecording, kTimeshift}, false, false, 1,
     {ToRecorder("key_video_recorder_turned_on")}, {}, {}, false,
     {kYellowNotRecording, "Launch PVR_RECORDER_PACKAGE app, send [key_video_recorder_turned_on] key to it."},
     {"launch syspopup show NA"}},
    // Nothing saved comes before the eligibility test.
    {"yellow, no highlight yet", K::KEY_YELLOW_T, {kNotEligible}, false, false, 1, {ToRecorder("key_soccer_save_na")},
     {}, {}, false, {"nIsHPAvai is:[0]", "current channel has no bookmark! process KEY_YELLOW_T show save no popup."},
     {kRecNone}},
    {"yellow, not eligible", K::KEY_YELLOW_T, {kNotEligible, {"svc_pvr_is_highlight_player_available", {"1"}}},
     false, false, 1, {kNA}, {}, {}, false, {"nIsHPAvai is:[1]", kRecNone, kNotSupported},
     {"Launch sportsmode app, send [key_soccer_hp] key to it."}},
};
// clang-format on

class ColourKeysTest : public KeyTest {};

TEST_F(ColourKeysTest, RefusalsInTheOrderOfTheChecks) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        ResetWorld();
        SportsMode(true);
        Recording(true);
        Eligible(true);
        Fact("svc_pvr_get_recording_uri_by_service_id[1001]", {"/tmp/vantro-colour/match.srf"});
        Fact("svc_pvr_get_recording_uri_by_service_id[1001].ret", {"0"});
        for (const auto& f : row.facts) Fact(f.first, f.second);
        mgr->m_bZoomShowFlag = row.zoom;
        mgr->m_bWaitPauseSuccessFlag = row.resume;
        mgr->m_bZoomWaitPauseFlag = false;
        vtest::AdvanceMs(1000);
        vsim::ClearJournal();
        const timeval& mark = row.key == K::KEY_RED_T     ? mgr->m_stRedKeyTime
                              : row.key == K::KEY_GREEN_T ? mgr->m_stGreenKeyTime
                                                          : mgr->m_stYellowKeyTime;
        const timeval before = mark;

        EXPECT_EQ(mgr->m_ProcessUgRecognitionKey(row.key), row.verdict);
        EXPECT_EQ(Launches(), row.launches);
        EXPECT_EQ(Results(), row.results);
        std::vector<std::string> pvr;
        for (const vsim::Entry& e : vtest::EntriesOf("pvr")) pvr.push_back(e.name);
        EXPECT_EQ(pvr, row.pvr);
        EXPECT_EQ(mark.tv_sec != before.tv_sec || mark.tv_usec != before.tv_usec, row.moved);
        for (const std::string& line : row.lines) EXPECT_TRUE(vtest::LoggedOnSystem(line)) << line;
        for (const std::string& line : row.absent) EXPECT_FALSE(vtest::Logged(line)) << line;
        EXPECT_FALSE(mgr->m_bGreenWaitYellowProcessFlag);
        EXPECT_EQ(mgr->m_bZoomWaitPauseFlag, !row.pvr.empty() && row.key == K::KEY_RED_T);
    }
    mgr->m_bZoomShowFlag = false;
    mgr->m_bWaitPauseSuccessFlag = false;
}

// A press is a repeat when it comes at most the threshold after the mark:
// red's goes back to the viewer, green's and yellow's are swallowed. A
// repeat leaves the mark where it was.
TEST_F(ColourKeysTest, RepeatsEndOneMicrosecondPastTheThreshold) {
    struct Row {
        int key;
        const char* family;
        long thresholdUs;
        int repeatVerdict;
        const char* line;
        const timeval CSportsUGMgr::*mark;
    };
    const Row rows[] = {
        {K::KEY_RED_T, "red", 499999, 0, "time difference for red key is less than 500ms, ignore it!",
         &CSportsUGMgr::m_stRedKeyTime},
        {K::KEY_GREEN_T, "green", 499999, 1, "time difference for green key is less than 500ms, ignore it!",
         &CSportsUGMgr::m_stGreenKeyTime},
        {K::KEY_YELLOW_T, "yellow", 799999, 1, "time difference for yellow key is less than 800ms, ignore it!",
         &CSportsUGMgr::m_stYellowKeyTime},
    };
    SportsMode(true);
    Recording(true);
    Eligible(true);
    HighlightsAvailable(true);
    Fact("svc_pvr_get_recording_uri_by_service_id[1001]", {"/tmp/vantro-colour/match.srf"});
    Fact("svc_pvr_get_recording_uri_by_service_id[1001].ret", {"0"});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.family);
        const timeval& mark = mgr->*row.mark;
        const std::string diff = std::string("time difference for ") + row.family + " key is [0] s [";
        EXPECT_EQ(mgr->m_ProcessUgRecognitionKey(row.key), 1);
        const timeval acted = mark;
        AdvanceUs(row.thresholdUs);
        vsim::ClearJournal();
        EXPECT_EQ(mgr->m_ProcessUgRecognitionKey(row.key), row.repeatVerdict);
        EXPECT_TRUE(vtest::Logged(diff + std::to_string(row.thresholdUs) + "] us"));
        EXPECT_TRUE(vtest::LoggedOnSystem(row.line));
        EXPECT_TRUE(Launches().empty());
        EXPECT_TRUE(Results().empty());
        EXPECT_TRUE(vtest::EntriesOf("pvr").empty());
        EXPECT_EQ(mark.tv_sec, acted.tv_sec);
        EXPECT_EQ(mark.tv_usec, acted.tv_usec);
        AdvanceUs(1);
        vsim::ClearJournal();
        EXPECT_EQ(mgr->m_ProcessUgRecognitionKey(row.key), 1);
        EXPECT_TRUE(vtest::Logged(diff + std::to_string(row.thresholdUs + 1) + "] us"));
        EXPECT_FALSE(vtest::Logged(row.line));
        EXPECT_FALSE(Launches().empty() && Results().empty() && vtest::EntriesOf("pvr").empty());
        EXPECT_NE(mark.tv_usec, acted.tv_usec);
        vtest::AdvanceMs(1000);
    }
}

}  // namespace
