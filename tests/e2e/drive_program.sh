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

. "$here/../support/x_session.sh"
shot() { timeout 20 import -display "$DISPLAY" -window "$window" "$out/$1.png" || fail "no screenshot $1"; }

"$runner" "$build/wineprefix" "$program" 2>"$out/stderr.txt" &
pid=$!
window=$(wait_program_window "Bexa's Mirelth Game" "$pid") || fail "the main window did not appear"
program_pid=$(xdotool getwindowpid "$window")
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
    prompt=$(wait_window "Exit Program?" "$program_pid") || fail "Escape opened no prompt"
    focus "$prompt"
    xdotool key n
    wait_gone "$prompt" || fail "No did not close the prompt"
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || fail "the program ended after No"
    focus "$window"
    . "$here/after_no.sh"
    xdotool key Escape
    prompt=$(wait_window "Exit Program?" "$program_pid") || fail "the second Escape opened no prompt"
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
