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

// A complete header; the images are appended by the caller.
Bytes Header(int32_t count) {
    Bytes b(kHeader, 0);
    Put32(b, kCount, count);
    return b;
}

// A file of one bookmark with this image.
Bytes OneImage(const Bytes& image) {
    Bytes b = Header(1);
    Put32(b, kSize, static_cast<int32_t>(image.size()));
    b.insert(b.end(), image.begin(), image.end());
    return b;
}

// Captures every open the wrapper makes; fails the first N with an errno.
struct OpenSpy {
    struct Call {
        std::string path;
        int flags;
        mode_t mode;
    };
    static inline std::vector<Call> calls;
    static inline int fail = 0, err = 0;
    explicit OpenSpy(int n = 0, int e = ENOENT) {
        calls.clear();
        fail = n;
        err = e;
        CBMKFile::s_pfnOpen = [](const char* path, int flags, mode_t mode) {
            calls.push_back({path, flags, mode});
            if (static_cast<int>(calls.size()) > fail) return CBMKFile::SystemOpen(path, flags, mode);
            errno = err;
            return -1;
        };
    }
    ~OpenSpy() { CBMKFile::s_pfnOpen = &CBMKFile::SystemOpen; }
};

class BookmarkReaderTest : public vtest::SimTest {
protected:
    void SetUp() override {
        vtest::SimTest::SetUp();
        char templ[] = "vantro-bmk-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
        record_ = new stBookmarkThumbnail;
        record_->pImageBuffer = sentinel_;
        ResetRecord();
    }
    // A record the reader must leave alone whenever it fails.
    void ResetRecord() {
        if (record_->pImageBuffer != sentinel_) free(record_->pImageBuffer);
        record_->bIsAuto = true;
        record_->lHighlightTime = -77;
        record_->lBookmarkExtra = -88;
        record_->pImageBuffer = sentinel_;
        record_->iImageSize = -99;
    }
    void TearDown() override {
        if (record_->pImageBuffer != sentinel_) free(record_->pImageBuffer);
        delete record_;
        ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
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
    bool Read(const std::string& uri) { return CSportsUtil::GetLatestBookmark(uri, record_); }
    // Reading NAME.srf fails with the two path lines and then this warning
    // (none when null), and the record is left alone.
    void ExpectRefused(const std::string& name, const char* line) {
        vsim::ClearJournal();
        EXPECT_FALSE(Read(Path(name + ".srf")));
        std::vector<std::string> lines = {"FilePath:" + Path(name + ".srf"), "szBmkFileName:" + Path(name + ".bmk")};
        if (line) lines.push_back(line);
        EXPECT_EQ(vtest::LogMessages(), lines);
        EXPECT_TRUE(!line || vtest::LoggedAt(line, LOG_ID_MAIN, DLOG_WARN));
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

TEST_F(BookmarkReaderTest, LatestEntryComesFromItsOwnTableEntriesAndOffset) {
    // One, a few, and the last slot the header has room for.
    for (int count : {1, 3, 150}) {
        SCOPED_TRACE(count);
        Bytes file = Header(count);
        std::vector<Bytes> images;
        for (int i = 0; i <= count && i < 150; ++i) {
            bool past = i == count;  // past the count: must not be looked at
            file[kIsAuto + i] = i % 2 == 0;
            Put32(file, kTime + 4 * i, past ? 9999 : 0x01020300 + i);
            Put32(file, kExtra + 4 * i, INT32_MIN + i);
            Put32(file, kAux + 4 * i, 42);
            Put32(file, kSize + 4 * i, past ? 5 : 1 + 3 * i);
            if (!past) images.push_back(Pattern(1 + 3 * i, i));
        }
        for (const Bytes& image : images) file.insert(file.end(), image.begin(), image.end());
        WriteFile("rec_01.bmk", file);

        vsim::ClearJournal();
        ASSERT_TRUE(Read(Path("rec_01.srf")));
        const int latest = count - 1;
        EXPECT_EQ(record_->bIsAuto, latest % 2 == 0);
        EXPECT_EQ(record_->lHighlightTime, 0x01020300L + latest);  // little-endian
        EXPECT_EQ(record_->lBookmarkExtra, static_cast<long>(INT32_MIN) + latest);
        ASSERT_EQ(record_->iImageSize, 1 + 3 * latest);
        // Starting after the header and every earlier image: exactly the latest image.
        EXPECT_EQ(Image(), images[latest]);
        EXPECT_EQ(record_->pImageBuffer[record_->iImageSize], 0);
        EXPECT_TRUE(vtest::LoggedAt("FilePath:" + Path("rec_01.srf"), LOG_ID_MAIN, DLOG_INFO));
        EXPECT_TRUE(vtest::LoggedAt("szBmkFileName:" + Path("rec_01.bmk"), LOG_ID_MAIN, DLOG_INFO));
        ResetRecord();
    }
}

// The unread rest must be zero even in memory that held something before:
// the same size is allocated, dirtied and freed first, so the reader is
// likely to get those bytes back.
TEST_F(BookmarkReaderTest, UnreadRestIsZeroInReusedMemory) {
    for (int32_t claimed : {70, 5000, 20000, 300000}) {
        SCOPED_TRACE(claimed);
        Bytes partial = Pattern(33, 2);
        Bytes file = OneImage(partial);
        Put32(file, kSize, claimed);
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
    Bytes partial = Pattern(936, 5);
    Bytes file = OneImage(partial);
    Put32(file, kSize, 2000000000);
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
    const int32_t length = 2568;
    Bytes file(length, 0);
    file[0] = 'V';
    file[1] = 'B';
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
    EXPECT_EQ(Image(), (Bytes{'V', 'B', 0, 0, 2, 0, 0, 0}));
    ResetRecord();

    Bytes tiny(700, 0);  // the size table is cut off: the latest size reads as zero
    Put32(tiny, kCount, 1);
    WriteFile("tiny.bmk", tiny);
    ExpectRefused("tiny", nullptr);
    WriteFile("six.bmk", Bytes{0, 0, 0, 0, 2, 0});  // the count's high bytes are missing
    ExpectRefused("six", nullptr);
    WriteFile("empty.bmk", Bytes());
    ExpectRefused("empty", "0 >= stBookmarkHeader.iBookmarkCount");
}

// ---- headers that are refused ------------------------------------------------

TEST_F(BookmarkReaderTest, HeadersOutsideTheirRangesAreRefused) {
    struct Row {
        int32_t count, earlier, latest;  // every size before the latest, and its own
        const char* line;
    };
    // clang-format off
    const Row rows[] = {
        {0, 1, 1, "0 >= stBookmarkHeader.iBookmarkCount"},
        {-1, 1, 1, "0 >= stBookmarkHeader.iBookmarkCount"},
        {INT32_MIN, 1, 1, "0 >= stBookmarkHeader.iBookmarkCount"},
        {151, 1, 1, "stBookmarkHeader.iBookmarkCount(151) > 150"},
        {INT32_MAX, 1, 1, "stBookmarkHeader.iBookmarkCount(2147483647) > 150"},
        // The latest image size must lie in 1 .. 2147483645; no line says so.
        {2, 16, 0, nullptr}, {2, 16, -1, nullptr}, {2, 16, -300, nullptr}, {2, 16, 2147483646, nullptr},
        {2, 16, INT32_MAX, nullptr},
        {2, -4000, 10, "failed to seek file!"},  // 3160 - 4000 < 0
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.count) + " " + std::to_string(row.earlier) + " " + std::to_string(row.latest));
        Bytes file = Header(row.count);
        for (int i = 0; i < 150; ++i) Put32(file, kSize + 4 * i, i + 1 == row.count ? row.latest : row.earlier);
        file.resize(file.size() + 200, 0x5a);
        WriteFile("c.bmk", file);
        ExpectRefused("c", row.line);
    }
}

// ---- finding and opening the file ---------------------------------------------

TEST_F(BookmarkReaderTest, BookmarkNameIsTheUriUpToItsFirstSrf) {
    const struct {
        const char* uri;
        const char* bmk;
    } rows[] = {{"rec_01.srf", "rec_01.bmk"},
                {"a.ts", "a.ts.bmk"},
                {"b.srf.srf", "b.bmk"},
                {"c.srfx/d.srf", "c.bmk"},
                {"e.srf?part=2", "e.bmk"}};
    ASSERT_EQ(mkdir(Path("c.srfx").c_str(), 0755), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.uri);
        WriteFile(row.bmk, OneImage({'p', 'n', 'g'}));
        vsim::ClearJournal();
        ASSERT_TRUE(Read(Path(row.uri)));
        EXPECT_TRUE(vtest::Logged("szBmkFileName:" + Path(row.bmk)));
        EXPECT_EQ(Image(), (Bytes{'p', 'n', 'g'}));
        ResetRecord();
        ASSERT_EQ(unlink(Path(row.bmk).c_str()), 0);
    }
}

TEST_F(BookmarkReaderTest, NothingToReadFailsAndSaysWhy) {
    // Empty uri and null record: no line at all.
    EXPECT_FALSE(Read(""));
    stBookmarkThumbnail* none = nullptr;
    EXPECT_FALSE(CSportsUtil::GetLatestBookmark(Path("x.srf"), none));
    EXPECT_TRUE(vtest::LogMessages().empty());

    // A missing file gets six looks, all for reading; one that appears by the sixth is read.
    WriteFile("late.bmk", OneImage({'o', 'k'}));
    for (int missing : {6, 5}) {
        SCOPED_TRACE(missing);
        OpenSpy spy(missing);
        if (missing == 6) {
            ExpectRefused("late", "failed to create file!");
        } else {
            ASSERT_TRUE(Read(Path("late.srf")));
            EXPECT_EQ(Image(), (Bytes{'o', 'k'}));
        }
        ASSERT_EQ(spy.calls.size(), 6u);
        for (const OpenSpy::Call& call : spy.calls) {
            EXPECT_EQ(call.path, Path("late.bmk"));
            EXPECT_EQ(call.flags, O_RDONLY);
        }
    }
    ResetRecord();

    // A directory in its place, or a file its owner may not read (root could
    // open it anyway): refused before any open.
    ASSERT_EQ(mkdir(Path("dir.bmk").c_str(), 0755), 0);
    WriteFile("wo.bmk", OneImage({'x'}));
    ASSERT_EQ(chmod(Path("wo.bmk").c_str(), 0244), 0);
    for (const char* name : {"dir", "wo"}) {
        SCOPED_TRACE(name);
        OpenSpy spy;
        ExpectRefused(name, "failed to create file!");
        EXPECT_TRUE(spy.calls.empty());
    }
}

// ---- the file wrapper ------------------------------------------------------------

class BMKFileTest : public BookmarkReaderTest {};

TEST_F(BMKFileTest, OpensUseTheFlagsOfTheirModeAndMarkCloseOnExec) {
    const std::string f = Path("f");
    const int A = O_APPEND, T = O_TRUNC, W = O_WRONLY, RW = O_RDWR;
    // By open (Create, CreateWithTrunc, CreateWithMake) and mode (read, write, read-write).
    const int expected[3][3] = {{A, A | W, A | RW}, {A, A | T | W, A | T | RW}, {A, A | T | W, A | RW}};
    for (int open = 0; open < 3; ++open)
        for (int mode = 0; mode < 3; ++mode) {
            SCOPED_TRACE(std::to_string(open) + " mode " + std::to_string(mode));
            WriteFile("f", Bytes{'a', 'b', 'c'});
            OpenSpy spy;
            CBMKFile file;
            bool ok = open == 0   ? file.Create(f.c_str(), mode, O_APPEND, 0)
                      : open == 1 ? file.CreateWithTrunc(f.c_str(), mode, O_APPEND, false)
                                  : file.CreateWithMake(f.c_str(), mode, O_APPEND);
            ASSERT_TRUE(ok);
            ASSERT_EQ(spy.calls.size(), open == 2 ? 2u : 1u);  // Make's own open first
            if (open == 2) {
                EXPECT_EQ(spy.calls[0].flags, O_RDWR | O_CREAT);
                EXPECT_EQ(spy.calls[0].mode, 0777u);
            }
            EXPECT_EQ(spy.calls.back().flags, expected[open][mode]);
            EXPECT_EQ(spy.calls.back().mode, 0777u);
            EXPECT_GT(file.m_nFd, 0);
            EXPECT_EQ(file.m_nMode, mode);
            EXPECT_EQ(fcntl(file.m_nFd, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
            EXPECT_EQ(file.Destroy(), 0);
            EXPECT_EQ(file.m_nFd, 0);
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
    std::string f = Path("f"), missing = Path("missing");
    auto perms = [&] {
        struct stat st;
        EXPECT_EQ(stat(f.c_str(), &st), 0);
        return st.st_mode & 07777;
    };
    ASSERT_EQ(chmod(f.c_str(), 0644), 0);
    for (int bad : {3, -1, 4, 0600}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(CBMKFile::SetMode(&f[0], bad));
        EXPECT_EQ(perms(), 0644u);
    }
    const mode_t expected[3] = {0400, 0200, 0600};
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_TRUE(CBMKFile::SetMode(&f[0], mode));
        EXPECT_EQ(perms(), expected[mode]);
    }
    EXPECT_FALSE(CBMKFile::SetMode(&missing[0], 2));
}

TEST_F(BMKFileTest, SeekReadFlushAndDestroyReportFailures) {
    // Descriptor 0 means "nothing open": it must not be taken for stdin.
    int fd = open("/dev/null", O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(dup2(fd, 0), 0);
    close(fd);
    CBMKFile file;
    EXPECT_EQ(file.Destroy(), -1);

    WriteFile("f", Pattern(10, 0));
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
    EXPECT_EQ(file.Destroy(), -1);  // the second time there is nothing left
    EXPECT_NE(fcntl(0, F_GETFD), -1);

    ASSERT_TRUE(file.Create(Path("f").c_str(), 1, 0, 1));  // the check is for reading only
    n = sizeof(buf);
    EXPECT_FALSE(file.Read(buf, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(file.Flush());
    EXPECT_EQ(file.Destroy(), 0);
}

}  // namespace
