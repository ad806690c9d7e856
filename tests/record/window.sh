#!/usr/bin/env bash
# A window session under Xvfb: keys typed through XTest with pauses are
# recorded, the recording replays green headless and holds the keys with
# virtual time between them. Usage: window.sh VIEWER GADGET TYPER WORKDIR
set -u
viewer=$1 gadget=$2 typer=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
out=$work/window.recorded.scenario
fail() { echo "FAIL: $*"; exit 1; }

# A free display: Xvfb picks it and writes its number on fd 3.
rm -f "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; kill -0 $xvfb 2>/dev/null || break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb gave no display: $(cat "$work/xvfb.log")"
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY

# red, green, yellow, a recorder key (pause), a returned key (Up); the
# session on X, whatever display the test environment asks for.
ELM_DISPLAY=x11 DISPLAY=$DISPLAY timeout 40 "$typer" 150 r,g,y,p,Up "$viewer" --gadget "$gadget" --window --record "$out" \
  "$here/window.scenario" >"$work/window.log" 2>&1 || fail "window session exited $?: $(cat "$work/window.log")"
for key in XF86Red XF86Green XF86Yellow XF86AudioPause Up; do
  grep -q "^key $key\$" "$out" || fail "no recorded key $key"
done
# Each typed key follows an advance of the virtual time since the last action.
awk '/^key /{ if (prev !~ /^advance [0-9]+ms$/) { print "key without advance before: " $0; bad=1 } }
     !/^expect/ && !/^#/ && NF { prev=$0 } END { exit bad }' "$out" || fail "keys not after advance"
grep -q '^expect returned' "$out" || fail "no recorded returned key"
timeout 30 "$viewer" --gadget "$gadget" --quiet "$out" >"$work/replay.log" 2>&1 || fail "replay failed: $(cat "$work/replay.log")"
echo "window session recorded and replayed green"
