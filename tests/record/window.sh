#!/usr/bin/env bash
# A window session under Xvfb, keys typed through XTest (xdotool): the
# recording holds them after virtual time and replays green headless, and the
# screen (xwd) before green, with the pop-up up and after it hid itself
# matches the headless render of the same moment, as does F12's picture.
# Usage: window.sh VIEWER GADGET WORKDIR
set -u
viewer=$1 gadget=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
mkdir -p "$work/shots" || fail "no work directory $work"
cd "$work" || exit 1
rm -f ./*.png shots/*.png display
# Xvfb on a free display (it writes the number on fd 3), one screen as big as the picture.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
session=
trap 'kill $session $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; kill -0 $xvfb 2>/dev/null || break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb gave no display: $(cat "$work/xvfb.log")"
DISPLAY=:$(head -n1 "$work/display") && export DISPLAY

# Waits, bounded, until the transcript has N lines matching RE, while the viewer runs.
wait_lines() {  # RE N
  for _ in $(seq 600); do
    [ "$(grep -c "$1" "$log")" -ge "$2" ] && return 0
    kill -0 "$session" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

log=$work/pixels.log
out=$work/pixels.recorded.scenario

# Pixels a capture may differ in from its headless render. Measured: 0 in
# every session, the window shows the very pixels the buffer engine rendered.
allowance=0

now_ms() { echo $(($(date +%s%N) / 1000000)); }
capture() { xwd -silent -id "$win" | convert xwd:- "$1" || fail "no capture $1"; }
differing() {  # A.png B.png: prints how many pixels differ
  local n
  n=$(compare -metric AE "$1" "$2" null: 2>&1)
  [[ $n =~ ^[0-9.e+]+$ ]] || { echo "FAIL: compare $1 $2: $n" >&2; return 1; }
  awk -v n="$n" 'BEGIN { printf "%d\n", n }'
}
expect_match() {  # WHAT CAPTURE RENDER
  local n
  n=$(differing "$2" "$3") || exit 1
  [ "$n" -le $allowance ] || fail "$1: $n pixels differ between $2 and $3 (allowance $allowance)"
}

timeout 60 "$viewer" --gadget "$gadget" --window --record "$out" --out "$work/shots" \
  "$here/popup.scenario" >"$log" 2>&1 &
session=$!
wait_lines '^window ready' 1 || fail "no window: $(cat "$log")"
# The viewer's window, found by its class (the title is UTF-8), with the keyboard focus.
win=$(timeout 20 xdotool search --sync --onlyvisible --class tv-viewer-sim | head -n1)
[ -n "$win" ] || fail "no viewable viewer window"
timeout 20 xdotool windowfocus --sync "$win" || fail "the viewer window took no focus"
capture before.png
# A returned key and a recorder key, each typed once the viewer answered the
# one before, 150 ms apart: neither changes the picture.
typed=0
for key in Up p; do
  sleep 0.15
  xdotool key "$key"
  typed=$((typed + 1))
  wait_lines "^key " $typed || fail "no answer to key $key: $(cat "$log")"
done
pressed=$(now_ms)
xdotool key g
wait_lines 'result .*show pvrsportsmode' 1 || fail "green showed no pop-up: $(cat "$log")"
seen=$(now_ms)
# The progress bar fills in ten one-second steps; from then until the
# auto-hide at 15 s the picture stands still. The pop-up was shown after the
# key was pressed and before its line was seen: capture from 11.5 s after the
# line, and only count a capture that ended within 14.5 s of the key.
wait_ms=$((seen + 11500 - $(now_ms)))
[ $wait_ms -gt 0 ] && sleep "$((wait_ms / 1000)).$(printf %03d $((wait_ms % 1000)))"
capture popup.png
[ $(($(now_ms) - pressed)) -lt 14500 ] || fail "the capture came too late to be before the auto-hide"
grep -q 'hide pvrsportsmode' "$log" && fail "the pop-up hid before the capture: $(cat "$log")"
xdotool key F12
wait_lines '^wrote ' 1 || fail "F12 wrote no picture: $(cat "$log")"
shot=$(sed -n 's/^wrote //p' "$log")
wait_lines 'result .*hide pvrsportsmode' 1 || fail "the pop-up did not hide itself: $(cat "$log")"
capture after.png
xdotool key q
wait "$session" || fail "window session exited $?: $(cat "$log")"
for key in Up XF86AudioPause XF86Green; do
  grep -q "^key $key\$" "$out" || fail "no recorded key $key"
done
grep -q '^expect returned' "$out" || fail "no recorded returned key"
# Each typed key follows an advance of the virtual time since the last action.
awk '/^key /{ if (prev !~ /^advance [0-9]+ms$/) { print "key without advance before: " $0; bad=1 } }
     !/^expect/ && !/^#/ && NF { prev=$0 } END { exit bad }' "$out" || fail "keys not after advance"
timeout 30 "$viewer" --gadget "$gadget" --quiet --out "$work" "$out" >replay.log 2>&1 || fail "replay failed: $(cat replay.log)"

# The same moments headless: the recording up to green, then the time the
# captures waited for.
awk '/^key XF86Green$/ { print "screenshot headless-before.png"; print; exit } { print }' "$out" >moments.scenario
cat >>moments.scenario <<'MOMENTS'
advance 12s
expect popup shown
screenshot headless-popup.png
advance 4s
expect popup hidden
screenshot headless-after.png
MOMENTS
timeout 30 "$viewer" --gadget "$gadget" --quiet --out "$work" moments.scenario >moments.log 2>&1 ||
  fail "headless replay failed: $(cat moments.log)"

# Not a vacuous match: the pop-up covers over 250,000 pixels of the picture.
[ "$(differing headless-before.png headless-popup.png)" -gt 250000 ] || fail "the headless render shows no pop-up"
expect_match "before green" before.png headless-before.png
expect_match "pop-up up" popup.png headless-popup.png
expect_match "F12's picture" "$shot" popup.png
expect_match "after the auto-hide" after.png headless-after.png
expect_match "the pop-up left nothing behind" after.png before.png
echo "window session replayed green; its pictures match the headless render"
