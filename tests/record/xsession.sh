# shellcheck shell=bash disable=SC2154  # work, log and session are the caller's
# Shared by the window tests (sourced): a display of their own, bounded waits
# on the viewer's transcript, the viewer's window found and focused. The
# caller defines fail, sets work (its scratch directory) and, once the viewer
# runs, session (its process) and log (its transcript).

# Starts Xvfb on a free display, one screen as big as the viewer's picture,
# and exports DISPLAY. Xvfb picks the display and writes its number on fd 3.
start_xvfb() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  session=
  trap 'kill $session $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
  for _ in $(seq 100); do [ -s "$work/display" ] && break; kill -0 $xvfb 2>/dev/null || break; sleep 0.05; done
  [ -s "$work/display" ] || fail "Xvfb gave no display: $(cat "$work/xvfb.log")"
  DISPLAY=:$(head -n1 "$work/display")
  export DISPLAY
}

# Bounded: waits until the transcript has N lines matching the regular
# expression RE, while the viewer runs.
wait_lines() {  # RE N
  for _ in $(seq 600); do
    [ "$(grep -c "$1" "$log")" -ge "$2" ] && return 0
    kill -0 "$session" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

# Sets win to the viewer's window once it is viewable, and gives it the
# keyboard focus. Found by its class: the title is written as UTF-8.
focus_viewer_window() {
  win=$(timeout 20 xdotool search --sync --onlyvisible --class tv-viewer-sim | head -n1)
  [ -n "$win" ] || fail "no viewable viewer window"
  timeout 20 xdotool windowfocus --sync "$win" || fail "the viewer window took no focus"
}
