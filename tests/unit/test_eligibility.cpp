// Eligibility of the sports functions and the conflict checks over the
// simulated platform: the live service, the two-recording arbitration, the
// channel kinds and the applications that rule recording out.
#include <gtest/gtest.h>

#include <map>
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

// Index of the log line in the journal's log lines, -1 when absent.
int LogIndex(const std::string& message) {
    std::vector<std::string> lines = vtest::LogMessages();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == message) return static_cast<int>(i);
    return -1;
}

using vtest::kAvServiceId;
using vtest::SetSource;

// Puts a service under content analysis (0: none).
void Analyse(unsigned long long id) {
    if (id == 0) return;
    vsim::SetFact("TVServiceAPI::CreateServiceNavigation[401,0]", {});
    vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[401,0]", {std::to_string(id)});
}

// Recorded time of a service; "fail" makes its progress unreadable.
void SetRecordedTime(unsigned long long id, const std::string& time) {
    std::string fact = "svc_pvr_get_progress_by_service_id[" + std::to_string(id) + "]";
    if (time == "fail") {
        vsim::SetFact(fact, {"0", "777"});
        vsim::SetFact(fact + ".ret", {"-2"});
    } else {
        vsim::SetFact(fact, {"0", time});
        vsim::SetFact(fact + ".ret", {"0"});
    }
}

// Services beside the default 1001 that recordings and analysis name.
void OtherServices() {
    vsim::SetFact("IService::FindService[1002]", {"1=0", "13=8", "14=0"});
    vsim::SetFact("IService::FindService[1003]", {"1=0", "13=9", "14=0"});
}

// The channel manager answers several of these checks.
class EligibilityTest : public vtest::FreshChannelMgrTest {
protected:
    void SetUp() override {
        FreshChannelMgrTest::SetUp();
        OtherServices();
    }
};

// ---- live service ------------------------------------------------------------------

TEST_F(EligibilityTest, LiveServiceIdOnEachSourceAndFailure) {
    struct Row {
        int source;
        std::vector<std::string> live;
        int ret;
        unsigned long long id;
        bool logged;
    };
    // clang-format off
    const Row rows[] = {
        {0, {"1005"}, 0, 1005, true},
        {0, {"1005"}, -1, 0, false},  // the service cannot tell
        {0, {"1005"}, 3, 0, false},
        {0, {}, 0, 0, true},          // nothing written: preset 0
        {29, {"1005"}, 0, 1005, true},
        {1, {"1005"}, -1, kAvServiceId, false},
        {2, {"1005"}, 0, kAvServiceId, false},
        {3, {"1005"}, 0, kAvServiceId, false},
        {36, {"1005"}, 0, kAvServiceId, false},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE("source " + std::to_string(row.source) + " ret " + std::to_string(row.ret));
        vsim::ResetWorld();
        SetSource(row.source);
        vsim::SetFact("svc_pvr_get_current_livetv_service_id", row.live);
        vsim::SetFact("svc_pvr_get_current_livetv_service_id.ret", {std::to_string(row.ret)});
        EXPECT_EQ(CSportsUtil::GetLiveServiceId(), row.id);
        bool av = row.id == kAvServiceId;
        EXPECT_EQ(CallCount("svc_pvr_get_current_livetv_service_id"), av ? 0 : 1);
        EXPECT_EQ(Sys("Live service id is [" + std::to_string(row.id) + "]"), row.logged);
    }
}

// ---- the analysis pipeline and recorded times ---------------------------------------

