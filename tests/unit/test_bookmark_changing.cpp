// The PVR service keeps writing a recording's bookmark file while the gadget
// reads it. Here the file is changed at the worst moments of a read: this
// test binary stands in for read(2), and before the reader's header read or
// its image read rewrites, truncates, replaces or removes the file through a
// path of its own. The reader must answer a clean false or a record made of
// the header it read and exactly the bytes its descriptor then found.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "SportsUtil.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;
using namespace vtest::bmk;

struct Mark {
    bool isAuto;
    int32_t time;
    int32_t extra;
    std::size_t imageSize;
    unsigned char seed;  // image bytes are seed, seed+1, ... (never zero)
};

Bytes FileOf(const std::vector<Mark>& marks) {
    Bytes b(kHeader, 0);
    vtest::Put32(b, kCount, static_cast<int32_t>(marks.size()));
    for (std::size_t i = 0; i < marks.size(); ++i) {
        b[kIsAuto + i] = marks[i].isAuto ? 1 : 0;
        vtest::Put32(b, kTime + 4 * i, marks[i].time);
        vtest::Put32(b, kExtra + 4 * i, marks[i].extra);
        vtest::Put32(b, kSize + 4 * i, static_cast<int32_t>(marks[i].imageSize));
    }
    for (const Mark& m : marks)
        for (std::size_t i = 0; i < m.imageSize; ++i) b.push_back(static_cast<unsigned char>((m.seed + i) % 255 + 1));
    return b;
}

// What the file held before each change: three bookmarks, the latest
// automatic at 415 s with its 300-byte image at 3460.
const std::vector<Mark> kBefore = {{false, 120, 1, 100, 10}, {false, 300, 2, 200, 60}, {true, 415, 7, 300, 90}};
const std::size_t kLatestAt = kHeader + 100 + 200;
const std::size_t kLatestSize = 300;

bool WriteAll(const std::string& path, const Bytes& bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return close(fd) == 0 && ok;
}

enum class Op { None, Truncate, Rewrite, Replace, Remove };

struct Change {
    const char* what;
    int beforeRead;  // 1: the header read, 2: the image read
    Op op;
    std::size_t cut;          // Truncate: the new length
    std::vector<Mark> marks;  // Rewrite and Replace: the new list
    bool succeeds;
};

// The bytes the reader's descriptor sees after the change: a replaced or
// removed file stays open as it was.
Bytes Seen(const Change& c) {
    Bytes b = FileOf(c.op == Op::Rewrite ? c.marks : kBefore);
    if (c.op == Op::Truncate) b.resize(c.cut);
    return b;
}

void Apply(const Change& c, const std::string& path) {
    switch (c.op) {
        case Op::None:
            break;
        case Op::Truncate:
            ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(c.cut)), 0);
            break;
        case Op::Rewrite:
            ASSERT_TRUE(WriteAll(path, FileOf(c.marks)));
            break;
        case Op::Replace:
            ASSERT_TRUE(WriteAll(path + ".part", FileOf(c.marks)));
            ASSERT_EQ(rename((path + ".part").c_str(), path.c_str()), 0);
            break;
        case Op::Remove:
            ASSERT_EQ(unlink(path.c_str()), 0);
            break;
    }
}

// ---- the stand-in for read(2) ------------------------------------------------

// While a change is armed, reads of its path are counted, and the change is
// applied once, right before the read it names.
struct ReadWatch {
    const Change* change = nullptr;
    std::string path;
    int fd = -1;
    int reads = 0;
    bool applied = false;
} g_watch;

using ReadFn = ssize_t (*)(int, void*, size_t);

