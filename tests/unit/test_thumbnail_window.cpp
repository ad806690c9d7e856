// The pop-up's own operations, also as the manager never calls them: no
// time, a type the manager never passes, a record without a picture, keys at
// the layout, and the window base whose state every window shares.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "BookmarkThumbnailWnd.h"
#include "TestSupport.h"
#include "VirtualClock.h"

namespace {

// A window whose hooks answer as told.
class AnsweringWindow : public CWindowBase {
public:
    bool create = true;
    bool show = true;
    int destroyed = 0;

protected:
    bool t_Create(Evas_Object*) override { return create; }
    void t_Destroy() override { ++destroyed; }
    bool t_Show() override { return show; }
};

TEST(WindowBaseTest, RecordsWhatItsHooksAnswer) {
    Evas_Object* parent = vtest::Window();
    CWindowBase plain;
    plain.Create(parent);
    EXPECT_TRUE(plain.FlagCreate());
    EXPECT_TRUE(plain.Show());
    plain.Hide();
    EXPECT_TRUE(plain.FlagCreate());  // hidden is still made
    plain.Destroy();
    EXPECT_FALSE(plain.FlagCreate());
    EXPECT_EQ(plain.GetParentObject(), nullptr);

    AnsweringWindow refusing;
    refusing.create = refusing.show = false;
    refusing.Create(parent);
    EXPECT_FALSE(refusing.FlagCreate());
    EXPECT_EQ(refusing.GetParentObject(), parent);  // kept: stored before the hook ran
    EXPECT_FALSE(refusing.Show());
    refusing.Destroy();  // never created: still torn down
    EXPECT_EQ(refusing.destroyed, 1);
    EXPECT_EQ(refusing.GetParentObject(), nullptr);
}

class ThumbnailWndTest : public vtest::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        wnd.Create(vtest::Window());
        ASSERT_TRUE(wnd.FlagCreate());
    }
    void TearDown() override { wnd.Destroy(); }
    static std::string Text(Evas_Object* label) {
        const char* text = elm_object_part_text_get(label, nullptr);
        return text ? text : "";
    }
    CBookmarkThumbnailWnd wnd;
};

TEST_F(ThumbnailWndTest, NoTimeAndAnUnknownTypeShowTheManualDefaults) {
    EXPECT_TRUE(wnd.SetTextValue(nullptr, 7));
    EXPECT_TRUE(vtest::Logged("pHighlightTime is NULL, default is manual highlight"));
    EXPECT_TRUE(vtest::Logged("pHighlightTime is NULL, default time is 88:59:59"));
    EXPECT_NE(Text(wnd.m_pTypeMarkLabel).find(" M "), std::string::npos) << Text(wnd.m_pTypeMarkLabel);
    EXPECT_NE(Text(wnd.m_pTimeLabel).find(" 88:59:59<"), std::string::npos) << Text(wnd.m_pTimeLabel);
    // Read out only when the screen reader is on.
    const auto lines = vtest::LogMessages();
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(),
                             [](const std::string& m) { return m.rfind("set and say the access info:", 0) == 0; }));
}

TEST_F(ThumbnailWndTest, ARecordWithoutAPictureKeepsTheThumbnailAndRestartsTheBar) {
    Evas_Object* before = wnd.m_pThumbnailImage;
    wnd.m_nProgressCount = 7;
    stBookmarkThumbnail record{true, 65, 0, nullptr, 0, 0};
    stBookmarkThumbnail* pointer = &record;
    EXPECT_TRUE(wnd.SetBookmarkData(pointer));
    EXPECT_EQ(wnd.m_pThumbnailImage, before);
    EXPECT_FALSE(vtest::Logged("ImageSize = [0]"));
    EXPECT_EQ(wnd.m_nProgressCount, 0);
    EXPECT_NE(Text(wnd.m_pTimeLabel).find(" 00:01:05<"), std::string::npos) << Text(wnd.m_pTimeLabel);
}

TEST_F(ThumbnailWndTest, KeysAtTheFocusedLayoutAreHeldAndOnlyLogged) {
    EXPECT_TRUE(evas_object_focus_get(wnd.m_pWindowLayout));
    Evas_Event_Key_Down down{};
    down.keyname = const_cast<char*>("XF86Green");
    down.key = "XF86Green";
    CBookmarkThumbnailWnd::m_OnBookMarkWndKeyInputCB(&wnd, nullptr, wnd.m_pWindowLayout, &down);
    EXPECT_TRUE(down.event_flags & EVAS_EVENT_FLAG_ON_HOLD);
    EXPECT_TRUE(vtest::Logged("here key name is [XF86Green]"));
    EXPECT_TRUE(vtest::Logged("press B key"));
}

// Hiding takes the layout and the progress timer down but leaves the
// window made; the debug aids only write the geometry.
TEST_F(ThumbnailWndTest, HideTakesItsObjectsDownAndDebugAidsOnlyLog) {
    Evas_Object* layout = wnd.m_pWindowLayout;
    evas_object_move(layout, 3, 4);
    evas_object_resize(layout, 50, 60);
    wnd.PrintFocusItemCoordinate(layout);
    wnd.PrintFocusItemCoordinate(nullptr);
    EXPECT_TRUE(vtest::Logged("focus item x = 3, y = 4, w = 50, h = 60"));
    EXPECT_TRUE(vtest::Logged("NULL == m_pFocusItem"));
    ASSERT_NE(wnd.m_pUpdateProgressAlarm, nullptr);
    const int steps = wnd.m_nProgressCount;
    wnd.Hide();
    EXPECT_EQ(wnd.m_pWindowLayout, nullptr);
    EXPECT_EQ(wnd.m_pUpdateProgressAlarm, nullptr);
    vclock::AdvanceAndRun(3 * 1000 * 1000, 100 * 1000);  // the bar's timer is gone, not just forgotten
    EXPECT_EQ(wnd.m_nProgressCount, steps);
    EXPECT_TRUE(wnd.FlagCreate());
}

}  // namespace
