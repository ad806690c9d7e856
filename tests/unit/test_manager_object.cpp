// The manager object: singleton, creation, result messages, PVR results and
// viewer events.
#include "KeyTestSupport.h"

namespace {

using namespace ktest;

class ManagerObjectTest : public KeyTest {};

TEST_F(ManagerObjectTest, SingletonIsClearedWithTheObjectAndCreateStartsTheClocks) {
    EXPECT_EQ(CSportsUGMgr::Get(), mgr);
    EXPECT_TRUE(mgr->FlagCreate());
    EXPECT_NE(mgr->GetBaseLayout(), nullptr);
    mgr->Destroy();
    delete mgr;
    EXPECT_EQ(CSportsUGMgr::pSportsUGMgr, nullptr);
    // The facade builds a fresh, uncreated manager and answers false.
    EXPECT_FALSE(CSportsUGAPI::IsSportsmodeUGShow());
    ASSERT_NE(CSportsUGMgr::pSportsUGMgr, nullptr);
    EXPECT_FALSE(CSportsUGMgr::pSportsUGMgr->FlagCreate());

    mgr = CSportsUGMgr::Get();
    vsim::ClearJournal();
    vtest::AdvanceMs(1234);
    timeval before;
    gettimeofday(&before, nullptr);
    ASSERT_TRUE(mgr->Create(vtest::Window(), nullptr));
    for (const timeval* t :
         {&mgr->m_stRedKeyTime, &mgr->m_stGreenKeyTime, &mgr->m_stYellowKeyTime, &mgr->m_stRecorderKeyTime}) {
        EXPECT_EQ(t->tv_sec, before.tv_sec);
        EXPECT_EQ(t->tv_usec, before.tv_usec);
    }
    EXPECT_EQ(vtest::CallCount("tvcontext_init"), 1);
    EXPECT_EQ(vtest::CallCount("svc_pvr_service_init"), 1);
}

TEST_F(ManagerObjectTest, ResultMessageCarriesExactlyOnePairOrIsDroppedWithItsLine) {
    EXPECT_TRUE(mgr->SendResultToTvviwer("show", "pvrsportsmode"));
    EXPECT_EQ(Results(), (std::vector<vsim::Extras>{{{"show", "pvrsportsmode"}}}));
    EXPECT_TRUE(vtest::LoggedOnSystem("Send result to tv-viewer, cmd = [show], value = [pvrsportsmode]"));
    EXPECT_TRUE(vtest::Logged("Send result to tv-viewer success"));
    EXPECT_EQ(vtest::CallCount("app_control_destroy"), 1);

    vsim::ClearJournal();
    EXPECT_FALSE(mgr->SendResultToTvviwer(nullptr, nullptr));
    EXPECT_TRUE(vtest::Logged("Cmd && value error!"));
    Fact("app_control_create.ret", {"-12"});
    EXPECT_FALSE(mgr->SendResultToTvviwer("hide", "sportsmodezoom"));
    EXPECT_TRUE(vtest::Logged("Fail to create service handle."));
    EXPECT_TRUE(Results().empty());
}

TEST_F(ManagerObjectTest, PauseResultOpensZoomOnlyWhileZoomWaitsForIt) {
    PvrResult(1, 0);
    EXPECT_TRUE(vtest::Logged("here receive serviec message, method [1], result [0]"));
    EXPECT_TRUE(vtest::Logged("pThis is null"));
    EXPECT_TRUE(Results().empty());
    EXPECT_TRUE(Launches().empty());

    // Confirmed: the zoom view opens once, and the request is used up.
    mgr->m_bZoomWaitPauseFlag = true;
    PvrResult(1, 0);
    EXPECT_FALSE(mgr->m_bZoomWaitPauseFlag);
    EXPECT_EQ(Results(), (std::vector<vsim::Extras>{{{"show", "sportsmodezoom"}}}));
    EXPECT_EQ(Launches(), std::vector<Launch>{ToSportsMode("key_soccer_zoom")});
    EXPECT_TRUE(vtest::Logged("tv-viewer is focus out, raise it."));
    PvrResult(1, 0);
    EXPECT_EQ(Results().size(), 1u);

    // Refused: flag cleared, nothing opened; a second result changes nothing.
    vsim::ClearJournal();
    mgr->m_bZoomWaitPauseFlag = true;
    PvrResult(1, -1);
    EXPECT_TRUE(vtest::Logged("pause failed, do nothing"));
    EXPECT_FALSE(mgr->m_bZoomWaitPauseFlag);
    PvrResult(1, 0);
    EXPECT_TRUE(Results().empty());
    EXPECT_TRUE(Launches().empty());
}

TEST_F(ManagerObjectTest, ResumeNotificationClearsThePendingResumeWhateverZoomWaits) {
    for (bool zoomWaits : {false, true}) {
        mgr->m_bWaitPauseSuccessFlag = true;
        mgr->m_bZoomWaitPauseFlag = zoomWaits;
        PvrResult(3, 0);
        EXPECT_FALSE(mgr->m_bWaitPauseSuccessFlag);
        EXPECT_EQ(mgr->m_bZoomWaitPauseFlag, zoomWaits);
    }
    EXPECT_EQ(vtest::CountLogged("receive resume msg, set WaitPauseSuccessFlag false"), 2);
    // Unknown methods leave the zoom wait alone; a null result is only logged.
    PvrResult(77, 0);
    EXPECT_TRUE(mgr->m_bZoomWaitPauseFlag);
    CSportsUGMgr::t_PVRServiceResultCb(nullptr, nullptr);
    EXPECT_TRUE(vtest::Logged("here receive serviec message, method [0], result [0]"));
}

TEST_F(ManagerObjectTest, EventsAreRefusedWithSportsModeOffExceptHide) {
    SportsMode(false);
    for (int event : {1, 3, 4, 9}) EXPECT_EQ(mgr->ProcessUGEvent(event), 0) << event;
    EXPECT_FALSE(mgr->m_bZoomShowFlag);
    EXPECT_EQ(mgr->ProcessUGEvent(2), 1);
    EXPECT_EQ(vtest::CountLogged("sports mode is off!"), 5);

    SportsMode(true);
    EXPECT_EQ(mgr->ProcessUGEvent(3), 1);
    EXPECT_TRUE(mgr->m_bZoomShowFlag);
    EXPECT_EQ(mgr->ProcessUGEvent(4), 1);
    EXPECT_FALSE(mgr->m_bZoomShowFlag);
    EXPECT_EQ(mgr->ProcessUGEvent(9), 1);
    EXPECT_TRUE(vtest::Logged("process ug event: 9"));
}

}  // namespace
