// Runs the unit tests inside an initialised toolkit, headless.
#include <Elementary.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("ELM_DISPLAY", "buffer", 0);
    setenv("ELM_ACCEL", "none", 0);
    setenv("ECORE_NO_SYSTEM_MODULES", "1", 0);
    setenv("EINA_LOG_BACKTRACE", "0", 0);
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    elm_init(argc, argv);
    // No elm_shutdown: its desktop-cache wait costs seconds and the process ends anyway.
    return RUN_ALL_TESTS();
}
