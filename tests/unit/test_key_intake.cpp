// Keys by name: the vocabulary and its classes, and the four key handlers
// that filter by name before the manager decides.
#include <string>

#include "PVRKey.h"
#include "SportsUGMgr.h"
#include "TestSupport.h"
#include "UgData.h"
#include "tv_viewer_kevent.h"

namespace {

using K = CPVRKey;

struct KeyRow {
    const char* name;
    int type;
    bool ugClass;
    bool recorderClass;
};

// Every name the vocabulary knows, with its type and classes.
// clang-format off
const KeyRow kTable[] = {
    {"XF86AudioRecord", 0, false, true},  {"XF86AudioPause", 1, false, true}, {"XF86Back", 2, true, false},
    {"XF86Exit", 3, true, false},         {"XF86Info", 4, false, false},      {"XF86AudioPlay", 5, false, true},
    {"XF86AudioStop", 6, false, true},    {"XF86AudioNext", 7, false, true},  {"XF86AudioRewind", 8, false, true},
    {"Return", 9, true, false},           {"Up", 12, false, false},           {"Down", 13, false, false},
    {"Left", 14, false, true},            {"Right", 15, false, true},         {"XF86AudioRaiseVolume", 16, false, false},
    {"XF86AudioLowerVolume", 17, false, false}, {"XF86LowerChannel", 18, false, false},
    {"XF86RaiseChannel", 19, false, false},     {"XF86Red", 20, true, false},
    {"XF86Green", 21, true, false},       {"XF86Yellow", 22, true, false},    {"XF86Blue", 23, false, false},
    {"1", 24, false, false}, {"2", 25, false, false}, {"3", 26, false, false}, {"4", 27, false, false},
    {"5", 28, false, false}, {"6", 29, false, false}, {"7", 30, false, false}, {"8", 31, false, false},
    {"9", 32, false, false}, {"0", 33, false, false},
};
// clang-format on

TEST(PVRKeyTest, TableMapsBothWaysAndClassesAgreeByNameAndType) {
    for (const KeyRow& row : kTable) {
        SCOPED_TRACE(row.name);
        const auto type = static_cast<K::ERecorderKeyType>(row.type);
        EXPECT_EQ(K::KeyNameToKeyType(row.name), row.type);
        ASSERT_NE(K::KeyTypeToKeyName(type), nullptr);
        EXPECT_STREQ(K::KeyTypeToKeyName(type), row.name);
        EXPECT_EQ(K::IsUgRecognitionKey(row.name), row.ugClass);
        EXPECT_EQ(K::IsUgRecognitionKey(row.type), row.ugClass);
        EXPECT_EQ(K::IsRecorderRecognitionKey(row.name), row.recorderClass);
        EXPECT_EQ(K::IsRecorderRecognitionKey(row.type), row.recorderClass);
    }
    // Gaps and types out of range have no name; only whole, case-sensitive names match.
    for (int type : {-1, 10, 11, 34, 1000, -7})
        EXPECT_EQ(K::KeyTypeToKeyName(static_cast<K::ERecorderKeyType>(type)), nullptr) << type;
    for (const char* name : {"", "xf86red", "XF86Red ", "XF86Re", "XF86RedX", "return", "Left2", "1 "}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(K::KeyNameToKeyType(name), K::KEY_UNKNOWN_T);
        EXPECT_FALSE(K::IsUgRecognitionKey(name));
        EXPECT_FALSE(K::IsRecorderRecognitionKey(name));
    }
    EXPECT_EQ(K::KeyNameToKeyType(nullptr), K::KEY_UNKNOWN_T);
    EXPECT_FALSE(K::IsUgRecognitionKey(static_cast<const char*>(nullptr)));
}

class KeyIntakeTest : public vtest::SimTest {
protected:
    static int Down(int (*handler)(void*, void*), const char* name, void* data) {
        tv_viewer_kevent_info_s info = {};
        info.keyname = name;
        return handler(&info, data);
    }
};

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
    for (void* data : {static_cast<void*>(nullptr), static_cast<void*>(&empty)}) {
        for (auto handler : {UGLowPrioKeyDownEventCB, UGHighPrioKeyDownEventCB}) {
            g_nKeyReleaseResult = 0;
            EXPECT_EQ(Down(handler, "Return", data), 1);
            EXPECT_EQ(g_nKeyReleaseResult, 1);
        }
    }
    EXPECT_EQ(vtest::CountLogged("UG data error, return UG key down event callback!"), 4);
}

// The low handler asks the manager about keys of either class, the high one
// only about the pop-up keys; the rest go back without a question.
TEST_F(KeyIntakeTest, NameFiltersDecideBeforeTheManager) {
    CSportsUGMgr* mgr = CSportsUGMgr::Get();
    ASSERT_TRUE(mgr->Create(vtest::Window(), nullptr));
    UgData data = {};
    data.pMgr = mgr;
    const struct {
        const char* name;
        bool low, high;
    } rows[] = {{"XF86Blue", false, false}, {"XF86Info", false, false},       {"7", false, false},
                {"", false, false},         {"XF86RED", false, false},        {"XF86Red", true, false},
                {"Left", true, false},      {"XF86AudioRewind", true, false}, {"Return", true, true},
                {"XF86Back", true, true},   {"XF86Exit", true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        vsim::ClearJournal();
        Down(UGLowPrioKeyDownEventCB, row.name, &data);
        EXPECT_EQ(vtest::Logged("sports mode ug check if need to use the key."), row.low);
        vsim::ClearJournal();
        Down(UGHighPrioKeyDownEventCB, row.name, &data);
        EXPECT_EQ(vtest::Logged("sports mode need to use the key."), row.high);
        // Nothing here is consumed: sports mode is off and no pop-up shows.
        EXPECT_EQ(g_nKeyReleaseResult, 1);
        EXPECT_TRUE(
            vtest::LoggedAt("UG don't need to process this key, return it to tv-viewer.", LOG_ID_MAIN, DLOG_INFO));
    }
    // A null event record is a key without a name.
    EXPECT_EQ(UGLowPrioKeyDownEventCB(nullptr, &data), 1);
    EXPECT_TRUE(vtest::Logged("UG recieve keyname is :[],check if need to consume"));
    mgr->Destroy();
    delete mgr;
}

TEST_F(KeyIntakeTest, KeyUpRepeatsTheLastVerdictAndRegistrationIsUndoneOnce) {
    for (int verdict : {0, 1}) {
        g_nKeyReleaseResult = verdict;
        EXPECT_EQ(UGLowPrioKeyReleaseEventCB(nullptr, nullptr), verdict);
        EXPECT_EQ(UGHighPrioKeyReleaseEventCB(nullptr, nullptr), verdict);
    }
    EXPECT_TRUE(vtest::LogMessages().empty());

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
