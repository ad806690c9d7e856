// The channel manager over the simulated TV service: the singleton, its
// initialisation, and the channel questions with their log lines.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "PVRChannelMgr.h"
#include "TestSupport.h"

namespace {

using vtest::CallCount;
using vtest::Logged;
using vtest::LoggedAt;

using vtest::CallNames;

// Arguments of the first journaled call of this name.
std::string ArgsOf(const std::string& call) {
    std::vector<std::string> args = vtest::ArgsOf(call);
    return args.empty() ? "(not called)" : args[0];
}

// Calls made to the TV service's objects (not the creation API).
int InterfaceCalls() {
    int n = 0;
    for (const std::string& name : CallNames())
        if (name.rfind("IService", 0) == 0 || name.rfind("ISourceControl", 0) == 0 ||
            name.rfind("IVideoControl", 0) == 0)
            ++n;
    return n;
}

class ChannelMgrTest : public vtest::FreshChannelMgrTest {
protected:
    void SetUp() override {
        FreshChannelMgrTest::SetUp();
        vsim::ClearJournal();
    }
    // The singleton, initialised, with the journal emptied afterwards.
    CPVRChannelMgr* Ready() {
        CPVRChannelMgr* mgr = CPVRChannelMgr::GetChannelMgrInstance();
        vsim::ClearJournal();
        return mgr;
    }
};

// ---- singleton and initialisation --------------------------------------------

TEST_F(ChannelMgrTest, ConcurrentFirstCallsMakeExactlyOneInitialisedInstance) {
    constexpr int kThreads = 8;
    std::atomic<int> waiting{kThreads};
    std::vector<CPVRChannelMgr*> seen(kThreads, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            // Release all threads together so that they race for the lock.
            waiting.fetch_sub(1);
            while (waiting.load() > 0) std::this_thread::yield();
            seen[i] = CPVRChannelMgr::GetChannelMgrInstance();
        });
    }
    for (std::thread& t : threads) t.join();

    ASSERT_NE(seen[0], nullptr);
    for (CPVRChannelMgr* p : seen) EXPECT_EQ(p, seen[0]);
    EXPECT_EQ(CPVRChannelMgr::m_pChannelMgr, seen[0]);
    EXPECT_EQ(vtest::CountLogged("Init CPVRChannelMgr"), 1);
    EXPECT_EQ(vtest::CountLogged("Init channel service succuss!"), 1);
    EXPECT_EQ(CallCount("TVServiceAPI::CreateService"), 1);
    EXPECT_EQ(CallCount("TVServiceAPI::CreateSourceControl"), 1);

    EXPECT_EQ(CPVRChannelMgr::GetChannelMgrInstance(), seen[0]);
    EXPECT_EQ(CallCount("TVServiceAPI::CreateService"), 1);
}

TEST_F(ChannelMgrTest, FailedInitialisationKeepsTheInstanceAndIsNotRetried) {
    vsim::SetFact("TVServiceAPI::CreateServiceGuide.ret", {"-3"});
    CPVRChannelMgr* first = CPVRChannelMgr::GetChannelMgrInstance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_pService, nullptr);
    EXPECT_EQ(first->m_pServiceNavigation, nullptr);

    vsim::ClearFact("TVServiceAPI::CreateServiceGuide.ret");
    EXPECT_EQ(CPVRChannelMgr::GetChannelMgrInstance(), first);
    EXPECT_EQ(CallCount("TVServiceAPI::CreateService"), 1);
    EXPECT_EQ(first->m_pServiceGuide, nullptr);
}

TEST_F(ChannelMgrTest, InitCreatesTheFourObjectsInOrderAndTheDestructorKeepsThem) {
    {
        CPVRChannelMgr mgr;
        EXPECT_TRUE(LoggedAt("Init CPVRChannelMgr", LOG_ID_MAIN, DLOG_WARN));
        EXPECT_EQ(mgr.m_pService, nullptr);
        ASSERT_EQ(mgr.ChannelInit(), 0);
        EXPECT_EQ(CallNames(),
                  (std::vector<std::string>{"TVServiceAPI::CreateService", "TVServiceAPI::CreateServiceNavigation",
                                            "TVServiceAPI::CreateServiceGuide", "TVServiceAPI::CreateSourceControl"}));
        EXPECT_EQ(ArgsOf("TVServiceAPI::CreateServiceNavigation"), "1,0");
        EXPECT_EQ(ArgsOf("TVServiceAPI::CreateSourceControl"), "1,0");
        EXPECT_NE(mgr.m_pService, nullptr);
        EXPECT_NE(mgr.m_pServiceNavigation, nullptr);
        EXPECT_NE(mgr.m_pServiceGuide, nullptr);
        EXPECT_NE(mgr.m_pSourceControl, nullptr);
        EXPECT_TRUE(LoggedAt("Init channel service succuss!", LOG_ID_MAIN, DLOG_WARN));
        vsim::ClearJournal();
    }
    EXPECT_TRUE(LoggedAt("Finish CPVRChannelMgr", LOG_ID_MAIN, DLOG_WARN));
    EXPECT_EQ(CallCount("TVServiceAPI::Destroy"), 0);
}

