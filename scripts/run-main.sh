#!/usr/bin/env bash
# The main job: build the gadget and the host viewer, then run the default
# scenario headless, printing its transcript and writing the pop-up to popup.png.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${SKIP_DEPS:-0}" = 1 ] || bash scripts/install-deps.sh
# The same options as the test command's normal build, which shares this tree:
# a configure with other options would take targets away from the other command.
cmake -S . -B build -DVANTRO_RES_DIR="$PWD/build/res" -DVANTRO_BENCH=ON >/dev/null
cmake --build build -j2 --target tv-viewer-sim vantro >/dev/null
cd build
mkdir -p tmp
TMPDIR="$PWD/tmp" ECORE_NO_SYSTEM_MODULES=1 EINA_LOG_BACKTRACE=0 EINA_LOG_LEVEL=0 \
  ./tools/tv-viewer-sim/tv-viewer-sim --out "$PWD/.." ../examples/default.scenario
