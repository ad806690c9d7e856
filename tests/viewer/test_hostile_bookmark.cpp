// A bookmark file that lies about itself, through the whole green path of
// the real library: key, bookmark, show request, viewer answer, pop-up.
#include <sys/resource.h>
#include <unistd.h>

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

// A 32-bit viewer has about 3 GiB of address space, which a limit reproduces
// anywhere. The claim costs none of it, nor resident memory: the pop-up shows
// the picture in the file's first bytes and hides 15 s later.
TEST_F(HostileBookmarkTest, HugeClaimedImageNeedsNoAddressSpaceForItsClaim) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer maps shadow memory for every allocation; the claim is tried in the plain build";
#endif
    const rlim_t kLimit = 1000000000;  // what `ulimit -v 1000000` gives a viewer
    ASSERT_TRUE(TheViewer().Create());
    vclock::AdvanceAndRun(2000000);
    TheViewer().Settle();
    const std::size_t since = vsim::JournalSize();
    ASSERT_TRUE(vbench::ResetPeakResident()) << "the kernel cannot reset the peak resident size";
    const long baseline = vbench::StatusKiB("VmRSS");
    ASSERT_GT(baseline, 0);

    rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    rlimit limited = old;
    // An emulator's or checker's own mappings may leave no room for the limit.
    if (static_cast<rlim_t>(vbench::StatusKiB("VmSize")) * 1024 <= kLimit / 2) limited.rlim_cur = kLimit;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    const int verdict = TheViewer().KeyDown("XF86Green");
    TheViewer().KeyUp("XF86Green");
    TheViewer().Settle();
    const bool shown = TheViewer().PopupShown();
    vclock::AdvanceAndRun(15000000);
    TheViewer().Settle();
    ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
    const long peak = vbench::StatusKiB("VmHWM");

    EXPECT_EQ(verdict, 0);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(TheViewer().PopupShown());
    EXPECT_LT(peak - baseline, 64 * 1024) << "baseline " << baseline << " KiB, peak " << peak << " KiB";
    std::vector<std::string> results, pictures;
    for (const auto& e : vsim::JournalSince(since)) {
        if (e.kind == "result") results.push_back(e.text);
        if (e.kind != "log") continue;
        EXPECT_EQ(vsim::LogMessage(e).find("failed to allocate"), std::string::npos) << vsim::LogMessage(e);
        if (vsim::LogMessage(e).rfind("m_pThumbnailImage Width", 0) == 0) pictures.push_back(vsim::LogMessage(e));
    }
    EXPECT_EQ(results, (std::vector<std::string>{"show pvrsportsmode", "hide pvrsportsmode"}));
    EXPECT_EQ(pictures, std::vector<std::string>{"m_pThumbnailImage Width is [320], Height is [180]."});
}

}  // namespace