TEST_F(EligibilityTest, PipelineIsInUseByHighlightOrGameResume) {
    const struct {
        const char* highlight;
        const char* gameResume;
        bool busy;
        int gameResumeCalls;
    } rows[] = {{"0", "0", false, 1}, {"1", "0", true, 0}, {"-3", "0", true, 0}, {"0", "2", true, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.highlight) + "/" + row.gameResume);
        vsim::ResetWorld();
        vsim::SetFact("CASV_IsHighlightModeRunning", {row.highlight});
        vsim::SetFact("CASV_IsGameResumeModeRunning[1]", {row.gameResume});
        EXPECT_EQ(CSportsUtil::IsAnalysisPipelineUsing(), row.busy);
        EXPECT_TRUE(Sys(std::string("Call spt-call-api-ae CASV_IsHighlightModeRunning, ret [") + row.highlight + "]"));
        EXPECT_EQ(ArgsOf("CASV_IsGameResumeModeRunning"), std::vector<std::string>(row.gameResumeCalls, "1"));
        if (row.gameResumeCalls) {
            EXPECT_TRUE(
                Sys(std::string("Call spt-call-api-ae CASV_IsGameResumeModeRunning, ret [") + row.gameResume + "]"));
        }
    }
}

TEST_F(EligibilityTest, AnalysisActiveAndConnected) {
    EXPECT_FALSE(CSportsUtil::IsAnalysisActive());
    EXPECT_TRUE(Sys("IsAnalysisActive is [0]"));
    EXPECT_EQ(ArgsOf("ISourceControl::GetAnalysisActive"), std::vector<std::string>{"401,0 0"});

    // The flag counts, not the call's result.
    vsim::SetFact("ISourceControl::GetAnalysisActive[401,0]", {"1"});
    vsim::SetFact("ISourceControl::GetAnalysisActive[401,0].ret", {"-1"});
    EXPECT_TRUE(CSportsUtil::IsAnalysisActive());
    EXPECT_TRUE(Sys("IsAnalysisActive is [1]"));

    vsim::SetFact("TVServiceAPI::CreateSourceControl[401,0]", {"null"});
    vsim::ClearJournal();
    EXPECT_FALSE(CSportsUtil::IsAnalysisActive());
    EXPECT_TRUE(vtest::LogMessages().empty());

    // Connected means exactly the analysed service's id.
    // With nothing under analysis the analysed id reads as 0, which only 0 matches.
    EXPECT_FALSE(CSportsUtil::IsAnalysisConnected(1001));
    EXPECT_TRUE(CSportsUtil::IsAnalysisConnected(0));
    Analyse(1002);
    vsim::ClearJournal();
    EXPECT_TRUE(CSportsUtil::IsAnalysisConnected(1002));
    EXPECT_TRUE(Sys("Analysis Connected channel service id [1002]."));
    EXPECT_FALSE(CSportsUtil::IsAnalysisConnected(1002 + (1ULL << 32)));
    EXPECT_FALSE(CSportsUtil::IsAnalysisConnected(1001));
    EXPECT_EQ(vtest::CountLogged("Analysis Connected channel service id [1002]."), 1);
}

TEST_F(EligibilityTest, RecordedTimeOrMinusOne) {
    SetRecordedTime(1002, "5000000000");
    EXPECT_EQ(CSportsUtil::GetRecordingTime(1002), 5000000000LL);
    EXPECT_EQ(ArgsOf("svc_pvr_get_progress_by_service_id"), std::vector<std::string>{"1002"});

    SetRecordedTime(1002, "fail");
    EXPECT_EQ(CSportsUtil::GetRecordingTime(1002), -1);
    EXPECT_TRUE(Sys("Fail get play time and record time from service."));

    // Only -2 is a failure; nothing written leaves the preset 0.
    vsim::SetFact("svc_pvr_get_progress_by_service_id[1003]", {"1", "42"});
    vsim::SetFact("svc_pvr_get_progress_by_service_id[1003].ret", {"-1"});
    EXPECT_EQ(CSportsUtil::GetRecordingTime(1003), 42);
    vsim::SetFact("svc_pvr_get_progress_by_service_id[1003]", {});
    EXPECT_EQ(CSportsUtil::GetRecordingTime(1003), 0);
    EXPECT_EQ(vtest::CountLogged("Fail get play time and record time from service."), 1);
}

// ---- eligibility ------------------------------------------------------------------

