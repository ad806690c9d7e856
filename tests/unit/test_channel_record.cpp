// Conversion of a channel into the PVR channel record. The record is checked
// byte by byte at the PVR service's offsets, not through the struct.
#include <gtest/gtest.h>
#include <libintl.h>

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

using vtest::Logged;
using vtest::LoggedAt;

constexpr std::size_t kRecordSize = 10902;
constexpr unsigned char kFill = 0xA5;

struct Bytes {
    unsigned char b[kRecordSize];
    unsigned U16(std::size_t at) const { return b[at] | b[at + 1] << 8; }
    uint32_t U32(std::size_t at) const {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    }
    int32_t I32(std::size_t at) const { return static_cast<int32_t>(U32(at)); }
    // A text field up to its terminator; "(unterminated)" when it has none.
    std::string Text(std::size_t at) const {
        const void* end = std::memchr(b + at, 0, 256);
        if (!end) return "(unterminated)";
        return std::string(reinterpret_cast<const char*>(b + at), static_cast<const unsigned char*>(end) - (b + at));
    }
};

Bytes BytesOf(const _pvr_file_info& info) {
    static_assert(sizeof(_pvr_file_info) == kRecordSize, "record size");
    Bytes out;
    std::memcpy(out.b, &info, kRecordSize);
    return out;
}

// A record as its owner prepares it: text fields zeroed, the rest marked.
void Prepare(_pvr_file_info* info) {
    unsigned char raw[kRecordSize];
    std::memset(raw, kFill, sizeof raw);
    std::memset(raw + 2, 0, 3 * 256);
    std::memcpy(static_cast<void*>(info), raw, sizeof raw);
}

// Units as the TV service keeps them: big-endian in memory.
std::vector<unsigned short> Units(std::initializer_list<unsigned> values) {
    std::vector<unsigned short> units;
    for (unsigned v : values) {
        unsigned char pair[2] = {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
        unsigned short u;
        std::memcpy(&u, pair, 2);
        units.push_back(u);
    }
    return units;
}

std::vector<unsigned short> AsciiUnits(const std::string& text) {
    std::vector<unsigned short> units;
    for (unsigned char c : text) units.push_back(Units({c})[0]);
    return units;
}

class ChannelRecordTest : public vtest::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        ASSERT_EQ(mgr.ChannelInit(), 0);
        vsim::ClearJournal();
        Prepare(&info);
    }
    // The record of service 1002 with these line-up fields, freshly prepared.
    Bytes Fill(const vsim::Values& fields) {
        vsim::SetFact("IService::FindService[1002]", fields);
        Prepare(&info);
        EXPECT_EQ(mgr.GetChannelInfoByServiceId(info, 1002), 0);
        return BytesOf(info);
    }
    CPVRChannelMgr mgr;
    _pvr_file_info info;
};

// Runs the test under a message language and restores the process's.
class Language {
public:
    explicit Language(const char* language) {
        const char* old = std::getenv("LANGUAGE");
        m_hadLanguage = old != nullptr;
        if (old) m_language = old;
        m_locale = std::setlocale(LC_MESSAGES, nullptr);
        setenv("LANGUAGE", language, 1);
        // Message languages are ignored in the plain C locale; setting the
        // locale after LANGUAGE also drops the catalogue's cached answers.
        std::setlocale(LC_MESSAGES, "C");
        std::setlocale(LC_MESSAGES, "C.UTF-8");
        bindtextdomain(VANTRO_TEXT_DOMAIN, VANTRO_RES_DIR "/locale");
        bind_textdomain_codeset(VANTRO_TEXT_DOMAIN, "UTF-8");
    }
    ~Language() {
        if (m_hadLanguage)
            setenv("LANGUAGE", m_language.c_str(), 1);
        else
            unsetenv("LANGUAGE");
        std::setlocale(LC_MESSAGES, "C");
        std::setlocale(LC_MESSAGES, m_locale.c_str());
    }

private:
    bool m_hadLanguage = false;
    std::string m_language;
    std::string m_locale;
};

