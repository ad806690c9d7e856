// Runs the in-process viewer tests: one headless viewer, the real gadget.
#include <Elementary.h>
#include <gtest/gtest.h>

#include "HeadlessToolkit.h"
#include "ViewerFixture.h"

namespace vtest {

tvsim::Viewer& TheViewer() {
    static tvsim::Viewer* viewer = [] {
        auto* v = new tvsim::Viewer;
        std::string error;
        if (!v->OpenWindow(false) || !v->Load(VANTRO_GADGET_PATH, &error))
            ADD_FAILURE() << "cannot load the gadget: " << error;
        return v;
    }();
    return *viewer;
}

}  // namespace vtest

int main(int argc, char** argv) {
    tvsim::UseHeadlessToolkit();
    ::testing::InitGoogleTest(&argc, argv);
    elm_init(argc, argv);
    return RUN_ALL_TESTS();
}
