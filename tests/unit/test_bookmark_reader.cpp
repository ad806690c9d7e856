// The latest-bookmark reader and the file wrapper under it, over bookmark
// files laid out byte by byte here, independently of the reader's own code.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BMKFile.h"
#include "SportsUtil.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

using namespace vtest::bmk;
using vtest::Put32;

Bytes Pattern(std::size_t n, unsigned seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>((i * 7 + seed) % 251 + 1);
    return b;
}

// Captures every open the wrapper makes; can fail the first N with an errno.
struct OpenSpy {
    struct Call {
        std::string path;
        int flags;
        mode_t mode;
    };
    static std::vector<Call> calls;
    static int failFirst;
    static int failErrno;

    static int Open(const char* path, int flags, mode_t mode) {
        calls.push_back({path, flags, mode});
        if (static_cast<int>(calls.size()) <= failFirst) {
            errno = failErrno;
            return -1;
        }
        return CBMKFile::SystemOpen(path, flags, mode);
    }
    OpenSpy(int fail = 0, int err = ENOENT) {
        calls.clear();
        failFirst = fail;
        failErrno = err;
        CBMKFile::s_pfnOpen = &OpenSpy::Open;
    }
    ~OpenSpy() { CBMKFile::s_pfnOpen = &CBMKFile::SystemOpen; }
};
std::vector<OpenSpy::Call> OpenSpy::calls;
int OpenSpy::failFirst = 0;
int OpenSpy::failErrno = ENOENT;

class BookmarkReaderTest : public vtest::SimTest {
protected:
    void SetUp() override {
        vtest::SimTest::SetUp();
        char templ[] = "/tmp/vantro-bmk-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
        record_ = new stBookmarkThumbnail;
        record_->pImageBuffer = sentinel_;
        ResetRecord();
    }
    // A record the reader must leave alone whenever it fails.
    void ResetRecord() {
        if (record_->pImageBuffer != sentinel_) delete[] record_->pImageBuffer;
        record_->bIsAuto = true;
        record_->lHighlightTime = -77;
        record_->lBookmarkExtra = -88;
        record_->pImageBuffer = sentinel_;
        record_->iImageSize = -99;
    }
    void TearDown() override {
        if (record_->pImageBuffer != sentinel_) delete[] record_->pImageBuffer;
        delete record_;
        std::string cmd = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void WriteFile(const std::string& name, const Bytes& bytes) {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!bytes.empty()) {
            ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        }
        std::fclose(f);
    }
    // A complete header; the images are appended by the caller.
    static Bytes Header(int32_t count) {
        Bytes b(kHeader, 0);
        Put32(b, kCount, count);
        return b;
    }
    bool Read(const std::string& uri) { return CSportsUtil::GetLatestBookmark(uri, record_); }
    void ExpectUntouched() {
        EXPECT_TRUE(record_->bIsAuto);
        EXPECT_EQ(record_->lHighlightTime, -77);
        EXPECT_EQ(record_->lBookmarkExtra, -88);
        EXPECT_EQ(record_->pImageBuffer, sentinel_);
        EXPECT_EQ(record_->iImageSize, -99);
    }
    Bytes Image() const { return Bytes(record_->pImageBuffer, record_->pImageBuffer + record_->iImageSize); }

    std::string dir_;
    char sentinel_[1] = {0};
    stBookmarkThumbnail* record_ = nullptr;
};

// ---- the latest entry and its thumbnail --------------------------------------

