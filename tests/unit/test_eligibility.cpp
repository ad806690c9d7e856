// Eligibility of the sports functions and the conflict checks over the
// simulated platform: the live service, the two-recording arbitration, the
// channel kinds and the applications that rule recording out.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "PVRChannelMgr.h"
#include "SportsUtil.h"
#include "TestSupport.h"

namespace {

using vtest::ArgsOf;
using vtest::CallCount;
using vtest::Logged;
using Lines = std::vector<std::string>;
const auto Sys = vtest::LoggedOnSystem;

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
    bool fail = time == "fail";
    vtest::SetCall("svc_pvr_get_progress_by_service_id[" + std::to_string(id) + "]", {"0", fail ? "777" : time},
                   fail ? -2 : 0);
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
    const struct {
        int source;
        vsim::Values live;
        int ret;
        unsigned long long id;
    } rows[] = {
        {0, {"1005"}, 0, 1005},
        {0, {"1005"}, -1, 0},
        {0, {"1005"}, 3, 0},  // the service cannot tell
        {0, {}, 0, 0},        // nothing written: preset 0
        {29, {"1005"}, 0, 1005},
        {1, {"1005"}, -1, kAvServiceId},
        {36, {"1005"}, 0, kAvServiceId},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("source " + std::to_string(row.source) + " ret " + std::to_string(row.ret));
        vsim::ResetWorld();
        SetSource(row.source);
        vtest::SetCall("svc_pvr_get_current_livetv_service_id", row.live, row.ret);
        EXPECT_EQ(CSportsUtil::GetLiveServiceId(), row.id);
        bool av = row.id == kAvServiceId;
        EXPECT_EQ(CallCount("svc_pvr_get_current_livetv_service_id"), av ? 0 : 1);
        EXPECT_EQ(Sys("Live service id is [" + std::to_string(row.id) + "]"), av || row.ret == 0);
    }
}

// ---- the analysis pipeline and recorded times ---------------------------------------

TEST_F(EligibilityTest, PipelineIsInUseByHighlightOrGameResume) {
    const struct {
        const char *highlight, *gameResume;
        bool busy;
    } rows[] = {{"0", "0", false}, {"1", "0", true}, {"-3", "0", true}, {"0", "2", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.highlight) + "/" + row.gameResume);
        vsim::ResetWorld();
        vsim::SetFact("CASV_IsHighlightModeRunning", {row.highlight});
        vsim::SetFact("CASV_IsGameResumeModeRunning[1]", {row.gameResume});
        EXPECT_EQ(CSportsUtil::IsAnalysisPipelineUsing(), row.busy);
        // Game resume is asked only when highlight mode is not running.
        bool asked = std::string(row.highlight) == "0";
        Lines lines = {std::string("Call spt-call-api-ae CASV_IsHighlightModeRunning, ret [") + row.highlight + "]"};
        if (asked)
            lines.push_back(std::string("Call spt-call-api-ae CASV_IsGameResumeModeRunning, ret [") + row.gameResume +
                            "]");
        EXPECT_EQ(vtest::LogMessages(), lines);
        for (const std::string& line : lines) EXPECT_TRUE(Sys(line)) << line;
        EXPECT_EQ(ArgsOf("CASV_IsGameResumeModeRunning"), Lines(asked ? 1 : 0, "1"));
    }
}

