#!/usr/bin/env bash
# Record, replay green, and replays of edited recordings that must fail at
# the edited line. Usage: record.sh VIEWER GADGET WORKDIR
set -u
viewer=$1 gadget=$2 work=$3
# A cross build's viewer runs under the build's emulator.
run_viewer() { ${VANTRO_EMULATOR:+"$VANTRO_EMULATOR"} "$viewer" "$@"; }
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
out=$work/session.recorded.scenario
fail() { echo "FAIL: $*"; exit 1; }

run_viewer --gadget "$gadget" --logs --record "$out" "$here/session.scenario" >"$work/record.log" 2>&1 ||
  fail "recording exited $?: $(cat "$work/record.log")"
grep -q '^expect launch orvane.alert-syspopup type=unavailable' "$out" || fail "no recorded launch with its extra"
grep -q '^expect consumed' "$out" || fail "no recorded verdict"
run_viewer --gadget "$gadget" --quiet "$out" >"$work/replay.log" 2>&1 || fail "replay failed: $(cat "$work/replay.log")"

# An edited observation must fail the replay, naming its own line.
must_fail() {  # NAME SED-EXPRESSION LINE-PATTERN
  local edited=$work/$1.scenario line
  line=$(grep -n -m1 "$3" "$out" | cut -d: -f1)
  [ -n "$line" ] || fail "$1: nothing to edit"
  sed "${line}s/$2" "$out" >"$edited"
  cmp -s "$out" "$edited" && fail "$1: the edit changed nothing"
  run_viewer --gadget "$gadget" --quiet "$edited" >"$work/$1.log" 2>&1
  local rc=$?
  [ "$rc" = 1 ] || fail "$1: replay exited $rc, not 1"
  grep -q "^FAILED line $line:" "$work/$1.log" || fail "$1: failure not at line $line: $(cat "$work/$1.log")"
}
must_fail verdict 'consumed/returned/' '^expect consumed'
must_fail extra 'type=unavailable/type=available/' '^expect launch orvane.alert-syspopup'
must_fail log 'info "/warn "/' '^expect log info'
echo "record and replay: ok"