TEST_F(BookmarkReaderTest, LatestOfThreeComesFromItsOwnTableEntriesAndOffset) {
    Bytes file = Header(3);
    const int32_t sizes[3] = {100, 200, 300};
    const unsigned char autos[3] = {1, 1, 0};
    for (int i = 0; i < 3; ++i) {
        file[kIsAuto + i] = autos[i];
        Put32(file, kTime + 4 * i, 1000 + i);
        Put32(file, kExtra + 4 * i, -500 - i);
        Put32(file, kAux + 4 * i, 42);
        Put32(file, kSize + 4 * i, sizes[i]);
    }
    // Entries past the count must not be looked at.
    Put32(file, kTime + 12, 9999);
    Put32(file, kSize + 12, 5);
    Bytes images[3] = {Pattern(100, 1), Pattern(200, 2), Pattern(300, 3)};
    for (const Bytes& image : images) file.insert(file.end(), image.begin(), image.end());
    ASSERT_EQ(file.size(), 3160u + 600u);
    WriteFile("rec_01.bmk", file);

    ASSERT_TRUE(Read(Path("rec_01.srf")));
    EXPECT_FALSE(record_->bIsAuto);
    EXPECT_EQ(record_->lHighlightTime, 1002);
    EXPECT_EQ(record_->lBookmarkExtra, -502);
    ASSERT_EQ(record_->iImageSize, 300);
    // Starting at 3460 = 3160 + 100 + 200: exactly the third image.
    EXPECT_EQ(Image(), images[2]);
    EXPECT_EQ(record_->pImageBuffer[300], 0);

    EXPECT_TRUE(vtest::LoggedAt("FilePath:" + Path("rec_01.srf"), LOG_ID_MAIN, DLOG_INFO));
    EXPECT_TRUE(vtest::LoggedAt("szBmkFileName:" + Path("rec_01.bmk"), LOG_ID_MAIN, DLOG_INFO));
}

TEST_F(BookmarkReaderTest, SingleBookmarkStartsRightAfterTheHeaderAndDecodesLittleEndian) {
    Bytes file = Header(1);
    file[kIsAuto] = 1;
    Put32(file, kTime, 0x01020304);
    Put32(file, kExtra, INT32_MIN);
    Put32(file, kSize, 4);
    const Bytes image = {0xff, 0xd8, 0xff, 0xe0};
    file.insert(file.end(), image.begin(), image.end());
    WriteFile("a.bmk", file);

    ASSERT_TRUE(Read(Path("a.srf")));
    EXPECT_TRUE(record_->bIsAuto);
    EXPECT_EQ(record_->lHighlightTime, 0x01020304L);
    EXPECT_EQ(record_->lBookmarkExtra, static_cast<long>(INT32_MIN));
    ASSERT_EQ(record_->iImageSize, 4);
    EXPECT_EQ(Image(), image);
    EXPECT_EQ(record_->pImageBuffer[4], 0);
}

// The unread rest must be zero even in memory that held something before:
// the same size is allocated, dirtied and freed first, so the reader is
// likely to get those bytes back.
TEST_F(BookmarkReaderTest, UnreadRestIsZeroInReusedMemory) {
    for (int32_t claimed : {70, 5000, 20000, 300000}) {
        SCOPED_TRACE(claimed);
        Bytes file = Header(1);
        Put32(file, kSize, claimed);
        Bytes partial = Pattern(33, 2);
        file.insert(file.end(), partial.begin(), partial.end());
        WriteFile("reuse.bmk", file);
        char* dirty = new char[static_cast<std::size_t>(claimed) + 1];
        std::memset(dirty, 0xA5, static_cast<std::size_t>(claimed) + 1);
        delete[] dirty;

        ASSERT_TRUE(Read(Path("reuse.srf")));
        ASSERT_EQ(record_->iImageSize, claimed);
        Bytes expected = partial;
        expected.resize(static_cast<std::size_t>(claimed) + 1, 0);
        EXPECT_EQ(Bytes(record_->pImageBuffer, record_->pImageBuffer + claimed + 1), expected);
        ResetRecord();
    }
}