TEST_F(ChannelMgrTest, InitStopsAtEachFailingStepAndReleasesEverything) {
    struct Step {
        const char* call;
        const char* fact;
        const char* log;
    };
    // clang-format off
    const Step steps[] = {
        {"TVServiceAPI::CreateService", "TVServiceAPI::CreateService", "Create Service failed"},
        {"TVServiceAPI::CreateServiceNavigation", "TVServiceAPI::CreateServiceNavigation[1,0]",
         "Create Service Navigation failed"},
        {"TVServiceAPI::CreateServiceGuide", "TVServiceAPI::CreateServiceGuide", "Create Service Guide failed"},
        {"TVServiceAPI::CreateSourceControl", "TVServiceAPI::CreateSourceControl[1,0]", "Create source control failed"},
    };
    // clang-format on
    for (int failing = 0; failing < 4; ++failing) {
        // Each step fails once by its result and once by handing out nothing.
        for (bool byNull : {false, true}) {
            SCOPED_TRACE(std::string(steps[failing].call) + (byNull ? " null" : " result"));
            vsim::ResetWorld();
            if (byNull)
                vsim::SetFact(steps[failing].fact, {"null"});
            else
                vsim::SetFact(std::string(steps[failing].fact) + ".ret", {"1"});
            CPVRChannelMgr mgr;
            EXPECT_EQ(mgr.ChannelInit(), -1);
            EXPECT_TRUE(LoggedAt(steps[failing].log, LOG_ID_SYSTEM, DLOG_WARN));
            EXPECT_TRUE(LoggedAt("Finish channel mgr succuss!", LOG_ID_MAIN, DLOG_WARN));
            EXPECT_FALSE(Logged("Init channel service succuss!"));
            EXPECT_EQ(CallCount("TVServiceAPI::Destroy"), 1);
            for (int later = failing + 1; later < 4; ++later) EXPECT_EQ(CallCount(steps[later].call), 0);
            EXPECT_EQ(mgr.m_pService, nullptr);
            EXPECT_EQ(mgr.m_pServiceNavigation, nullptr);
            EXPECT_EQ(mgr.m_pServiceGuide, nullptr);
            EXPECT_EQ(mgr.m_pSourceControl, nullptr);
        }
    }
}

// ---- look-ups by service id ----------------------------------------------------

TEST_F(ChannelMgrTest, LookupsByServiceIdDecideWithTheirOwnDefaults) {
    vsim::SetFact("IService::FindService[2001]", {"1=1", "22=0", "19=-1", "27=0"});
    vsim::SetFact("IService::FindService[2002]", {"1=0", "19=2", "27=1"});
    vsim::SetFact("IService::FindService[2003]", {"1=2", "22=5"});
    vsim::SetFact("IService::FindService[2004]", {"1=9", "22=0", "19=0", "27=0"});
    // Found in the line-up but the service says no match.
    vsim::SetFact("IService::FindService[2005]", {"1=1", "22=0", "19=2", "27=1"});
    vsim::SetFact("IService::FindService[2005].ret", {"0"});
    struct Row {
        unsigned long long id;
        bool analog, childLock, audioOnly, hostControl;
    };
    // clang-format off
    const Row rows[] = {
        {2001, true, false, true, false},   // ATV, unlocked, no video
        {2002, false, true, false, true},   // no lock field: locked
        {2003, true, true, true, false},    // CATV, video and host fields absent
        {2004, false, false, false, false}, // video stream code 0 is video
        {2005, false, false, true, false},  // not found
        {999, false, false, true, false},   // unknown
    };
    // clang-format on
    CPVRChannelMgr* mgr = Ready();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(mgr->IsAnalogChannel(row.id), row.analog);
        EXPECT_EQ(mgr->IsChildLockChannel(row.id), row.childLock);
        EXPECT_EQ(mgr->IsAudioOnlyChannel(row.id), row.audioOnly);
        EXPECT_EQ(mgr->CheckHostControllerIsActive(row.id), row.hostControl);
    }
}

