// The PVR service keeps writing a recording's bookmark file while the gadget
// reads it. Here the file is changed at the worst moments of a read: this
// test binary stands in for read(2), and after the reader's header read (or
// before it) rewrites, truncates, replaces or removes the file through a path
// of its own. The reader must answer a clean false or a record made of the
// header it read and exactly the bytes its descriptor then found.
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "SportsUtil.h"
#include "TestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;
using ReadFn = ssize_t (*)(int, void*, size_t);

// ---- the stand-in for read(2) ------------------------------------------------

// When armed, reads of the watched path are counted; `change` runs once,
// right before that path's read number `beforeRead` (1 = the header read).
struct ReadWatch {
    std::atomic<bool> armed{false};
    std::string path;
    int fd = -1;
    int reads = 0;
    int beforeRead = 0;
    std::function<void()> change;
};

ReadWatch& Watch() {
    static ReadWatch watch;
    return watch;
}

ReadFn RealRead() {
    static ReadFn fn = reinterpret_cast<ReadFn>(dlsym(RTLD_NEXT, "read"));
    return fn;
}

bool IsWatchedPath(int fd, const std::string& path) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    ssize_t n = readlink(link, target, sizeof target - 1);
    if (n < 0) return false;
    target[n] = '\0';
    return path == target;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ssize_t read(int fd, void* buffer, size_t length) {
    ReadWatch& w = Watch();
    if (w.armed.load()) {
        if (w.fd < 0 && IsWatchedPath(fd, w.path)) w.fd = fd;
        if (fd == w.fd && ++w.reads == w.beforeRead && w.change) {
            std::function<void()> change;
            change.swap(w.change);
            change();
        }
    }
    return RealRead()(fd, buffer, length);
}

