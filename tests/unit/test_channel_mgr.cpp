// The channel manager over the simulated TV service: the singleton, its
// initialisation, and the channel questions with their calls and log lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PVRChannelMgr.h"
#include "TestSupport.h"

namespace {

using vtest::Calls;
using vtest::Lines;
using Strings = std::vector<std::string>;

// Asks the named questions in turn and gives their answers, space-separated;
// a number names the service of the questions after it (1001 at first).
std::string Ask(CPVRChannelMgr& mgr, const std::string& questions) {
    auto n = [](auto value) { return std::to_string(value); };
    std::istringstream in(questions);
    std::string answers;
    unsigned long long id = 1001;
    for (std::string q; in >> q;) {
        TSTvMode mode;
        TCServiceData data;
        unsigned long long current = 5;
        ENavigationMode navigation = 9;
        std::string a;
        if (std::isdigit(static_cast<unsigned char>(q[0]))) id = std::stoull(q);
        if (q == "tvMode") a = n(mgr.GetCurrentTvMode(mode));
        if (q == "modes") a = n(mgr.m_GetTVmModes(mode, &navigation));
        if (q == "data") a = n(mgr.GetCurrentServiceData(data));
        if (q == "byId") a = n(mgr.GetServiceDataByServiceId(data, id));
        if (q == "id") a = n(mgr.GetCurrentServiceId(&current));
        if (q == "analog") a = n(mgr.IsAnalogChannel(id));
        if (q == "lock") a = n(mgr.IsChildLockChannel(id));
        if (q == "audio") a = n(mgr.IsAudioOnlyChannel(id));
        if (q == "host") a = n(mgr.CheckHostControllerIsActive(id));
        if (q == "noSignal") a = n(mgr.IsNoSignalChannel());
        if (q == "size") a = n(mgr.SetDefaultSize());
        // Then what the question wrote back.
        if (q == "tvMode") a += " " + n(mode.mode) + "," + n(mode.subMode);
        if (q == "modes") a += " " + n(navigation);
        if (q == "byId") a += " " + n(data.Get(SERVICE_FIELD_MAJOR, -1LL));
        if (q == "id") a += " " + n(current);
        if (!a.empty()) answers += (answers.empty() ? "" : " ") + a;
    }
    return answers;
}

class ChannelMgrTest : public vtest::FreshChannelMgrTest {};

TEST_F(ChannelMgrTest, AFailedInitIsNotRetriedAndRacingFirstCallsShareOneInstance) {
    vsim::SetFact("TVServiceAPI::CreateServiceGuide.ret", {"-3"});
    CPVRChannelMgr* failed = CPVRChannelMgr::GetChannelMgrInstance();
    vsim::ClearFact("TVServiceAPI::CreateServiceGuide.ret");
    EXPECT_EQ(CPVRChannelMgr::GetChannelMgrInstance(), failed);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->m_pServiceGuide, nullptr);

    DropChannelMgr();
    std::atomic<int> waiting{8};
    std::vector<CPVRChannelMgr*> seen(8);
    std::vector<std::thread> threads;
    for (CPVRChannelMgr*& slot : seen)
        threads.emplace_back([&] {
            // All threads start together so that they race for the lock.
            for (--waiting; waiting > 0;) std::this_thread::yield();
            slot = CPVRChannelMgr::GetChannelMgrInstance();
        });
    for (std::thread& t : threads) t.join();
    ASSERT_EQ(std::count(seen.begin(), seen.end(), CPVRChannelMgr::GetChannelMgrInstance()), 8);
    EXPECT_EQ(vtest::ArgsOf("TVServiceAPI::CreateService").size(), 2u);  // once per instance
}

