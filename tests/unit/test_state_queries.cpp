// TV and recording state queries over the simulated platform: which source
// and service are current, what the recorder does, what the TV supports, and
// the two time helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "PVRChannelMgr.h"
#include "SportsUtil.h"
#include "TestSupport.h"

namespace {

using vtest::ArgsOf;
using vtest::CallCount;
using vtest::kAvServiceId;
using vtest::LoggedAt;
using vtest::SetSource;
using Lines = std::vector<std::string>;
const auto Sys = vtest::LoggedOnSystem;

// The lines a query logged, less those of finding out the source.
Lines OwnLines() {
    Lines own;
    for (const std::string& line : vtest::LogMessages())
        if (line.rfind("ISourceControl::GetCurrentSourceInfo,", 0) != 0 && line.rfind("iCurSourceType is [", 0) != 0 &&
            line != "current source is not SOURCE_TYPE_AV.")
            own.push_back(line);
    return own;
}

// PlayPause reaches the channel manager.
class StateQueryTest : public vtest::FreshChannelMgrTest {};

// ---- yes/no questions over one platform answer ------------------------------------

// A question, the fact that steers it, and the arguments of its call (the
// fact's own call unless another is named).
struct Query {
    const char* name;
    bool (*ask)();
    const char* fact;
    const char* args;
    const char* call = nullptr;
    std::string Call() const { return call ? call : std::string(fact).substr(0, std::string(fact).find('[')); }
};
using U = CSportsUtil;
// clang-format off
const Query kSports{"sports mode", &U::IsSportsMode, "svc_pvr_is_sports_mode", ""};
const Query kPxv{"split screen", &U::IsPXVStateON, "vconf_get_int[memory/pxv/state]", "memory/pxv/state"};
const Query kPip{"PIP", &U::IsPIPOn, "vconf_get_int[db/menu/picture/pip/onoff]", "db/menu/picture/pip/onoff"};
const Query k3d{"3D", &U::Is3DEffectOn, "avoc_get_3d_mode", "0 0"};
const Query kLive{"live TV", &U::IsWatchLiveTV, "svc_pvr_get_share_data", "3"};
const Query kPlayer{"highlight player", &U::IsHighlightPlayerShowing, "svc_pvr_get_highlight_player_flag", ""};
const Query kPvr{"PVR", &U::IsSupportPVR, "system_info_get_value_int[125]", "125"};
const Query kAvHighlight{"highlight in AV", &U::IsSupportHighlightInAV, "system_info_get_value_bool[464]", "464"};
const Query kShift{"time shift", &U::IsCurrentChannelTimeshifting, "svc_pvr_is_timeshifting", "1001"};
const Query kPause{"paused", &U::IsRecorderPauseSuccess, "svc_pvr_get_play_state_by_service_id", "1001"};
const Query kLock{"parental lock", &U::IsParentLocked, "IAVControl::GetParentalLock", "1,0 0"};
// Asks the board generation only when the SBB is connected.
const Query kAtv{"ATV", &U::IsSupportATVRecording, "system_info_get_value_bool[363]", "362", "system_info_get_value_string"};
// Asks about a past recording only when none is in progress.
const Query kRec{"recording", &U::IsCurrentChannelRecording, "svc_pvr_get_record_state_by_service_id", "1001",
                 "svc_pvr_is_past_record_complete"};
// clang-format on

std::string RecState(const char* rec, const char* ts) {
    return std::string("Current service id [1001], rec_state is [") + rec + "], PS_RECORD_STATE_STOP is [0], " +
           "isTimeshift is [" + ts + "].";
}

TEST_F(StateQueryTest, QuestionsAnswerFromTheirOutValueAndLogTheirLines) {
    const char* kOff3d = "3d mode have been set off or get 3d mode failed";
    const char* kOn3d = "3d mode have been set on";
    const char* kPipFail = "get PipOnOff value failed!";
    const char* kHp = "HP is running ,we need delay send next event";
    const char* kAv = "current source is AV, need further check";
    const char* kInfoFail = "system_info_get_value_int failure";
    const char* kEarlier = "The TV board is earlier than Vorrel, donot support ATV recording. [1]";
    const char* kVorrel = "The TV board is 2015 Vorrel,support ATV recording. [1]";
    const char* kNoRecFail = "svc_pvr_get_record_state_by_service_id return not PS_CALL_METHOD_SUCCESS.";
    const vtest::Facts kAvInput = {{"ISourceControl::GetCurrentSourceInfo", {"3"}}};
    auto board = [](const char* text) { return vtest::Facts{{"system_info_get_value_string[362]", {text}}}; };
    auto past = [](vsim::Values v) { return vtest::Facts{{"svc_pvr_is_past_record_complete", v}}; };
    struct Row {
        Row(const Query& q_, vsim::Values v, int r, bool a, Lines l, vtest::Facts f = {}, int c = 1)
            : q(q_), value(std::move(v)), ret(r), answer(a), lines(std::move(l)), facts(std::move(f)), calls(c) {}
        const Query& q;
        vsim::Values value;
        int ret;
        bool answer;
        Lines lines;  // every line of its own, in order; "I " marks the main log at info
        vtest::Facts facts;
        int calls;  // of the query's call with its arguments
    };
    // clang-format off
    const Row rows[] = {
        // Exactly 1 is on; the call's own result is not looked at.
        {kSports, {"1"}, 0, true, {}}, {kSports, {"0"}, 0, false, {}}, {kSports, {"2"}, 0, false, {}},
        {kSports, {}, 0, false, {}}, {kSports, {"1"}, -1, true, {}},
        {kPxv, {"1"}, 0, true, {}}, {kPxv, {"0"}, 0, false, {}}, {kPxv, {"2"}, 0, false, {}},
        {kPxv, {}, 0, false, {}}, {kPxv, {"1"}, -1, true, {}},
        // Anything but 0 is on, unless the read failed.
        {kPip, {"0"}, 0, false, {"nPipOnOff = 0"}}, {kPip, {"1"}, 0, true, {"nPipOnOff = 1"}},
        {kPip, {"-2"}, 0, true, {"nPipOnOff = -2"}}, {kPip, {}, 0, false, {"nPipOnOff = 0"}},
        {kPip, {"1"}, -1, false, {kPipFail}}, {kPip, {"1"}, 1, false, {kPipFail}},
        {k3d, {"0"}, 0, false, {kOff3d}}, {k3d, {"1"}, 0, true, {kOn3d}}, {k3d, {"-2"}, 0, true, {kOn3d}},
        {k3d, {}, 0, false, {kOff3d}}, {k3d, {"1"}, -1, false, {kOff3d}}, {k3d, {"1"}, 1, false, {kOff3d}},
        // The share value is 64 bits; its result is not looked at.
        {kLive, {"1"}, 0, true, {"I llWatchTvVaule is [1]", "Watch live TV on."}},
        {kLive, {"0"}, 0, false, {"I llWatchTvVaule is [0]", "Watch live TV off."}},
        {kLive, {"2"}, 0, false, {"I llWatchTvVaule is [2]", "Watch live TV off."}},
        {kLive, {}, 0, false, {"I llWatchTvVaule is [0]", "Watch live TV off."}},
        {kLive, {"1"}, -1, true, {"I llWatchTvVaule is [1]", "Watch live TV on."}},
        {kLive, {"4294967297"}, 0, false, {"I llWatchTvVaule is [4294967297]", "Watch live TV off."}},
        {kPlayer, {"1"}, 0, true, {"svc_pvr_get_highlight_player_flag[1]", kHp}},
        {kPlayer, {"2"}, 0, true, {"svc_pvr_get_highlight_player_flag[2]", kHp}},
        {kPlayer, {"0"}, 0, false, {"svc_pvr_get_highlight_player_flag[0]"}},
        {kPlayer, {}, 0, false, {"svc_pvr_get_highlight_player_flag[0]"}},
        {kPlayer, {"1"}, -1, false, {}},
        {kPvr, {"1"}, 0, true, {"your tv support PVR."}}, {kPvr, {"2"}, 0, true, {"your tv support PVR."}},
        {kPvr, {"0"}, 0, false, {"your tv doesnot support PVR."}}, {kPvr, {"1"}, -1, false, {kInfoFail}},
        // On an AV input the product flag decides; it presets to unsupported.
        {kAvHighlight, {"1"}, 0, true, {kAv, "your tv support Highlight in AV."}, kAvInput},
        {kAvHighlight, {"0"}, 0, false, {kAv, "your tv doesnot support Highlight in AV."}, kAvInput},
        {kAvHighlight, {}, 0, false, {kAv, "your tv doesnot support Highlight in AV."}, kAvInput},
        {kAvHighlight, {"1"}, -1, false, {kAv, kInfoFail}, kAvInput},
        // Out values only: the calls' own results are not looked at.
        {kShift, {"0"}, 0, false, {}}, {kShift, {"-1"}, 0, true, {}}, {kShift, {"2"}, -1, true, {}},
        {kShift, {}, 0, false, {}},
        {kPause, {"2"}, 0, true, {}}, {kPause, {"1"}, 0, false, {}}, {kPause, {"3"}, 0, false, {}},
        {kPause, {}, 0, false, {}}, {kPause, {"2"}, -1, true, {}},
        // Without an SBB, or without a board text, analogue recording is not refused.
        {kAtv, {"1"}, -1, true, {"system_info_get_value_bool fail, ret_sbb = [-1]"}, board("2014"), 0},
        {kAtv, {"0"}, 0, true, {"SBB is connected or not , the value is [0]", "SBB is not connected"}, board("2014"), 0},
        {kAtv, {}, 0, true, {"SBB is connected or not , the value is [0]", "SBB is not connected"}, board("2014"), 0},
        {kAtv, {"1"}, 0, false, {"SBB is connected or not , the value is [1]", kEarlier}, board("2014")},
        {kAtv, {"1"}, 0, true, {"SBB is connected or not , the value is [1]", kVorrel}, board("2015")},
        {kAtv, {"1"}, 0, true, {"SBB is connected or not , the value is [1]", kVorrel}, board("2016_X")},
        {kAtv, {"1"}, 0, false, {"SBB is connected or not , the value is [1]", kEarlier}, board("201")},
        {kAtv, {"1"}, 0, false, {"SBB is connected or not , the value is [1]", kEarlier}, board("1999")},
        {kAtv, {"1"}, 0, true, {"SBB is connected or not , the value is [1]",
                                "The TV board is unknown, support ATV recording. [1]"},
         {{"system_info_get_value_string[362].ret", {"-1"}}}},
        // Only a positive result counts; a lock the service does not report is off.
        {kLock, {"1"}, 1, true, {"bLocked = 1", "Is parent locked."}},
        {kLock, {"1"}, 7, true, {"bLocked = 1", "Is parent locked."}},
        {kLock, {"0"}, 1, false, {"bLocked = 0"}}, {kLock, {}, 1, false, {"bLocked = 0"}},
        {kLock, {"1"}, 0, false, {}}, {kLock, {"1"}, -1, false, {}},
        {kLock, {"1"}, 1, false, {}, {{"TVServiceAPI::CreateAVControl[1,0]", {"null"}}}, 0},
        // Stopped (0) and 1 are not recording; then a complete past recording (1) counts.
        {kRec, {"0", "0"}, 0, false, {RecState("0", "0"), "There is no recording."}, past({"0"})},
        {kRec, {"1", "0"}, 0, false, {RecState("1", "0"), "There is no recording."}, past({"0"})},
        {kRec, {"1", "0"}, 0, true, {RecState("1", "0"), "Now is past record complete state."}, past({"1"})},
        {kRec, {"0", "1"}, 0, false, {RecState("0", "1"), "There is no recording."}, past({"2"})},
        {kRec, {"0", "0"}, 0, false, {RecState("0", "0"), "There is no recording."}, past({})},
        {kRec, {}, 0, true, {RecState("0", "0"), "Now is past record complete state."}, past({"1"})},
        {kRec, {"2", "1"}, 0, true, {RecState("2", "1"), "Current channel is recording."}, past({"0"}), 0},
        {kRec, {"-1", "0"}, 0, true, {RecState("-1", "0"), "Current channel is recording."}, past({"0"}), 0},
        {kRec, {"2", "0"}, -1, false, {kNoRecFail}, past({"1"}), 0},
        {kRec, {"2", "0"}, 1, false, {kNoRecFail}, past({"1"}), 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.q.name) + " " + vtest::FirstOr(row.value) + " ret " + std::to_string(row.ret));
        vsim::ResetWorld();
        vtest::SetCall(row.q.fact, row.value, row.ret);
        vtest::SetFacts(row.facts);
        EXPECT_EQ(row.q.ask(), row.answer);
        Lines expected;
        for (const std::string& line : row.lines) {
            bool info = line.rfind("I ", 0) == 0;
            expected.push_back(info ? line.substr(2) : line);
            EXPECT_TRUE(info ? LoggedAt(expected.back(), LOG_ID_MAIN, DLOG_INFO) : Sys(line)) << line;
        }
        EXPECT_EQ(OwnLines(), expected);
        EXPECT_EQ(ArgsOf(row.q.Call()), Lines(row.calls, row.q.args));
    }
}