namespace {

// ---- bookmark files, laid out here byte by byte ------------------------------

using namespace vtest::bmk;
using vtest::Put32;

struct Mark {
    bool isAuto;
    int32_t time;
    int32_t extra;
    std::size_t imageSize;
    unsigned char seed;  // image bytes are seed, seed+1, ... (never zero)
};

Bytes ImageOf(const Mark& m) {
    Bytes b(m.imageSize);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<unsigned char>((m.seed + i) % 255 + 1);
    return b;
}

Bytes FileOf(const std::vector<Mark>& marks) {
    Bytes b(kHeader, 0);
    Put32(b, kCount, static_cast<int32_t>(marks.size()));
    for (std::size_t i = 0; i < marks.size(); ++i) {
        b[kIsAuto + i] = marks[i].isAuto ? 1 : 0;
        Put32(b, kTime + 4 * i, marks[i].time);
        Put32(b, kExtra + 4 * i, marks[i].extra);
        Put32(b, kSize + 4 * i, static_cast<int32_t>(marks[i].imageSize));
    }
    for (const Mark& m : marks) {
        Bytes image = ImageOf(m);
        b.insert(b.end(), image.begin(), image.end());
    }
    return b;
}

// What the file held before each change: three bookmarks, the latest
// automatic at 415 s with its 300-byte image at 3460.
const std::vector<Mark> kBefore = {{false, 120, 1, 100, 10}, {false, 300, 2, 200, 60}, {true, 415, 7, 300, 90}};
const std::size_t kLatestAt = kHeader + 100 + 200;
const std::size_t kLatestSize = 300;

bool WriteAll(const std::string& path, const Bytes& bytes, int flags) {
    int fd = open(path.c_str(), O_WRONLY | flags, 0644);
    if (fd < 0) return false;
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return close(fd) == 0 && ok;
}

enum class Moment { BeforeHeader, BetweenHeaderAndImage };

struct Change {
    const char* what;
    Moment when;
    // Changes the file at `path` (in directory `dir`).
    std::function<void(const std::string& path, const std::string& dir)> apply;
    // The bytes the reader's descriptor sees from then on; ignored when the
    // read is to fail.
    std::function<Bytes()> seen;
    bool succeeds;
};

Bytes Truncated(std::size_t n) {
    Bytes b = FileOf(kBefore);
    b.resize(n);
    return b;
}

// clang-format off
const Change kChanges[] = {
    {"truncated to nothing after the header", Moment::BetweenHeaderAndImage,
     [](const std::string& p, const std::string&) { ASSERT_EQ(truncate(p.c_str(), 0), 0); }, [] { return Bytes(); },
     true},
    {"truncated before the latest image", Moment::BetweenHeaderAndImage,
     [](const std::string& p, const std::string&) { ASSERT_EQ(truncate(p.c_str(), 3300), 0); },
     [] { return Truncated(3300); }, true},
    {"truncated inside the latest image", Moment::BetweenHeaderAndImage,
     [](const std::string& p, const std::string&) { ASSERT_EQ(truncate(p.c_str(), kLatestAt + 120), 0); },
     [] { return Truncated(kLatestAt + 120); }, true},
    {"a fourth bookmark appended in place", Moment::BetweenHeaderAndImage,
     [](const std::string& p, const std::string&) {
         std::vector<Mark> more = kBefore;
         more.push_back({false, 500, 9, 4000, 200});
         ASSERT_TRUE(WriteAll(p, FileOf(more), 0));
     },
     [] {
         std::vector<Mark> more = kBefore;
         more.push_back({false, 500, 9, 4000, 200});
         return FileOf(more);
     },
     true},
    {"rewritten in place with another, shorter list", Moment::BetweenHeaderAndImage,
     [](const std::string& p, const std::string&) {
         ASSERT_TRUE(WriteAll(p, FileOf({{true, 5, 0, 250, 33}}), O_TRUNC));
     },
     [] {
         return FileOf({{true, 5, 0, 250, 33}});
     },
     true},
    {"rewritten in place with a list whose images lie further out", Moment::BetweenHeaderAndImage,
     [](const std::string& p, const std::string&) {
         ASSERT_TRUE(WriteAll(p, FileOf({{true, 5, 0, 5000, 44}, {false, 6, 0, 70, 45}}), O_TRUNC));
     },
     [] {
         return FileOf({{true, 5, 0, 5000, 44}, {false, 6, 0, 70, 45}});
     },
     true},
    {"replaced by a new file renamed over it", Moment::BetweenHeaderAndImage,
     [](const std::string& p, const std::string& dir) {
         std::string temp = dir + "/rec.bmk.part";
         ASSERT_TRUE(WriteAll(temp, FileOf({{false, 1, 1, 64, 1}}), O_CREAT | O_TRUNC));
         ASSERT_EQ(rename(temp.c_str(), p.c_str()), 0);
     },
     [] { return FileOf(kBefore); }, true},
    {"removed", Moment::BetweenHeaderAndImage,
     [](const std::string& p, const std::string&) { ASSERT_EQ(unlink(p.c_str()), 0); }, [] { return FileOf(kBefore); },
     true},
    {"emptied before the header is read", Moment::BeforeHeader,
     [](const std::string& p, const std::string&) { ASSERT_EQ(truncate(p.c_str(), 0), 0); }, nullptr, false},
    {"cut inside the size table before the header is read", Moment::BeforeHeader,
     [](const std::string& p, const std::string&) { ASSERT_EQ(truncate(p.c_str(), 2000), 0); }, nullptr, false},
};
// clang-format on

void PrintTo(const Change& change, std::ostream* os) { *os << change.what; }

class ChangingBookmarkFileTest : public vtest::SimTest, public ::testing::WithParamInterface<Change> {
protected:
    void SetUp() override {
        vtest::SimTest::SetUp();
        char templ[] = "/tmp/vantro-bmk-changing-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir_ = templ;
        ASSERT_TRUE(WriteAll(Bmk(), FileOf(kBefore), O_CREAT | O_TRUNC));
        record_ = new stBookmarkThumbnail;
        record_->pImageBuffer = nullptr;
        record_->iImageSize = -99;
    }
    void TearDown() override {
        Watch().armed = false;
        Watch().change = nullptr;
        delete[] record_->pImageBuffer;
        delete record_;
        std::string cmd = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string Bmk() const { return dir_ + "/rec.bmk"; }

    std::string dir_;
    stBookmarkThumbnail* record_ = nullptr;
};

TEST_P(ChangingBookmarkFileTest, ReaderAnswersFromTheHeaderItReadAndTheBytesItFound) {
    const Change& change = GetParam();
    ReadWatch& w = Watch();
    w.path = Bmk();
    w.fd = -1;
    w.reads = 0;
    w.beforeRead = change.when == Moment::BeforeHeader ? 1 : 2;
    const std::string dir = dir_;
    const std::string path = Bmk();
    bool changed = false;
    w.change = [&] {
        change.apply(path, dir);
        changed = true;
    };
    w.armed = true;
    bool ok = CSportsUtil::GetLatestBookmark(dir_ + "/rec.srf", record_);
    w.armed = false;
    ASSERT_TRUE(changed) << "the file was never changed under the reader";
    ASSERT_FALSE(HasFatalFailure());

    if (!change.succeeds) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(record_->pImageBuffer, nullptr);
        EXPECT_EQ(record_->iImageSize, -99);
        return;
    }
    ASSERT_TRUE(ok);
    // Fields and size come from the header as it was read, never from the new one.
    EXPECT_TRUE(record_->bIsAuto);
    EXPECT_EQ(record_->lHighlightTime, 415);
    EXPECT_EQ(record_->lBookmarkExtra, 7);
    ASSERT_EQ(record_->iImageSize, static_cast<int>(kLatestSize));
    ASSERT_NE(record_->pImageBuffer, nullptr);

    Bytes seen = change.seen();
    Bytes expected(kLatestSize + 1, 0);
    for (std::size_t i = 0; i < kLatestSize && kLatestAt + i < seen.size(); ++i) expected[i] = seen[kLatestAt + i];
    Bytes got(record_->pImageBuffer, record_->pImageBuffer + kLatestSize + 1);
    EXPECT_EQ(got, expected);
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangingBookmarkFileTest, ::testing::ValuesIn(kChanges),
                         [](const ::testing::TestParamInfo<Change>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

// The untouched file through the same stand-in: the watch itself changes nothing.
TEST_F(ChangingBookmarkFileTest, UnchangedFileGivesTheLatestImageExactly) {
    ReadWatch& w = Watch();
    w.path = Bmk();
    w.fd = -1;
    w.reads = 0;
    w.beforeRead = 0;
    w.armed = true;
    ASSERT_TRUE(CSportsUtil::GetLatestBookmark(dir_ + "/rec.srf", record_));
    w.armed = false;
    EXPECT_EQ(w.reads, 2) << "one header read and one image read";
    Bytes want = ImageOf(kBefore[2]);
    EXPECT_EQ(Bytes(record_->pImageBuffer, record_->pImageBuffer + record_->iImageSize), want);
}

}  // namespace
