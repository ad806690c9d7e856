// Runs the unit and the viewer tests inside an initialised toolkit, headless.
#include <Elementary.h>
#include <gtest/gtest.h>

#include "HeadlessToolkit.h"

int main(int argc, char** argv) {
    tvsim::UseHeadlessToolkit();
    ::testing::InitGoogleTest(&argc, argv);
    // CTest lists the tests without their environment: no toolkit then, so
    // that no daemon of it starts outside the build tree.
    if (!GTEST_FLAG_GET(list_tests)) elm_init(argc, argv);
    // No elm_shutdown: its desktop-cache wait costs seconds and the process ends anyway.
    return RUN_ALL_TESTS();
}
