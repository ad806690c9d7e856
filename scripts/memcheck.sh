#!/usr/bin/env bash
# Runs the scenario suite through the viewer, and the viewer's own tests of
# the library, under valgrind's memcheck and fails on any error of memory use
# (uninitialised values, invalid reads or writes, bad frees) and on a definite
# leak allocated by the gadget itself.
# Definite leaks whose allocation lies inside EFL (its object constructors,
# module loader) are EFL's: they are reported the same with no gadget loaded
# and are not counted.
#   scripts/memcheck.sh [BUILD_DIR]   (default build; must be built)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
build=$(cd "${1:-build}" && pwd)
out="$build/memcheck"
rm -rf "$out" && mkdir -p "$out"
export ELM_DISPLAY=buffer ELM_ACCEL=none ECORE_NO_SYSTEM_MODULES=1 EINA_LOG_BACKTRACE=0 EINA_LOG_LEVEL=0

# Each job is a scenario, or "viewer-tests": the in-process tests of the
# library through the viewer's machinery. The hostile-file tests measure the
# resident size and limit the address space, both of which valgrind's shadow
# memory inflates, so they are left out.
# shellcheck disable=SC2016  # the inner script expands its own variables
printf "%s\n" viewer-tests "$PWD"/examples/*.scenario "$PWD"/tests/scenarios/*.scenario | xargs -P2 -I{} bash -c '
  s={}; log="'"$out"'/$(basename "$s" .scenario).log"
  if [ "$s" = viewer-tests ]; then run=(./tests/vantro_viewer_tests --gtest_brief=1
    --gtest_filter=-HostileBookmarkTest.*)
  else run=(./tools/tv-viewer-sim/tv-viewer-sim --quiet "$s"); fi
  (cd "'"$build"'" && TMPDIR="'"$build"'/tmp" valgrind --error-exitcode=99 --errors-for-leak-kinds=none \
     --leak-check=full --show-leak-kinds=definite --num-callers=40 --log-file="$log" "${run[@]}" >/dev/null 2>&1)
  echo "$? $s" >>"'"$out"'/results"'

status=0
while read -r rc scenario; do
  log="$out/$(basename "$scenario" .scenario).log"
  if [ "$rc" = 99 ]; then echo "memcheck errors in $scenario (see $log)"; status=1
  elif [ "$rc" != 0 ]; then echo "$scenario failed under memcheck (exit $rc, see $log)"; status=1; fi
  # A definite leak is the gadget's own when its allocation is made by the
  # gadget's code: the first frame after the allocator is in libvantro.
  if awk '/definitely lost in loss record/ {rec=1; n=0; next}
          rec && /(at|by) 0x/ {n++; if (n == 2) {if ($0 ~ /libvantro/) found=1; rec=0}}
          END {exit found ? 0 : 1}' "$log"; then
    echo "the gadget leaks in $scenario (see $log)"; status=1
  fi
done <"$out/results"
echo "memcheck: $(($(wc -l <"$out/results") - 1)) scenarios and the viewer tests, $([ $status = 0 ] && echo clean || echo FAILED)"
exit $status
