// TV and recording state queries over the simulated platform: which source
// and service are current, what the recorder does, what the TV supports, and
// the two time helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PVRChannelMgr.h"
#include "SportsUtil.h"
#include "TestSupport.h"

namespace {

using vtest::CallCount;
using vtest::Logged;
using vtest::LoggedAt;

using vtest::ArgsOf;
const auto Sys = vtest::LoggedOnSystem;

// Position of the first call of this name in the journal, -1 when absent.
int PositionOf(const std::string& call) {
    std::vector<vsim::Entry> calls = vtest::EntriesOf("call");
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].name == call) return static_cast<int>(i);
    return -1;
}

using vtest::kAvServiceId;
using vtest::SetSource;

// PlayPause reaches the channel manager.
class StateQueryTest : public vtest::FreshChannelMgrTest {};

// ---- source and service ---------------------------------------------------------

TEST_F(StateQueryTest, SplitScreenFocusPicksTheSourceWindow) {
    struct Row {
        std::vector<std::string> pxvState;  // values of the split-screen fact
        std::vector<std::string> focus;     // values of the focus fact
        int focusRet;                       // result of the focus read
        const char* window;                 // source control asked ("1,W")
        bool focusError;                    // "FouceSreenId error" logged
    };
    // clang-format off
    const Row rows[] = {
        {{"0"}, {"5"}, 0, "1,0", false},  // no split screen: focus not read
        {{}, {"5"}, 0, "1,0", false},     // state not written: preset 0
        {{"2"}, {"5"}, 0, "1,0", false},  // only 1 means split screen
        {{"1"}, {"1"}, 0, "1,0", false},
        {{"1"}, {"3"}, 0, "1,0", false},
        {{"1"}, {"5"}, 0, "1,0", false},
        {{"1"}, {"0"}, 0, "1,1", false},
        {{"1"}, {"2"}, 0, "1,1", false},
        {{"1"}, {"4"}, 0, "1,1", false},
        {{"1"}, {"9"}, 0, "1,9", true},
        {{"1"}, {"6"}, 0, "1,6", true},
        {{"1"}, {"-1"}, 0, "1,-1", true},
        {{"1"}, {"3"}, -1, "1,1", false},  // failed read counts as focus 0, whatever it wrote
        {{"1"}, {}, 0, "1,1", false},      // nothing written: preset 0
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("focus ") + (row.focus.empty() ? "-" : row.focus[0]) + " ret " +
                     std::to_string(row.focusRet));
        vsim::ResetWorld();
        vsim::SetFact("vconf_get_int[memory/pxv/state]", row.pxvState);
        vsim::SetFact("vconf_get_int[db/pxv/pxv_focus]", row.focus);
        vsim::SetFact("vconf_get_int[db/pxv/pxv_focus].ret", {std::to_string(row.focusRet)});
        int type = -7;
        EXPECT_EQ(CSportsUtil::GetSourceType(type), 0);
        EXPECT_EQ(type, 0);
        EXPECT_EQ(ArgsOf("TVServiceAPI::CreateSourceControl"), std::vector<std::string>{row.window});
        EXPECT_EQ(ArgsOf("ISourceControl::GetCurrentSourceInfo"), std::vector<std::string>{row.window});
        bool split = !row.pxvState.empty() && row.pxvState[0] == "1";
        EXPECT_EQ(Sys("PXV Mode"), split);
        EXPECT_EQ(CallCount("vconf_get_int") == 2, split);
        EXPECT_EQ(Sys("FouceSreenId error"), row.focusError);
        EXPECT_EQ(Sys("Get focus windowId failed!"), row.focusRet != 0);
        if (split) {
            std::string shown = row.focusRet != 0 || row.focus.empty() ? "0" : row.focus[0];
            EXPECT_TRUE(Sys("PXV focus screen Id is [" + shown + "]"));
        }
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
    vsim::SetFact("ISourceControl::GetCurrentSourceInfo", {});
    vsim::SetFact("ISourceControl::GetCurrentSourceInfo.ret", {"-1"});
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
}

