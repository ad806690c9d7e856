// The recording's URI handed to the PVR service with a manual highlight:
// a 256-byte buffer, so 255 characters go whole and longer ones are cut there.
#include <string>
#include <vector>

#include "ViewerFixture.h"
#include "VirtualClock.h"

namespace {

using vtest::TheViewer;

class BookmarkUriTest : public vtest::ViewerTest {};

TEST_F(BookmarkUriTest, UriIsHandedOnUpTo255Characters) {
    for (std::size_t length : {254u, 255u, 256u, 400u}) {
        SCOPED_TRACE(length);
        vsim::ResetWorld();
        const std::string uri = "vantro-uri/" + std::string(length - 15, 'u') + ".srf";
        ASSERT_EQ(uri.size(), length);
        vsim::SetSportsRecording(uri);
        vsim::SetFact("svc_pvr_get_progress_by_service_id[1001]", {"61", "70"});
        ASSERT_TRUE(TheViewer().Create());
        vclock::AdvanceAndRun(2000000);
        const std::size_t since = vsim::JournalSize();
        EXPECT_EQ(TheViewer().KeyDown("XF86Green"), 0);
        TheViewer().KeyUp("XF86Green");
        std::vector<std::string> bookmarks;
        for (const auto& e : vsim::JournalSince(since))
            if (e.kind == "pvr" && e.name == "svc_pvr_set_bookmark") bookmarks.push_back(e.text);
        EXPECT_EQ(bookmarks, std::vector<std::string>{uri.substr(0, 255) + " 61"});
        TheViewer().Destroy();
    }
}

}  // namespace
