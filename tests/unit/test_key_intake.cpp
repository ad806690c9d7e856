// What of key intake and of the manager the viewer cannot reach: names and
// types outside the vocabulary (the handlers filter them first), the
// shield-key question no handler asks, handlers called without the gadget's
// data, and manager calls no viewer message makes.
#include <string>

#include "PVRKey.h"
#include "SportsUGMgr.h"
#include "SportsUtil.h"
#include "TestSupport.h"
#include "UgData.h"
#include "tv_viewer_kevent.h"

namespace {

using K = CPVRKey;

class KeyIntakeTest : public vtest::SimTest {};

TEST_F(KeyIntakeTest, TransportKeysAreShieldKeysOthersAreLogged) {
    for (const char* name :
         {"XF86AudioRewind", "XF86AudioPause", "XF86AudioNext", "XF86AudioRecord", "XF86AudioPlay", "XF86AudioStop"}) {
        std::string copy = name;
        EXPECT_TRUE(K::IsShieldKeys(&copy[0])) << name;
    }
    EXPECT_TRUE(vtest::LogMessages().empty());
    std::string left = "Left";
    EXPECT_FALSE(K::IsShieldKeys(&left[0]));
    EXPECT_TRUE(vtest::LoggedAt("[Left] is not shield key.", LOG_ID_MAIN, DLOG_WARN));
}

TEST_F(KeyIntakeTest, MissingDataOrManagerReturnsEveryKey) {
    UgData empty = {};
    tv_viewer_kevent_info_s info = {};
    info.keyname = "Return";
    for (void* data : {static_cast<void*>(nullptr), static_cast<void*>(&empty)}) {
        for (auto handler : {UGLowPrioKeyDownEventCB, UGHighPrioKeyDownEventCB}) {
            g_nKeyReleaseResult = 0;
            EXPECT_EQ(handler(&info, data), 1);
            EXPECT_EQ(g_nKeyReleaseResult, 1);
        }
    }
    EXPECT_EQ(vtest::CountLogged("UG data error, return UG key down event callback!"), 4);
    UgData* none = nullptr;
    RegisterKeyEventCB(&none);
    EXPECT_TRUE(vtest::Logged("pUgData is NULL!"));
}

// Every type of the vocabulary (all but the two unused codes) has one name
// that maps back to it: a table entry left out or doubled fails here.
TEST_F(KeyIntakeTest, EveryTypeHasANameThatMapsBack) {
    for (int type = K::KEY_RECORD_T; type <= K::KEY_0_T; ++type) {
        if (type == 10 || type == 11) continue;
        const char* name = K::KeyTypeToKeyName(static_cast<K::ERecorderKeyType>(type));
        ASSERT_NE(name, nullptr) << "type " << type;
        EXPECT_EQ(K::KeyNameToKeyType(name), type) << name;
    }
    EXPECT_EQ(K::KeyNameToKeyType("XF86Blue"), K::KEY_BLUE_T);
}

TEST_F(KeyIntakeTest, NamesAndTypesOutsideTheVocabularyHaveNone) {
    for (const char* name : {"XF86Blu", "xf86red", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(K::KeyNameToKeyType(name), K::KEY_UNKNOWN_T) << (name ? name : "(null)");
    for (int type : {-1, 10, 11, 34}) EXPECT_EQ(K::KeyTypeToKeyName(static_cast<K::ERecorderKeyType>(type)), nullptr);
    EXPECT_FALSE(K::IsUgRecognitionKey(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(K::IsRecorderRecognitionKey(static_cast<const char*>(nullptr)));
    // An event record without a name, or none at all, is a key without a name.
    UgData data = {};
    data.pMgr = CSportsUGMgr::Get();
    tv_viewer_kevent_info_s unnamed = {};
    EXPECT_EQ(UGLowPrioKeyDownEventCB(&unnamed, &data), 1);
    EXPECT_EQ(UGHighPrioKeyDownEventCB(nullptr, &data), 1);
    EXPECT_EQ(vtest::CountLogged("UG recieve keyname is :[],check if need to consume"), 2);
    // Keys of neither class that reach the manager get no verdict of a handler.
    vsim::SetFact("svc_pvr_is_sports_mode", {"1"});
    EXPECT_EQ(data.pMgr->ProcessLowPrioKeyEvent(K::KEY_INFO_T), 0);
    EXPECT_FALSE(vtest::Logged("not process Ug Recognition key, return key to tv-viewer."));
    EXPECT_EQ(data.pMgr->ProcessHighPrioKeyEvent(K::KEY_RED_T), 0);
    delete data.pMgr;
}

TEST_F(KeyIntakeTest, ManagerRefusesAnEmptyResultAndIgnoresUnknownEvents) {
    CSportsUGMgr* mgr = CSportsUGMgr::Get();
    EXPECT_FALSE(mgr->SendResultToTvviwer(nullptr, nullptr));
    EXPECT_TRUE(vtest::Logged("Cmd && value error!"));
    // With sports mode off only hide is taken.
    vsim::SetFact("svc_pvr_is_sports_mode", {"0"});
    EXPECT_EQ(mgr->ProcessUGEvent(UG_EVENT_SHOW), 0);
    EXPECT_EQ(mgr->ProcessUGEvent(UG_EVENT_HIDE), 1);
    vsim::SetFact("svc_pvr_is_sports_mode", {"1"});
    vsim::ClearJournal();
    EXPECT_EQ(mgr->ProcessUGEvent(99), 1);
    EXPECT_TRUE(vtest::EntriesOf("launch").empty());
    // A result without its record is only logged.
    CSportsUGMgr::t_PVRServiceResultCb(nullptr, mgr);
    EXPECT_TRUE(vtest::Logged("here receive serviec message, method [0], result [0]"));
    delete mgr;
    // Key dispatch refuses a key before highlight support is asked on an unknown source.
    vsim::SetFact("ISourceControl::GetCurrentSourceInfo[1,0].ret", {"-1"});
    EXPECT_FALSE(CSportsUtil::IsSupportHighlightInAV());
    EXPECT_TRUE(vtest::Logged("get current source type failed!!, not supprot"));
}

}  // namespace