TEST_F(StateQueryTest, AvSourceGroupDecidesSourceServiceAndHighlightSupport) {
    struct Row {
        int type;
        int infoRet;
        bool av;  // in the AV group and the source read succeeded
    };
    // clang-format off
    const Row rows[] = {
        {0, 0, false}, {1, 0, true},   {2, 0, true},   {3, 0, true},   {36, 0, true},   {4, 0, false},
        {29, 0, false}, {25, 0, false}, {35, 0, false}, {37, 0, false}, {-1, 0, false},
        {36, 5, true},     // any result but -1 is a determined source
        {1, -1, false},    // -1: undetermined, whatever was written
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE("type " + std::to_string(row.type) + " ret " + std::to_string(row.infoRet));
        vsim::ResetWorld();
        SetSource(row.type);
        vsim::SetFact("ISourceControl::GetCurrentSourceInfo.ret", {std::to_string(row.infoRet)});
        vsim::SetFact("svc_pvr_get_current_livetv_service_id", {"1005"});

        EXPECT_EQ(CSportsUtil::IsAVSource(), row.av);
        if (row.infoRet == -1) {
            EXPECT_TRUE(Sys("Get source type failed."));
        } else if (row.av) {
            EXPECT_TRUE(Sys("iCurSourceType is [" + std::to_string(row.type) +
                            "],current source is SOURCE_TYPE_AV or SOURCE_TYPE_PLAYBACK_AV."));
        } else {
            EXPECT_TRUE(Sys("current source is not SOURCE_TYPE_AV."));
        }

        vsim::ClearJournal();
        unsigned long long id = 0;
        EXPECT_TRUE(CSportsUtil::GetCurrentServiceID(&id));
        EXPECT_EQ(id, row.av ? kAvServiceId : 1005ULL);
        EXPECT_EQ(CallCount("svc_pvr_get_current_livetv_service_id"), row.av ? 0 : 1);

        vsim::ClearJournal();
        bool undetermined = row.infoRet == -1;
        bool inGroup = !undetermined && row.av;
        EXPECT_EQ(CSportsUtil::IsSupportHighlightInAV(), !undetermined);  // key 464 defaults to supported
        EXPECT_EQ(Sys("get current source type failed!!, not supprot"), undetermined);
        EXPECT_EQ(Sys("Not AV source, support"), !undetermined && !inGroup);
        EXPECT_EQ(Sys("current source is AV, need further check"), inGroup);
        EXPECT_EQ(CallCount("system_info_get_value_bool"), inGroup ? 1 : 0);
    }
}

TEST_F(StateQueryTest, ServiceIdFallsBackToTheLiveServiceAndKeepsThePreset) {
    vsim::SetFact("TVServiceAPI::CreateSourceControl[1,0]", {"null"});
    unsigned long long id = 0;
    EXPECT_TRUE(CSportsUtil::GetCurrentServiceID(&id));
    EXPECT_EQ(id, 1001ULL);

    // The live-TV call's result is not looked at; what it did not write stays.
    vsim::SetFact("svc_pvr_get_current_livetv_service_id", {});
    vsim::SetFact("svc_pvr_get_current_livetv_service_id.ret", {"-1"});
    id = 77;
    EXPECT_TRUE(CSportsUtil::GetCurrentServiceID(&id));
    EXPECT_EQ(id, 77ULL);
}

