// The four key handlers: the name filter, the manager's verdict and key-up.
#include "SportsUGMgr.h"
#include "TestSupport.h"
#include "UgData.h"
#include "tv_viewer_kevent.h"

namespace {

int Down(int (*handler)(void*, void*), const char* name, void* data) {
    tv_viewer_kevent_info_s info = {};
    info.keyname = name;
    return handler(&info, data);
}

class KeyIntakeTest : public vtest::SimTest {};

TEST_F(KeyIntakeTest, MissingDataOrManagerReturnsEveryKey) {
    UgData empty = {};
    for (void* data : {static_cast<void*>(nullptr), static_cast<void*>(&empty)}) {
        g_nKeyReleaseResult = 0;
        EXPECT_EQ(Down(UGLowPrioKeyDownEventCB, "XF86Red", data), 1);
        EXPECT_EQ(g_nKeyReleaseResult, 1);
        g_nKeyReleaseResult = 0;
        EXPECT_EQ(Down(UGHighPrioKeyDownEventCB, "Return", data), 1);
        EXPECT_EQ(g_nKeyReleaseResult, 1);
    }
    EXPECT_EQ(vtest::CountLogged("UG data error, return UG key down event callback!"), 4);
}

TEST_F(KeyIntakeTest, NameFiltersDecideBeforeTheManager) {
    CSportsUGMgr* mgr = CSportsUGMgr::Get();
    ASSERT_TRUE(mgr->Create(vtest::Window(), nullptr));
    UgData data = {};
    data.pMgr = mgr;
    for (const char* name : {"XF86Blue", "XF86Info", "Up", "Down", "7", "XF86AudioRaiseVolume", "", "XF86RED"}) {
        vsim::ClearJournal();
        EXPECT_EQ(Down(UGLowPrioKeyDownEventCB, name, &data), 1) << name;
        EXPECT_FALSE(vtest::Logged("sports mode ug check if need to use the key.")) << name;
        EXPECT_TRUE(
            vtest::LoggedAt("UG don't need to process this key, return it to tv-viewer.", LOG_ID_MAIN, DLOG_INFO));
    }
    for (const char* name : {"XF86Red", "Left", "XF86AudioRecord", "XF86Green"}) {
        vsim::ClearJournal();
        EXPECT_EQ(Down(UGHighPrioKeyDownEventCB, name, &data), 1) << name;
        EXPECT_FALSE(vtest::Logged("sports mode need to use the key.")) << name;
    }
    for (const char* name : {"Return", "XF86Back", "XF86Exit"}) {
        vsim::ClearJournal();
        Down(UGHighPrioKeyDownEventCB, name, &data);
        EXPECT_TRUE(vtest::Logged("sports mode need to use the key.")) << name;
        vsim::ClearJournal();
        Down(UGLowPrioKeyDownEventCB, name, &data);
        EXPECT_TRUE(vtest::Logged("sports mode ug check if need to use the key.")) << name;
    }
    // A null event record is a key without a name.
    EXPECT_EQ(UGLowPrioKeyDownEventCB(nullptr, &data), 1);
    EXPECT_TRUE(vtest::Logged("UG recieve keyname is :[],check if need to consume"));
    mgr->Destroy();
    delete mgr;
}

TEST_F(KeyIntakeTest, KeyUpRepeatsWhateverTheLastKeyDownDecided) {
    for (int verdict : {0, 1}) {
        g_nKeyReleaseResult = verdict;
        EXPECT_EQ(UGLowPrioKeyReleaseEventCB(nullptr, nullptr), verdict);
        EXPECT_EQ(UGHighPrioKeyReleaseEventCB(nullptr, nullptr), verdict);
    }
    EXPECT_TRUE(vtest::LogMessages().empty());
}

TEST_F(KeyIntakeTest, RegistrationAddsFourHandlersAndReleaseForgetsThem) {
    UgData data = {};
    UgData* p = &data;
    RegisterKeyEventCB(&p);
    EXPECT_NE(data.hKeyEvent, nullptr);
    EXPECT_EQ(vsim::KeyHandlerCount(), 4u);
    ReleaseUGResource(&data);
    EXPECT_EQ(vsim::KeyHandlerCount(), 0u);
    EXPECT_EQ(data.hLowKeyDown | data.hLowKeyUp | data.hHighKeyDown | data.hHighKeyUp, 0u);
    ReleaseUGResource(&data);  // nothing left: nothing deleted twice
    EXPECT_EQ(vtest::CallCount("tv_viewer_kevent_handler_del"), 4);
    EXPECT_EQ(vtest::CallCount("tv_viewer_kevent_fini"), 1);
    UgData* none = nullptr;
    RegisterKeyEventCB(&none);
    EXPECT_TRUE(vtest::Logged("pUgData is NULL!"));
}

}  // namespace