// ---- source and service ---------------------------------------------------------

TEST_F(StateQueryTest, SplitScreenFocusPicksTheSourceWindow) {
    struct Row {
        vsim::Values pxvState, focus;  // the split-screen and focus facts
        int focusRet;
        const char* window;  // source control asked ("1,W")
        bool focusError;     // "FouceSreenId error" logged
    };
    // clang-format off
    const Row rows[] = {
        {{"0"}, {"5"}, 0, "1,0", false},  // no split screen: focus not read
        {{}, {"5"}, 0, "1,0", false},     // state not written: preset 0
        {{"2"}, {"5"}, 0, "1,0", false},  // only 1 means split screen
        {{"1"}, {"1"}, 0, "1,0", false}, {{"1"}, {"3"}, 0, "1,0", false}, {{"1"}, {"5"}, 0, "1,0", false},
        {{"1"}, {"0"}, 0, "1,1", false}, {{"1"}, {"2"}, 0, "1,1", false}, {{"1"}, {"4"}, 0, "1,1", false},
        {{"1"}, {"9"}, 0, "1,9", true},  {{"1"}, {"6"}, 0, "1,6", true},  {{"1"}, {"-1"}, 0, "1,-1", true},
        {{"1"}, {"3"}, -1, "1,1", false},  // failed read counts as focus 0, whatever it wrote
        {{"1"}, {}, 0, "1,1", false},      // nothing written: preset 0
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE("focus " + vtest::FirstOr(row.focus) + " ret " + std::to_string(row.focusRet));
        vsim::ResetWorld();
        vsim::SetFact("vconf_get_int[memory/pxv/state]", row.pxvState);
        vtest::SetCall("vconf_get_int[db/pxv/pxv_focus]", row.focus, row.focusRet);
        int type = -7;
        EXPECT_EQ(CSportsUtil::GetSourceType(type), 0);
        EXPECT_EQ(type, 0);
        EXPECT_EQ(ArgsOf("TVServiceAPI::CreateSourceControl"), Lines{row.window});
        EXPECT_EQ(ArgsOf("ISourceControl::GetCurrentSourceInfo"), Lines{row.window});
        bool split = vtest::FirstOr(row.pxvState) == "1";
        EXPECT_EQ(Sys("PXV Mode"), split);
        EXPECT_EQ(CallCount("vconf_get_int") == 2, split);
        EXPECT_EQ(Sys("FouceSreenId error"), row.focusError);
        EXPECT_EQ(Sys("Get focus windowId failed!"), row.focusRet != 0);
        std::string shown = row.focusRet != 0 ? "0" : vtest::FirstOr(row.focus, "0");
        EXPECT_EQ(Sys("PXV focus screen Id is [" + shown + "]"), split);
    }
}