TEST_F(EligibilityTest, SportFunctionArbitration) {
    struct Row {
        const char* name;
        int source;
        const char* highlight;     // CASV_IsHighlightModeRunning
        const char* engineOnLive;  // CASV_IsAnalysisEngineRunning for the live id
        int count;
        std::vector<std::string> list;
        bool analysisActive;
        unsigned long long analysed;  // 0: nothing under analysis
        std::map<unsigned long long, std::string> times;
        bool answer;
        const char* line;  // the deciding line; null: none beyond the count
    };
    const char* kBusy = "Current channel can't highlight, Analysis Pipeline Using by other channel.";
    const char* kCurHigher = "Current channel has higher recorded time.";
    const char* kOtherHigher = "The other channel has higher recorded time.";
    // clang-format off
    const Row rows[] = {
        {"no recording", 0, "0", "0", 0, {}, false, 0, {}, false, nullptr},
        {"one recording", 0, "0", "0", 1, {"1002"}, false, 0, {}, true, nullptr},
        {"three recordings", 0, "0", "0", 3, {"1001", "1002", "1003"}, false, 0, {}, false, nullptr},
        {"negative count", 0, "0", "0", -1, {}, false, 0, {}, false, nullptr},
        {"pipeline busy elsewhere", 0, "1", "0", 1, {"1001"}, false, 0, {}, false, kBusy},
        {"pipeline busy here", 0, "1", "1", 1, {"1001"}, false, 0, {}, true, nullptr},
        {"AV skips the pipeline", 36, "1", "0", 1, {"1001"}, false, 0, {}, true,
         "this is composite source, we do not check the IsAnalysisPipelineUsing or not "},
        {"AV type 1 with two", 1, "1", "0", 2, {"1001", "1002"}, false, 0, {{1001, "5"}, {1002, "9"}}, true,
         kCurHigher},  // live id is the AV id: list[1] plays the current channel
        {"live is analysed", 0, "0", "0", 2, {"1001", "1002"}, true, 1001, {{1001, "1"}, {1002, "9"}}, true,
         "Current channel is analysing"},
        {"other is analysed", 0, "0", "0", 2, {"1001", "1002"}, true, 1002, {{1001, "9"}, {1002, "1"}}, false,
         "Another REC channel is analysing"},
        {"other is analysed, live second", 0, "0", "0", 2, {"1002", "1001"}, true, 1002, {{1001, "9"}, {1002, "1"}},
         false, "Another REC channel is analysing"},
        {"third channel analysed", 0, "0", "0", 2, {"1001", "1002"}, true, 1003, {{1001, "500"}, {1002, "400"}}, true,
         kCurHigher},
        {"inactive analysis is ignored", 0, "0", "0", 2, {"1001", "1002"}, false, 1001, {{1001, "100"}, {1002, "200"}},
         false, kOtherHigher},
        {"equal times", 0, "0", "0", 2, {"1001", "1002"}, false, 0, {{1001, "300"}, {1002, "300"}}, true, kCurHigher},
        {"live progress unreadable", 0, "0", "0", 2, {"1001", "1002"}, false, 0, {{1001, "fail"}, {1002, "0"}}, false,
         kOtherHigher},
        {"other progress unreadable", 0, "0", "0", 2, {"1001", "1002"}, false, 0, {{1001, "0"}, {1002, "fail"}}, true,
         kCurHigher},
        {"both unreadable", 0, "0", "0", 2, {"1001", "1002"}, false, 0, {{1001, "fail"}, {1002, "fail"}}, true,
         kCurHigher},
        {"live second", 0, "0", "0", 2, {"1002", "1001"}, false, 0, {{1001, "200"}, {1002, "100"}}, true, kCurHigher},
        {"neither live, second longer", 0, "0", "0", 2, {"1002", "1003"}, false, 0, {{1002, "100"}, {1003, "900"}},
         true, kCurHigher},
        {"neither live, first longer", 0, "0", "0", 2, {"1002", "1003"}, false, 0, {{1002, "900"}, {1003, "100"}},
         false, kOtherHigher},
        {"64-bit times", 0, "0", "0", 2, {"1001", "1002"}, false, 0, {{1001, "4294967296"}, {1002, "4294967295"}},
         true, kCurHigher},
        {"negative time", 0, "0", "0", 2, {"1001", "1002"}, false, 0, {{1001, "-5"}, {1002, "0"}}, false,
         kOtherHigher},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vsim::ResetWorld();
        DropChannelMgr();
        OtherServices();
        SetSource(row.source);
        vsim::SetFact("CASV_IsHighlightModeRunning", {row.highlight});
        vsim::SetFact("CASV_IsAnalysisEngineRunning[1001]", {row.engineOnLive});
        vsim::SetFact("svc_pvr_get_current_recording_count", {std::to_string(row.count)});
        vsim::SetFact("svc_pvr_get_recording_service_id_list", row.list);
        vsim::SetFact("ISourceControl::GetAnalysisActive[401,0]", {row.analysisActive ? "1" : "0"});
        Analyse(row.analysed);
        for (const auto& t : row.times) SetRecordedTime(t.first, t.second);

        EXPECT_EQ(CSportsUtil::IsAbleToSportFunction(), row.answer);
        if (row.line) {
            EXPECT_TRUE(Sys(row.line));
        }
        bool av = row.source != 0;
        EXPECT_EQ(CallCount("CASV_IsHighlightModeRunning"), av ? 0 : 1);
        if (!av) {
            EXPECT_TRUE(Sys("svc_pvr_get_current_livetv_service_id return id [1001]."));
        }
        bool pipelineBlocks = row.line == kBusy;
        EXPECT_EQ(CallCount("svc_pvr_get_current_recording_count"), pipelineBlocks ? 0 : 1);
        if (!pipelineBlocks) {
            EXPECT_TRUE(
                Sys("svc_pvr_get_current_recording_count return REC Num is [" + std::to_string(row.count) + "]"));
        }
        bool pair = row.count == 2 && !pipelineBlocks;
        EXPECT_EQ(ArgsOf("svc_pvr_get_recording_service_id_list"),
                  pair ? std::vector<std::string>{"2"} : std::vector<std::string>{});
        EXPECT_EQ(CallCount("ISourceControl::GetAnalysisActive"), pair ? 1 : 0);
        if (pair) {
            EXPECT_TRUE(Sys("pServiceIDList[0] is [" + row.list[0] + "],pServiceIDList[1] is [" + row.list[1] + "]"));
        }
        bool timed = row.line == kCurHigher || row.line == kOtherHigher;
        EXPECT_EQ(CallCount("svc_pvr_get_progress_by_service_id"), timed ? 2 : 0);
        if (timed) {
            // The current channel is list[0] only when list[0] is the live one.
            bool firstLive = !av && row.list[0] == "1001";
            unsigned long long cur = std::stoull(firstLive ? row.list[0] : row.list[1]);
            unsigned long long oth = std::stoull(firstLive ? row.list[1] : row.list[0]);
            auto shown = [&](unsigned long long id) {
                const std::string& t = row.times.at(id);
                return t == "fail" ? std::string("-1") : t;
            };
            EXPECT_TRUE(Sys("CurChRecTime is [" + shown(cur) + "],OtherChRecTime is [" + shown(oth) + "] "));
        }
    }
}