TEST_F(StateQueryTest, HighlightInAvNeedsTheProductFlag) {
    struct Row {
        std::vector<std::string> flag;
        int ret;
        bool answer;
        const char* line;
    };
    // clang-format off
    const Row rows[] = {
        {{"1"}, 0, true, "your tv support Highlight in AV."},
        {{"0"}, 0, false, "your tv doesnot support Highlight in AV."},
        {{}, 0, false, "your tv doesnot support Highlight in AV."},  // preset false
        {{"1"}, -1, false, "system_info_get_value_int failure"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        vsim::ResetWorld();
        SetSource(3);
        vsim::SetFact("system_info_get_value_bool[464]", row.flag);
        vsim::SetFact("system_info_get_value_bool[464].ret", {std::to_string(row.ret)});
        EXPECT_EQ(CSportsUtil::IsSupportHighlightInAV(), row.answer);
        EXPECT_TRUE(Sys(row.line));
        EXPECT_EQ(ArgsOf("system_info_get_value_bool"), std::vector<std::string>{"464"});
    }
}

// ---- recording, time shift and pause ----------------------------------------------

TEST_F(StateQueryTest, RecordingStateAndPastRecording) {
    struct Row {
        std::vector<std::string> state;  // recState, isTimeshift
        int ret;
        std::vector<std::string> complete;
        bool answer;
        const char* line;
        bool asksPast;
    };
    // clang-format off
    const Row rows[] = {
        {{"0", "0"}, 0, {"0"}, false, "There is no recording.", true},
        {{"1", "0"}, 0, {"0"}, false, "There is no recording.", true},
        {{"1", "0"}, 0, {"1"}, true, "Now is past record complete state.", true},
        {{"0", "1"}, 0, {"2"}, false, "There is no recording.", true},  // only 1 is complete
        {{"0", "0"}, 0, {}, false, "There is no recording.", true},     // preset 0
        {{"2", "1"}, 0, {"0"}, true, "Current channel is recording.", false},
        {{"5", "0"}, 0, {"0"}, true, "Current channel is recording.", false},
        {{"-1", "0"}, 0, {"0"}, true, "Current channel is recording.", false},
        {{}, 0, {"1"}, true, "Now is past record complete state.", true},  // preset 0
        {{"2", "0"}, -1, {"1"}, false,
         "svc_pvr_get_record_state_by_service_id return not PS_CALL_METHOD_SUCCESS.", false},
        {{"2", "0"}, 1, {"1"}, false,
         "svc_pvr_get_record_state_by_service_id return not PS_CALL_METHOD_SUCCESS.", false},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.line) + " state " + (row.state.empty() ? "-" : row.state[0]));
        vsim::ResetWorld();
        vsim::SetFact("svc_pvr_get_record_state_by_service_id", row.state);
        vsim::SetFact("svc_pvr_get_record_state_by_service_id.ret", {std::to_string(row.ret)});
        vsim::SetFact("svc_pvr_is_past_record_complete", row.complete);
        EXPECT_EQ(CSportsUtil::IsCurrentChannelRecording(), row.answer);
        EXPECT_TRUE(Sys(row.line));
        EXPECT_EQ(CallCount("svc_pvr_is_past_record_complete"), row.asksPast ? 1 : 0);
        if (row.ret == 0) {
            std::string rec = row.state.empty() ? "0" : row.state[0];
            std::string ts = row.state.empty() ? "0" : row.state[1];
            EXPECT_TRUE(Sys("Current service id [1001], rec_state is [" + rec +
                            "], PS_RECORD_STATE_STOP is [0], isTimeshift is [" + ts + "]."));
        }
    }
}

TEST_F(StateQueryTest, RecorderQueriesAskAboutTheCurrentService) {
    // On an AV input every per-service question names the reserved AV id.
    struct Source {
        int type;
        const char* id;
    };
    for (const Source& source : {Source{0, "1001"}, Source{36, "4294967294"}}) {
        SCOPED_TRACE(source.id);
        vsim::ResetWorld();
        SetSource(source.type);
        CSportsUtil::IsCurrentChannelRecording();
        CSportsUtil::IsCurrentChannelTimeshifting();
        CSportsUtil::IsRecorderPauseSuccess();
        std::string uri;
        CSportsUtil::GetCurrentRecordingURI(uri);
        CSportsUtil::PlayResume();
        for (const char* call : {"svc_pvr_get_record_state_by_service_id", "svc_pvr_is_past_record_complete",
                                 "svc_pvr_is_timeshifting", "svc_pvr_get_play_state_by_service_id",
                                 "svc_pvr_get_recording_uri_by_service_id", "svc_pvr_play_resume_by_service_id"})
            EXPECT_EQ(ArgsOf(call), std::vector<std::string>{source.id}) << call;
    }
}