TEST_F(StateQueryTest, SourceTypeIsHandedOnWithTheControlsResult) {
    SetSource(29);
    vsim::SetFact("ISourceControl::GetCurrentSourceInfo.ret", {"3"});
    int type = -1;
    EXPECT_EQ(CSportsUtil::GetSourceType(type), 3);
    EXPECT_EQ(type, 29);
    EXPECT_TRUE(Sys("ISourceControl::GetCurrentSourceInfo,current source [29] [0:tv, playback:25], rtn [3]"));

    // A failing control still hands on what it wrote, or its own preset 0.
    vtest::SetCall("ISourceControl::GetCurrentSourceInfo", {}, -1);
    type = 36;
    EXPECT_EQ(CSportsUtil::GetSourceType(type), -1);
    EXPECT_EQ(type, 0);

    // Only a missing object is a failure of the creation; its result is not looked at.
    vsim::ResetWorld();
    vsim::SetFact("TVServiceAPI::CreateSourceControl[1,0].ret", {"-5"});
    SetSource(2);
    EXPECT_EQ(CSportsUtil::GetSourceType(type), 0);
    EXPECT_EQ(type, 2);

    vsim::SetFact("TVServiceAPI::CreateSourceControl[1,0]", {"null"});
    vsim::ClearJournal();
    type = 36;
    EXPECT_EQ(CSportsUtil::GetSourceType(type), -1);
    EXPECT_EQ(type, 36);
    EXPECT_TRUE(Sys("TVServiceAPI::CreateSourceControl failed"));
    EXPECT_EQ(CallCount("ISourceControl::GetCurrentSourceInfo"), 0);

    // Without a source control the service id falls back to the live service.
    unsigned long long id = 0;
    EXPECT_TRUE(CSportsUtil::GetCurrentServiceID(&id));
    EXPECT_EQ(id, 1001ULL);
    // The live-TV call's result is not looked at; what it did not write stays.
    vtest::SetCall("svc_pvr_get_current_livetv_service_id", {}, -1);
    id = 77;
    EXPECT_TRUE(CSportsUtil::GetCurrentServiceID(&id));
    EXPECT_EQ(id, 77ULL);
}