TEST_F(ChannelMgrTest, LookupsAskForTheirFieldAndLogTheirDecisionOrTheMissingService) {
    vsim::SetFact("IService::FindService[2002]", {"1=0", "19=2", "27=1"});
    CPVRChannelMgr* mgr = Ready();

    EXPECT_TRUE(mgr->IsChildLockChannel(2002));
    EXPECT_EQ(ArgsOf("IService::FindService"), "fetch=22 where=12:2002 max=1");
    EXPECT_TRUE(LoggedAt("the serviceID is [2002]", LOG_ID_SYSTEM, DLOG_WARN));
    EXPECT_TRUE(LoggedAt("the channel is child lock, service id is [2002]", LOG_ID_SYSTEM, DLOG_WARN));

    vsim::ClearJournal();
    EXPECT_FALSE(mgr->IsAnalogChannel(2002));
    EXPECT_EQ(ArgsOf("IService::FindService"), "fetch=1 where=12:2002 max=1");
    EXPECT_EQ(ArgsOf("TCServiceUtility::IsAnalogChannelType"), "0");
    EXPECT_TRUE(Logged("the src service_id is [2002]"));
    EXPECT_TRUE(Logged(" find the servicedata by service_id [2002] "));

    vsim::ClearJournal();
    EXPECT_FALSE(mgr->IsAudioOnlyChannel(2002));
    EXPECT_EQ(ArgsOf("IService::FindService"), "fetch=19 where=12:2002 max=1");
    EXPECT_TRUE(Logged("the channel is a video channel"));

    vsim::ClearJournal();
    EXPECT_TRUE(mgr->CheckHostControllerIsActive(2002));
    EXPECT_EQ(ArgsOf("IService::FindService"), "fetch=27 where=12:2002 max=1");
    EXPECT_TRUE(Logged("Host Controller Is Active."));
    EXPECT_EQ(vtest::LogMessages().size(), 1u);  // no first line for this one

    vsim::SetFact("IService::FindService[2001]", {"19=-1", "27=0", "22=0"});
    EXPECT_TRUE(mgr->IsAudioOnlyChannel(2001));
    EXPECT_TRUE(LoggedAt("the channel is audio only  channel", LOG_ID_MAIN, DLOG_INFO));
    EXPECT_TRUE(LoggedAt("the channel is audio only channel, service id is [2001]", LOG_ID_SYSTEM, DLOG_WARN));
    EXPECT_FALSE(mgr->CheckHostControllerIsActive(2001));
    EXPECT_TRUE(LoggedAt("Host Controller Is Not Active.", LOG_ID_SYSTEM, DLOG_WARN));
    EXPECT_FALSE(mgr->IsChildLockChannel(2001));
    EXPECT_TRUE(Logged("the channel is not child lock, service id is [2001]"));

    vsim::ClearJournal();
    EXPECT_FALSE(mgr->CheckHostControllerIsActive(77));
    EXPECT_TRUE(Logged("Failed to find the serviceData through serviceId. serviceId is [77]."));
    EXPECT_FALSE(mgr->IsChildLockChannel(77));
    EXPECT_FALSE(mgr->IsAnalogChannel(77));
    // Not found counts as audio-only, without the audio-only line.
    EXPECT_TRUE(mgr->IsAudioOnlyChannel(77));
    EXPECT_FALSE(Logged("the channel is audio only  channel"));
    EXPECT_EQ(vtest::CountLogged("can not find the servicedata by service_id [77]"), 3);
    EXPECT_EQ(CallCount("TCServiceUtility::IsAnalogChannelType"), 0);
}