TEST_F(StateQueryTest, TimeShiftAndPauseReadTheOutValueOnly) {
    struct Row {
        std::vector<std::string> value;
        int ret;
        bool timeshifting;
        bool paused;
    };
    // clang-format off
    const Row rows[] = {
        {{"0"}, 0, false, false}, {{"1"}, 0, true, false},  {{"2"}, 0, true, true},
        {{"3"}, 0, true, false},  {{"-1"}, 0, true, false}, {{}, 0, false, false},
        {{"2"}, -1, true, true},  // the calls' own results are not looked at
        {{}, -1, false, false},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE((row.value.empty() ? std::string("-") : row.value[0]) + " ret " + std::to_string(row.ret));
        vsim::ResetWorld();
        for (const char* call : {"svc_pvr_is_timeshifting", "svc_pvr_get_play_state_by_service_id"}) {
            vsim::SetFact(call, row.value);
            vsim::SetFact(std::string(call) + ".ret", {std::to_string(row.ret)});
        }
        EXPECT_EQ(CSportsUtil::IsCurrentChannelTimeshifting(), row.timeshifting);
        EXPECT_EQ(CSportsUtil::IsRecorderPauseSuccess(), row.paused);
    }
}

TEST_F(StateQueryTest, PauseResetsThePictureFirstAndAlwaysSucceeds) {
    EXPECT_TRUE(CSportsUtil::PlayPause());
    int size = PositionOf("IVideoControl::SetDefaultSize");
    int pause = PositionOf("svc_pvr_play_pause_by_service_id");
    ASSERT_GE(size, 0);
    EXPECT_LT(size, pause);
    EXPECT_EQ(ArgsOf("svc_pvr_play_pause_by_service_id"), std::vector<std::string>{"1001"});

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

TEST_F(StateQueryTest, RecordingUriOnlyOnSuccess) {
    // By default the service has no recording path for the channel.
    std::string uri = "keep";
    EXPECT_FALSE(CSportsUtil::GetCurrentRecordingURI(uri));
    EXPECT_EQ(uri, "keep");

    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id", {"/opt/pvr/rec_1.srf"});
    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id.ret", {"3"});
    EXPECT_FALSE(CSportsUtil::GetCurrentRecordingURI(uri));
    EXPECT_EQ(uri, "keep");

    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id.ret", {"0"});
    EXPECT_TRUE(CSportsUtil::GetCurrentRecordingURI(uri));
    EXPECT_EQ(uri, "/opt/pvr/rec_1.srf");

    // Success with nothing written: the zeroed buffer gives an empty path.
    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id", {});
    EXPECT_TRUE(CSportsUtil::GetCurrentRecordingURI(uri));
    EXPECT_EQ(uri, "");

    std::string longest(255, 'r');
    vsim::SetFact("svc_pvr_get_recording_uri_by_service_id", {longest + "tail"});
    EXPECT_TRUE(CSportsUtil::GetCurrentRecordingURI(uri));
    EXPECT_EQ(uri, longest);
}

TEST_F(StateQueryTest, RecordingCountComesFromTheServiceList) {
    EXPECT_EQ(CSportsUtil::GetCurrentRecordingNum(), 0);
    vsim::SetFact("svc_pvr_get_recording_service_id_list", {"1001", "1002", "1003"});
    EXPECT_EQ(CSportsUtil::GetCurrentRecordingNum(), 3);
    EXPECT_EQ(ArgsOf("svc_pvr_get_recording_service_id_list"), (std::vector<std::string>{"10", "10"}));
}

// ---- picture and TV settings ----------------------------------------------------

TEST_F(StateQueryTest, SportsModeAndSplitScreenNeedExactlyOne) {
    struct Row {
        std::vector<std::string> value;
        int ret;
        bool on;
    };
    const Row rows[] = {{{"1"}, 0, true}, {{"0"}, 0, false}, {{"2"}, 0, false},
                        {{}, 0, false},   {{"1"}, -1, true}, {{}, -1, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE((row.value.empty() ? std::string("-") : row.value[0]) + " ret " + std::to_string(row.ret));
        vsim::ResetWorld();
        vsim::SetFact("svc_pvr_is_sports_mode", row.value);
        vsim::SetFact("svc_pvr_is_sports_mode.ret", {std::to_string(row.ret)});
        vsim::SetFact("vconf_get_int[memory/pxv/state]", row.value);
        vsim::SetFact("vconf_get_int[memory/pxv/state].ret", {std::to_string(row.ret)});
        EXPECT_EQ(CSportsUtil::IsSportsMode(), row.on);
        EXPECT_EQ(CSportsUtil::IsPXVStateON(), row.on);
    }
}

TEST_F(StateQueryTest, PictureInPictureAnd3D) {
    struct Row {
        std::vector<std::string> value;
        int ret;
        bool pip, threeD;
        const char* pipLine;
        const char* threeDLine;
    };
    const char* off3d = "3d mode have been set off or get 3d mode failed";
    // clang-format off
    const Row rows[] = {
        {{"0"}, 0, false, false, "nPipOnOff = 0", off3d},
        {{"1"}, 0, true, true, "nPipOnOff = 1", "3d mode have been set on"},
        {{"4"}, 0, true, true, "nPipOnOff = 4", "3d mode have been set on"},
        {{"-2"}, 0, true, true, "nPipOnOff = -2", "3d mode have been set on"},
        {{}, 0, false, false, "nPipOnOff = 0", off3d},
        {{"1"}, -1, false, false, "get PipOnOff value failed!", off3d},
        {{"1"}, 1, false, false, "get PipOnOff value failed!", off3d},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.pipLine) + " ret " + std::to_string(row.ret));
        vsim::ResetWorld();
        vsim::SetFact("vconf_get_int[db/menu/picture/pip/onoff]", row.value);
        vsim::SetFact("vconf_get_int[db/menu/picture/pip/onoff].ret", {std::to_string(row.ret)});
        vsim::SetFact("avoc_get_3d_mode", row.value);
        vsim::SetFact("avoc_get_3d_mode.ret", {std::to_string(row.ret)});
        EXPECT_EQ(CSportsUtil::IsPIPOn(), row.pip);
        EXPECT_EQ(CSportsUtil::Is3DEffectOn(), row.threeD);
        EXPECT_TRUE(Sys(row.pipLine));
        EXPECT_TRUE(Sys(row.threeDLine));
        EXPECT_EQ(ArgsOf("avoc_get_3d_mode"), std::vector<std::string>{"0 0"});
    }
}