TEST_F(StateQueryTest, AvSourceGroupDecidesSourceServiceAndHighlightSupport) {
    struct Row {
        int type, infoRet;
        bool av;  // in the AV group and the source read succeeded
    };
    // clang-format off
    const Row rows[] = {
        {0, 0, false}, {1, 0, true}, {2, 0, true}, {3, 0, true}, {36, 0, true}, {4, 0, false},
        {35, 0, false}, {37, 0, false}, {-1, 0, false},
        {36, 5, true},   // any result but -1 is a determined source
        {1, -1, false},  // -1: undetermined, whatever was written
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE("type " + std::to_string(row.type) + " ret " + std::to_string(row.infoRet));
        vsim::ResetWorld();
        vtest::SetCall("ISourceControl::GetCurrentSourceInfo", {std::to_string(row.type)}, row.infoRet);
        vsim::SetFact("svc_pvr_get_current_livetv_service_id", {"1005"});
        bool undetermined = row.infoRet == -1;

        EXPECT_EQ(CSportsUtil::IsAVSource(), row.av);
        EXPECT_EQ(Sys("Get source type failed."), undetermined);
        EXPECT_EQ(Sys("iCurSourceType is [" + std::to_string(row.type) +
                      "],current source is SOURCE_TYPE_AV or SOURCE_TYPE_PLAYBACK_AV."),
                  row.av);
        EXPECT_EQ(Sys("current source is not SOURCE_TYPE_AV."), !undetermined && !row.av);

        vsim::ClearJournal();
        unsigned long long id = 0;
        EXPECT_TRUE(CSportsUtil::GetCurrentServiceID(&id));
        EXPECT_EQ(id, row.av ? kAvServiceId : 1005ULL);
        EXPECT_EQ(CallCount("svc_pvr_get_current_livetv_service_id"), row.av ? 0 : 1);

        vsim::ClearJournal();
        EXPECT_EQ(CSportsUtil::IsSupportHighlightInAV(), !undetermined);  // key 464 defaults to supported
        EXPECT_EQ(Sys("get current source type failed!!, not supprot"), undetermined);
        EXPECT_EQ(Sys("Not AV source, support"), !undetermined && !row.av);
        EXPECT_EQ(Sys("current source is AV, need further check"), row.av);
        EXPECT_EQ(CallCount("system_info_get_value_bool"), row.av ? 1 : 0);
    }
}

