// One viewer with the real gadget loaded, shared by the tests of a process.
#ifndef VANTRO_VIEWER_FIXTURE_H
#define VANTRO_VIEWER_FIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "Viewer.h"
#include "sim_world.h"

namespace vtest {

inline tvsim::Viewer& TheViewer() {
    static tvsim::Viewer* viewer = [] {
        auto* v = new tvsim::Viewer;
        std::string error;
        if (!v->OpenWindow() || !v->Load(VANTRO_GADGET_PATH, &error))
            ADD_FAILURE() << "cannot load the gadget: " << error;
        return v;
    }();
    return *viewer;
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        vsim::ResetWorld();
        ASSERT_TRUE(TheViewer().Loaded());
    }
    void TearDown() override { TheViewer().Destroy(); }
};

}  // namespace vtest

#endif
