#!/usr/bin/env bash
# Runs the viewer over the examples, the scenario suite and a hostile bookmark
# file, RUNS times (default 1000, two at a time); every run must exit 0 within
# 30 s, its transcript read through a pipe to the end, as a harness reads it.
#   tests/soak/exit_soak.sh BUILD_DIR [RUNS]
set -uo pipefail
build=$(cd "$1" && pwd)
runs=${2:-1000}
src=$(cd "$(dirname "$0")/../.." && pwd)
work="$build/soak"
rm -rf "$work" && mkdir -p "$work/rec"
export ELM_DISPLAY=buffer ELM_ACCEL=none ECORE_NO_SYSTEM_MODULES=1 EINA_LOG_BACKTRACE=0 EINA_LOG_LEVEL=0
mkdir -p "$work/tmp" && export TMPDIR="$work/tmp"

cat >"$work/hostile.scenario" <<SC
sports-recording $work/rec/hostile.srf
# The bookmark green sets claims 2,000,000,000 image bytes in a 4 KiB file.
set svc_pvr_set_bookmark.claim 2000000000
lifecycle create
advance 2s
key XF86Green
expect consumed
advance 1s
key XF86Green
advance 16s
lifecycle destroy
SC

# A cross build's viewer runs under its emulator, several times slower.
emulator=$(sed -n 's/^CMAKE_CROSSCOMPILING_EMULATOR:[A-Z]*=//p' "$build/CMakeCache.txt")
limit=30
[ -z "$emulator" ] || limit=120

mapfile -t scenarios < <(ls "$src"/examples/*.scenario "$src"/tests/scenarios/*.scenario "$work/hostile.scenario")
: >"$work/failures"
# shellcheck disable=SC2016  # the inner script expands its own variables
seq 1 "$runs" | xargs -P2 -I{} bash -c '
  i={}; list=("$@"); s=${list[$(( i % ${#list[@]} ))]}
  (cd "'"$build"'" && timeout -k 2 '"$limit"' bash -o pipefail -c "\${0:+\"\$0\"} \"\$1\" --quiet \"\$2\" 2>&1 | cat >/dev/null" \
    "'"$emulator"'" ./tools/tv-viewer-sim/tv-viewer-sim "$s")
  rc=$?; [ $rc = 0 ] || echo "run $i rc=$rc $s" >>"'"$work"'/failures"' _ "${scenarios[@]}"
failed=$(wc -l <"$work/failures")
echo "exit soak: $runs runs over ${#scenarios[@]} scenarios, $failed did not exit 0 in time"
cat "$work/failures"
[ "$failed" = 0 ]