// A header may claim an image of nearly 2 GB in a file of a few kilobytes.
// The record says so, but only the bytes the file held become resident.
TEST_F(BookmarkReaderTest, HugeClaimedImageInASmallFileStaysCheap) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer maps shadow memory for every allocation; resident size is measured in the plain build";
#endif
    Bytes file = Header(1);
    Put32(file, kSize, 2000000000);
    Bytes partial = Pattern(936, 5);
    file.insert(file.end(), partial.begin(), partial.end());
    WriteFile("huge.bmk", file);

    std::FILE* reset = std::fopen("/proc/self/clear_refs", "w");
    ASSERT_NE(reset, nullptr);
    std::fputs("5", reset);  // the peak starts again from the current size
    ASSERT_EQ(std::fclose(reset), 0);
    auto statusKiB = [](const char* field) {
        std::FILE* f = std::fopen("/proc/self/status", "r");
        char line[256];
        long value = -1;
        std::size_t n = std::strlen(field);
        while (f && std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, n) == 0) value = std::atol(line + n);
        if (f) std::fclose(f);
        return value;
    };
    long before = statusKiB("VmRSS:");
    ASSERT_GT(before, 0);

    ASSERT_TRUE(Read(Path("huge.srf")));
    EXPECT_EQ(record_->iImageSize, 2000000000);
    EXPECT_EQ(Bytes(record_->pImageBuffer, record_->pImageBuffer + 936), partial);
    EXPECT_EQ(record_->pImageBuffer[936], 0);
    EXPECT_EQ(record_->pImageBuffer[1999999999], 0);
    EXPECT_EQ(record_->pImageBuffer[2000000000], 0);
    EXPECT_LT(statusKiB("VmHWM:") - before, 16 * 1024) << "KiB above the size before the read";
}

// A header shorter than 3160 bytes: what is missing reads as zero, and the
// images are counted from where the read ended.
TEST_F(BookmarkReaderTest, ShortHeadersReadMissingBytesAsZero) {
    {
        SCOPED_TRACE("tables present, image offset counted from the bytes read");
        const int32_t length = 2568;
        Bytes file(length, 0);
        file[0] = 'V';
        file[1] = 'B';
        file[2] = 'M';
        file[3] = 'K';
        Put32(file, kCount, 2);
        file[kIsAuto + 1] = 1;
        Put32(file, kTime + 4, 33);
        Put32(file, kExtra + 4, 44);
        // Earlier image "size" -2568 puts the latest image at 2568 - 2568 = 0;
        // had the reader counted from 3160 it would land at 592.
        Put32(file, kSize, -length);
        Put32(file, kSize + 4, 8);
        ASSERT_EQ(file.size(), static_cast<std::size_t>(length));
        WriteFile("short.bmk", file);
        ASSERT_TRUE(Read(Path("short.srf")));
        EXPECT_TRUE(record_->bIsAuto);
        EXPECT_EQ(record_->lHighlightTime, 33);
        EXPECT_EQ(record_->lBookmarkExtra, 44);
        ASSERT_EQ(record_->iImageSize, 8);
        EXPECT_EQ(Image(), (Bytes{'V', 'B', 'M', 'K', 2, 0, 0, 0}));
        ResetRecord();
    }
    {
        SCOPED_TRACE("size table cut off: the latest size reads as zero");
        Bytes file(700, 0);
        Put32(file, kCount, 1);
        WriteFile("tiny.bmk", file);
        vsim::ClearJournal();
        EXPECT_FALSE(Read(Path("tiny.srf")));
        EXPECT_EQ(vtest::CountLogged("0 >= stBookmarkHeader.iBookmarkCount"), 0);
        EXPECT_FALSE(vtest::Logged("failed to read file"));
    }
    {
        SCOPED_TRACE("count cut in half: the high bytes read as zero");
        WriteFile("six.bmk", Bytes{0, 0, 0, 0, 2, 0});
        vsim::ClearJournal();
        EXPECT_FALSE(Read(Path("six.srf")));
        EXPECT_EQ(vtest::CountLogged("0 >= stBookmarkHeader.iBookmarkCount"), 0);
    }
    {
        SCOPED_TRACE("empty file: no bookmarks");
        WriteFile("empty.bmk", Bytes());
        vsim::ClearJournal();
        EXPECT_FALSE(Read(Path("empty.srf")));
        EXPECT_TRUE(vtest::LoggedAt("0 >= stBookmarkHeader.iBookmarkCount", LOG_ID_MAIN, DLOG_WARN));
    }
    ExpectUntouched();
}

// ---- headers that are refused ------------------------------------------------