TEST_F(ChannelMgrTest, ServiceDataByIdFetchesTheWholeChannel) {
    vsim::SetFact("IService::FindService[1002]", {"1=9", "13=8", "14=0", "16=Virtual Eight"});
    CPVRChannelMgr* mgr = Ready();
    TCServiceData data;
    ASSERT_EQ(mgr->GetServiceDataByServiceId(data, 1002), 0);
    EXPECT_EQ(ArgsOf("IService::FindService"), "fetch=13,14,15,2,1,16,63,22,26,27,19,20,12 where=12:1002 max=1");
    EXPECT_EQ(data.Get(SERVICE_FIELD_CHANNEL_TYPE, -1LL), 9);
    EXPECT_EQ(data.Get(SERVICE_FIELD_SERVICE_ID, -1LL), 1002);
    EXPECT_EQ(data.GetLength(SERVICE_FIELD_CHANNEL_NAME), 13u);
    EXPECT_FALSE(data.IsSet(SERVICE_FIELD_VIDEO_STREAM));
    EXPECT_TRUE(Logged(" find the servicedata by service_id [1002] "));

    TCServiceData none;
    EXPECT_EQ(mgr->GetServiceDataByServiceId(none, 4242), -1);
    EXPECT_TRUE(LoggedAt("can not find the servicedata by service_id [4242]", LOG_ID_SYSTEM, DLOG_WARN));
}

// ---- the current service --------------------------------------------------------

TEST_F(ChannelMgrTest, CurrentServiceIdAndItsFailures) {
    CPVRChannelMgr* mgr = Ready();
    unsigned long long id = 5;
    ASSERT_EQ(mgr->GetCurrentServiceId(&id), 0);
    EXPECT_EQ(id, 1001u);
    EXPECT_EQ(ArgsOf("IServiceNavigation::GetCurrentServiceInfo"), "1,0 mode=1,0 fetch=12");
    EXPECT_TRUE(LoggedAt("Get current service_id [1001]", LOG_ID_MAIN, DLOG_WARN));

    // The current service left its id out.
    vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[1,0]", {"3003"});
    vsim::SetFact("IService::FindService[3003]", {"12=", "13=3"});
    ASSERT_EQ(mgr->GetCurrentServiceId(&id), 0);
    EXPECT_EQ(id, ~0ULL);
    EXPECT_TRUE(Logged("Get current service_id [18446744073709551615]"));

    // The current service is not in the line-up.
    vsim::ClearJournal();
    id = 5;
    vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[1,0]", {"3004"});
    EXPECT_EQ(mgr->GetCurrentServiceId(&id), -1);
    EXPECT_EQ(id, 5u);
    EXPECT_TRUE(LoggedAt("get current service info failed, ret: [0]", LOG_ID_SYSTEM, DLOG_WARN));

    // No TV mode: the service is not asked.
    vsim::ClearJournal();
    vsim::SetFact("IServiceNavigation::GetTvMode.ret", {"0"});
    EXPECT_EQ(mgr->GetCurrentServiceId(&id), -1);
    EXPECT_EQ(id, 5u);
    EXPECT_TRUE(Logged("get tv mode failed"));
    EXPECT_EQ(CallCount("IServiceNavigation::GetCurrentServiceInfo"), 0);
}

TEST_F(ChannelMgrTest, TvModeQueriesAndTheCurrentServiceData) {
    CPVRChannelMgr* mgr = Ready();
    vtest::SetCall("IServiceNavigation::GetTvMode[1,0]", {"4", "2"}, 3);
    TSTvMode mode;
    TCServiceData data;
    EXPECT_EQ(mgr->GetCurrentTvMode(mode), 3);
    EXPECT_EQ(mode.mode, 4);
    EXPECT_EQ(mode.subMode, 2);
    EXPECT_TRUE(LoggedAt("the current tv mode is [4]", LOG_ID_SYSTEM, DLOG_WARN));

    ENavigationMode navigation = 9;
    EXPECT_EQ(mgr->m_GetTVmModes(mode, &navigation), 0);
    EXPECT_EQ(navigation, 0);  // the setting reads 0 on a plain TV

    vsim::SetFact("IServiceNavigation::GetTvMode[1,0].ret", {"0"});
    EXPECT_EQ(mgr->GetCurrentTvMode(mode), -1);
    EXPECT_TRUE(Logged("get current tv mode Failed!!! ret = [0]"));
    navigation = 9;
    EXPECT_EQ(mgr->m_GetTVmModes(mode, &navigation), -1);
    EXPECT_EQ(navigation, 9);

    // The current service data goes on whatever the mode answered.
    vtest::SetCall("IServiceNavigation::GetTvMode[1,0]", {}, -2);
    EXPECT_EQ(mgr->GetCurrentServiceData(data), 0);
    EXPECT_TRUE(LoggedAt("ret is :-2", LOG_ID_MAIN, DLOG_WARN));
    EXPECT_EQ(ArgsOf("IServiceNavigation::GetCurrentServiceInfo"), "1,0 mode=-1,-1 fetch=");

    vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[1,0].ret", {"0"});
    EXPECT_EQ(mgr->GetCurrentServiceData(data), -1);
    EXPECT_TRUE(LoggedAt("get current service info failed", LOG_ID_SYSTEM, DLOG_WARN));
}

