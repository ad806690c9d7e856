#!/usr/bin/env bash
# Line and branch coverage of src/ by the whole CTest suite: a gcov build in
# BUILD (default build-coverage), an HTML report in BUILD/coverage/index.html
# and a one-line summary.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
build=${1:-build-coverage}
command -v gcovr >/dev/null || { echo "coverage: gcovr is not installed (scripts/install-deps.sh)" >&2; exit 2; }
cmake -S . -B "$build" -DVANTRO_RES_DIR="$PWD/$build/res" -DVANTRO_BENCH=OFF -DVANTRO_ANOMALY=ON \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" -DCMAKE_C_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null || exit 1
cmake --build "$build" -j2 >"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
find "$build" -name '*.gcda' -delete
(cd "$build" && ctest -j2 --output-on-failure >ctest.log 2>&1) || echo "coverage: some tests failed, see $build/ctest.log"
mkdir -p "$build/coverage"
gcovr --root . --filter 'src/' --object-directory "$build" --exclude-unreachable-branches \
  --html-details "$build/coverage/index.html" --txt "$build/coverage/summary.txt" \
  --print-summary >"$build/coverage/gcovr.log" 2>&1 || { cat "$build/coverage/gcovr.log"; exit 1; }
lines=$(sed -n 's/^lines: *\([0-9.]*%\).*/\1/p' "$build/coverage/gcovr.log")
branches=$(sed -n 's/^branches: *\([0-9.]*%\).*/\1/p' "$build/coverage/gcovr.log")
echo "coverage of src/: lines ${lines:-?}, branches ${branches:-?} (report: $build/coverage/index.html)"
