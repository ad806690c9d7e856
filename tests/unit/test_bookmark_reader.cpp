// The latest-bookmark reader and its file wrapper, over files laid out byte by
// byte here. The PVR service writes the file while the gadget reads it, so
// read(2) is stood in for: a row may change the file right before the header
// or the image read. An open spy tells the stand-in the reader's descriptor.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "../../bench/ProcessMemory.h"
#include "BMKFile.h"
#include "SportsUtil.h"
#include "TestSupport.h"
#include "bookmark_writer.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Sizes = std::vector<int32_t>;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const bool kSanitized = true;  // shadow memory for every allocation: no huge claims, no resident sizes
#else
const bool kSanitized = false;
#endif

// The header as the PVR service writes it: the count, then tables of 150
// entries each (the automatic flags one byte each, the aux table unread).
const int kHeader = 3160, kCount = 4, kIsAuto = 608, kTime = 760, kExtra = 1360, kSize = 2560;

// Little-endian, growing the bytes when they end before it.
void Put32(Bytes& bytes, std::size_t at, int32_t value) {
    if (bytes.size() < at + 4) bytes.resize(at + 4, 0);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(static_cast<uint32_t>(value) >> (8 * i));
}

// Slot i of a file made with this seed: values of its own, so a value taken
// from the wrong slot, the wrong table or another file shows.
std::tuple<bool, long, long> Slot(unsigned seed, int i) {
    return {(i + seed) % 2 == 0, 0x01020300L + 0x10000L * seed + i, static_cast<long>(INT32_MIN) + 100 * seed + i};
}

// `length` bytes (-1: header and images) of nonzero pattern under the count,
// every slot's values and these image sizes (then zeros).
Bytes File(int32_t count, const Sizes& sizes, unsigned seed = 0, int64_t length = -1) {
    // Sizes near 2^31 are summed: 64 bits on every target.
    int64_t total = kHeader;
    for (int32_t size : sizes) total += size;
    if (length < 0) length = total;
    Bytes b(static_cast<std::size_t>(std::max<int64_t>(length, kHeader)));
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<unsigned char>((i * 7 + seed) % 251 + 1);
    Put32(b, kCount, count);
    for (int i = 0; i < 150; ++i) {
        b[kIsAuto + i] = std::get<0>(Slot(seed, i));
        Put32(b, kTime + 4 * i, static_cast<int32_t>(std::get<1>(Slot(seed, i))));
        Put32(b, kExtra + 4 * i, static_cast<int32_t>(std::get<2>(Slot(seed, i))));
        Put32(b, kSize + 4 * i, i < static_cast<int>(sizes.size()) ? sizes[i] : 0);
    }
    b.resize(static_cast<std::size_t>(length));
    return b;
}

bool WriteAll(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out.write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size())).flush());
}

std::string Call(const std::string& path, int flags, mode_t mode) {
    return path + " flags " + std::to_string(flags) + " mode " + std::to_string(mode);
}

enum class Op { None, Truncate, Rewrite, Replace, Remove, Fail };

struct Row {
    const char* what;
    int32_t count;
    Sizes sizes;
    long length;         // -1: the header and every listed image
    long at;             // where the latest image starts; -1: refused
    const char* line;    // the refusal's warning, if any
    int beforeRead = 0;  // a change right before the header read (1) or the image read (2); Fail fails that read
    Op op = Op::None;
    long cut = 0;     // Truncate: the new length
    Sizes next = {};  // Rewrite and Replace: the images of the new file (seed 1)
};

// While a row is armed, reads of the descriptor last opened are counted, and
// its change is applied once, right before the read it names.
struct ReadWatch {
    const Row* row = nullptr;
    std::string path;
    int fd = -1, reads = 0;
    bool applied = false;
} g_watch;

// Captures every open the wrapper makes; fails the first N with an errno.
struct OpenSpy {
    static inline std::vector<std::string> calls;
    static inline int fail = 0, err = 0;
    explicit OpenSpy(int n = 0, int e = ENOENT) {
        calls.clear();
        fail = n;
        err = e;
        CBMKFile::s_pfnOpen = [](const char* path, int flags, mode_t mode) {
            calls.push_back(Call(path, flags, mode));
            if (static_cast<int>(calls.size()) > fail) return g_watch.fd = CBMKFile::SystemOpen(path, flags, mode);
            errno = err;
            return -1;
        };
    }
    ~OpenSpy() { CBMKFile::s_pfnOpen = &CBMKFile::SystemOpen; }
};

