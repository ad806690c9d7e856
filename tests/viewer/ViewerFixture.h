// One viewer with the real gadget loaded, shared by the tests of a process.
#ifndef VANTRO_VIEWER_FIXTURE_H
#define VANTRO_VIEWER_FIXTURE_H

#include <gtest/gtest.h>

#include "Viewer.h"
#include "sim_world.h"

namespace vtest {

tvsim::Viewer& TheViewer();

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
