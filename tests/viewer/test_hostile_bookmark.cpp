// Bookmark files that lie about themselves, through the whole green path of
// the real library: key, bookmark, show request, viewer answer, pop-up.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "../../bench/ProcessMemory.h"
#include "ViewerFixture.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"

namespace {

using vtest::TheViewer;

const char kUri[] = "vantro-hostile/rec.srf";
const char kBmk[] = "vantro-hostile/rec.bmk";

void Put32(std::vector<unsigned char>& b, std::size_t at, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// One manual bookmark whose image size claims `claimed` bytes; the file
// holds a real PNG after the header and is `fileSize` bytes long.
bool WriteLyingFile(int32_t claimed, std::size_t fileSize) {
    std::vector<unsigned char> png = vsim::DefaultThumbnail(false, 0);
    if (png.empty()) return false;
    std::vector<unsigned char> bytes(vsim::kBookmarkHeaderSize, 0);
    Put32(bytes, 4, 1);
    Put32(bytes, 760, 95);
    Put32(bytes, 2560, claimed);
    bytes.insert(bytes.end(), png.begin(), png.end());
    if (bytes.size() < fileSize) bytes.resize(fileSize, 0);
    std::ofstream out(kBmk, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

class HostileBookmarkTest : public vtest::ViewerTest {
protected:
    void SetUp() override {
        vtest::ViewerTest::SetUp();
        ASSERT_EQ(system("mkdir -p vantro-hostile"), 0);
        vsim::SetFact("svc_pvr_is_sports_mode", {"1"});
        vsim::SetFact("svc_pvr_get_record_state_by_service_id[1001]", {"2", "0"});
        vsim::SetFact("svc_pvr_get_current_recording_count", {"1"});
        vsim::SetFact("svc_pvr_get_recording_uri_by_service_id[1001]", {kUri});
        vsim::SetFact("svc_pvr_get_progress_by_service_id[1001]", {"2712", "2750"});
    }
    void TearDown() override {
        vtest::ViewerTest::TearDown();
        unlink(kBmk);
    }
};

TEST_F(HostileBookmarkTest, HugeClaimedImageDoesNotCommitItsSizeThroughThePopUp) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer maps shadow memory for every allocation; resident size is measured in the plain build";
#endif
    const long kAllowanceKiB = 64 * 1024;
    ASSERT_TRUE(TheViewer().Create());
    vclock::AdvanceAndRun(2000000);
    TheViewer().Settle();
    ASSERT_TRUE(WriteLyingFile(2000000000, 4096));

    ASSERT_TRUE(vbench::ResetPeakResident()) << "the kernel cannot reset the peak resident size";
    long baseline = vbench::StatusKiB("VmRSS");
    ASSERT_GT(baseline, 0);

    EXPECT_EQ(TheViewer().KeyDown("XF86Green"), 0);
    TheViewer().KeyUp("XF86Green");
    TheViewer().Settle();
    EXPECT_TRUE(TheViewer().PopupShown());
    vclock::AdvanceAndRun(3000000);
    TheViewer().Settle();

    long peak = vbench::StatusKiB("VmHWM");
    // The picture in the file's first bytes is still what the pop-up shows.
    const auto& journal = vsim::Journal();
    EXPECT_TRUE(std::any_of(journal.begin(), journal.end(), [](const vsim::Entry& e) {
        return e.kind == "log" && vsim::LogMessage(e) == "m_pThumbnailImage Width is [320], Height is [180].";
    }));
    EXPECT_LT(peak - baseline, kAllowanceKiB) << "baseline " << baseline << " KiB, peak " << peak << " KiB";
}

}  // namespace