TEST_F(ChannelMgrTest, InitCreatesInOrderStopsAtTheFirstFailureAndReleasesEverything) {
    const Strings calls = {"TVServiceAPI::CreateService", "TVServiceAPI::CreateServiceNavigation 1,0",
                           "TVServiceAPI::CreateServiceGuide", "TVServiceAPI::CreateSourceControl 1,0"},
                  facts = {"TVServiceAPI::CreateService", "TVServiceAPI::CreateServiceNavigation[1,0]",
                           "TVServiceAPI::CreateServiceGuide", "TVServiceAPI::CreateSourceControl[1,0]"},
                  failures = {"S Create Service failed", "S Create Service Navigation failed",
                              "S Create Service Guide failed", "S Create source control failed"};
    // Each step fails once by its result and once by handing out nothing; step 4 is none failing.
    for (int failing = 0; failing < 5; ++failing) {
        for (const char* how : {".ret", ""}) {
            SCOPED_TRACE(std::to_string(failing) + how);
            vsim::ResetWorld();
            const bool ok = failing == 4;
            if (!ok) vsim::SetFact(facts[failing] + how, {*how ? "1" : "null"});
            std::unique_ptr<CPVRChannelMgr> mgr(new CPVRChannelMgr);
            EXPECT_EQ(mgr->ChannelInit(), ok ? 0 : -1);
            Strings made(calls.begin(), calls.begin() + std::min(failing + 1, 4));
            if (!ok) made.push_back("TVServiceAPI::Destroy");
            EXPECT_EQ(Calls(), made);
            Strings lines = {"M Init CPVRChannelMgr", "M Init channel service succuss!"};
            if (!ok) lines = {lines[0], failures[failing], "M Finish channel mgr succuss!"};
            EXPECT_EQ(Lines(), lines);
            const void* objects[] = {mgr->m_pService, mgr->m_pServiceNavigation, mgr->m_pServiceGuide,
                                     mgr->m_pSourceControl};
            for (const void* object : objects) EXPECT_EQ(object != nullptr, ok);
            // The TV service's objects are its own: the destructor releases nothing.
            vsim::ClearJournal();
            mgr.reset();
            EXPECT_EQ(Calls(), Strings{});
            EXPECT_EQ(Lines(), Strings{"M Finish CPVRChannelMgr"});
        }
    }
}