TEST_F(StateQueryTest, WatchingLiveTvAndTheHighlightPlayer) {
    struct Row {
        std::vector<std::string> value;
        int ret;
        bool live, player;
    };
    // clang-format off
    const Row rows[] = {
        {{"1"}, 0, true, true},  {{"0"}, 0, false, false}, {{"2"}, 0, false, true},
        {{}, 0, false, false},   {{"1"}, -1, true, false},  // share data's result is not looked at
        {{"4294967297"}, 0, false, true},                   // 64-bit share value, not its low half
    };
    // clang-format on
    for (const Row& row : rows) {
        std::string value = row.value.empty() ? "0" : row.value[0];
        SCOPED_TRACE(value + " ret " + std::to_string(row.ret));
        vsim::ResetWorld();
        vsim::SetFact("svc_pvr_get_share_data", row.value);
        vsim::SetFact("svc_pvr_get_share_data.ret", {std::to_string(row.ret)});
        vsim::SetFact("svc_pvr_get_highlight_player_flag", row.value);
        vsim::SetFact("svc_pvr_get_highlight_player_flag.ret", {std::to_string(row.ret)});

        EXPECT_EQ(CSportsUtil::IsWatchLiveTV(), row.live);
        EXPECT_TRUE(LoggedAt("llWatchTvVaule is [" + value + "]", LOG_ID_MAIN, DLOG_INFO));
        EXPECT_TRUE(Sys(row.live ? "Watch live TV on." : "Watch live TV off."));
        EXPECT_EQ(ArgsOf("svc_pvr_get_share_data"), std::vector<std::string>{"3"});

        vsim::ClearJournal();
        EXPECT_EQ(CSportsUtil::IsHighlightPlayerShowing(), row.player);
        if (row.ret != 0) {
            EXPECT_TRUE(vtest::LogMessages().empty());
        } else {
            int flag = static_cast<int>(std::stoll(value));
            EXPECT_TRUE(Sys("svc_pvr_get_highlight_player_flag[" + std::to_string(flag) + "]"));
            EXPECT_EQ(Sys("HP is running ,we need delay send next event"), row.player);
        }
    }
}