// ---- channel kinds ----------------------------------------------------------------

TEST_F(EligibilityTest, AnalogueChannelAsThePvrReportsIt) {
    const struct {
        std::vector<std::string> flag;
        int ret;
        bool analog;
    } rows[] = {{{"1"}, 0, true}, {{"0"}, 0, false}, {{"2"}, 0, false}, {{}, 0, false}, {{"1"}, -1, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ret);
        vsim::ResetWorld();
        vsim::SetFact("svc_pvr_is_analog_channel", row.flag);
        vsim::SetFact("svc_pvr_is_analog_channel.ret", {std::to_string(row.ret)});
        EXPECT_EQ(CSportsUtil::IsAnalogChannel(), row.analog);
        EXPECT_EQ(Sys("svc_pvr_is_analog_channel return RESULT_TRUE."), row.analog);
        EXPECT_EQ(ArgsOf("svc_pvr_is_analog_channel"), std::vector<std::string>{"1001"});
    }
    // An AV input is asked about by the reserved id.
    vsim::ResetWorld();
    SetSource(2);
    CSportsUtil::IsAnalogChannel();
    EXPECT_EQ(ArgsOf("svc_pvr_is_analog_channel"), std::vector<std::string>{"4294967294"});
}

TEST_F(EligibilityTest, AudioOnlyAsksTheTvServicesIdForAnalogueChannels) {
    // The TV service shows 1003 while the PVR's live id is 1001.
    struct Row {
        const char* name;
        std::vector<std::string> analog;
        bool tvServiceReadable;
        std::map<std::string, std::string> audioOnly;  // by id
        const char* askedId;
        bool answer;
    };
    // clang-format off
    const Row rows[] = {
        {"digital, audio-only", {"0"}, true, {{"1001", "1"}, {"1003", "0"}}, "1001", true},
        {"digital, video", {"0"}, true, {{"1001", "0"}, {"1003", "1"}}, "1001", false},
        {"analogue, audio-only by TV id", {"1"}, true, {{"1001", "0"}, {"1003", "1"}}, "1003", true},
        {"analogue, live id does not count", {"1"}, true, {{"1001", "1"}, {"1003", "0"}}, "1003", false},
        {"analogue flag 2 is not analogue", {"2"}, true, {{"1001", "1"}, {"1003", "0"}}, "1001", true},
        {"audio flag 2 is not audio-only", {"0"}, true, {{"1001", "2"}, {"1003", "2"}}, "1001", false},
        {"analogue, TV id unreadable", {"1"}, false, {{"0", "1"}, {"1001", "0"}}, "0", true},
        {"nothing written", {}, true, {}, "1001", false},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vsim::ResetWorld();
        DropChannelMgr();
        vsim::SetFact("IService::FindService[1003]", {"1=1", "13=9", "14=0"});
        vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[1,0]", {"1003"});
        if (!row.tvServiceReadable) vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[1,0].ret", {"0"});
        vsim::SetFact("svc_pvr_is_analog_channel", row.analog);
        vsim::SetFact("svc_pvr_is_audio_only_channel", {});
        for (const auto& a : row.audioOnly) vsim::SetFact("svc_pvr_is_audio_only_channel[" + a.first + "]", {a.second});

        EXPECT_EQ(CSportsUtil::IsAudioChannel(), row.answer);
        EXPECT_EQ(ArgsOf("svc_pvr_is_analog_channel"), std::vector<std::string>{"1001"});
        EXPECT_EQ(ArgsOf("svc_pvr_is_audio_only_channel"), std::vector<std::string>{row.askedId});
        bool analog = !row.analog.empty() && row.analog[0] == "1";
        EXPECT_EQ(
            Sys(std::string("svc_pvr_is_analog_channel return RESULT_TRUE. lluCurServiceID is [") + row.askedId + "]."),
            analog);
        EXPECT_EQ(Sys("svc_pvr_is_audio_only_channel return RESULT_TRUE. lluLiveServiceID is [1001]."), row.answer);
    }
}

