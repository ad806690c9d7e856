// What of key intake the viewer cannot reach: the shield-key question no
// handler asks, and handlers called without the gadget's data.
#include <string>

#include "PVRKey.h"
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

}  // namespace