TEST_F(BookmarkReaderTest, CountsOutsideOneTo150AreRefused) {
    struct Row {
        int32_t count;
        bool emptyLine;  // the "0 >= ..." line
    };
    for (Row row : {Row{0, true}, Row{-1, true}, Row{INT32_MIN, true}, Row{151, false}, Row{INT32_MAX, false}}) {
        SCOPED_TRACE(row.count);
        Bytes file = Header(row.count);
        for (int i = 0; i < 150; ++i) Put32(file, kSize + 4 * i, 1);
        file.resize(file.size() + 200, 0x5a);
        WriteFile("c.bmk", file);
        vsim::ClearJournal();
        EXPECT_FALSE(Read(Path("c.srf")));
        EXPECT_EQ(vtest::CountLogged("0 >= stBookmarkHeader.iBookmarkCount"), row.emptyLine ? 1 : 0);
        if (row.emptyLine) {
            EXPECT_TRUE(vtest::LoggedAt("0 >= stBookmarkHeader.iBookmarkCount", LOG_ID_MAIN, DLOG_WARN));
        }
        ExpectUntouched();
    }
    // The last slot the header has room for is still a bookmark.
    Bytes file = Header(150);
    for (int i = 0; i < 150; ++i) Put32(file, kSize + 4 * i, 1);
    Put32(file, kTime + 4 * 149, 149);
    Bytes images = Pattern(150, 6);
    file.insert(file.end(), images.begin(), images.end());
    WriteFile("c.bmk", file);
    ASSERT_TRUE(Read(Path("c.srf")));
    EXPECT_EQ(record_->lHighlightTime, 149);
    ASSERT_EQ(record_->iImageSize, 1);
    EXPECT_EQ(static_cast<unsigned char>(record_->pImageBuffer[0]), images[149]);
}

TEST_F(BookmarkReaderTest, LatestImageSizeOutOfRangeFailsWithoutALine) {
    for (int32_t size : {0, -1, -300, 2147483646, INT32_MAX}) {
        SCOPED_TRACE(size);
        Bytes file = Header(2);
        Put32(file, kSize, 16);
        Put32(file, kSize + 4, size);
        file.resize(file.size() + 64, 0x11);
        WriteFile("s.bmk", file);
        vsim::ClearJournal();
        EXPECT_FALSE(Read(Path("s.srf")));
        std::vector<std::string> lines = vtest::LogMessages();
        for (const std::string& line : lines) {
            EXPECT_TRUE(line.rfind("FilePath:", 0) == 0 || line.rfind("szBmkFileName:", 0) == 0) << line;
        }
        ExpectUntouched();
    }
}

TEST_F(BookmarkReaderTest, EarlierSizesThatPutTheImageBeforeTheFileFailTheSeek) {
    Bytes file = Header(2);
    Put32(file, kSize, -4000);  // 3160 - 4000 < 0
    Put32(file, kSize + 4, 10);
    WriteFile("neg.bmk", file);
    EXPECT_FALSE(Read(Path("neg.srf")));
    EXPECT_TRUE(vtest::LoggedAt("failed to seek file!", LOG_ID_MAIN, DLOG_WARN));
    ExpectUntouched();
}

// ---- finding and opening the file ---------------------------------------------

TEST_F(BookmarkReaderTest, BookmarkNameIsTheUriUpToItsFirstSrf) {
    struct Row {
        const char* uri;
        const char* bmk;
    };
    // clang-format off
    const Row rows[] = {
        {"/rec_01.srf", "/rec_01.bmk"}, {"/a.ts", "/a.ts.bmk"},      {"/b.srf.srf", "/b.bmk"},
        {"/c.srfx/d.srf", "/c.bmk"},    {"/e.srf?part=2", "/e.bmk"},
    };
    // clang-format on
    Bytes file = Header(1);
    Put32(file, kSize, 3);
    file.insert(file.end(), {'p', 'n', 'g'});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.uri);
        std::string bmk = Path(row.bmk + 1);
        if (std::string(row.bmk) == "/c.bmk") {
            ASSERT_EQ(mkdir(Path("c.srfx").c_str(), 0755), 0);
        }
        WriteFile(row.bmk + 1, file);
        vsim::ClearJournal();
        ASSERT_TRUE(Read(Path(row.uri + 1)));
        EXPECT_TRUE(vtest::Logged("szBmkFileName:" + bmk));
        EXPECT_EQ(Image(), (Bytes{'p', 'n', 'g'}));
        ResetRecord();
        ASSERT_EQ(unlink(bmk.c_str()), 0);
    }
}

