// Conversion of a channel into the PVR channel record. The record is checked
// byte by byte at the PVR service's offsets, not through the struct.
#include <gtest/gtest.h>
#include <libintl.h>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PVRChannelMgr.h"
#include "PvrFileInfo.h"
#include "ResourcePaths.h"
#include "TestSupport.h"

namespace {

using vtest::Calls;
using vtest::Lines;
using Strings = std::vector<std::string>;
constexpr std::size_t kRecordSize = 10902;
constexpr unsigned char kFill = 0xA5;
static_assert(sizeof(_pvr_file_info) == kRecordSize, "record size");
// What reading the current channel asks of the TV service.
const Strings kCurrentCalls = {
    "IServiceNavigation::GetTvMode 1,0",
    "IServiceNavigation::GetCurrentServiceInfo 1,0 mode=1,0 fetch=12,13,14,15,2,1,16,63,22,26,27,19,20",
    "IServiceGuide::GetPresentProgram 1001"};
// The record's numbers past the texts when the service gives none of them.
const std::string kAbsent = "65535-65535|1|2779096485|65535|65535|65535|65535|65535|0|0|-1";

class ChannelRecordTest : public vtest::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        ASSERT_EQ(mgr.ChannelInit(), 0);
        vsim::ClearJournal();
        vsim::SetFact("IServiceGuide::GetPresentProgram", {"T"});  // every programme has a title unless told
        Prepare();
    }
    // The record as its owner prepares it: text fields zeroed, the rest marked.
    void Prepare() {
        std::memset(Raw(), kFill, kRecordSize);
        std::memset(Raw() + 2, 0, 3 * 256);
    }
    unsigned char* Raw() { return reinterpret_cast<unsigned char*>(&info); }
    std::string Bytes() { return std::string(reinterpret_cast<char*>(Raw()), kRecordSize); }
    // The written fields read at their offsets, in record order: name|title|
    // number|no_video|video_pid|program_num|its copy|major|minor|channel_type|
    // start|end|video_type. Numbers are little-endian: the flags and times 32
    // bits (the times and the video type signed), the others 16 bits.
    std::string Fields() {
        std::string out;
        for (std::size_t at : {2, 258, 514}) {
            const char* text = reinterpret_cast<const char*>(Raw() + at);
            out += (std::memchr(text, 0, 256) ? std::string(text) : "(unterminated)") + "|";
        }
        for (std::size_t at : {794, 798, 814, 816, 818, 820, 824, 5600, 5604, 6162}) {
            uint32_t v = 0;
            for (int i = at == 794 || at == 798 || at >= 5600 ? 3 : 1; i >= 0; --i) v = v << 8 | Raw()[at + i];
            out += (at >= 5600 ? std::to_string(static_cast<int32_t>(v)) : std::to_string(v)) + (at < 6162 ? "|" : "");
        }
        return out;
    }
    // The record of service 1002 with these line-up fields, freshly prepared.
    std::string Fill(const vsim::Values& fields) {
        vsim::SetFact("IService::FindService[1002]", fields);
        Prepare();
        EXPECT_EQ(mgr.GetChannelInfoByServiceId(info, 1002), 0);
        return Fields();
    }
    CPVRChannelMgr mgr;
    _pvr_file_info info;
};

