#!/usr/bin/env bash
# Drives the real program the way a person would, on the display of the test run:
#   drive_program.sh SCENARIO PROGRAM BUILD_DIR
# Keys go through XTest to the focused window; the quit prompt is answered by keys too.
set -u
scenario=$1 program=$2 build=$3
here=$(cd "$(dirname "$0")" && pwd)
runner=$here/../../scripts/wine-run
out=$build/e2e/$scenario
rm -rf "$out"; mkdir -p "$out"
cd "$build" || exit 2

fail() { echo "FAIL ($scenario): $*" >&2; kill "$pid" 2>/dev/null; exit 1; }

# Waits for a top-level X window with exactly this name; prints its id.
exact() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\\.*^$?+(){}|]/\\&/g')"; }
wait_window() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "$(exact "$1")" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
gone_window() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$(exact "$1")" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# Keys reach only the focused window: give it the focus and check that it has it.
focus() {
  for _ in $(seq 30); do
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "window $1 did not take the focus"
}
# Exit status of the program, or fails after a while.
wait_exit() {
  for _ in $(seq 150); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.1
  done
  fail "the program did not exit"
}
shot() { timeout 20 import -display "$DISPLAY" -window "$window" "$out/$1.png" || fail "no screenshot $1"; }
# First and last lit column of one row of the client area (the X window has a 2-pixel edge).
lit_extent() {
  convert "$1" -crop "800x1+2+$(( $2 + 2 ))" +repage -colorspace Gray -threshold 12% txt:- |
    awk -F'[,:]' '/#FFFFFF|white/ { if (first == "") first = $1; last = $1 }
                  END { print (first == "" ? -1 : first), (last == "" ? -1 : last) }'
}
# Mean brightness (0 to 1) of a band of client rows.
band_mean() {
  convert "$1" -crop "800x$3+2+$(( $2 + 2 ))" +repage -colorspace Gray -format '%[fx:mean]' info:
}

"$runner" "$build/wineprefix" "$program" 2>"$out/stderr.txt" &
pid=$!
window=$(wait_window "Bexa's Mirelth Game") || fail "the main window did not appear"
# Until the first frame is presented the window shows its class background.
for _ in $(seq 50); do
  shot starting
  awk -v m="$(band_mean "$out/starting.png" 10 150)" 'BEGIN { exit !(m < 0.02) }' && break
  sleep 0.2
done
focus "$window"

case $scenario in
  escape)
    xdotool key Escape
    prompt=$(wait_window "Exit Program?") || fail "Escape opened no prompt"
    focus "$prompt"
    xdotool key n
    gone_window "Exit Program?" || fail "No did not close the prompt"
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "the program ended after No"
    focus "$window"
    . "$here/after_no.sh"
    xdotool key Escape
    prompt=$(wait_window "Exit Program?") || fail "the second Escape opened no prompt"
    focus "$prompt"
    xdotool key Return
    wait_exit; status=$?
    [ "$status" -eq 1 ] || fail "Escape then Yes exited with $status, not 1"
    ;;
  close)
    xdotool key alt+F4
    wait_exit; status=$?
    [ "$status" -eq 0 ] || fail "closing the window exited with $status, not 0"
    ;;
  screenshot)
    shot first
    . "$here/check_screenshot.sh"
    xdotool key alt+F4
    wait_exit; status=$?
    [ "$status" -eq 0 ] || fail "closing the window exited with $status, not 0"
    ;;
  *) fail "unknown scenario" ;;
esac

if [ -s "$out/stderr.txt" ]; then
  echo "standard error of the program:"; cat "$out/stderr.txt"
  fail "the program wrote diagnostics"
fi
echo "PASS ($scenario)"