TEST_F(StateQueryTest, PvrSupport) {
    struct Row {
        std::vector<std::string> value;
        int ret;
        bool answer;
        const char* line;
    };
    // clang-format off
    const Row rows[] = {
        {{"1"}, 0, true, "your tv support PVR."},
        {{"2"}, 0, true, "your tv support PVR."},
        {{"0"}, 0, false, "your tv doesnot support PVR."},
        {{"1"}, -1, false, "system_info_get_value_int failure"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        vsim::ResetWorld();
        vsim::SetFact("system_info_get_value_int[125]", row.value);
        vsim::SetFact("system_info_get_value_int[125].ret", {std::to_string(row.ret)});
        EXPECT_EQ(CSportsUtil::IsSupportPVR(), row.answer);
        EXPECT_TRUE(Sys(row.line));
        EXPECT_EQ(ArgsOf("system_info_get_value_int"), std::vector<std::string>{"125"});
    }
}

TEST_F(StateQueryTest, AnalogueRecordingDependsOnTheBoardWhenTheSbbIsConnected) {
    struct Row {
        std::vector<std::string> sbb;
        int sbbRet;
        const char* board;  // null: board text not available
        bool answer;
        std::vector<std::string> lines;
    };
    // clang-format off
    const Row rows[] = {
        {{"1"}, -1, "2014", true, {"system_info_get_value_bool fail, ret_sbb = [-1]"}},
        {{"0"}, 0, "2014", true, {"SBB is connected or not , the value is [0]", "SBB is not connected"}},
        {{}, 0, "2014", true, {"SBB is connected or not , the value is [0]", "SBB is not connected"}},
        {{"1"}, 0, "2014", false,
         {"SBB is connected or not , the value is [1]",
          "The TV board is earlier than Vorrel, donot support ATV recording. [1]"}},
        {{"1"}, 0, "2015", true, {"The TV board is 2015 Vorrel,support ATV recording. [1]"}},
        {{"1"}, 0, "2016_X", true, {"The TV board is 2015 Vorrel,support ATV recording. [1]"}},
        {{"1"}, 0, "201", false, {"The TV board is earlier than Vorrel, donot support ATV recording. [1]"}},
        {{"1"}, 0, "1999", false, {"The TV board is earlier than Vorrel, donot support ATV recording. [1]"}},
        {{"1"}, 0, nullptr, true, {"SBB is connected or not , the value is [1]"}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.board ? row.board : "no board") + " sbb ret " + std::to_string(row.sbbRet));
        vsim::ResetWorld();
        vsim::SetFact("system_info_get_value_bool[363]", row.sbb);
        vsim::SetFact("system_info_get_value_bool[363].ret", {std::to_string(row.sbbRet)});
        if (row.board)
            vsim::SetFact("system_info_get_value_string[362]", {row.board});
        else
            vsim::SetFact("system_info_get_value_string[362].ret", {"-1"});
        EXPECT_EQ(CSportsUtil::IsSupportATVRecording(), row.answer);
        for (const std::string& line : row.lines) EXPECT_TRUE(Sys(line)) << line;
        bool connected = row.sbbRet == 0 && !row.sbb.empty() && row.sbb[0] == "1";
        EXPECT_EQ(CallCount("system_info_get_value_string"), connected ? 1 : 0);
    }
}