// ---- text conversion ----------------------------------------------------------

TEST(Ucs2Utf8Test, ConvertsBigEndianPairsWithinSizeMinusOne) {
    struct Row {
        std::vector<unsigned char> in;
        unsigned size;
        std::string out;
        int err;  // errno logged, 0 for none
    };
    // clang-format off
    const Row rows[] = {
        {{0x00, 'A', 0x30, 0x42}, 16, "A\xE3\x81\x82", 0},                       // A, HIRAGANA A
        {{0xD8, 0x3D, 0xDE, 0x00}, 16, "\xF0\x9F\x98\x80", 0},                  // surrogate pair
        {{0x00, 'A', 0x00, 'B', 0x00, 'C', 0x00, 'D'}, 3, "AB", E2BIG},          // cut at size - 1
        {{0x00, 'A', 0x00, 0xE9}, 3, "A", E2BIG},                                // no half characters
        {{0x00, 'A', 0x00}, 16, "A", EINVAL},                                    // odd length
        {{0x00, 'S', 0xD8, 0x00, 0x00, 'A'}, 16, "S", EILSEQ},                   // lone high surrogate
        {{0xDC, 0x00, 0x00, 'A'}, 16, "", EILSEQ},                               // lone low surrogate
        {{}, 16, "", 0},
        {{0x00, 'A'}, 1, "", E2BIG},  // only room for the owner's terminator
        {{0x00, 'A'}, 0, "", 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.out + " size " + std::to_string(row.size));
        vsim::ResetWorld();
        char out[32];
        std::memset(out, 0x7F, sizeof out);
        std::vector<unsigned char> in = row.in;
        CPVRChannelMgr::Ucs2Utf8(out, row.size, reinterpret_cast<char*>(in.data()), static_cast<unsigned>(in.size()));
        EXPECT_EQ(std::string(out, row.out.size()), row.out);
        // No terminator is written, and nothing past size - 1.
        for (std::size_t i = row.out.size(); i < sizeof out; ++i) ASSERT_EQ(out[i], 0x7F) << i;
        if (row.err) {
            EXPECT_TRUE(LoggedAt("iconv failed: " + std::to_string(row.err), LOG_ID_SYSTEM, DLOG_WARN));
        } else {
            EXPECT_TRUE(vtest::LogMessages().empty());
        }
    }
    // No buffer on either side writes nothing.
    char out[4] = {9, 9, 9, 9};
    char in[2] = {0, 'A'};
    CPVRChannelMgr::Ucs2Utf8(nullptr, 4, in, 2);
    CPVRChannelMgr::Ucs2Utf8(out, 4, nullptr, 2);
    for (char c : out) EXPECT_EQ(c, 9);
}

// ---- filling the record ----------------------------------------------------------