TEST_F(BookmarkReaderTest, NothingToReadFailsAndSaysWhy) {
    {
        SCOPED_TRACE("empty uri and null record: no line at all");
        EXPECT_FALSE(Read(""));
        stBookmarkThumbnail* none = nullptr;
        EXPECT_FALSE(CSportsUtil::GetLatestBookmark(Path("x.srf"), none));
        EXPECT_TRUE(vtest::LogMessages().empty());
    }
    {
        SCOPED_TRACE("missing file: six opens, then the failure line");
        OpenSpy spy;
        EXPECT_FALSE(Read(Path("missing.srf")));
        ASSERT_EQ(spy.calls.size(), 6u);
        for (const OpenSpy::Call& call : spy.calls) {
            EXPECT_EQ(call.path, Path("missing.bmk"));
            EXPECT_EQ(call.flags, O_RDONLY);
        }
        EXPECT_TRUE(vtest::LoggedAt("failed to create file!", LOG_ID_MAIN, DLOG_WARN));
    }
    {
        SCOPED_TRACE("a directory in its place: refused before any open");
        ASSERT_EQ(mkdir(Path("dir.bmk").c_str(), 0755), 0);
        OpenSpy spy;
        vsim::ClearJournal();
        EXPECT_FALSE(Read(Path("dir.srf")));
        EXPECT_TRUE(spy.calls.empty());
        EXPECT_TRUE(vtest::Logged("failed to create file!"));
    }
    {
        // Root could open it anyway; the owner's read bit is what is checked.
        SCOPED_TRACE("not readable by its owner: refused before any open");
        Bytes file = Header(1);
        Put32(file, kSize, 1);
        file.push_back('x');
        WriteFile("wo.bmk", file);
        ASSERT_EQ(chmod(Path("wo.bmk").c_str(), 0244), 0);
        OpenSpy spy;
        vsim::ClearJournal();
        EXPECT_FALSE(Read(Path("wo.srf")));
        EXPECT_TRUE(spy.calls.empty());
        EXPECT_TRUE(vtest::Logged("failed to create file!"));
    }
    ExpectUntouched();
}

TEST_F(BookmarkReaderTest, FileAppearingDuringTheRetriesIsRead) {
    Bytes file = Header(1);
    Put32(file, kSize, 2);
    file.insert(file.end(), {'o', 'k'});
    WriteFile("late.bmk", file);
    OpenSpy spy(5);  // missing for five looks, there at the sixth
    ASSERT_TRUE(Read(Path("late.srf")));
    EXPECT_EQ(spy.calls.size(), 6u);
    EXPECT_EQ(Image(), (Bytes{'o', 'k'}));
}

// ---- the file wrapper ------------------------------------------------------------

class BMKFileTest : public BookmarkReaderTest {
protected:
    mode_t Perms(const std::string& name) {
        struct stat st;
        EXPECT_EQ(stat(Path(name).c_str(), &st), 0);
        return st.st_mode & 07777;
    }
    std::vector<char> CPath(const std::string& name) {
        std::string p = Path(name);
        return std::vector<char>(p.c_str(), p.c_str() + p.size() + 1);
    }
};