TEST_F(EligibilityTest, AnalysisActiveConnectedAndRecordedTime) {
    EXPECT_FALSE(CSportsUtil::IsAnalysisActive());
    EXPECT_TRUE(Sys("IsAnalysisActive is [0]"));
    EXPECT_EQ(ArgsOf("ISourceControl::GetAnalysisActive"), Lines{"401,0 0"});
    // The flag counts, not the call's result.
    vtest::SetCall("ISourceControl::GetAnalysisActive[401,0]", {"1"}, -1);
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

    // The recorded time, or -1 when only -2 says the progress is unreadable.
    SetRecordedTime(1002, "5000000000");
    vsim::ClearJournal();
    EXPECT_EQ(CSportsUtil::GetRecordingTime(1002), 5000000000LL);
    EXPECT_EQ(ArgsOf("svc_pvr_get_progress_by_service_id"), Lines{"1002"});
    SetRecordedTime(1002, "fail");
    EXPECT_EQ(CSportsUtil::GetRecordingTime(1002), -1);
    EXPECT_TRUE(Sys("Fail get play time and record time from service."));
    vtest::SetCall("svc_pvr_get_progress_by_service_id[1003]", {"1", "42"}, -1);
    EXPECT_EQ(CSportsUtil::GetRecordingTime(1003), 42);
    vsim::SetFact("svc_pvr_get_progress_by_service_id[1003]", {});  // nothing written: the preset 0
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
        Lines list;
        bool analysisActive;
        unsigned long long analysed;  // 0: nothing under analysis
        Lines times;                  // recorded time of each listed service
        bool answer;
        const char* line;  // the deciding line; null: none beyond the count
    };
    const char* kBusy = "Current channel can't highlight, Analysis Pipeline Using by other channel.";
    const char* kCur = "Current channel has higher recorded time.";
    const char* kOther = "The other channel has higher recorded time.";
    const char* kOtherAnalysed = "Another REC channel is analysing";
    const Lines k12 = {"1001", "1002"};
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
        // The live id is the AV id: list[1] plays the current channel.
        {"AV type 1 with two", 1, "1", "0", 2, k12, false, 0, {"5", "9"}, true, kCur},
        {"live is analysed", 0, "0", "0", 2, k12, true, 1001, {"1", "9"}, true, "Current channel is analysing"},
        {"other is analysed", 0, "0", "0", 2, k12, true, 1002, {"9", "1"}, false, kOtherAnalysed},
        {"other analysed, live second", 0, "0", "0", 2, {"1002", "1001"}, true, 1002, {"1", "9"}, false, kOtherAnalysed},
        {"third channel analysed", 0, "0", "0", 2, k12, true, 1003, {"500", "400"}, true, kCur},
        {"inactive analysis is ignored", 0, "0", "0", 2, k12, false, 1001, {"100", "200"}, false, kOther},
        {"equal times", 0, "0", "0", 2, k12, false, 0, {"300", "300"}, true, kCur},
        {"live progress unreadable", 0, "0", "0", 2, k12, false, 0, {"fail", "0"}, false, kOther},
        {"other progress unreadable", 0, "0", "0", 2, k12, false, 0, {"0", "fail"}, true, kCur},
        {"live second", 0, "0", "0", 2, {"1002", "1001"}, false, 0, {"100", "200"}, true, kCur},
        {"neither live, second longer", 0, "0", "0", 2, {"1002", "1003"}, false, 0, {"100", "900"}, true, kCur},
        {"neither live, first longer", 0, "0", "0", 2, {"1002", "1003"}, false, 0, {"900", "100"}, false, kOther},
        {"64-bit times", 0, "0", "0", 2, k12, false, 0, {"4294967296", "4294967295"}, true, kCur},
        {"negative time", 0, "0", "0", 2, k12, false, 0, {"-5", "0"}, false, kOther},
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
        for (std::size_t i = 0; i < row.times.size(); ++i) SetRecordedTime(std::stoull(row.list[i]), row.times[i]);

        EXPECT_EQ(CSportsUtil::IsAbleToSportFunction(), row.answer);
        EXPECT_TRUE(!row.line || Sys(row.line)) << row.line;
        bool av = row.source != 0;
        EXPECT_EQ(CallCount("CASV_IsHighlightModeRunning"), av ? 0 : 1);
        EXPECT_EQ(Sys("svc_pvr_get_current_livetv_service_id return id [1001]."), !av);
        bool blocked = row.line == kBusy;
        EXPECT_EQ(Sys("svc_pvr_get_current_recording_count return REC Num is [" + std::to_string(row.count) + "]"),
                  !blocked);
        EXPECT_EQ(CallCount("svc_pvr_get_current_recording_count"), blocked ? 0 : 1);
        bool pair = row.count == 2 && !blocked;
        EXPECT_EQ(ArgsOf("svc_pvr_get_recording_service_id_list"), pair ? Lines{"2"} : Lines{});
        EXPECT_EQ(CallCount("ISourceControl::GetAnalysisActive"), pair ? 1 : 0);
        EXPECT_TRUE(!pair ||
                    Sys("pServiceIDList[0] is [" + row.list[0] + "],pServiceIDList[1] is [" + row.list[1] + "]"));
        bool timed = row.line == kCur || row.line == kOther;
        EXPECT_EQ(CallCount("svc_pvr_get_progress_by_service_id"), timed ? 2 : 0);
        if (timed) {
            // The current channel is list[0] only when list[0] is the live one.
            int cur = !av && row.list[0] == "1001" ? 0 : 1;
            auto shown = [&](int i) { return row.times[i] == "fail" ? std::string("-1") : row.times[i]; };
            EXPECT_TRUE(Sys("CurChRecTime is [" + shown(cur) + "],OtherChRecTime is [" + shown(1 - cur) + "] "));
        }
    }
}