TEST_F(ChannelRecordTest, CurrentChannelFillsEveryFieldAtItsOffset) {
    vsim::SetFact("IServiceGuide::GetPresentProgram[1001]", {"Cup Final", "1700000000", "-5"});
    ASSERT_EQ(mgr.GetCurrentChannelInfo(info), 1);
    Bytes r = BytesOf(info);
    EXPECT_EQ(r.Text(2), "Sport One");
    EXPECT_EQ(r.Text(258), "Cup Final");
    EXPECT_EQ(r.Text(514), "7-1");
    EXPECT_EQ(r.U32(794), 0u);    // no_video
    EXPECT_EQ(r.U32(798), 256u);  // video_pid
    EXPECT_EQ(r.U16(814), 101u);
    EXPECT_EQ(r.U16(816), 101u);
    EXPECT_EQ(r.U16(818), 7u);
    EXPECT_EQ(r.U16(820), 1u);
    EXPECT_EQ(r.U16(824), 0u);
    EXPECT_EQ(r.I32(5600), 1700000000);
    EXPECT_EQ(r.I32(5604), -5);
    EXPECT_EQ(r.I32(6162), 2);

    // Every byte the conversion does not own is as the owner left it.
    auto owned = [](std::size_t i) {
        return (i >= 2 && i < 770) || (i >= 794 && i < 802) || (i >= 814 && i < 822) || (i >= 824 && i < 826) ||
               (i >= 5600 && i < 5608) || (i >= 6162 && i < 6166);
    };
    for (std::size_t i = 0; i < kRecordSize; ++i)
        if (!owned(i)) {
            ASSERT_EQ(r.b[i], kFill) << "byte " << i;
        }

    EXPECT_EQ(vtest::EntriesOf("call")[1].text, "1,0 mode=1,0 fetch=12,13,14,15,2,1,16,63,22,26,27,19,20");
    EXPECT_TRUE(LoggedAt("GetCurrentChannelInfo", LOG_ID_SYSTEM, DLOG_WARN));
    for (const char* line :
         {"the service id [1001]", "the channel_type is [0]", "the program num [101]", "the major [7] ",
          "the minor  [1]", "channel_num is [7-1]", "channel_name is [Sport One]", "title1 length 9 ",
          "programe_title is [Cup Final]", "the program_start_time  [1700000000]", "the program_end_time  [-5]"})
        EXPECT_TRUE(LoggedAt(line, LOG_ID_MAIN, DLOG_WARN)) << line;
    EXPECT_TRUE(LoggedAt("tvs_api_wrapper | get video pid successfully, video pid [ 256 ]", LOG_ID_MAIN, DLOG_INFO));
    EXPECT_EQ(vtest::CallCount("IServiceGuide::GetPresentProgram"), 1);
}

TEST_F(ChannelRecordTest, CurrentChannelAnswersTheTvModeResultOrFails) {
    vsim::SetFact("IServiceNavigation::GetTvMode.ret", {"0"});
    EXPECT_EQ(mgr.GetCurrentChannelInfo(info), 0);
    EXPECT_EQ(BytesOf(info).Text(2), "Sport One");  // filled all the same
    EXPECT_EQ(mgr.m_CurServiceData.Get(SERVICE_FIELD_MAJOR, -1LL), 7);

    vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[1,0].ret", {"0"});
    Prepare(&info);
    Bytes before = BytesOf(info);
    EXPECT_EQ(mgr.GetCurrentChannelInfo(info), -1);
    EXPECT_EQ(std::memcmp(BytesOf(info).b, before.b, kRecordSize), 0);
    EXPECT_TRUE(Logged("get current service info failed"));
    EXPECT_EQ(vtest::CallCount("IServiceGuide::GetPresentProgram"), 1);
}