TEST_F(StateQueryTest, ParentalLock) {
    struct Row {
        std::vector<std::string> flag;
        int ret;
        bool answer;
        const char* bLocked;  // null: no line at all
    };
    // clang-format off
    const Row rows[] = {
        {{"1"}, 1, true, "bLocked = 1"},  {{"1"}, 7, true, "bLocked = 1"}, {{"0"}, 1, false, "bLocked = 0"},
        {{}, 1, false, "bLocked = 0"},    {{"1"}, 0, false, nullptr},      {{"1"}, -1, false, nullptr},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.ret));
        vsim::ResetWorld();
        vsim::SetFact("IAVControl::GetParentalLock", row.flag);
        vsim::SetFact("IAVControl::GetParentalLock.ret", {std::to_string(row.ret)});
        EXPECT_EQ(CSportsUtil::IsParentLocked(), row.answer);
        EXPECT_EQ(ArgsOf("TVServiceAPI::CreateAVControl"), std::vector<std::string>{"1,0"});
        EXPECT_EQ(ArgsOf("IAVControl::GetParentalLock"), std::vector<std::string>{"1,0 0"});
        if (row.bLocked) {
            EXPECT_TRUE(Sys(row.bLocked));
        } else {
            EXPECT_TRUE(vtest::LogMessages().empty());
        }
        EXPECT_EQ(Sys("Is parent locked."), row.answer);
    }

    vsim::ResetWorld();
    vsim::SetFact("TVServiceAPI::CreateAVControl[1,0]", {"null"});
    vsim::SetFact("IAVControl::GetParentalLock", {"1"});
    EXPECT_FALSE(CSportsUtil::IsParentLocked());
    EXPECT_EQ(CallCount("IAVControl::GetParentalLock"), 0);
}

// ---- time helpers ----------------------------------------------------------------

TEST(TimeTextTest, NineBytesOfTwoDigitFields) {
    const struct {
        long seconds;
        const char* text;
    } rows[] = {
        {0, "00:00:00"},    {59, "00:00:59"},   {60, "00:01:00"},    {3599, "00:59:59"},
        {3600, "01:00:00"}, {3725, "01:02:05"}, {86399, "23:59:59"}, {215999, "59:59:59"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.seconds);
        char text[16];
        std::memset(text, '#', sizeof text);
        CSportsUtil::FormatLongToTime(row.seconds, text);
        EXPECT_EQ(std::memcmp(text, row.text, 9), 0) << std::string(text, 9);
        for (std::size_t i = 9; i < sizeof text; ++i) ASSERT_EQ(text[i], '#') << i;
    }
    // Beyond the range of the hour field the text stays nine bytes of digits.
    char text[16];
    std::memset(text, '#', sizeof text);
    CSportsUtil::FormatLongToTime(1000L * 3600, text);
    EXPECT_EQ(text[8], '\0');
    EXPECT_EQ(text[9], '#');
    for (int i : {0, 1, 3, 4, 6, 7}) EXPECT_TRUE(text[i] >= '0' && text[i] <= '9') << i;
}

class TimeDifferenceTest : public vtest::SimTest {};

TEST_F(TimeDifferenceTest, EndMinusStartWithBorrow) {
    const struct {
        long s0, u0, s1, u1;
        long sec, usec;
    } rows[] = {
        {10, 900000, 11, 100000, 0, 200000},  // borrowed second
        {10, 100000, 10, 300000, 0, 200000},
        {10, 0, 12, 0, 2, 0},  // borrow given back
        {10, 199999, 10, 399998, 0, 199999},
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
        timeval start{row.s0, row.u0}, end{row.s1, row.u1};
        timeval d = CSportsUtil::GetTimeDifference(start, end);
        EXPECT_EQ(d.tv_sec, row.sec);
        EXPECT_EQ(d.tv_usec, row.usec);
        EXPECT_TRUE(LoggedAt("start:[ " + std::to_string(row.s0) + " , " + std::to_string(row.u0) + " ]", LOG_ID_MAIN,
                             DLOG_WARN));
        EXPECT_TRUE(LoggedAt("end:[ " + std::to_string(row.s1) + " , " + std::to_string(row.u1) + " ]", LOG_ID_MAIN,
                             DLOG_WARN));
    }
}

}  // namespace
