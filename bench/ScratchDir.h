// A fresh directory for a benchmark's files under TMPDIR, which bench/run.sh
// points into the build tree, so that no run leaves files elsewhere.
#ifndef VANTRO_BENCH_SCRATCHDIR_H
#define VANTRO_BENCH_SCRATCHDIR_H

#include <stdlib.h>

#include <string>

#include "bookmark_writer.h"

namespace vbench {

// "" when the directory cannot be made.
inline std::string MakeScratchDir(const std::string& name) {
    std::string path = vsim::ScratchDir() + "/" + name + "-XXXXXX";
    return mkdtemp(&path[0]) ? path : std::string();
}

}  // namespace vbench

#endif
