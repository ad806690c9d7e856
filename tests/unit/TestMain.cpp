// Runs the unit and the viewer tests inside an initialised toolkit, headless.
#include <Elementary.h>
#include <gtest/gtest.h>

#include "HeadlessToolkit.h"

int main(int argc, char** argv) {
    tvsim::UseHeadlessToolkit();
    ::testing::InitGoogleTest(&argc, argv);
    elm_init(argc, argv);
    // No elm_shutdown: its desktop-cache wait costs seconds and the process ends anyway.
    return RUN_ALL_TESTS();
}