// ---- channel kinds ----------------------------------------------------------------

TEST_F(EligibilityTest, AnalogueChannelAsThePvrReportsIt) {
    const struct {
        int source;
        vsim::Values flag;
        int ret;
        bool analog;
    } rows[] = {{0, {"1"}, 0, true}, {0, {"0"}, 0, false}, {0, {"2"}, 0, false},
                {0, {}, 0, false},   {0, {"1"}, -1, true}, {2, {"1"}, 0, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(vtest::FirstOr(row.flag) + " ret " + std::to_string(row.ret));
        vsim::ResetWorld();
        SetSource(row.source);
        vtest::SetCall("svc_pvr_is_analog_channel", row.flag, row.ret);
        EXPECT_EQ(CSportsUtil::IsAnalogChannel(), row.analog);
        EXPECT_EQ(Sys("svc_pvr_is_analog_channel return RESULT_TRUE."), row.analog);
        // An AV input is asked about by the reserved id.
        EXPECT_EQ(ArgsOf("svc_pvr_is_analog_channel"), Lines{row.source ? "4294967294" : "1001"});
    }
}

TEST_F(EligibilityTest, AudioOnlyAsksTheTvServicesIdForAnalogueChannels) {
    // The TV service shows 1003 while the PVR's live id is 1001.
    struct Row {
        const char* name;
        vsim::Values analog;
        bool tvServiceReadable;
        vtest::Facts audioOnly;  // by id
        const char* askedId;
        bool answer;
    };
    const std::string kAudio = "svc_pvr_is_audio_only_channel";
    const std::string k1001 = kAudio + "[1001]", k1003 = kAudio + "[1003]";
    // clang-format off
    const Row rows[] = {
        {"digital, audio-only", {"0"}, true, {{k1001, {"1"}}, {k1003, {"0"}}}, "1001", true},
        {"digital, video", {"0"}, true, {{k1001, {"0"}}, {k1003, {"1"}}}, "1001", false},
        {"analogue, audio-only by TV id", {"1"}, true, {{k1001, {"0"}}, {k1003, {"1"}}}, "1003", true},
        {"analogue, live id does not count", {"1"}, true, {{k1001, {"1"}}, {k1003, {"0"}}}, "1003", false},
        {"analogue flag 2 is not analogue", {"2"}, true, {{k1001, {"1"}}, {k1003, {"0"}}}, "1001", true},
        {"audio flag 2 is not audio-only", {"0"}, true, {{k1001, {"2"}}, {k1003, {"2"}}}, "1001", false},
        {"analogue, TV id unreadable", {"1"}, false, {{kAudio + "[0]", {"1"}}, {k1001, {"0"}}}, "0", true},
        {"nothing written", {}, true, {}, "1001", false},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vsim::ResetWorld();
        DropChannelMgr();
        vsim::SetFact("IService::FindService[1003]", {"1=1", "13=9", "14=0"});
        vtest::SetCall("IServiceNavigation::GetCurrentServiceInfo[1,0]", {"1003"}, row.tvServiceReadable ? 1 : 0);
        vsim::SetFact("svc_pvr_is_analog_channel", row.analog);
        vsim::SetFact(kAudio, {});
        vtest::SetFacts(row.audioOnly);

        EXPECT_EQ(CSportsUtil::IsAudioChannel(), row.answer);
        EXPECT_EQ(ArgsOf("svc_pvr_is_analog_channel"), Lines{"1001"});
        EXPECT_EQ(ArgsOf(kAudio), Lines{row.askedId});
        EXPECT_EQ(
            Sys(std::string("svc_pvr_is_analog_channel return RESULT_TRUE. lluCurServiceID is [") + row.askedId + "]."),
            vtest::FirstOr(row.analog) == "1");
        EXPECT_EQ(Sys("svc_pvr_is_audio_only_channel return RESULT_TRUE. lluLiveServiceID is [1001]."), row.answer);
    }
}

TEST_F(EligibilityTest, VirtualChannelByTheTypeOfTheCurrentService) {
    struct Row {
        vsim::Values fields;  // line-up entry of 1001
        vtest::Facts facts;
        bool answer;
        const char* line;
        int tvModeCalls, infoCalls;
    };
    const char* kInfoFail = "Fail to GetCurrentServiceInfo";
    const std::string kCreate = "TVServiceAPI::CreateServiceNavigation[1,0]";
    const std::string kInfo = "IServiceNavigation::GetCurrentServiceInfo[1,0].ret";
    // clang-format off
    const Row rows[] = {
        {{"1=9"}, {}, true, "CHANNEL_TYPE_VIRTUAL channel,The channel type is 9", 1, 1},
        {{"1=0"}, {}, false, "The channel type is 0", 1, 1},
        {{"1=1"}, {}, false, "The channel type is 1", 1, 1},
        {{"13=7"}, {}, false, "The channel type is -1", 1, 1},  // type absent
        {{"1=9"}, {{kCreate + ".ret", {"1"}}}, false, kInfoFail, 0, 0},
        {{"1=9"}, {{kCreate, {"null"}}}, false, kInfoFail, 0, 0},
        // Without the TV mode the service is not asked, and the empty data has no type.
        {{"1=9"}, {{"IServiceNavigation::GetTvMode[1,0].ret", {"0"}}}, false, "Fail to GetTvMode", 1, 0},
        {{"1=9"}, {{kInfo, {"0"}}}, false, kInfoFail, 1, 1},
        {{"1=9"}, {{kInfo, {"-1"}}}, false, kInfoFail, 1, 1},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line + std::string(" ") + vtest::FirstOr(row.fields) + " " + std::to_string(row.facts.size()));
        vsim::ResetWorld();
        vsim::SetFact("IService::FindService[1001]", row.fields);
        vtest::SetFacts(row.facts);
        EXPECT_EQ(CSportsUtil::IsVirtualChannel(), row.answer);
        EXPECT_TRUE(Sys(row.line));
        EXPECT_EQ(Sys("CHANNEL_TYPE_VIRTUAL channel,The channel type is 9"), row.answer);
        EXPECT_EQ(CallCount("IServiceNavigation::GetTvMode"), row.tvModeCalls);
        EXPECT_EQ(ArgsOf("IServiceNavigation::GetCurrentServiceInfo"), Lines(row.infoCalls, "1,0 mode=1,0 fetch=1"));
    }
}