TEST_F(ChannelMgrTest, QuestionsAboutTheCurrentAndAGivenChannelAndTheirFailures) {
    const std::string tvMode = "IServiceNavigation::GetTvMode[1,0]", state = "ISourceControl::GetSourceState[1,0]",
                      current = "IServiceNavigation::GetCurrentServiceInfo[1,0]",
                      size = "IVideoControl::SetDefaultSize", mode = "IServiceNavigation::GetTvMode 1,0",
                      info = "IServiceNavigation::GetCurrentServiceInfo 1,0 mode=",
                      navigation = "vconf_get_int db/broadcasting/channel_navigation_mode",
                      video = "TVServiceAPI::CreateVideoControl 1,0", read = "S get the source state success",
                      sized = "S call-api-tvs SetDefaultSize, result is ",
                      find = "IService::FindService fetch=13,14,15,2,1,16,63,22,26,27,19,20,12 where=12:";
    // A service's four look-ups, each fetching its own field; the type is tested when found.
    auto lookups = [](const std::string& id, const char* type) {
        const std::string find = "IService::FindService fetch=", where = " where=12:" + id + " max=1";
        Strings calls = {find + "1" + where, find + "22" + where, find + "19" + where, find + "27" + where};
        if (type) calls.insert(calls.begin() + 1, std::string("TCServiceUtility::IsAnalogChannelType ") + type);
        return calls;
    };
    const std::string all = " analog lock audio host", service = "IService::FindService[";
    // clang-format off
    struct Row { vtest::Facts facts; std::string ask; const char* answer; Strings calls, lines; };  // when given
    const Row rows[] = {
        // Look-ups by id: analog, child-locked, audio-only, under host control, each with its own default.
        {{{service + "2001]", {"1=1", "22=0", "19=-1", "27=0"}}}, "2001" + all, "1 0 1 0", lookups("2001", "1"), {
            "S the src service_id is [2001]", "S  find the servicedata by service_id [2001] ",
            "S the serviceID is [2001]", "S the channel is not child lock, service id is [2001]",
            "S the serviceID is [2001]", "I the channel is audio only  channel",
            "S the channel is audio only channel, service id is [2001]", "S Host Controller Is Not Active."}},
        {{{service + "2002]", {"1=0", "19=2", "27=1"}}}, "2002" + all, "0 1 0 1", lookups("2002", "0"), {
            "S the src service_id is [2002]", "S  find the servicedata by service_id [2002] ",
            "S the serviceID is [2002]", "S the channel is child lock, service id is [2002]",  // no lock field
            "S the serviceID is [2002]", "S the channel is a video channel", "S Host Controller Is Active."}},
        {{{service + "2003]", {"1=2", "22=5"}}}, "2003" + all, "1 1 1 0", lookups("2003", "2"), {}},  // no video field
        {{{service + "2004]", {"22=0", "19=0", "27=2"}}}, "2004" + all, "0 0 0 1", lookups("2004", "-1"), {}},  // no type
        {{{service + "2005]", {"1=1", "22=0", "19=2", "27=1"}}, {service + "2005].ret", {"0"}}}, "2005" + all, "0 0 1 0",
         lookups("2005", nullptr), {}},  // listed, but the service answers no match
        {{}, "999" + all, "0 0 1 0", lookups("999", nullptr), {
            "S the src service_id is [999]", "S can not find the servicedata by service_id [999]",
            "S the serviceID is [999]", "S can not find the servicedata by service_id [999]",
            "S the serviceID is [999]", "S can not find the servicedata by service_id [999]",
            "S Failed to find the serviceData through serviceId. serviceId is [999]."}},
        {{}, "id", "0 1001", {mode, navigation, info + "1,0 fetch=12"}, {"M Get current service_id [1001]"}},
        {{{current, {"3003"}}, {"IService::FindService[3003]", {"12="}}}, "id", "0 18446744073709551615", {},
         {"M Get current service_id [18446744073709551615]"}},  // the service left its id out
        {{{current, {"3004"}}}, "id", "-1 5", {}, {"S get current service info failed, ret: [0]"}},  // not in the line-up
        {{{tvMode + ".ret", {"0"}}}, "id", "-1 5", {mode}, {"S get tv mode failed"}},
        // The current service data goes on whatever the TV mode answered.
        {{{tvMode, {"4", "2"}}, {tvMode + ".ret", {"3"}}, {"vconf_get_int[db/broadcasting/channel_navigation_mode]", {"3"}}},
         "tvMode modes data", "3 4,2 0 3 0", {mode, mode, navigation, mode, info + "4,2 fetch="},
         {"S the current tv mode is [4]", "M ret is :3"}},
        {{{tvMode, {"4", "2"}}, {tvMode + ".ret", {"0"}}}, "tvMode modes data", "-1 4,2 -1 9 0", {},
         {"S get current tv mode Failed!!! ret = [0]", "S get tv mode failed", "M ret is :0"}},
        {{{tvMode + ".ret", {"-2"}}}, "tvMode data", "-1 -1,-1 0", {mode, mode, info + "-1,-1 fetch="},
         {"S get current tv mode Failed!!! ret = [-2]", "M ret is :-2"}},
        {{{current + ".ret", {"0"}}}, "data", "-1", {}, {"M ret is :1", "S get current service info failed"}},
        {{{"IService::FindService[1002]", {"13=8"}}}, "1002 byId 4242 byId", "0 8 -1 -1",
         {find + "1002 max=1", find + "4242 max=1"},
         {"S the src service_id is [1002]", "S  find the servicedata by service_id [1002] ",
          "S the src service_id is [4242]", "S can not find the servicedata by service_id [4242]"}},
        // A signal only with the state 1, read with success.
        {{}, "noSignal", "0", {"ISourceControl::GetSourceState 1,0"},
         {read, "S current source has signal,the source state is [1]"}},
        {{{state, {"0"}}}, "noSignal", "1", {}, {read, "S current source has no signal, the sourceState is [0]"}},
        {{{state, {"3"}}, {state + ".ret", {"2"}}}, "noSignal", "1", {},
         {read, "S current source has no signal, the sourceState is [3]"}},
        {{{state, {}}}, "noSignal", "1", {}, {read, "S current source has no signal, the sourceState is [-1]"}},
        {{{state + ".ret", {"0"}}}, "noSignal", "1", {}, {"S get the source state failed, no signal"}},
        // A fresh video control each time; any nonzero result succeeds.
        {{}, "size", "1", {video, size + " 1,0"}, {sized + "[1]"}},
        {{{size + ".ret", {"-1"}}}, "size", "1", {}, {sized + "[1]"}},
        {{{size + ".ret", {"0"}}}, "size", "0", {}, {sized + "[0]", "S SetDefaultSize failed!!"}},
        {{{"TVServiceAPI::CreateVideoControl[1,0]", {"null"}}}, "size", "0", {video}, {"S pVideoCtrl is created failed"}},
    };
    // clang-format on
    CPVRChannelMgr* mgr = CPVRChannelMgr::GetChannelMgrInstance();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ask + ": " + row.answer);
        vsim::ResetWorld();
        vtest::SetFacts(row.facts);
        EXPECT_EQ(Ask(*mgr, row.ask), row.answer);
        if (!row.calls.empty()) {
            EXPECT_EQ(Calls(), row.calls);
        }
        if (!row.lines.empty()) {
            EXPECT_EQ(Lines(), row.lines);
        }
    }
}

TEST_F(ChannelMgrTest, AfterAFailedInitNothingAsksTheTvService) {
    vsim::SetFact("TVServiceAPI::CreateService", {"null"});
    CPVRChannelMgr* mgr = CPVRChannelMgr::GetChannelMgrInstance();
    vsim::ClearJournal();
    // Audio-only is not the not-found answer: without a database nothing is known.
    EXPECT_EQ(Ask(*mgr, "tvMode modes data byId id analog lock audio host noSignal"),
              "-1 -1,-1 -1 9 -1 -1 -1 -1 5 0 0 0 0 1");
    EXPECT_EQ(Lines().back(), "S get the source state failed, no signal");
    EXPECT_EQ(Calls(), Strings{});
}

}  // namespace