TEST_F(ChannelRecordTest, NumberTextAndVideoFactsOfAServiceById) {
    const struct {
        vsim::Values fields;
        const char* text;
    } numbers[] = {{{"13=5", "14=0"}, "5"}, {{"13=0", "14=0"}, "0-0"}, {{"13=11", "14=2"}, "11-2"},
                   {{}, "65535-65535"},     {{"13=0", "14=3"}, "0-3"}, {{"13=70000", "14=0"}, "4464"}};
    for (const auto& row : numbers) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Fill(row.fields).Text(514), row.text);
    }
    const struct {
        vsim::Values fields;
        int videoType;
        unsigned noVideo, pid;
    } videos[] = {
        {{"19=-1", "20=300"}, -1, 1, 0xA5A5A5A5u},  // no video: the pid is left alone
        {{"19=0"}, 0, 0, 65535},
        {{"19=27", "20=70000"}, 27, 0, 70000 & 0xFFFF},
        {{"19=5", "20=0"}, 5, 0, 0},
    };
    for (const auto& row : videos) {
        SCOPED_TRACE(row.videoType);
        Bytes r = Fill(row.fields);
        EXPECT_EQ(r.I32(6162), row.videoType);
        EXPECT_EQ(r.U32(794), row.noVideo);
        EXPECT_EQ(r.U32(798), row.pid);
    }
    EXPECT_EQ(Fill({"1=0x12349"}).U16(824), 0x2349u);  // low 16 bits of the channel type

    // Absent fields take their absent values.
    vsim::ClearJournal();
    Bytes r = Fill({"12=", "16=x"});
    EXPECT_EQ(r.U16(814), 65535u);
    EXPECT_EQ(r.U16(816), 65535u);
    EXPECT_EQ(r.U16(824), 65535u);
    EXPECT_EQ(r.I32(6162), -1);
    EXPECT_EQ(r.U32(794), 1u);
    EXPECT_EQ(r.I32(5600), 0);
    EXPECT_TRUE(Logged("the service id [18446744073709551615]"));
    EXPECT_EQ(vtest::EntriesOf("call").back().text, "18446744073709551615");
    EXPECT_TRUE(LoggedAt("tvs_api_wrapper | it's not video channel", LOG_ID_MAIN, DLOG_INFO));

    // An unknown service leaves the record as it was.
    Prepare(&info);
    Bytes before = BytesOf(info);
    vsim::ClearJournal();
    EXPECT_EQ(mgr.GetChannelInfoByServiceId(info, 4711), -1);
    EXPECT_EQ(std::memcmp(BytesOf(info).b, before.b, kRecordSize), 0);
    EXPECT_TRUE(LoggedAt("the service id is [4711]", LOG_ID_SYSTEM, DLOG_WARN));
    EXPECT_EQ(vtest::CallCount("IServiceGuide::GetPresentProgram"), 0);
}

TEST_F(ChannelRecordTest, PlaceholdersComeFromTheCatalogue) {
    const struct { const char *language, *text; } rows[] = {{"en", "No Title"}, {"de", "Kein Titel"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language);
        Language language(row.language);
        Bytes r = Fill({"1=9", "13=8", "14=0", "16="});
        EXPECT_EQ(r.Text(2), row.text);
        EXPECT_EQ(r.Text(258), row.text);
        EXPECT_EQ(r.Text(514), "8");
        EXPECT_TRUE(Logged(std::string("channel_name is [") + row.text + "]"));
    }
}

TEST_F(ChannelRecordTest, LongAndBrokenTextsStayInsideTheirFieldsAndKeepWhatConverted) {
    std::string e300;
    for (int i = 0; i < 150; ++i) e300 += "\xC3\xA9";  // 300 bytes of é
    const std::string a300(300, 'a');
    const struct {
        std::string field16, title;  // the name field and the guide's title ("u=" units)
        std::string name, shownTitle;
        int err;  // errno logged, 0 for none
    } rows[] = {
        {"16=" + a300, a300, a300.substr(0, 255), a300.substr(0, 255), E2BIG},
        {"16=" + e300, e300, e300.substr(0, 254), e300.substr(0, 254), E2BIG},  // no half character
        // A lone surrogate: the part before it.
        {"16u=0053,D800,0041", "u=0047,006F,DFFF,006C", "S", "Go", EILSEQ},
        {"16u=DC00", "Plain", "", "Plain", EILSEQ},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field16.substr(0, 20));
        vsim::SetFact("IServiceGuide::GetPresentProgram[1002]", {row.title});
        vsim::ClearJournal();
        Bytes r = Fill({row.field16});
        EXPECT_EQ(r.Text(2), row.name);
        EXPECT_EQ(r.b[2 + 255], 0);
        EXPECT_EQ(r.Text(258), row.shownTitle);
        EXPECT_EQ(r.b[258 + 255], 0);
        EXPECT_TRUE(Logged("channel_name is [" + row.name + "]"));
        EXPECT_TRUE(LoggedAt("iconv failed: " + std::to_string(row.err), LOG_ID_SYSTEM, DLOG_WARN));
    }
}