TEST_F(EligibilityTest, VirtualChannelByTheTypeOfTheCurrentService) {
    struct Row {
        const char* name;
        std::vector<std::string> fields;  // line-up entry of 1001
        std::map<std::string, std::vector<std::string>> facts;
        bool answer;
        const char* line;
        int tvModeCalls;
        int infoCalls;
    };
    const char* kInfoFail = "Fail to GetCurrentServiceInfo";
    // clang-format off
    const Row rows[] = {
        {"virtual", {"1=9"}, {}, true, "CHANNEL_TYPE_VIRTUAL channel,The channel type is 9", 1, 1},
        {"digital", {"1=0"}, {}, false, "The channel type is 0", 1, 1},
        {"analogue", {"1=1"}, {}, false, "The channel type is 1", 1, 1},
        {"type absent", {"13=7"}, {}, false, "The channel type is -1", 1, 1},
        {"navigation refused", {"1=9"}, {{"TVServiceAPI::CreateServiceNavigation[1,0].ret", {"1"}}}, false, kInfoFail,
         0, 0},
        {"no navigation", {"1=9"}, {{"TVServiceAPI::CreateServiceNavigation[1,0]", {"null"}}}, false, kInfoFail, 0, 0},
        {"no TV mode", {"1=9"}, {{"IServiceNavigation::GetTvMode[1,0].ret", {"0"}}}, false, "Fail to GetTvMode", 1, 0},
        {"no service info", {"1=9"}, {{"IServiceNavigation::GetCurrentServiceInfo[1,0].ret", {"0"}}}, false,
         kInfoFail, 1, 1},
        {"negative service info", {"1=9"}, {{"IServiceNavigation::GetCurrentServiceInfo[1,0].ret", {"-1"}}}, false,
         kInfoFail, 1, 1},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vsim::ResetWorld();
        vsim::SetFact("IService::FindService[1001]", row.fields);
        for (const auto& f : row.facts) vsim::SetFact(f.first, f.second);
        EXPECT_EQ(CSportsUtil::IsVirtualChannel(), row.answer);
        EXPECT_TRUE(Sys(row.line));
        EXPECT_EQ(Sys("CHANNEL_TYPE_VIRTUAL channel,The channel type is 9"), row.answer);
        EXPECT_EQ(CallCount("IServiceNavigation::GetTvMode"), row.tvModeCalls);
        EXPECT_EQ(ArgsOf("IServiceNavigation::GetCurrentServiceInfo"),
                  std::vector<std::string>(row.infoCalls, "1,0 mode=1,0 fetch=1"));
    }
}

