// State queries no key or message of the gadget asks, and the one order no
// key can show: the scenarios see every other answer through the real library.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SportsUtil.h"
#include "TestSupport.h"

namespace {

using Lines = std::vector<std::string>;

// PlayPause reaches the channel manager.
class StateQueryTest : public vtest::FreshChannelMgrTest {};

TEST_F(StateQueryTest, SplitScreenIsExactlyOneWhateverTheReadReturns) {
    const struct {
        vsim::Values value;
        const char* ret;
        bool on;
    } rows[] = {{{"1"}, "0", true}, {{"2"}, "0", false}, {{}, "0", false}, {{"1"}, "-1", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        vsim::ResetWorld();
        vsim::SetFact("vconf_get_int[memory/pxv/state]", row.value);
        vsim::SetFact("vconf_get_int[memory/pxv/state].ret", {row.ret});
        EXPECT_EQ(CSportsUtil::IsPXVStateON(), row.on);
    }
}

TEST_F(StateQueryTest, RecordingCountComesFromAListOfTen) {
    EXPECT_EQ(CSportsUtil::GetCurrentRecordingNum(), 0);
    vsim::SetFact("svc_pvr_get_recording_service_id_list", {"1001", "1002", "1003"});
    EXPECT_EQ(CSportsUtil::GetCurrentRecordingNum(), 3);
    EXPECT_EQ(vtest::ArgsOf("svc_pvr_get_recording_service_id_list"), (Lines{"10", "10"}));
}

// The zoomed picture goes back to full size before the pause is asked for;
// a resume names the current service and never fails.
TEST_F(StateQueryTest, PauseResetsThePictureFirstAndResumeAlwaysSucceeds) {
    EXPECT_TRUE(CSportsUtil::PlayPause());
    Lines calls = vtest::Calls();
    auto size = std::find(calls.begin(), calls.end(), "IVideoControl::SetDefaultSize 1,0");
    EXPECT_NE(std::find(size, calls.end(), "svc_pvr_play_pause_by_service_id 1001"), calls.end());

    vsim::SetFact("svc_pvr_play_resume_by_service_id.ret", {"-1"});
    vsim::SetFact("ISourceControl::GetCurrentSourceInfo", {"36"});
    EXPECT_TRUE(CSportsUtil::PlayResume());
    EXPECT_EQ(vtest::ArgsOf("svc_pvr_play_resume_by_service_id"), Lines{"4294967294"});
}

}  // namespace
