// A bookmark file that lies about itself, through the whole green path of
// the real library: key, bookmark, show request, viewer answer, pop-up.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

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

// A 32-bit viewer has about 3 GiB of address space in all; an address-space
// limit shows the same shortage on any machine. The claim must cost none of
// it: the pop-up shows the picture and is hidden again 15 s later.
TEST_F(HostileBookmarkTest, HugeClaimedImageNeedsNoAddressSpaceForItsClaim) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer reserves terabytes of address space; the limit is tried in the plain build";
#endif
    const rlim_t kLimit = 1000000000;  // what `ulimit -v 1000000` gives a viewer
    const long sizeKiB = vbench::StatusKiB("VmSize");
    ASSERT_GT(sizeKiB, 0);
    if (static_cast<rlim_t>(sizeKiB) * 1024 > kLimit / 2)
        GTEST_SKIP() << "this process already maps " << sizeKiB << " KiB (an emulator's or checker's own)";
    ASSERT_TRUE(TheViewer().Create());
    vclock::AdvanceAndRun(2000000);
    TheViewer().Settle();
    const std::size_t since = vsim::JournalSize();

    rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = kLimit;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    const int verdict = TheViewer().KeyDown("XF86Green");
    TheViewer().KeyUp("XF86Green");
    TheViewer().Settle();
    const bool shown = TheViewer().PopupShown();
    vclock::AdvanceAndRun(15000000);
    TheViewer().Settle();
    ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);

    EXPECT_EQ(verdict, 0);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(TheViewer().PopupShown());
    std::vector<std::string> results;
    for (const auto& e : vsim::JournalSince(since))
        if (e.kind == "result") results.push_back(e.text);
    EXPECT_EQ(results, (std::vector<std::string>{"show pvrsportsmode", "hide pvrsportsmode"}));
    for (const auto& e : vsim::JournalSince(since))
        EXPECT_FALSE(e.kind == "log" && vsim::LogMessage(e).find("failed to allocate") != std::string::npos)
            << vsim::LogMessage(e);
}

}  // namespace