TEST_F(ChannelRecordTest, ConversionHelpersToleratePlainData) {
    TCServiceData data;
    data.SetText(SERVICE_FIELD_CHANNEL_NAME, AsciiUnits("Arena"));
    char out[8];
    std::memset(out, 0, sizeof out);
    mgr.m_GetChannelName(out, sizeof out, data);
    EXPECT_STREQ(out, "Arena");
    mgr.m_GetChannelName(nullptr, 8, data);  // no buffer: nothing happens

    TCProgramData program;
    program.SetTitle(Units({0x00C4, 'b', 'c', 'd', 'e', 'f', 'g', 'h'}));
    std::memset(out, 0, sizeof out);
    mgr.m_GetPrensentProgramTitle(out, sizeof out, program);
    EXPECT_STREQ(out,
                 "\xC3\x84"
                 "bcdef");
    EXPECT_TRUE(LoggedAt("title1 length 8 ", LOG_ID_MAIN, DLOG_WARN));
}

// ---- the channel under analysis -------------------------------------------------------

TEST_F(ChannelRecordTest, AnalysisChannelIdAndEachFailure) {
    // By default no navigation of the analysis profile is handed out.
    EXPECT_EQ(mgr.GetAnaysisChannelInfo(), 0u);
    EXPECT_TRUE(LoggedAt("Create Service Navigation failed", LOG_ID_SYSTEM, DLOG_WARN));
    EXPECT_TRUE(Logged("channel_name is [Sport One]"));  // the current channel was read first

    vsim::SetFact("TVServiceAPI::CreateServiceNavigation[401,0]", {});
    vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[401,0]", {"1002"});
    vsim::SetFact("IService::FindService[1002]", {"1=9", "13=8", "14=0", "16=Virtual Eight"});
    vsim::ClearJournal();
    EXPECT_EQ(mgr.GetAnaysisChannelInfo(), 1002u);
    EXPECT_TRUE(LoggedAt("the service id [1002]", LOG_ID_SYSTEM, DLOG_WARN));
    EXPECT_TRUE(Logged("channel_name is [Virtual Eight]"));
    EXPECT_EQ(vtest::EntriesOf("call").back().name, "IServiceGuide::GetPresentProgram");
    bool asked = false;
    for (const vsim::Entry& e : vtest::EntriesOf("call"))
        if (e.name == "IServiceNavigation::GetCurrentServiceInfo" && e.text == "401,0 mode=1,0 fetch=12,13,14,15,2,16")
            asked = true;
    EXPECT_TRUE(asked);

    struct Failure {
        const char* fact;
        std::vector<std::string> value;
        const char* log;
    };
    // clang-format off
    const Failure failures[] = {
        {"TVServiceAPI::CreateServiceNavigation[401,0].ret", {"2"}, "Create Service Navigation failed"},
        {"IServiceNavigation::GetTvMode[401,0].ret", {"0"}, "Get TV Mode failed"},
        {"IServiceNavigation::GetCurrentServiceInfo[401,0]", {"555"}, "get current service info failed"},
        {"IServiceNavigation::GetCurrentServiceInfo[401,0].ret", {"-1"}, "get current service info failed"},
    };
    // clang-format on
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.fact);
        vsim::SetFact(f.fact, f.value);
        vsim::ClearJournal();
        EXPECT_EQ(mgr.GetAnaysisChannelInfo(), 0u);
        EXPECT_TRUE(Logged(f.log));
        vsim::ClearFact(f.fact);
    }

    // The analysed service left its id out.
    vsim::SetFact("IServiceNavigation::GetCurrentServiceInfo[401,0]", {"1002"});
    vsim::SetFact("IService::FindService[1002]", {"12=", "16=Virtual Eight"});
    EXPECT_EQ(mgr.GetAnaysisChannelInfo(), ~0ULL);
}

}  // namespace
