#!/usr/bin/env bash
# A window session under Xvfb: keys typed through XTest (xdotool) with pauses
# are recorded, the recording replays green headless and holds the keys with
# virtual time between them. Usage: window.sh VIEWER GADGET WORKDIR
set -u
viewer=$1 gadget=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
out=$work/window.recorded.scenario
fail() { echo "FAIL: $*"; exit 1; }

# A free display: Xvfb picks it and writes its number on fd 3.
rm -f "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
session=
trap 'kill $session $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; kill -0 $xvfb 2>/dev/null || break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb gave no display: $(cat "$work/xvfb.log")"
DISPLAY=:$(head -n1 "$work/display")
export DISPLAY

# Bounded: waits until the session's log has N lines starting with PREFIX.
log=$work/window.log
wait_lines() {  # PREFIX N
  for _ in $(seq 600); do
    [ "$(grep -c "^$1" "$log")" -ge "$2" ] && return 0
    kill -0 "$session" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# red, green, yellow, a recorder key (pause), a returned key (Up), each typed
# once the viewer has answered the one before, 150 ms apart; then q.
ELM_DISPLAY=x11 timeout 40 "$viewer" --gadget "$gadget" --window --record "$out" \
  "$here/window.scenario" >"$log" 2>&1 &
session=$!
wait_lines "window ready" 1 || fail "no window: $(cat "$log")"
# Found by its class: the toolkit writes the title as UTF-8.
win=$(timeout 20 xdotool search --sync --onlyvisible --class tv-viewer-sim | head -n1)
[ -n "$win" ] || fail "no viewable viewer window"
timeout 20 xdotool windowfocus --sync "$win" || fail "the viewer window took no focus"
typed=0
for key in r g y p Up; do
  sleep 0.15
  xdotool key "$key"
  typed=$((typed + 1))
  wait_lines "key " $typed || fail "no answer to key $key: $(cat "$log")"
done
xdotool key q
wait "$session" || fail "window session exited $?: $(cat "$log")"
for key in XF86Red XF86Green XF86Yellow XF86AudioPause Up; do
  grep -q "^key $key\$" "$out" || fail "no recorded key $key"
done
# Each typed key follows an advance of the virtual time since the last action.
awk '/^key /{ if (prev !~ /^advance [0-9]+ms$/) { print "key without advance before: " $0; bad=1 } }
     !/^expect/ && !/^#/ && NF { prev=$0 } END { exit bad }' "$out" || fail "keys not after advance"
grep -q '^expect returned' "$out" || fail "no recorded returned key"
timeout 30 "$viewer" --gadget "$gadget" --quiet "$out" >"$work/replay.log" 2>&1 || fail "replay failed: $(cat "$work/replay.log")"
echo "window session recorded and replayed green"
