#include <gtest/gtest.h>

#include <string>

#include "PVRKey.h"
#include "TestSupport.h"

namespace {

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
        EXPECT_EQ(CPVRKey::KeyNameToKeyType(row.name), row.type);
        ASSERT_NE(CPVRKey::KeyTypeToKeyName(static_cast<CPVRKey::ERecorderKeyType>(row.type)), nullptr);
        EXPECT_STREQ(CPVRKey::KeyTypeToKeyName(static_cast<CPVRKey::ERecorderKeyType>(row.type)), row.name);
        EXPECT_EQ(CPVRKey::IsUgRecognitionKey(row.name), row.ugClass);
        EXPECT_EQ(CPVRKey::IsUgRecognitionKey(row.type), row.ugClass);
        EXPECT_EQ(CPVRKey::IsRecorderRecognitionKey(row.name), row.recorderClass);
        EXPECT_EQ(CPVRKey::IsRecorderRecognitionKey(row.type), row.recorderClass);
    }
}

TEST(PVRKeyTest, GapsAndOutOfRangeTypesHaveNoName) {
    for (int type : {-1, 10, 11, 34, 1000, -7})
        EXPECT_EQ(CPVRKey::KeyTypeToKeyName(static_cast<CPVRKey::ERecorderKeyType>(type)), nullptr) << type;
}

TEST(PVRKeyTest, OnlyWholeCaseSensitiveNamesMatch) {
    for (const char* name : {"", "xf86red", "XF86Red ", "XF86Re", "XF86RedX", "return", "Left2", "1 "}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(CPVRKey::KeyNameToKeyType(name), CPVRKey::KEY_UNKNOWN_T);
        EXPECT_FALSE(CPVRKey::IsUgRecognitionKey(name));
        EXPECT_FALSE(CPVRKey::IsRecorderRecognitionKey(name));
    }
    EXPECT_EQ(CPVRKey::KeyNameToKeyType(nullptr), CPVRKey::KEY_UNKNOWN_T);
    EXPECT_FALSE(CPVRKey::IsUgRecognitionKey(static_cast<const char*>(nullptr)));
}

class ShieldKeyTest : public vtest::SimTest {};

TEST_F(ShieldKeyTest, TransportKeysAreShieldKeysOthersAreLogged) {
    for (const char* name :
         {"XF86AudioRewind", "XF86AudioPause", "XF86AudioNext", "XF86AudioRecord", "XF86AudioPlay", "XF86AudioStop"}) {
        std::string copy = name;
        EXPECT_TRUE(CPVRKey::IsShieldKeys(&copy[0])) << name;
    }
    EXPECT_TRUE(vtest::LogMessages().empty());
    std::string left = "Left";
    EXPECT_FALSE(CPVRKey::IsShieldKeys(&left[0]));
    EXPECT_TRUE(vtest::LoggedAt("[Left] is not shield key.", LOG_ID_MAIN, DLOG_WARN));
}

}  // namespace
