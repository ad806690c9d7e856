#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# A window session under Xvfb: keys typed through XTest (xdotool) with pauses
# are recorded, the recording replays green headless and holds the keys with
# virtual time between them. Usage: window.sh VIEWER GADGET WORKDIR
set -u
viewer=$1 gadget=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
out=$work/window.recorded.scenario
fail() { echo "FAIL: $*"; exit 1; }

# shellcheck source=xsession.sh
. "$here/xsession.sh"
start_xvfb
log=$work/window.log

# red, green, yellow, a recorder key (pause), a returned key (Up), each typed
# once the viewer has answered the one before, 150 ms apart; then q.
timeout 40 "$viewer" --gadget "$gadget" --window --record "$out" \
  "$here/window.scenario" >"$log" 2>&1 &
session=$!
wait_lines "^window ready" 1 || fail "no window: $(cat "$log")"
focus_viewer_window
typed=0
for key in r g y p Up; do
  sleep 0.15
  xdotool key "$key"
  typed=$((typed + 1))
  wait_lines "^key " $typed || fail "no answer to key $key: $(cat "$log")"
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
