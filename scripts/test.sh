#!/usr/bin/env bash
# The full check, about 25 minutes on 2 cores: the CTest suite in an ASan+UBSan
# build and there the sweep that fails each fallible call of the gadget in
# turn, the static checks, the fuzz targets (clang, 30 s each), the channel
# manager's lock under ThreadSanitizer, then in the normal build the exit soak,
# memcheck, the instruction budgets, the test ratio and the CTest suite (the
# README's inner loop is that step alone), and last the armhf cross build's
# whole CTest suite under emulation, whose summary ends the output.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
[ "${SKIP_DEPS:-0}" = 1 ] || bash scripts/install-deps.sh || exit 1
status=0
export ECORE_NO_SYSTEM_MODULES=1 EINA_LOG_BACKTRACE=0 EINA_LOG_LEVEL=0
# Scratch files and the toolkit daemons' logs stay under the build trees.
mkdir -p build/tmp && export TMPDIR="$PWD/build/tmp"

build() {  # dir, extra cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -DVANTRO_RES_DIR="$PWD/$dir/res" "$@" >/dev/null && cmake --build "$dir" -j2 >"$dir.log" 2>&1 \
    || { echo "build of $dir failed:"; tail -40 "$dir.log"; return 1; }
}

echo "== ASan+UBSan build"
if build build-asan -DVANTRO_SANITIZE=ON -DVANTRO_BENCH=OFF; then
  (cd build-asan && ctest -j2 --output-on-failure -LE anomaly) || status=1
  echo "== anomaly sweep (each fallible call of the gadget fails once, in turn)"
  (cd build-asan && ctest -L anomaly -V >anomaly.log 2>&1; rc=$?
   grep -E '^[0-9]+: (fail-each|FAULT|[^ ]+\.scenario:)|tests passed|Total Test time' anomaly.log; exit $rc) || status=1
else status=1; fi

echo "== static checks"
bash scripts/lint.sh build-asan || status=1

echo "== fuzz targets"
if CC=clang CXX=clang++ build build-fuzz -DVANTRO_FUZZ=ON -DVANTRO_BENCH=OFF -DVANTRO_FUZZ_SECONDS="${FUZZ_SECONDS:-30}"; then
  (cd build-fuzz && ctest --output-on-failure) || status=1
else status=1; fi

echo "== ThreadSanitizer (the channel manager's lock under concurrent first use)"
if cmake -S . -B build-tsan -DVANTRO_RES_DIR="$PWD/build-tsan/res" -DVANTRO_TSAN=ON -DVANTRO_BENCH=OFF >/dev/null \
   && cmake --build build-tsan -j2 --target vantro_unit_tests >build-tsan.log 2>&1; then
  TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp halt_on_error=1" ELM_DISPLAY=buffer ELM_ACCEL=none \
    build-tsan/tests/vantro_unit_tests --gtest_filter='ChannelMgrTest.AFailedInitIsNotRetriedAndRacingFirstCallsShareOneInstance' || status=1
else echo "build of build-tsan failed:"; tail -40 build-tsan.log; status=1; fi

echo "== normal build"
if build build -DVANTRO_BENCH=ON; then  # as the main job configures it
  echo "== exit soak (the viewer over every scenario and a hostile bookmark file)"
  bash tests/soak/exit_soak.sh build "${SOAK_RUNS:-1000}" || status=1
  echo "== memcheck (the scenario suite under valgrind)"
  bash scripts/memcheck.sh build || status=1
  echo "== instruction budgets"
  BUILD="$PWD/build" bash bench/check-budgets.sh || status=1
  echo "== test ratio"
  bash scripts/test-ratio.sh
  echo "== CTest"
  (cd build && ctest -j2 --output-on-failure) || status=1
else status=1; fi

# After the host suite: the TV's own kind of CPU. The sysroot is made once
# per clone (build-armhf/sysroot); SKIP_CROSS=1 leaves this step out.
if [ "${SKIP_CROSS:-0}" != 1 ]; then
  echo "== armhf: cross build and the whole suite under emulation"
  echo "(the check so far: $SECONDS s)"
  SKIP_DEPS=1 bash scripts/cross-test.sh armhf || status=1
fi
exit $status
