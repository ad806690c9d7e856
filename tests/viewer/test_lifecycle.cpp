// Create/destroy cycles of the real library leave nothing behind.
#include <dlfcn.h>

#include <string>
#include <utility>
#include <vector>

#include "TimerJournal.h"
#include "ViewerFixture.h"
#include "dlog.h"
#include "ug_module.h"

namespace {

using vtest::TheViewer;

class LifecycleTest : public vtest::ViewerTest {};

// The first cycle creates twice on one record: still one registration.
TEST_F(LifecycleTest, ThousandCreateDestroyCyclesLeaveNoHandlerCallbackOrTimer) {
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(TheViewer().Create()) << "cycle " << i;
        if (i == 0) {
            ASSERT_TRUE(TheViewer().Create());
        }
        ASSERT_EQ(vsim::KeyHandlerCount(), 4u);
        ASSERT_EQ(vsim::KeyClientCount(), 1u);
        ASSERT_EQ(vsim::PvrCallbackCount(), 1u);
        TheViewer().KeyDown("XF86Red");
        TheViewer().KeyUp("XF86Red");
        TheViewer().Destroy();
        ASSERT_EQ(vsim::KeyHandlerCount(), 0u) << "cycle " << i;
        ASSERT_EQ(vsim::KeyClientCount(), 0u) << "cycle " << i;
        ASSERT_EQ(vsim::PvrCallbackCount(), 0u) << "cycle " << i;
        ASSERT_EQ(tvsim::PendingGadgetTimerCount(), 0u) << "cycle " << i;
        if (i % 100 == 0) vsim::ClearJournal();
    }
}

TEST_F(LifecycleTest, CreateWithoutWindowReturnsNullAndDestroyStillReleases) {
    vsim::SetFact("ug_get_window", {"null"});
    EXPECT_FALSE(TheViewer().Create());
    EXPECT_EQ(vsim::KeyHandlerCount(), 0u);
    TheViewer().Destroy();
    EXPECT_EQ(vsim::PvrCallbackCount(), 0u);
}

TEST(ModuleEntryTest, NullTablesAreRefusedOrIgnored) {
    // The viewer's window is there: a create refused below is refused for
    // its null argument, not for want of a window.
    ASSERT_TRUE(TheViewer().Loaded());
    void* lib = dlopen(VANTRO_GADGET_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto init = reinterpret_cast<int (*)(ug_module_ops*)>(dlsym(lib, "UG_MODULE_INIT"));
    auto exit = reinterpret_cast<void (*)(ug_module_ops*)>(dlsym(lib, "UG_MODULE_EXIT"));
    ASSERT_TRUE(init && exit);
    vsim::ResetWorld();
    EXPECT_EQ(init(nullptr), -1);
    exit(nullptr);
    ug_module_ops ops{};
    exit(&ops);  // no private data: nothing to free
    ASSERT_EQ(init(&ops), 0);
    EXPECT_NE(ops.create, nullptr);
    EXPECT_NE(ops.message, nullptr);
    EXPECT_EQ(ops.key_event, nullptr);
    EXPECT_EQ(ops.opt, 0u);
    ASSERT_NE(ops.priv, nullptr);
    // Operations with a null gadget handle or null private data do nothing.
    EXPECT_EQ(ops.create(nullptr, UG_MODE_FULLVIEW, nullptr, ops.priv), nullptr);
    EXPECT_EQ(vsim::PvrCallbackCount(), 0u);
    ops.message(nullptr, nullptr, nullptr, ops.priv);
    // A framework event is only logged; a null handle also as a data error.
    size_t mark = vsim::JournalSize();
    ops.event(nullptr, UG_EVENT_LOW_MEMORY, nullptr, ops.priv);
    std::vector<std::pair<std::string, int>> lines;
    for (const vsim::Entry& e : vsim::JournalSince(mark))
        if (e.kind == "log") lines.emplace_back(vsim::LogMessage(e), e.logId * 100 + e.priority);
    EXPECT_EQ(lines,
              (std::vector<std::pair<std::string, int>>{{" Enter OnEvent function ", LOG_ID_MAIN * 100 + DLOG_INFO},
                                                        {"UG data error!", LOG_ID_SYSTEM * 100 + DLOG_WARN}}));
    ops.destroy(reinterpret_cast<ui_gadget_h>(&ops), nullptr, nullptr);
    EXPECT_EQ(vsim::KeyHandlerCount(), 0u);
    exit(&ops);
    EXPECT_EQ(ops.priv, nullptr);
}

}  // namespace