// ---- the recorder ------------------------------------------------------------------

TEST_F(StateQueryTest, RecorderQueriesAskAboutTheCurrentService) {
    // On an AV input every per-service question names the reserved AV id.
    for (int source : {0, 36}) {
        const char* id = source ? "4294967294" : "1001";
        SCOPED_TRACE(id);
        vsim::ResetWorld();
        SetSource(source);
        CSportsUtil::IsCurrentChannelRecording();
        CSportsUtil::IsCurrentChannelTimeshifting();
        CSportsUtil::IsRecorderPauseSuccess();
        std::string uri;
        CSportsUtil::GetCurrentRecordingURI(uri);
        CSportsUtil::PlayResume();
        for (const char* call : {"svc_pvr_get_record_state_by_service_id", "svc_pvr_is_past_record_complete",
                                 "svc_pvr_is_timeshifting", "svc_pvr_get_play_state_by_service_id",
                                 "svc_pvr_get_recording_uri_by_service_id", "svc_pvr_play_resume_by_service_id"})
            EXPECT_EQ(ArgsOf(call), Lines{id}) << call;
    }
}

TEST_F(StateQueryTest, PauseResetsThePictureFirstAndAlwaysSucceeds) {
    EXPECT_TRUE(CSportsUtil::PlayPause());
    Lines calls = vtest::CallNames();
    auto size = std::find(calls.begin(), calls.end(), "IVideoControl::SetDefaultSize");
    ASSERT_NE(size, calls.end());
    EXPECT_NE(std::find(size, calls.end(), "svc_pvr_play_pause_by_service_id"), calls.end());
    EXPECT_EQ(ArgsOf("svc_pvr_play_pause_by_service_id"), Lines{"1001"});

    // Neither a picture that cannot be reset nor a refused request fails the pause.
    vsim::ResetWorld();
    vsim::SetFact("TVServiceAPI::CreateVideoControl[1,0]", {"null"});
    vsim::SetFact("svc_pvr_play_pause_by_service_id.ret", {"-1"});
    vsim::SetFact("svc_pvr_play_resume_by_service_id.ret", {"-1"});
    EXPECT_TRUE(CSportsUtil::PlayPause());
    EXPECT_EQ(CallCount("svc_pvr_play_pause_by_service_id"), 1);
    EXPECT_TRUE(Sys("pVideoCtrl is created failed"));
    EXPECT_TRUE(CSportsUtil::PlayResume());
    EXPECT_EQ(CallCount("svc_pvr_play_resume_by_service_id"), 1);
    EXPECT_EQ(CallCount("IVideoControl::SetDefaultSize"), 0);
}

