// The toolkit set-up of every program that runs the gadget with no display:
// the buffer engine with software rendering, no system modules (they probe
// session services a build machine has not got), no log backtraces.
// Call it before elm_init.
#ifndef TVSIM_HEADLESS_TOOLKIT_H
#define TVSIM_HEADLESS_TOOLKIT_H

#include <clocale>
#include <cstdlib>

namespace tvsim {

inline void UseHeadlessToolkit() {
    setenv("ELM_DISPLAY", "buffer", 1);
    setenv("ELM_ACCEL", "none", 1);
    setenv("ECORE_NO_SYSTEM_MODULES", "1", 0);
    setenv("EINA_LOG_BACKTRACE", "0", 0);
    std::setlocale(LC_ALL, "");
}

}  // namespace tvsim

#endif