// ---- conflicting applications --------------------------------------------------------

TEST_F(EligibilityTest, ConflictingApplicationsInOrder) {
    const std::string kSmsrc = "vconf_get_int[memory/menu/network/screenmirroring/smsrc_status]";
    const std::string kSm = "vconf_get_int[memory/menu/network/screenmirroring/sm_status]";
    const std::string kDual = "vconf_get_bool[db/dualtv/dualtv_view_status]";
    const std::string kHc = "CIM::TCCIService::IsHostControlRunning";
    const std::pair<std::string, vsim::Values> kHcOn = {kHc, {"1"}},
                                               kMarked = {"IService::FindService[1001]", {"27=1"}},
                                               kNoCi = {"CIM::TCCIService::CIGeneralInstance", {"null"}};
    const char* kNone = "Not exist confilct app, support PVR key.";
    const char* kZiggo = "ConflictApp, It's ZiggoVOD";
    const char* kRunning = "Host Control is running.";
    const char* kMirroring = "Conflict App, Screen Mirroring is running,can not start rec";
    struct Row {
        const char* name;
        vtest::Facts facts;
        bool conflict;
        Lines lines;   // logged, in this order
        Lines absent;  // not logged
    };
    // clang-format off
    const Row rows[] = {
        {"nothing runs", {}, false, {"nSMSRCStatus :[0]", "SMStatus :[0]", "nDualTVStatus :[0]", kNone}, {kRunning}},
        {"TV2Mobile", {{kSmsrc, {"1"}}}, true,
         {"nSMSRCStatus :[1]", "Conflict App, TV2Mobile is running,can not start rec"}, {"SMStatus :[0]"}},
        {"TV2Mobile 2 is no conflict", {{kSmsrc, {"2"}}}, false, {"nSMSRCStatus :[2]", kNone}, {}},
        {"mirroring 1", {{kSm, {"1"}}}, true, {"SMStatus :[1]", kMirroring}, {"nDualTVStatus :[0]"}},
        {"mirroring 2", {{kSm, {"2"}}}, true, {kMirroring}, {}},
        {"mirroring 3", {{kSm, {"3"}}}, false, {"SMStatus :[3]", kNone}, {}},
        {"dual TV", {{kDual, {"1"}}}, true, {"nDualTVStatus :[1]", "Dual TV is running,can not start rec"}, {kNone}},
        {"unreadable settings are skipped",
         {{kSmsrc + ".ret", {"-1"}}, {kSmsrc, {"1"}}, {kSm + ".ret", {"-1"}}, {kSm, {"2"}},
          {kDual + ".ret", {"-1"}}, {kDual, {"1"}}, kNoCi},
         false, {"Get TV2Mobile failed", "Get Screen Mirroring failed", "Get DualTV status failed", kNone},
         {"nSMSRCStatus :[1]"}},
        {"CI host control on the live service", {kHcOn, kMarked}, true,
         {"nDualTVStatus :[0]", kRunning, "Host Controller Is Active.", kZiggo}, {kNone}},
        {"CI host control, service not marked", {kHcOn, {"IService::FindService[1001]", {"27=0"}}}, false,
         {kRunning, "Host Controller Is Not Active.", kNone}, {kZiggo}},
        {"CI host control, live service unknown", {kHcOn, {"svc_pvr_get_current_livetv_service_id", {"4711"}}},
         false, {"Failed to find the serviceData through serviceId. serviceId is [4711].", kNone}, {kZiggo}},
        {"CI answer not exactly 1", {kHcOn, {kHc + ".ret", {"2"}}, kMarked}, false, {kNone}, {kRunning}},
        {"CI call failed", {kHcOn, {kHc + ".ret", {"0"}}, kMarked}, false, {kNone}, {kRunning}},
        {"CI flag not written", {{kHc, {}}, kMarked}, false, {kNone}, {kRunning}},
        {"no CI stack", {kNoCi, kMarked}, false, {kNone}, {kRunning}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vsim::ResetWorld();
        DropChannelMgr();
        vtest::SetFacts(row.facts);
        EXPECT_EQ(CSportsUtil::IsExistConflictApp(), row.conflict);
        int last = -1;
        for (const std::string& line : row.lines) {
            EXPECT_TRUE(Sys(line)) << line;
            int at = vtest::LogIndex(line);
            EXPECT_GT(at, last) << line;
            last = at;
        }
        for (const std::string& line : row.absent) EXPECT_FALSE(Logged(line)) << line;
    }
}

TEST_F(EligibilityTest, ConflictCheckStopsAtTheFirstConflictAndAsksCiProperly) {
    vsim::SetFact("vconf_get_int[memory/menu/network/screenmirroring/smsrc_status]", {"1"});
    EXPECT_TRUE(CSportsUtil::IsExistConflictApp());
    EXPECT_EQ(ArgsOf("vconf_get_int"), Lines{"memory/menu/network/screenmirroring/smsrc_status"});
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
    EXPECT_EQ(ArgsOf("CIM::TCCIService::IsHostControlRunning"), Lines{"0"});
    EXPECT_EQ(ArgsOf("IService::FindService"), Lines{"fetch=27 where=12:4294967294 max=1"});
}

}  // namespace