bool IsWatchedPath(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    ssize_t n = readlink(link, target, sizeof target - 1);
    if (n < 0) return false;
    target[n] = '\0';
    return g_watch.path == target;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ssize_t read(int fd, void* buffer, size_t length) {
    static ReadFn real = reinterpret_cast<ReadFn>(dlsym(RTLD_NEXT, "read"));
    if (g_watch.change) {
        if (g_watch.fd < 0 && IsWatchedPath(fd)) g_watch.fd = fd;
        if (fd == g_watch.fd && ++g_watch.reads == g_watch.change->beforeRead && !g_watch.applied) {
            g_watch.applied = true;
            Apply(*g_watch.change, g_watch.path);
        }
    }
    return real(fd, buffer, length);
}

namespace {

// clang-format off
const Change kChanges[] = {
    // The watch itself changes nothing, and sees exactly two reads.
    {"unchanged", 2, Op::None, 0, {}, true},
    {"truncated to nothing after the header", 2, Op::Truncate, 0, {}, true},
    {"truncated before the latest image", 2, Op::Truncate, 3300, {}, true},
    {"truncated inside the latest image", 2, Op::Truncate, kLatestAt + 120, {}, true},
    {"a fourth bookmark appended in place", 2, Op::Rewrite, 0,
     {kBefore[0], kBefore[1], kBefore[2], {false, 500, 9, 4000, 200}}, true},
    {"rewritten in place with another, shorter list", 2, Op::Rewrite, 0, {{true, 5, 0, 250, 33}}, true},
    {"rewritten in place with a list whose images lie further out", 2, Op::Rewrite, 0,
     {{true, 5, 0, 5000, 44}, {false, 6, 0, 70, 45}}, true},
    {"replaced by a new file renamed over it", 2, Op::Replace, 0, {{false, 1, 1, 64, 1}}, true},
    {"removed", 2, Op::Remove, 0, {}, true},
    {"emptied before the header is read", 1, Op::Truncate, 0, {}, false},
    {"cut inside the size table before the header is read", 1, Op::Truncate, 2000, {}, false},
};
// clang-format on

class ChangingBookmarkFileTest : public vtest::SimTest {
protected:
    void SetUp() override {
        vtest::SimTest::SetUp();
        // Absolute: the watch knows the file by the path the reader opens.
        const char* tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantro-bmk-changing-XXXXXX";
        ASSERT_NE(mkdtemp(&templ[0]), nullptr);
        dir_ = templ;
    }
    void TearDown() override {
        g_watch.change = nullptr;
        ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
    }
    std::string dir_;
};

TEST_F(ChangingBookmarkFileTest, ReaderAnswersFromTheHeaderItReadAndTheBytesItFound) {
    for (const Change& change : kChanges) {
        SCOPED_TRACE(change.what);
        g_watch = ReadWatch{};
        g_watch.path = dir_ + "/rec.bmk";
        ASSERT_TRUE(WriteAll(g_watch.path, FileOf(kBefore)));
        stBookmarkThumbnail record;
        stBookmarkThumbnail* out = &record;
        record.pImageBuffer = nullptr;
        record.iImageSize = -99;
        g_watch.change = &change;
        bool ok = CSportsUtil::GetLatestBookmark(dir_ + "/rec.srf", out);
        g_watch.change = nullptr;
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(g_watch.applied) << "the file was never changed under the reader";
        if (change.op == Op::None) {
            EXPECT_EQ(g_watch.reads, 2) << "one header read and one image read";
        }

        if (!change.succeeds) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(record.pImageBuffer, nullptr);
            EXPECT_EQ(record.iImageSize, -99);
            continue;
        }
        ASSERT_TRUE(ok);
        // Fields and size come from the header as it was read, never from the new one.
        EXPECT_TRUE(record.bIsAuto);
        EXPECT_EQ(record.lHighlightTime, 415);
        EXPECT_EQ(record.lBookmarkExtra, 7);
        ASSERT_EQ(record.iImageSize, static_cast<int>(kLatestSize));
        ASSERT_NE(record.pImageBuffer, nullptr);
        Bytes seen = Seen(change);
        Bytes expected(kLatestSize + 1, 0);
        for (std::size_t i = 0; i < kLatestSize && kLatestAt + i < seen.size(); ++i) expected[i] = seen[kLatestAt + i];
        Bytes got(record.pImageBuffer, record.pImageBuffer + kLatestSize + 1);
        free(record.pImageBuffer);
        EXPECT_EQ(got, expected);
    }
}

}  // namespace
