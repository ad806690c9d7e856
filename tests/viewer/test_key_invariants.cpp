// Randomized, seeded interleavings of keys, viewer messages, PVR results,
// time, lifecycle calls and platform facts through the real library. After
// every step the gadget must still keep its promises.
#include <map>
#include <random>
#include <string>
#include <vector>

#include "TimerJournal.h"
#include "ViewerFixture.h"
#include "VirtualClock.h"
#include "tv_viewer_kevent.h"

namespace {

using vtest::TheViewer;

// clang-format off
const char* const kKeys[] = {"XF86Red", "XF86Green", "XF86Yellow", "Return", "XF86Back", "XF86Exit",
                             "XF86AudioRecord", "XF86AudioPause", "XF86AudioPlay", "XF86AudioStop",
                             "XF86AudioNext", "XF86AudioRewind", "Left", "Right", "XF86Blue", "Up", "5", ""};
// clang-format on
const char* const kCommands[] = {"show", "hide", "enter", "exit", "e", "sh", "bogus", ""};

struct Fact {
    const char* name;
    std::vector<std::vector<std::string>> choices;
};

// clang-format off
const Fact kFacts[] = {
    {"svc_pvr_is_sports_mode", {{"0"}, {"1"}, {"1"}}},
    {"svc_pvr_get_record_state_by_service_id", {{"0", "0"}, {"2", "0"}, {"2", "1"}}},
    {"svc_pvr_is_timeshifting", {{"0"}, {"1"}}},
    {"svc_pvr_get_play_state_by_service_id", {{"1"}, {"2"}}},
    {"svc_pvr_get_highlight_player_flag", {{"0"}, {"1"}}},
    {"svc_pvr_is_highlight_player_available", {{"0"}, {"1"}}},
    {"svc_pvr_get_current_recording_count", {{"0"}, {"1"}, {"2"}}},
    {"ISourceControl::GetCurrentSourceInfo[1,0]", {{"0"}, {"1"}, {"29"}, {"4"}}},
    {"app_control_create.ret", {{"0"}, {"0"}, {"-12"}}},
    {"svc_pvr_get_recording_uri_by_service_id.ret", {{"0"}, {"-1"}}},
    {"svc_pvr_get_recording_uri_by_service_id", {{"vantro-invariants/rec.srf"}}},
};
// clang-format on

class KeyInvariantsTest : public vtest::ViewerTest, public ::testing::WithParamInterface<unsigned> {};

// Pending gadget timers grouped by callback: one of each kind at most.
void ExpectAtMostOneTimerOfEachKind(int step) {
    std::map<const void*, int> kinds;
    for (const tvsim::PendingTimer& t : tvsim::PendingGadgetTimers()) ++kinds[t.callback];
    for (const auto& kind : kinds) ASSERT_LE(kind.second, 1) << "step " << step;
}

void ExpectNothingLeft(int step) {
    ASSERT_EQ(vsim::KeyHandlerCount(), 0u) << "step " << step;
    ASSERT_EQ(vsim::PvrCallbackCount(), 0u) << "step " << step;
    ASSERT_EQ(tvsim::PendingGadgetTimerCount(), 0u) << "step " << step;
}

TEST_P(KeyInvariantsTest, EveryKeyGetsOneVerdictAndNothingLeaksAcrossDestroy) {
    std::mt19937 rng(GetParam());
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    bool created = false;
    const int kSteps = 1500;
    for (int step = 0; step < kSteps; ++step) {
        std::size_t before = vsim::JournalSize();
        switch (pick(10)) {
            case 0:
            case 1:
            case 2: {
                const char* key = kKeys[pick(sizeof kKeys / sizeof *kKeys)];
                int down = TheViewer().KeyDown(key);
                int up = TheViewer().KeyUp(key);
                ASSERT_EQ(up, down) << "step " << step << " key '" << key << "'";
                int verdicts = 0;
                for (const vsim::Entry& e : vsim::JournalSince(before))
                    if (e.kind == "key") ++verdicts;
                ASSERT_EQ(verdicts, 2) << "step " << step;
                break;
            }
            case 3:
                TheViewer().Message({{pick(4) ? "cmd" : "sportsmodezoom", kCommands[pick(8)]}});
                break;
            case 4:
                TheViewer().PvrResult(pick(2) ? 1 : 3, pick(3) ? 0 : -1);
                break;
            case 5:
            case 6:
                vclock::AdvanceAndRun(static_cast<long long>(pick(3000)) * 1000);
                break;
            case 7: {
                const Fact& fact = kFacts[pick(sizeof kFacts / sizeof *kFacts)];
                vsim::SetFact(fact.name, fact.choices[pick(fact.choices.size())]);
                break;
            }
            case 8:
                if (pick(3) == 0) {
                    TheViewer().Destroy();
                    created = false;
                    ExpectNothingLeft(step);
                } else if (!created || pick(4) == 0) {
                    created = TheViewer().Create();
                } else {
                    TheViewer().Pause();
                }
                break;
            default:
                TheViewer().Settle();
                break;
        }
        TheViewer().Settle();
        ExpectAtMostOneTimerOfEachKind(step);
        if (::testing::Test::HasFatalFailure()) return;
        if (step % 200 == 0) vsim::ClearJournal();
    }
    TheViewer().Destroy();
    ExpectNothingLeft(kSteps);
}

INSTANTIATE_TEST_SUITE_P(Seeds, KeyInvariantsTest, ::testing::Values(1u, 7u, 42u, 2026u));

}  // namespace