TEST(Ucs2Utf8Test, ConvertsBigEndianPairsWithinSizeMinusOne) {
    // clang-format off
    struct Row { std::vector<unsigned char> in; unsigned size; std::string out; int err; };  // errno logged, or 0
    const Row rows[] = {
        {{0x00, 'A', 0x30, 0x42}, 16, "A\xE3\x81\x82", 0},               // A, HIRAGANA A
        {{0xD8, 0x3D, 0xDE, 0x00}, 16, "\xF0\x9F\x98\x80", 0},          // surrogate pair
        {{0x00, 'A', 0x00, 'B', 0x00, 'C', 0x00, 'D'}, 3, "AB", E2BIG},  // cut at size - 1
        {{0x00, 'A', 0x00, 0xE9}, 3, "A", E2BIG},                        // no half characters
        {{0x00, 'A', 0x00}, 16, "A", EINVAL},                            // odd length
        {{0x00, 'S', 0xD8, 0x00, 0x00, 'A'}, 16, "S", EILSEQ},           // lone high surrogate
        {{0xDC, 0x00, 0x00, 'A'}, 16, "", EILSEQ},                       // lone low surrogate
        {{}, 16, "", 0},
        {{0x00, 'A'}, 1, "", E2BIG},  // only room for the owner's terminator
        {{0x00, 'A'}, 0, "", 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.out + " size " + std::to_string(row.size));
        vsim::ResetWorld();
        std::string out(32, 0x7F);
        std::vector<unsigned char> in = row.in;
        CPVRChannelMgr::Ucs2Utf8(&out[0], row.size, reinterpret_cast<char*>(in.data()), in.size());
        // No terminator is written, and nothing past size - 1.
        EXPECT_EQ(out, row.out + std::string(32 - row.out.size(), 0x7F));
        EXPECT_EQ(Lines(), row.err ? Strings{"S iconv failed: " + std::to_string(row.err)} : Strings{});
    }
    // Without a buffer on either side nothing is converted.
    char out[4] = {9, 9, 9, 9}, in[2] = {0, 'A'};
    CPVRChannelMgr::Ucs2Utf8(nullptr, 4, in, 2);
    CPVRChannelMgr::Ucs2Utf8(out, 4, nullptr, 2);
    EXPECT_EQ(std::string(out, 4), std::string(4, 9));
    EXPECT_EQ(Lines(), Strings{});
}

TEST_F(ChannelRecordTest, CurrentChannelFillsEveryFieldAtItsOffsetAndNothingElse) {
    vsim::SetFact("IServiceGuide::GetPresentProgram[1001]", {"Cup Final", "1700000000", "-5"});
    const std::string filled = "Sport One|Cup Final|7-1|0|256|101|101|7|1|0|1700000000|-5|2";
    ASSERT_EQ(mgr.GetCurrentChannelInfo(info), 1);  // the TV mode's result
    EXPECT_EQ(Fields(), filled);
    auto owned = [](std::size_t i) {
        return (i >= 2 && i < 770) || (i >= 794 && i < 802) || (i >= 814 && i < 822) || (i >= 824 && i < 826) ||
               (i >= 5600 && i < 5608) || (i >= 6162 && i < 6166);
    };
    for (std::size_t i = 0; i < kRecordSize; ++i) ASSERT_TRUE(owned(i) || Raw()[i] == kFill) << "byte " << i;
    EXPECT_EQ(Calls(), kCurrentCalls);
    EXPECT_EQ(Lines(),
              (Strings{"S GetCurrentChannelInfo", "M the service id [1001]", "M the channel_type is [0]",
                       "M the program num [101]", "M the major [7] ", "M the minor  [1]", "M channel_num is [7-1]",
                       "M channel_name is [Sport One]", "M title1 length 9 ", "M programe_title is [Cup Final]",
                       "M the program_start_time  [1700000000]", "M the program_end_time  [-5]",
                       "I tvs_api_wrapper | get video pid successfully, video pid [ 256 ]"}));

    // Without a TV mode the record is filled all the same, and the current service kept.
    vsim::SetFact("IServiceNavigation::GetTvMode.ret", {"0"});
    Prepare();
    EXPECT_EQ(mgr.GetCurrentChannelInfo(info), 0);
    EXPECT_EQ(Fields(), filled);
    EXPECT_EQ(mgr.m_CurServiceData.Get(SERVICE_FIELD_MAJOR, -1LL), 7);
    // Without the current service the record is left as it was.
    vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[1,0].ret", {"0"});
    Prepare();
    const std::string before = Bytes();
    vsim::ClearJournal();
    EXPECT_EQ(mgr.GetCurrentChannelInfo(info), -1);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Lines(), (Strings{"S GetCurrentChannelInfo", "S get current service info failed"}));
    EXPECT_EQ(vtest::ArgsOf("IServiceGuide::GetPresentProgram").size(), 0u);
}

