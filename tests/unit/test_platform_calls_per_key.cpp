// The platform calls of each key decision, call by call: every query is asked
// afresh, but none more often than the decision needs and none it does not
// need. A drifting count is a fault (a doubled query costs a round trip to a
// platform service on every key press).

#include "../../bench/KeyPaths.h"
#include "../../bench/RealClock.h"
#include "PVRChannelMgr.h"
#include "SportsUGMgr.h"
#include "TestSupport.h"
#include "UgData.h"
#include "VirtualClock.h"
#include "bookmark_writer.h"
#include "tv_viewer_kevent.h"

namespace {

using vbench::Calls;
using vbench::KeyPath;

class PlatformCallsPerKey : public vtest::SimTest {
protected:
    void SetUp() override {
        vtest::SimTest::SetUp();
        data = new UgData{};
        data->pMgr = CSportsUGMgr::Get();
        ASSERT_NE(data->pMgr, nullptr);
        ASSERT_TRUE(data->pMgr->Create(vtest::Window(), nullptr));
        RegisterKeyEventCB(&data);
        // The channel manager is created once per process; its creation is not a key's cost.
        CPVRChannelMgr::GetChannelMgrInstance();
        PastDebounce();
    }
    void TearDown() override {
        ReleaseUGResource(data);
        delete data;
    }
    // Moves the clocks past every key debounce without running the loop.
    static void PastDebounce() { vclock::SetUs(vclock::NowUs() + 1000 * 1000); }

    // Key-down through the key-event service, as the viewer offers it.
    Calls Press(const KeyPath& path, int* verdict) {
        vsim::ClearJournal();
        *verdict = vsim::DispatchKey(TV_VIEWER_KEVENT_KEY_DOWN, path.key);
        return vbench::JournaledCalls();
    }
    UgData* data = nullptr;
};

// Each path's calls exactly; a second press asks the same again (nothing is
// cached, no first-press-only call hides in a path); the key-up asks nothing
// and repeats the verdict.
TEST_F(PlatformCallsPerKey, EachDecisionMakesExactlyItsCallsEveryTime) {
    for (const KeyPath& path : vbench::Paths()) {
        SCOPED_TRACE(path.name);
        vsim::ResetWorld();
        path.world();
        PastDebounce();
        int verdict = -1, again = -1;
        EXPECT_EQ(Press(path, &verdict), path.expected());
        EXPECT_EQ(verdict, path.verdict);
        PastDebounce();
        EXPECT_EQ(Press(path, &again), path.expected());
        EXPECT_EQ(again, verdict);
        vsim::ClearJournal();
        EXPECT_EQ(vsim::DispatchKey(TV_VIEWER_KEVENT_KEY_UP, path.key), verdict);
        EXPECT_TRUE(vbench::JournaledCalls().empty());
    }
}

TEST_F(PlatformCallsPerKey, DebouncedRepeatStopsBeforeTheRequest) {
    // Within the debounce a repeat must not reach the request its path leads to.
    for (const char* key : {"XF86AudioPause", "XF86Green", "XF86Red", "XF86Yellow"}) {
        SCOPED_TRACE(key);
        vsim::ResetWorld();
        vbench::SportsRecordingWorld();
        PastDebounce();
        vsim::DispatchKey(TV_VIEWER_KEVENT_KEY_DOWN, key);
        vclock::SetUs(vclock::NowUs() + 100 * 1000);
        vsim::ClearJournal();
        vsim::DispatchKey(TV_VIEWER_KEVENT_KEY_DOWN, key);
        for (const vbench::Call& call : vbench::JournaledCalls()) {
            EXPECT_NE(call.first, "aul_launch_app_async");
            EXPECT_NE(call.first, "svc_pvr_set_bookmark");
            EXPECT_NE(call.first, "svc_pvr_play_pause_by_service_id");
            EXPECT_NE(call.first, "app_control_send_launch_request");
        }
    }
}

}  // namespace

// The percentiles the latency figures are reported with: nearest rank, so a
// 99th percentile of 100 samples is the 99th smallest, never the largest.
TEST(BenchQuantile, NearestRank) {
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    struct Case {
        std::vector<double> samples;
        double q;
        double expected;
    } cases[] = {
        {hundred, 0.50, 50}, {hundred, 0.99, 99}, {hundred, 1.0, 100}, {hundred, 0.0, 1},
        {{7}, 0.99, 7},      {{3, 1, 2}, 0.5, 2}, {{}, 0.5, 0},
    };
    for (Case& c : cases) {
        std::size_t n = c.samples.size();
        EXPECT_EQ(vbench::Quantile(c.samples, c.q), c.expected) << "q=" << c.q << " n=" << n;
    }
}

namespace {

using vbench::operator+;

// The viewer's "show" after green: the recording's URI once, then the pop-up,
// which asks the orientation where it mirrors its bar and where it mirrors
// its layout.
TEST_F(PlatformCallsPerKey, PopupShowMakesExactlyItsCalls) {
    const std::string uri = "calls_per_key_rec_01.srf";  // in the build tree, the working directory
    ASSERT_TRUE(vsim::WriteBookmarkFile(vsim::BookmarkPathFor(uri), {"manual:75"}));
    vsim::ResetWorld();
    vbench::SportsRecordingWorld(uri);
    vsim::ClearJournal();
    ASSERT_EQ(data->pMgr->ProcessUGEvent(UG_EVENT_SHOW), 1);
    const Calls expected = Calls{{"svc_pvr_is_sports_mode", ""}} + vbench::ServiceId() +
                           Calls{{"svc_pvr_get_recording_uri_by_service_id", "1001"},
                                 {"utilx_set_window_opaque_state", "0 0"},
                                 {"ua_UI_orientation_get", ""},
                                 {"ua_UI_orientation_get", ""}};
    EXPECT_EQ(vbench::JournaledCalls(), expected);
    EXPECT_TRUE(data->pMgr->m_IsBookmarkWndShow());
}

}  // namespace