TEST_F(ChannelMgrTest, NoSignalFollowsTheSourceState) {
    struct Row {
        std::vector<std::string> state;
        const char* ret;
        bool noSignal;
        const char* log;
    };
    // clang-format off
    const Row rows[] = {
        {{"1"}, "1", false, "current source has signal,the source state is [1]"},
        {{"0"}, "1", true, "current source has no signal, the sourceState is [0]"},
        {{"3"}, "2", true, "current source has no signal, the sourceState is [3]"},
        {{}, "1", true, "current source has no signal, the sourceState is [-1]"},  // nothing written
        {{"1"}, "0", true, "get the source state failed, no signal"},
    };
    // clang-format on
    CPVRChannelMgr* mgr = Ready();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.log);
        vsim::ClearJournal();
        vsim::SetFact("ISourceControl::GetSourceState[1,0]", row.state);
        vsim::SetFact("ISourceControl::GetSourceState[1,0].ret", {row.ret});
        EXPECT_EQ(mgr->IsNoSignalChannel(), row.noSignal);
        EXPECT_TRUE(LoggedAt(row.log, LOG_ID_SYSTEM, DLOG_WARN));
        EXPECT_EQ(Logged("get the source state success"), std::string(row.ret) != "0");
    }
}

TEST_F(ChannelMgrTest, SetDefaultSizeOnAFreshVideoControl) {
    CPVRChannelMgr* mgr = Ready();
    EXPECT_TRUE(mgr->SetDefaultSize());
    EXPECT_EQ(ArgsOf("TVServiceAPI::CreateVideoControl"), "1,0");
    EXPECT_TRUE(LoggedAt("call-api-tvs SetDefaultSize, result is [1]", LOG_ID_SYSTEM, DLOG_WARN));

    vsim::ClearJournal();
    vsim::SetFact("IVideoControl::SetDefaultSize.ret", {"0"});
    EXPECT_FALSE(mgr->SetDefaultSize());
    EXPECT_TRUE(Logged("call-api-tvs SetDefaultSize, result is [0]"));
    EXPECT_TRUE(Logged("SetDefaultSize failed!!"));

    vsim::ClearJournal();
    vsim::SetFact("TVServiceAPI::CreateVideoControl[1,0]", {"null"});
    EXPECT_FALSE(mgr->SetDefaultSize());
    EXPECT_TRUE(Logged("pVideoCtrl is created failed"));
    EXPECT_EQ(CallCount("IVideoControl::SetDefaultSize"), 0);
}

TEST_F(ChannelMgrTest, AfterAFailedInitNothingAsksTheTvService) {
    vsim::SetFact("TVServiceAPI::CreateService", {"null"});
    CPVRChannelMgr* mgr = Ready();
    TSTvMode mode;
    TCServiceData data;
    unsigned long long id = 7;
    ENavigationMode navigation = 0;
    EXPECT_EQ(mgr->GetCurrentTvMode(mode), -1);
    EXPECT_EQ(mgr->m_GetTVmModes(mode, &navigation), -1);
    EXPECT_EQ(mgr->GetCurrentServiceData(data), -1);
    EXPECT_EQ(mgr->GetServiceDataByServiceId(data, 1001), -1);
    EXPECT_EQ(mgr->GetCurrentServiceId(&id), -1);
    EXPECT_EQ(id, 7u);
    EXPECT_FALSE(mgr->IsAnalogChannel(1001));
    EXPECT_FALSE(mgr->IsChildLockChannel(1001));
    // Not the not-found answer (audio-only): without a database nothing is known.
    EXPECT_FALSE(mgr->IsAudioOnlyChannel(1001));
    EXPECT_FALSE(mgr->CheckHostControllerIsActive(1001));
    EXPECT_TRUE(mgr->IsNoSignalChannel());
    EXPECT_TRUE(Logged("get the source state failed, no signal"));
    EXPECT_EQ(InterfaceCalls(), 0);
}

}  // namespace