TEST_F(ChannelRecordTest, ServiceByIdNumbersVideoFactsAndTextsWithinTheirFields) {
    std::string e300;
    for (int i = 0; i < 150; ++i) e300 += "\xC3\xA9";                              // 300 bytes of é
    const std::string a255(255, 'a'), a300(300, 'a'), e254 = e300.substr(0, 254);  // no half character
    // The guide's title ("u=": raw units), and the message language, if any.
    // clang-format off
    struct Row { vsim::Values fields; std::string title; const char* language; std::string record; };
    const Row rows[] = {
        {{"16=N", "13=5", "14=0"}, "", nullptr, "N|T|5|1|2779096485|65535|65535|5|0|65535|0|0|-1"},
        {{"16=N", "13=0", "14=0"}, "", nullptr, "N|T|0-0|1|2779096485|65535|65535|0|0|65535|0|0|-1"},
        {{"16=N", "13=11", "14=2"}, "", nullptr, "N|T|11-2|1|2779096485|65535|65535|11|2|65535|0|0|-1"},
        {{"16=N", "13=0", "14=3"}, "", nullptr, "N|T|0-3|1|2779096485|65535|65535|0|3|65535|0|0|-1"},
        {{"16=N", "13=70000", "14=0"}, "", nullptr, "N|T|4464|1|2779096485|65535|65535|4464|0|65535|0|0|-1"},  // 16 bits
        {{"16=N", "1=0x12349", "15=7"}, "", nullptr, "N|T|65535-65535|1|2779096485|7|7|65535|65535|9033|0|0|-1"},
        // No video: the pid is left alone; otherwise 16 bits of it, absent 65535.
        {{"16=N", "19=-1", "20=300"}, "", nullptr, "N|T|" + kAbsent},
        {{"16=N", "19=0"}, "", nullptr, "N|T|65535-65535|0|65535|65535|65535|65535|65535|65535|0|0|0"},
        {{"16=N", "19=27", "20=70000"}, "", nullptr, "N|T|65535-65535|0|4464|65535|65535|65535|65535|65535|0|0|27"},
        {{"12=", "16=N"}, "", nullptr, "N|T|" + kAbsent},  // without a service id
        // Texts are cut to leave the terminator, or at a broken unit.
        {{"16=" + a300}, a300, nullptr, a255 + "|" + a255 + "|" + kAbsent},
        {{"16=" + e300}, e300, nullptr, e254 + "|" + e254 + "|" + kAbsent},
        {{"16u=0053,D800,0041"}, "u=0047,006F,DFFF,006C", nullptr, "S|Go|" + kAbsent},
        {{"16u=DC00"}, "Plain", nullptr, "|Plain|" + kAbsent},
        // No name and no title: the catalogue's placeholder.
        {{"16="}, "u=", "en", "No Title|No Title|" + kAbsent},
        {{"16="}, "u=", "de", "Kein Titel|Kein Titel|" + kAbsent},
    };
    // clang-format on
    const char* had = std::getenv("LANGUAGE");
    const std::string language = had ? had : "", locale = std::setlocale(LC_MESSAGES, nullptr);
    bindtextdomain(VANTRO_TEXT_DOMAIN, VANTRO_RES_DIR "/locale");
    bind_textdomain_codeset(VANTRO_TEXT_DOMAIN, "UTF-8");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.record);
        if (row.language) setenv("LANGUAGE", row.language, 1);
        // Message languages are ignored in the plain C locale; setting the
        // locale after LANGUAGE also drops the catalogue's cached answers.
        std::setlocale(LC_MESSAGES, "C");
        if (row.language) std::setlocale(LC_MESSAGES, "C.UTF-8");
        if (!row.title.empty()) vsim::SetFact("IServiceGuide::GetPresentProgram[1002]", {row.title});
        EXPECT_EQ(Fill(row.fields), row.record);
        vsim::ClearFact("IServiceGuide::GetPresentProgram[1002]");
    }
    had ? setenv("LANGUAGE", language.c_str(), 1) : unsetenv("LANGUAGE");
    std::setlocale(LC_MESSAGES, locale.c_str());
    EXPECT_TRUE(vtest::LoggedAt("tvs_api_wrapper | it's not video channel", LOG_ID_MAIN, DLOG_INFO));
    EXPECT_TRUE(vtest::Logged("channel_name is [Kein Titel]"));
    // The guide is asked about the service by its id, all bits set when absent.
    EXPECT_TRUE(vtest::Logged("the service id [18446744073709551615]"));
    EXPECT_EQ(vtest::ArgsOf("IServiceGuide::GetPresentProgram")[9], "18446744073709551615");

    mgr.m_GetChannelName(nullptr, 256, mgr.m_CurServiceData);  // no buffer, nothing to fill
    // An unknown service leaves the record as it was.
    Prepare();
    const std::string before = Bytes();
    vsim::ClearJournal();
    EXPECT_EQ(mgr.GetChannelInfoByServiceId(info, 4711), -1);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Lines().front(), "S the service id is [4711]");
    EXPECT_EQ(vtest::ArgsOf("IServiceGuide::GetPresentProgram").size(), 0u);
}