// ---- conflicting applications --------------------------------------------------------

TEST_F(EligibilityTest, ConflictingApplicationsInOrder) {
    const std::string kSmsrc = "vconf_get_int[memory/menu/network/screenmirroring/smsrc_status]";
    const std::string kSm = "vconf_get_int[memory/menu/network/screenmirroring/sm_status]";
    const std::string kDual = "vconf_get_bool[db/dualtv/dualtv_view_status]";
    const char* kNone = "Not exist confilct app, support PVR key.";
    const char* kZiggo = "ConflictApp, It's ZiggoVOD";
    struct Row {
        const char* name;
        std::map<std::string, std::vector<std::string>> facts;
        bool conflict;
        std::vector<std::string> lines;   // logged, in this order
        std::vector<std::string> absent;  // not logged
    };
    // clang-format off
    const Row rows[] = {
        {"nothing runs", {}, false,
         {"nSMSRCStatus :[0]", "SMStatus :[0]", "nDualTVStatus :[0]", kNone}, {"Host Control is running."}},
        {"TV2Mobile", {{kSmsrc, {"1"}}}, true,
         {"nSMSRCStatus :[1]", "Conflict App, TV2Mobile is running,can not start rec"}, {"SMStatus :[0]"}},
        {"TV2Mobile 2 is no conflict", {{kSmsrc, {"2"}}}, false, {"nSMSRCStatus :[2]", kNone}, {}},
        {"mirroring 1", {{kSm, {"1"}}}, true,
         {"SMStatus :[1]", "Conflict App, Screen Mirroring is running,can not start rec"}, {"nDualTVStatus :[0]"}},
        {"mirroring 2", {{kSm, {"2"}}}, true, {"Conflict App, Screen Mirroring is running,can not start rec"}, {}},
        {"mirroring 3", {{kSm, {"3"}}}, false, {"SMStatus :[3]", kNone}, {}},
        {"dual TV", {{kDual, {"1"}}}, true, {"nDualTVStatus :[1]", "Dual TV is running,can not start rec"}, {kNone}},
        {"unreadable settings are skipped",
         {{kSmsrc + ".ret", {"-1"}}, {kSmsrc, {"1"}}, {kSm + ".ret", {"-1"}}, {kSm, {"2"}},
          {kDual + ".ret", {"-1"}}, {kDual, {"1"}}, {"CIM::TCCIService::CIGeneralInstance", {"null"}}},
         false, {"Get TV2Mobile failed", "Get Screen Mirroring failed", "Get DualTV status failed", kNone},
         {"nSMSRCStatus :[1]"}},
        {"CI host control on the live service",
         {{"CIM::TCCIService::IsHostControlRunning", {"1"}}, {"IService::FindService[1001]", {"27=1"}}}, true,
         {"nDualTVStatus :[0]", "Host Control is running.", "Host Controller Is Active.", kZiggo}, {kNone}},
        {"CI host control, service not marked",
         {{"CIM::TCCIService::IsHostControlRunning", {"1"}}, {"IService::FindService[1001]", {"27=0"}}}, false,
         {"Host Control is running.", "Host Controller Is Not Active.", kNone}, {kZiggo}},
        {"CI host control, live service unknown",
         {{"CIM::TCCIService::IsHostControlRunning", {"1"}}, {"svc_pvr_get_current_livetv_service_id", {"4711"}}},
         false, {"Failed to find the serviceData through serviceId. serviceId is [4711].", kNone}, {kZiggo}},
        {"CI answer not exactly 1",
         {{"CIM::TCCIService::IsHostControlRunning", {"1"}}, {"CIM::TCCIService::IsHostControlRunning.ret", {"2"}},
          {"IService::FindService[1001]", {"27=1"}}},
         false, {kNone}, {"Host Control is running."}},
        {"CI call failed",
         {{"CIM::TCCIService::IsHostControlRunning", {"1"}}, {"CIM::TCCIService::IsHostControlRunning.ret", {"0"}},
          {"IService::FindService[1001]", {"27=1"}}},
         false, {kNone}, {"Host Control is running."}},
        {"CI flag not written",
         {{"CIM::TCCIService::IsHostControlRunning", {}}, {"IService::FindService[1001]", {"27=1"}}}, false, {kNone},
         {"Host Control is running."}},
        {"no CI stack", {{"CIM::TCCIService::CIGeneralInstance", {"null"}}, {"IService::FindService[1001]", {"27=1"}}},
         false, {kNone}, {"Host Control is running."}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vsim::ResetWorld();
        DropChannelMgr();
        for (const auto& f : row.facts) vsim::SetFact(f.first, f.second);
        EXPECT_EQ(CSportsUtil::IsExistConflictApp(), row.conflict);
        int last = -1;
        for (const std::string& line : row.lines) {
            EXPECT_TRUE(Sys(line)) << line;
            int at = LogIndex(line);
            EXPECT_GT(at, last) << line;
            last = at;
        }
        for (const std::string& line : row.absent) EXPECT_FALSE(Logged(line)) << line;
    }
}

TEST_F(EligibilityTest, ConflictCheckStopsAtTheFirstConflictAndAsksCiProperly) {
    vsim::SetFact("vconf_get_int[memory/menu/network/screenmirroring/smsrc_status]", {"1"});
    EXPECT_TRUE(CSportsUtil::IsExistConflictApp());
    EXPECT_EQ(ArgsOf("vconf_get_int"), std::vector<std::string>{"memory/menu/network/screenmirroring/smsrc_status"});
    EXPECT_EQ(CallCount("vconf_get_bool"), 0);
    EXPECT_EQ(CallCount("CIM::TCCIService::CIGeneralInstance"), 0);

    vsim::ResetWorld();
    vsim::SetFact("CIM::TCCIService::CIGeneralInstance", {"null"});
    EXPECT_FALSE(CSportsUtil::IsExistConflictApp());
    EXPECT_EQ(CallCount("CIM::TCCIService::IsHostControlRunning"), 0);

    // On an AV input the host-control mark is looked up for the reserved id.
    vsim::ResetWorld();
    SetSource(36);
    vsim::SetFact("CIM::TCCIService::IsHostControlRunning", {"1"});
    EXPECT_FALSE(CSportsUtil::IsExistConflictApp());
    EXPECT_EQ(ArgsOf("CIM::TCCIService::IsHostControlRunning"), std::vector<std::string>{"0"});
    EXPECT_EQ(ArgsOf("IService::FindService"), std::vector<std::string>{"fetch=27 where=12:4294967294 max=1"});
}

}  // namespace
