// A bookmark file that lies about itself, through the whole green path of
// the real library: key, bookmark, show request, viewer answer, pop-up.
#include <unistd.h>

#include <algorithm>

#include "../../bench/ProcessMemory.h"
#include "ViewerFixture.h"
#include "VirtualClock.h"

namespace {

using vtest::TheViewer;

const char kUri[] = "vantro-hostile/rec.srf";
const char kBmk[] = "vantro-hostile/rec.bmk";

class HostileBookmarkTest : public vtest::ViewerTest {
protected:
    void SetUp() override {
        vtest::ViewerTest::SetUp();
        ASSERT_EQ(system("mkdir -p vantro-hostile"), 0);
        vsim::SetSportsRecording(kUri);
        vsim::SetFact("svc_pvr_get_progress_by_service_id[1001]", {"2712", "2750"});
        // The bookmark green sets states 2,000,000,000 image bytes for its PNG.
        vsim::SetFact("svc_pvr_set_bookmark.claim", {"2000000000"});
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