TEST_F(ChannelRecordTest, AnalysisChannelIdAndEachFailure) {
    const std::string nav = "TVServiceAPI::CreateServiceNavigation[401,0]",
                      info = "IServiceNavigation::GetCurrentServiceInfo[401,0]",
                      noInfo = "S get current service info failed";
    const vtest::Facts analysed = {{nav, {}}, {info, {"1002"}}, {"IService::FindService[1002]", {"16=Virtual Eight"}}};
    // clang-format off
    struct Row { vtest::Facts facts; unsigned long long id; std::string line; };
    const Row rows[] = {
        {{}, 0, "S Create Service Navigation failed"},  // by default no analysis navigation is handed out
        {{}, 1002, "S the service id [1002]"},
        {{{nav + ".ret", {"2"}}}, 0, "S Create Service Navigation failed"},
        {{{"IServiceNavigation::GetTvMode[401,0].ret", {"0"}}}, 0, "S Get TV Mode failed"},
        {{{info, {"555"}}}, 0, noInfo},
        {{{info + ".ret", {"-1"}}}, 0, noInfo},
        {{{"IService::FindService[1002]", {"12="}}}, ~0ULL, "S the service id [18446744073709551615]"},  // no id
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        vsim::ResetWorld();
        if (&row != rows) vtest::SetFacts(analysed);
        vtest::SetFacts(row.facts);
        EXPECT_EQ(mgr.GetAnaysisChannelInfo(), row.id);
        EXPECT_EQ(Lines().back(), row.line);
        if (row.id != 1002) continue;
        // The current channel is read first, then the analysed one into the same record.
        Strings calls = kCurrentCalls;
        calls.insert(calls.end(), {"TVServiceAPI::CreateServiceNavigation 401,0", "IServiceNavigation::GetTvMode 401,0",
                                   "IServiceNavigation::GetCurrentServiceInfo 401,0 mode=1,0 fetch=12,13,14,15,2,16",
                                   "IServiceGuide::GetPresentProgram 1002"});
        EXPECT_EQ(Calls(), calls);
        EXPECT_TRUE(vtest::Logged("channel_name is [Virtual Eight]"));
    }
}

}  // namespace