// Applies a row's change; false when the file could not be changed.
bool Apply(const Row& row, const std::string& path) {
    const std::string to = row.op == Op::Replace ? path + ".part" : path;
    if (row.op == Op::Truncate) return truncate(path.c_str(), static_cast<off_t>(row.cut)) == 0;
    if (row.op == Op::Remove) return unlink(path.c_str()) == 0;
    return row.op == Op::None || row.op == Op::Fail ||
           (WriteAll(to, File(static_cast<int32_t>(row.next.size()), row.next, 1)) &&
            rename(to.c_str(), path.c_str()) == 0);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ssize_t read(int fd, void* buffer, size_t length) {
    using ReadFn = ssize_t (*)(int, void*, size_t);
    static ReadFn real = reinterpret_cast<ReadFn>(dlsym(RTLD_NEXT, "read"));
    if (g_watch.row && fd == g_watch.fd && ++g_watch.reads == g_watch.row->beforeRead) {
        g_watch.applied = Apply(*g_watch.row, g_watch.path);
        if (g_watch.row->op == Op::Fail) {
            errno = EIO;
            return -1;
        }
    }
    return real(fd, buffer, length);
}

namespace {

class BookmarkReaderTest : public vtest::SimTest {
protected:
    void SetUp() override {
        vtest::SimTest::SetUp();
        dir_ = vsim::ScratchDir() + "/vantro-bmk-XXXXXX";
        ASSERT_NE(mkdtemp(&dir_[0]), nullptr);
    }
    void TearDown() override {
        g_watch.row = nullptr;
        CBMKFile::s_pfnOpen = &CBMKFile::SystemOpen;
        if (rec_.pImageBuffer != sentinel_) free(rec_.pImageBuffer);
        ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void Write(const std::string& name, const Bytes& bytes) { ASSERT_TRUE(WriteAll(Path(name), bytes)); }

    // Reads into a record of sentinels, which a failed read must leave alone.
    bool Read(const std::string& uri) {
        if (rec_.pImageBuffer != sentinel_) free(rec_.pImageBuffer);
        rec_ = {true, -77, -88, sentinel_, -99, -66};
        vsim::ClearJournal();
        return CSportsUtil::GetLatestBookmark(Path(uri), out_);
    }
    // The two path lines at info, then this warning (none when null).
    void ExpectLines(const std::string& uri, const std::string& bmk, const char* line) {
        std::vector<std::string> lines = {"I FilePath:" + Path(uri), "I szBmkFileName:" + Path(bmk)};
        if (line) lines.push_back(std::string("M ") + line);
        EXPECT_EQ(vtest::Lines(), lines);
    }
    void ExpectRefused(const std::string& uri, const std::string& bmk, const char* line) {
        EXPECT_FALSE(Read(uri));
        ExpectLines(uri, bmk, line);
        EXPECT_EQ(std::make_tuple(rec_.bIsAuto, rec_.lHighlightTime, rec_.lBookmarkExtra, rec_.iImageSize),
                  std::make_tuple(true, -77L, -88L, -99));
        EXPECT_TRUE(rec_.pImageBuffer == sentinel_ && rec_.iImageBytesRead == -66);
    }

    std::string dir_;
    char sentinel_[1] = {0};
    stBookmarkThumbnail rec_ = {true, -77, -88, sentinel_, -99, -66};
    stBookmarkThumbnail* out_ = &rec_;
};

const char* const kNoCount = "0 >= stBookmarkHeader.iBookmarkCount";
// Three bookmarks, the latest with its 300-byte image at 3460.
const Sizes kThree = {100, 200, 300};

// clang-format off
const Row kRows[] = {
    {"one bookmark", 1, {5}, -1, 3160, nullptr},
    {"three: after the header and the earlier images", 3, {4, 9, 16}, -1, 3173, nullptr},
    {"the last slot there is", 150, Sizes(150, 20), -1, 3160 + 149 * 20, nullptr},
    // Claims beyond the file: the rest is zero even in memory reused from a dirty block.
    {"a claim past the end", 1, {70}, 3193, 3160, nullptr},
    {"a larger claim", 2, {4, 5000}, 3197, 3164, nullptr},
    {"a still larger claim", 1, {20000}, 3193, 3160, nullptr},
    // Only what the file held becomes resident, and the claim may reach the bound.
    {"the largest claim there may be", 1, {2147483645}, 4096, 3160, nullptr},
    // A header shorter than 3160 bytes reads as zero where it is missing, and
    // the images count from where the read ended: -2568 lands at 0, not 592.
    {"a short header", 2, {-2568, 8}, 2568, 0, nullptr},
    {"a size table cut off", 1, {}, 700, -1, nullptr},
    {"a count cut short", 2, {}, 6, -1, nullptr},
    {"an empty file", 1, {}, 0, -1, kNoCount},
    {"no bookmarks", 0, {1}, 3400, -1, kNoCount},
    {"a negative count", -1, {1}, 3400, -1, kNoCount},
    {"the lowest count", INT32_MIN, {1}, 3400, -1, kNoCount},
    {"a count past the table", 151, {1}, 3400, -1, "stBookmarkHeader.iBookmarkCount(151) > 150"},
    {"the highest count", INT32_MAX, {1}, 3400, -1, "stBookmarkHeader.iBookmarkCount(2147483647) > 150"},
    // The latest image size must lie in 1 .. 2147483645; no line says so.
    {"an empty image", 2, {16, 0}, 3400, -1, nullptr},
    {"a negative image", 2, {16, -1}, 3400, -1, nullptr},
    {"a very negative image", 2, {16, -300}, 3400, -1, nullptr},
    {"an image past the bound", 2, {16, 2147483646}, 3400, -1, nullptr},
    {"the highest image size", 2, {16, INT32_MAX}, 3400, -1, nullptr},
    {"images before the file's start", 2, {-4000, 10}, 3400, -1, "failed to seek file!"},
    // Changed under the reader: the record is the header it read and the bytes
    // its descriptor then found; a replaced or removed file stays open as it was.
    {"watched, unchanged", 3, kThree, -1, 3460, nullptr, 2},
    {"truncated to nothing after the header", 3, kThree, -1, 3460, nullptr, 2, Op::Truncate, 0},
    {"truncated before the latest image", 3, kThree, -1, 3460, nullptr, 2, Op::Truncate, 3300},
    {"truncated inside the latest image", 3, kThree, -1, 3460, nullptr, 2, Op::Truncate, 3580},
    {"a fourth bookmark appended in place", 3, kThree, -1, 3460, nullptr, 2, Op::Rewrite, 0, {100, 200, 300, 4000}},
    {"rewritten in place with a shorter list", 3, kThree, -1, 3460, nullptr, 2, Op::Rewrite, 0, {250}},
    {"rewritten in place with images further out", 3, kThree, -1, 3460, nullptr, 2, Op::Rewrite, 0, {5000, 70}},
    {"replaced by a new file renamed over it", 3, kThree, -1, 3460, nullptr, 2, Op::Replace, 0, {64}},
    {"removed", 3, kThree, -1, 3460, nullptr, 2, Op::Remove},
    {"emptied before the header is read", 3, kThree, -1, -1, kNoCount, 1, Op::Truncate, 0},
    {"cut inside the size table before the header is read", 3, kThree, -1, -1, nullptr, 1, Op::Truncate, 2000},
    {"a disk error reading the header", 3, kThree, -1, -1, "failed to read file", 1, Op::Fail},
    {"a disk error reading the image", 3, kThree, -1, -1, nullptr, 2, Op::Fail},
};
// clang-format on

// Descriptor 0 is free for the test's life, as in a process started with
// stdin closed: the next file opened gets it.
struct StdinClosed {
    StdinClosed() : saved(dup(0)) { close(0); }
    ~StdinClosed() {
        dup2(saved, 0);
        close(saved);
    }
    const int saved;
};

TEST_F(BookmarkReaderTest, LatestEntryOrARefusal) {
    StdinClosed stdinClosed;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        Bytes file = File(row.count, row.sizes, 0, row.length);
        Write("rec.bmk", file);
        const int32_t size = row.at < 0 ? 0 : row.sizes.back();
        if (size >= (1 << 20) && kSanitized) continue;
        // The same size allocated, dirtied and freed: the reader is likely to get it back.
        if (size < (1 << 20)) delete[] static_cast<char*>(std::memset(new char[size + 1UL], 0xA5, size + 1UL));
        ASSERT_TRUE(vbench::ResetPeakResident());
        const long before = vbench::StatusKiB("VmRSS");

        OpenSpy spy;
        g_watch = ReadWatch{row.beforeRead ? &row : nullptr, Path("rec.bmk")};
        if (row.at < 0) {
            ExpectRefused("rec.srf", "rec.bmk", row.line);
        } else {
            ASSERT_TRUE(Read("rec.srf"));
            ExpectLines("rec.srf", "rec.bmk", nullptr);
        }
        EXPECT_TRUE(!row.beforeRead || (g_watch.applied && g_watch.reads == (row.at < 0 ? row.beforeRead : 2)))
            << "one header read, then one image read, with the change before the one it names";
        EXPECT_EQ(g_watch.fd, 0) << "the file took the free descriptor 0";
        EXPECT_EQ(fcntl(0, F_GETFD), -1) << "the reader closed its file, whatever its descriptor";
        if (row.at < 0) continue;
        EXPECT_TRUE(kSanitized || vbench::StatusKiB("VmHWM") - before < 16 * 1024)
            << "KiB above the size before the read";

        if (row.op == Op::Rewrite) file = File(static_cast<int32_t>(row.next.size()), row.next, 1);
        if (row.op == Op::Truncate) file.resize(static_cast<std::size_t>(row.cut));
        EXPECT_EQ(std::make_tuple(rec_.bIsAuto, rec_.lHighlightTime, rec_.lBookmarkExtra), Slot(0, row.count - 1));
        ASSERT_EQ(rec_.iImageSize, size);
        // The image bytes as far as the file went, then the closing zero, and
        // no more: the buffer is sized by what the file holds, not the claim.
        const long have = std::clamp<long>(static_cast<long>(file.size()) - row.at, 0, size);
        EXPECT_EQ(rec_.iImageBytesRead, have);
        auto from = file.begin() + std::min<long>(row.at, static_cast<long>(file.size()));
        EXPECT_EQ(Bytes(rec_.pImageBuffer, rec_.pImageBuffer + have), Bytes(from, from + have));
        EXPECT_EQ(rec_.pImageBuffer[have], 0);
        EXPECT_EQ(malloc_usable_size(rec_.pImageBuffer) < static_cast<std::size_t>(have) + 1 + 4096, true)
            << "a buffer of " << malloc_usable_size(rec_.pImageBuffer) << " bytes for " << have << " bytes read";
    }
}

// A long recording's file may pass what 32-bit offsets reach: a sparse 3 GiB
// file reads as any other, and its size costs the buffer nothing.
TEST_F(BookmarkReaderTest, ThreeGiBFileReadsAsAnyOther) {
    const Bytes file = File(1, {64});
    Write("rec.bmk", file);
    ASSERT_EQ(truncate(Path("rec.bmk").c_str(), static_cast<off_t>(3) << 30), 0);
    ASSERT_TRUE(Read("rec.srf"));
    ExpectLines("rec.srf", "rec.bmk", nullptr);
    EXPECT_EQ(std::make_tuple(rec_.iImageSize, rec_.iImageBytesRead), std::make_tuple(64, 64));
    Bytes want(file.begin() + 3160, file.end());
    want.push_back(0);
    EXPECT_EQ(Bytes(rec_.pImageBuffer, rec_.pImageBuffer + 65), want);
}

TEST_F(BookmarkReaderTest, BookmarkNameIsTheUriUpToItsFirstSrf) {
    // clang-format off
    const char* const rows[][2] = {{"rec_01.srf", "rec_01.bmk"}, {"a.ts", "a.ts.bmk"}, {"b.srf.srf", "b.bmk"},
                                   {"c.srfx/d.srf", "c.bmk"}, {"e.srf?part=2", "e.bmk"}};
    // clang-format on
    ASSERT_EQ(mkdir(Path("c.srfx").c_str(), 0755), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        Write(row[1], File(1, {3}));
        EXPECT_TRUE(Read(row[0]));
        ExpectLines(row[0], row[1], nullptr);
        ASSERT_EQ(unlink(Path(row[1]).c_str()), 0);
    }
}

TEST_F(BookmarkReaderTest, NothingToReadFailsAndSaysWhy) {
    // Empty uri and null record: no line at all.
    stBookmarkThumbnail* none = nullptr;
    EXPECT_FALSE(CSportsUtil::GetLatestBookmark("", out_));
    EXPECT_FALSE(CSportsUtil::GetLatestBookmark(Path("x.srf"), none));
    EXPECT_TRUE(vtest::LogMessages().empty());

    // A missing file gets six looks, all for reading; one that appears by the sixth is read.
    Write("late.bmk", File(1, {2}));
    for (int missing : {6, 5}) {
        SCOPED_TRACE(missing);
        OpenSpy spy(missing);
        if (missing == 6) ExpectRefused("late.srf", "late.bmk", "failed to create file!");
        EXPECT_TRUE(missing == 6 || Read("late.srf"));
        EXPECT_EQ(spy.calls, std::vector<std::string>(6, Call(Path("late.bmk"), O_RDONLY, 0777)));
    }

    // A directory in its place, or a file its owner may not read (root could
    // open it anyway): refused before any open.
    ASSERT_EQ(mkdir(Path("dir.bmk").c_str(), 0755), 0);
    Write("wo.bmk", File(1, {1}));
    ASSERT_EQ(chmod(Path("wo.bmk").c_str(), 0244), 0);
    for (std::string name : {"dir", "wo"}) {
        OpenSpy spy;
        ExpectRefused(name + ".srf", name + ".bmk", "failed to create file!");
        EXPECT_TRUE(spy.calls.empty()) << name;
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
            Write("f", Bytes{'a', 'b', 'c'});
            OpenSpy spy;
            CBMKFile file;
            ASSERT_TRUE(open == 0   ? file.Create(f.c_str(), mode, O_APPEND, 0)
                        : open == 1 ? file.CreateWithTrunc(f.c_str(), mode, O_APPEND, false)
                                    : file.CreateWithMake(f.c_str(), mode, O_APPEND));
            std::vector<std::string> calls = {Call(f, expected[open][mode], 0777)};
            if (open == 2) calls.insert(calls.begin(), Call(f, O_RDWR | O_CREAT, 0777));  // Make's own open
            EXPECT_EQ(spy.calls, calls);
            EXPECT_TRUE(file.m_nFd > 0 && file.m_nMode == mode);
            EXPECT_EQ(fcntl(file.m_nFd, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
            EXPECT_EQ(file.Destroy(), 0);
            EXPECT_EQ(file.m_nFd, CBMKFile::kNoFd);
        }
}

TEST_F(BMKFileTest, FailedOpensLeaveNoDescriptor) {
    ASSERT_EQ(mkdir(Path("d").c_str(), 0755), 0);
    const std::string f = Path("f"), d = Path("d");
    CBMKFile file;
    file.m_nFd = 123;
    // Each open fails after this many opens, and leaves nothing open.
    auto fails = [&](bool opened, std::size_t opens) {
        EXPECT_FALSE(opened);
        EXPECT_EQ(OpenSpy::calls.size(), opens);
        EXPECT_EQ(file.m_nFd, CBMKFile::kNoFd);
        file.m_nFd = 123;
        OpenSpy::calls.clear();
    };
    OpenSpy forbidden(100, EACCES);
    fails(file.Create(f.c_str(), 3, 0, 0), 0);              // no such mode
    fails(file.Create(f.c_str(), 0, 0, 0), 1);              // not a missing file: no second try
    fails(file.CreateWithTrunc(d.c_str(), 0, 0, true), 0);  // a directory fails the read check
    OpenSpy missing(100, ENOENT);
    fails(file.CreateWithTrunc(f.c_str(), 1, 0, false), 1);  // truncating opens never retry
    OpenSpy none;
    fails(file.CreateWithMake(Path("no/such/dir").c_str(), 2, 0), 1);
    // Directories pass the check when it is not asked for only.
    ASSERT_TRUE(file.Create(d.c_str(), 0, O_DIRECTORY, 0));
    EXPECT_EQ(file.Destroy(), 0);
}

TEST_F(BMKFileTest, OperationsReportWhatTheyDid) {
    // Descriptor 0 means "nothing open": it must not be taken for stdin.
    int null = open("/dev/null", O_RDONLY);
    ASSERT_EQ(dup2(null, 0), 0);
    close(null);
    const std::string f = Path("f"), made = Path("new");
    struct stat st;
    auto size = [&](const std::string& p) { return stat(p.c_str(), &st) == 0 ? st.st_size : -1; };
    CBMKFile file;
    EXPECT_EQ(file.Destroy(), -1);
    char got[16];
    unsigned long n = sizeof(got), four = 4, two = 2;
    Write("f", Bytes{'1', '2', '3', '4'});
    ASSERT_TRUE(file.CreateWithMake(f.c_str(), 2, 0));  // read-write keeps the content
    EXPECT_TRUE(file.Read(got, &n) && std::string(got, n) == "1234");
    EXPECT_EQ(file.Destroy(), 0);

    ASSERT_TRUE(file.Create(f.c_str(), 0, 0, 1));
    EXPECT_FALSE(file.Flush());  // read-only: nothing to sync
    EXPECT_FALSE(file.Write("abcd", &four));
    EXPECT_EQ(four, 0u);
    long at = 3, back = -3, before = -20;
    n = sizeof(got);
    EXPECT_TRUE(file.Seek(&at, SEEK_SET) && at == 3 && file.Read(got, &n) && n == 1);  // a short read is success
    EXPECT_TRUE(file.Read(got, &n) && n == 0);
    EXPECT_TRUE(file.Seek(&back, SEEK_END) && back == 1);
    EXPECT_FALSE(file.Seek(&before, SEEK_SET));
    EXPECT_EQ(before, -1);
    EXPECT_EQ(file.Destroy(), 0);
    EXPECT_EQ(file.Destroy(), -1);  // the second time there is nothing left
    EXPECT_NE(fcntl(0, F_GETFD), -1);

    ASSERT_TRUE(file.CreateWithTrunc(f.c_str(), 1, 0, false));
    EXPECT_TRUE(file.Write("zz", &two) && two == 2 && file.Flush());
    n = sizeof(got);
    EXPECT_FALSE(file.Read(got, &n));  // opened write-only
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(file.Destroy(), 0);
    EXPECT_EQ(size(f), 2);

    // Make creates a file that is missing and leaves one that exists alone.
    EXPECT_TRUE(CBMKFile::Make(made.c_str()));
    EXPECT_TRUE(size(made) == 0 && S_ISREG(st.st_mode));
    EXPECT_TRUE(CBMKFile::Make(f.c_str()));
    EXPECT_EQ(size(f), 2);
    EXPECT_FALSE(CBMKFile::Make(Path("no/such/dir").c_str()));
    {
        OpenSpy spy(1, EACCES);  // there but not ours: still counts as made
        EXPECT_TRUE(CBMKFile::Make(Path("locked").c_str()));
    }
    EXPECT_TRUE(CBMKFile::Remove(made.c_str()));
    EXPECT_EQ(size(made), -1);
    EXPECT_FALSE(CBMKFile::Remove(made.c_str()));
}

TEST_F(BMKFileTest, SetModeMapsModesToOwnerBitsAndRefusesOthers) {
    Write("f", Bytes{'x'});
    std::string f = Path("f"), missing = Path("missing");
    ASSERT_EQ(chmod(f.c_str(), 0644), 0);
    // Modes with the permissions they leave; a refused mode leaves 0644.
    const int rows[][2] = {{3, 0644}, {-1, 0644}, {4, 0644}, {0600, 0644}, {0, 0400}, {1, 0200}, {2, 0600}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(CBMKFile::SetMode(&f[0], row[0]), row[1] != 0644);
        struct stat st;
        ASSERT_EQ(stat(f.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, static_cast<mode_t>(row[1]));
    }
    EXPECT_FALSE(CBMKFile::SetMode(&missing[0], 2));
}

}  // namespace