TEST_F(BMKFileTest, OpensUseTheFlagsOfTheirModeAndMarkCloseOnExec) {
    WriteFile("f", Bytes{'a', 'b', 'c'});
    const std::string f = Path("f");
    struct Row {
        const char* what;
        int expectFlags;
        int mode;
        int (*open)(CBMKFile&, const char*, int);
    };
    // clang-format off
    const Row rows[] = {
        {"Create 0", O_APPEND, 0, [](CBMKFile& b, const char* p, int m) { return int(b.Create(p, m, O_APPEND, 0)); }},
        {"Create 1", O_APPEND | O_WRONLY, 1,
         [](CBMKFile& b, const char* p, int m) { return int(b.Create(p, m, O_APPEND, 0)); }},
        {"Create 2", O_APPEND | O_RDWR, 2,
         [](CBMKFile& b, const char* p, int m) { return int(b.Create(p, m, O_APPEND, 0)); }},
        {"Trunc 0", O_APPEND, 0,
         [](CBMKFile& b, const char* p, int m) { return int(b.CreateWithTrunc(p, m, O_APPEND, false)); }},
        {"Trunc 1", O_APPEND | O_TRUNC | O_WRONLY, 1,
         [](CBMKFile& b, const char* p, int m) { return int(b.CreateWithTrunc(p, m, O_APPEND, false)); }},
        {"Trunc 2", O_APPEND | O_TRUNC | O_RDWR, 2,
         [](CBMKFile& b, const char* p, int m) { return int(b.CreateWithTrunc(p, m, O_APPEND, false)); }},
        {"Make 0", O_APPEND, 0,
         [](CBMKFile& b, const char* p, int m) { return int(b.CreateWithMake(p, m, O_APPEND)); }},
        {"Make 1", O_APPEND | O_TRUNC | O_WRONLY, 1,
         [](CBMKFile& b, const char* p, int m) { return int(b.CreateWithMake(p, m, O_APPEND)); }},
        {"Make 2", O_APPEND | O_RDWR, 2,
         [](CBMKFile& b, const char* p, int m) { return int(b.CreateWithMake(p, m, O_APPEND)); }},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        OpenSpy spy;
        CBMKFile file;
        ASSERT_EQ(row.open(file, f.c_str(), row.mode), 1);
        ASSERT_FALSE(spy.calls.empty());
        const OpenSpy::Call& last = spy.calls.back();
        EXPECT_EQ(last.flags, row.expectFlags);
        EXPECT_EQ(last.mode, 0777u);
        EXPECT_GT(file.m_nFd, 0);
        EXPECT_EQ(file.m_nMode, row.mode);
        EXPECT_EQ(fcntl(file.m_nFd, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
        if (std::strncmp(row.what, "Make", 4) == 0) {
            ASSERT_EQ(spy.calls.size(), 2u);  // the Make first
            EXPECT_EQ(spy.calls[0].flags, O_RDWR | O_CREAT);
            EXPECT_EQ(spy.calls[0].mode, 0777u);
        }
        EXPECT_EQ(file.Destroy(), 0);
        EXPECT_EQ(file.m_nFd, 0);
        WriteFile("f", Bytes{'a', 'b', 'c'});
    }
}

TEST_F(BMKFileTest, FailedOpensLeaveNoDescriptor) {
    CBMKFile file;
    file.m_nFd = 123;
    EXPECT_FALSE(file.Create(Path("f").c_str(), 3, 0, 0));  // no such mode
    EXPECT_EQ(file.m_nFd, 0);
    {
        OpenSpy spy(100, EACCES);  // not a missing file: no second try
        file.m_nFd = 123;
        EXPECT_FALSE(file.Create(Path("f").c_str(), 0, 0, 0));
        EXPECT_EQ(spy.calls.size(), 1u);
        EXPECT_EQ(file.m_nFd, 0);
    }
    {
        OpenSpy spy(100, ENOENT);  // truncating opens never retry
        file.m_nFd = 123;
        EXPECT_FALSE(file.CreateWithTrunc(Path("f").c_str(), 1, 0, false));
        EXPECT_EQ(spy.calls.size(), 1u);
        EXPECT_EQ(file.m_nFd, 0);
    }
    file.m_nFd = 123;
    EXPECT_FALSE(file.CreateWithMake(Path("no/such/dir").c_str(), 2, 0));
    EXPECT_EQ(file.m_nFd, 0);
    // Directories pass the check when it is not asked for only.
    ASSERT_EQ(mkdir(Path("d").c_str(), 0755), 0);
    EXPECT_FALSE(file.CreateWithTrunc(Path("d").c_str(), 0, 0, true));
    ASSERT_TRUE(file.Create(Path("d").c_str(), 0, O_DIRECTORY, 0));
    EXPECT_EQ(file.Destroy(), 0);
}

TEST_F(BMKFileTest, TruncationDependsOnTheOpen) {
    const std::string f = Path("f");
    CBMKFile file;
    WriteFile("f", Bytes{'1', '2', '3', '4'});
    ASSERT_TRUE(file.CreateWithMake(f.c_str(), 2, 0));  // read-write keeps the content
    char got[8] = {};
    unsigned long n = sizeof(got);
    EXPECT_TRUE(file.Read(got, &n));
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(std::string(got, n), "1234");
    file.Destroy();

    ASSERT_TRUE(file.CreateWithTrunc(f.c_str(), 1, 0, false));
    n = 2;
    EXPECT_TRUE(file.Write("zz", &n));
    EXPECT_EQ(n, 2u);
    EXPECT_TRUE(file.Flush());
    file.Destroy();
    struct stat st;
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 2);

    // Make creates a file that is missing and leaves one that exists alone.
    EXPECT_TRUE(CBMKFile::Make(Path("new").c_str()));
    ASSERT_EQ(stat(Path("new").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_TRUE(CBMKFile::Make(f.c_str()));
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 2);
    EXPECT_FALSE(CBMKFile::Make(Path("no/such/dir").c_str()));
    {
        OpenSpy spy(1, EACCES);  // there but not ours: still counts as made
        EXPECT_TRUE(CBMKFile::Make(Path("locked").c_str()));
    }
    EXPECT_TRUE(CBMKFile::Remove(Path("new").c_str()));
    EXPECT_NE(access(Path("new").c_str(), F_OK), 0);
    EXPECT_FALSE(CBMKFile::Remove(Path("new").c_str()));
}

TEST_F(BMKFileTest, SetModeMapsModesToOwnerBitsAndRefusesOthers) {
    WriteFile("f", Bytes{'x'});
    std::vector<char> p = CPath("f");
    ASSERT_EQ(chmod(p.data(), 0644), 0);
    for (int bad : {3, -1, 4, 0600}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(CBMKFile::SetMode(p.data(), bad));
        EXPECT_EQ(Perms("f"), 0644u);
    }
    const mode_t expected[3] = {0400, 0200, 0600};
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_TRUE(CBMKFile::SetMode(p.data(), mode));
        EXPECT_EQ(Perms("f"), expected[mode]);
    }
    std::vector<char> missing = CPath("missing");
    EXPECT_FALSE(CBMKFile::SetMode(missing.data(), 2));
}

TEST_F(BMKFileTest, SeekReadAndFlushReportFailures) {
    WriteFile("f", Pattern(10, 0));
    CBMKFile file;
    ASSERT_TRUE(file.Create(Path("f").c_str(), 0, 0, 1));
    EXPECT_FALSE(file.Flush());  // read-only: nothing to sync

    long offset = 8;
    EXPECT_TRUE(file.Seek(&offset, SEEK_SET));
    EXPECT_EQ(offset, 8);
    unsigned char buf[16];
    unsigned long n = sizeof(buf);
    EXPECT_TRUE(file.Read(buf, &n));
    EXPECT_EQ(n, 2u);  // a short read is success
    n = sizeof(buf);
    EXPECT_TRUE(file.Read(buf, &n));
    EXPECT_EQ(n, 0u);
    offset = -3;
    EXPECT_TRUE(file.Seek(&offset, SEEK_END));
    EXPECT_EQ(offset, 7);
    offset = -20;
    EXPECT_FALSE(file.Seek(&offset, SEEK_SET));
    EXPECT_EQ(offset, -1);
    n = 4;
    EXPECT_FALSE(file.Write("abcd", &n));  // opened read-only
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(file.Destroy(), 0);

    ASSERT_TRUE(file.Create(Path("f").c_str(), 1, 0, 1));  // the check is for reading only
    n = sizeof(buf);
    EXPECT_FALSE(file.Read(buf, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(file.Flush());
    EXPECT_EQ(file.Destroy(), 0);
}

TEST_F(BMKFileTest, DestroyWithNothingOpenClosesNothing) {
    // Descriptor 0 means "nothing open": it must not be taken for stdin.
    int fd = open("/dev/null", O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(dup2(fd, 0), 0);
    close(fd);
    CBMKFile never;
    EXPECT_EQ(never.Destroy(), -1);
    EXPECT_NE(fcntl(0, F_GETFD), -1);

    WriteFile("f", Bytes{'x'});
    CBMKFile file;
    ASSERT_TRUE(file.Create(Path("f").c_str(), 0, 0, 1));
    EXPECT_EQ(file.Destroy(), 0);
    EXPECT_EQ(file.Destroy(), -1);  // the second time there is nothing left
    EXPECT_NE(fcntl(0, F_GETFD), -1);
}

}  // namespace