TEST_F(StateQueryTest, RecordingUriOnlyOnSuccessAndCountFromTheList) {
    const std::string longest(255, 'r');
    const struct {
        vsim::Values uri;
        int ret;
        const char* expected;  // null: failed, the string kept
    } rows[] = {
        {{"/opt/pvr/rec_1.srf"}, 3, nullptr},
        {{"/opt/pvr/rec_1.srf"}, 0, "/opt/pvr/rec_1.srf"},
        {{}, 0, ""},  // nothing written: the zeroed buffer gives an empty path
        {{longest + "tail"}, 0, longest.c_str()},
    };
    // By default the service has no recording path for the channel.
    std::string uri = "keep";
    EXPECT_FALSE(CSportsUtil::GetCurrentRecordingURI(uri));
    EXPECT_EQ(uri, "keep");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ret);
        uri = "keep";
        vtest::SetCall("svc_pvr_get_recording_uri_by_service_id", row.uri, row.ret);
        EXPECT_EQ(CSportsUtil::GetCurrentRecordingURI(uri), row.expected != nullptr);
        EXPECT_EQ(uri, row.expected ? row.expected : "keep");
    }

    EXPECT_EQ(CSportsUtil::GetCurrentRecordingNum(), 0);
    vsim::SetFact("svc_pvr_get_recording_service_id_list", {"1001", "1002", "1003"});
    EXPECT_EQ(CSportsUtil::GetCurrentRecordingNum(), 3);
    EXPECT_EQ(ArgsOf("svc_pvr_get_recording_service_id_list"), (Lines{"10", "10"}));
}

// ---- time helpers ----------------------------------------------------------------

TEST(TimeTextTest, NineBytesOfTwoDigitFields) {
    const struct {
        long seconds;
        const char* text;
    } rows[] = {
        {0, "00:00:00"},    {59, "00:00:59"},           {60, "00:01:00"},    {3599, "00:59:59"},
        {3600, "01:00:00"}, {3725, "01:02:05"},         {86399, "23:59:59"}, {215999, "59:59:59"},
        {-5, "00:00:00"},   {1000L * 3600, "99:59:59"},  // pinned to the ends of two hour digits
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.seconds);
        char text[16];
        std::memset(text, '#', sizeof text);
        CSportsUtil::FormatLongToTime(row.seconds, text);
        EXPECT_EQ(std::string(text, 9), std::string(row.text, 9));
        for (std::size_t i = 9; i < sizeof text; ++i) ASSERT_EQ(text[i], '#') << i;
    }
}

class TimeDifferenceTest : public vtest::SimTest {};

TEST_F(TimeDifferenceTest, EndMinusStartWithBorrow) {
    const struct {
        long s0, u0, s1, u1, sec, usec;
    } rows[] = {
        {10, 900000, 11, 100000, 0, 200000},  // borrowed second
        {10, 100000, 10, 300000, 0, 200000},
        {10, 0, 12, 0, 2, 0},  // borrow given back
        {10, 500000, 11, 499999, 0, 999999},
        {10, 500000, 11, 500000, 1, 0},
        {10, 0, 10, 0, 0, 0},
        {10, 300000, 10, 100000, 0, -200000},  // end before start within a second
        {12, 0, 10, 0, -2, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.s0) + "." + std::to_string(row.u0) + " -> " + std::to_string(row.s1) + "." +
                     std::to_string(row.u1));
        vsim::ClearJournal();
        timeval d = CSportsUtil::GetTimeDifference(timeval{row.s0, row.u0}, timeval{row.s1, row.u1});
        EXPECT_EQ(d.tv_sec, row.sec);
        EXPECT_EQ(d.tv_usec, row.usec);
        EXPECT_TRUE(LoggedAt("start:[ " + std::to_string(row.s0) + " , " + std::to_string(row.u0) + " ]", LOG_ID_MAIN,
                             DLOG_WARN));
        EXPECT_TRUE(LoggedAt("end:[ " + std::to_string(row.s1) + " , " + std::to_string(row.u1) + " ]", LOG_ID_MAIN,
                             DLOG_WARN));
    }
}

}  // namespace
