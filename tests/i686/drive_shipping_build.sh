#!/usr/bin/env bash
# The shipping 32-bit program, run as a user would under 32-bit Wine in the emulated root:
#   drive_shipping_build.sh PROGRAM BUILD_DIR RELEASE_ZIP
# The program runs from the release archive, unpacked afresh, as a user gets it.
# Two runs, one after the other: the first is checked on its picture and quit with Escape then
# Yes (status 1), the second is closed with Alt+F4 (status 0). Neither may show a message box
# or write to standard error.
set -u
. "$(dirname "$0")/root_run.sh"
. "$here/../support/x_session.sh"
out=$2/i686-program
rm -rf "$out"; mkdir -p "$out"
# The archive's own folder, unpacked into a fresh one; an archive older than the build's
# program or data is not what was built.
unpack_release() {  # ZIP PROGRAM BUILD_DIR
  local fresh stale top
  top=$(basename "$1" .zip)
  stale=$(find "$2" "$3/data" -newer "$1" -print -quit 2>/dev/null)
  [ -f "$1" ] && [ -z "$stale" ] ||
    { echo "FAIL: $1 is missing or older than $stale: build the package target" >&2; return 1; }
  fresh=$(mktemp -d /tmp/mirelth-i686.XXXXXX) || return 1
  (cd "$fresh" && cmake -E tar xf "$1") && [ -f "$fresh/$top/$(basename "$2")" ] ||
    { rm -rf "$fresh"; return 1; }
  echo "$fresh/$top"
}
folder=$(unpack_release "$3" "$1" "$2") || { echo "FAIL: could not unpack the release"; exit 1; }
pids=()
fail() {
  echo "FAIL: $*" >&2
  for p in "${pids[@]}"; do kill_tree "$p"; done
  exit 1
}
trap 'rm -rf "${folder%/*}"' EXIT

program=$1
# The program's own code has run once its main window shows (sets shown_window).
program_shown() {
  local id
  for id in $(xdotool search --onlyvisible --name "$(exact_name "Bexa's Mirelth Game")" 2>/dev/null); do
    descends_from "$(xdotool getwindowpid "$id" 2>/dev/null)" "$started_pid" &&
      { shown_window=$id; return 0; }
  done
  return 1
}

# Starts run $1 (escape or close): sets ${1}_pid and ${1}_window once its main window shows.
start_run() {
  start_in_root program_shown "$folder" "$(basename "$program")" "$out/$1.stdout" "$out/$1.stderr" ||
    fail "the main window of run $1 did not appear"
  pids+=("$started_pid")
  printf -v "${1}_pid" '%s' "$started_pid"
  printf -v "${1}_window" '%s' "$shown_window"
}
start_run escape
echo "window after $SECONDS s"

# Visible windows of run $1 other than its main window $2: a message box is one.
other_windows() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    [ "$id" = "$2" ] && continue
    descends_from "$(xdotool getwindowpid "$id" 2>/dev/null)" "$1" &&
      echo "\"$(xdotool getwindowname "$id" 2>/dev/null)\""
  done
}

# Whether only run $1's windows show. Windows of other tests (the number checks run beside
# this test) cover this one's picture where they overlap, and take the keys, which go to Wine's
# foreground window: pictures are read and keys sent only when run $1 is alone.
shown_alone() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    descends_from "$(xdotool getwindowpid "$id" 2>/dev/null)" "$1" || return 1
  done
}

wait_alone() {
  local deadline=$((SECONDS + 600))
  while [ $SECONDS -lt $deadline ]; do
    shown_alone "$1" && { echo "alone after $SECONDS s"; return 0; }
    sleep 1
  done
  echo "NOTE: other windows still shown after 600 s; sending keys anyway"
}

# Waits until run $1's window $2 shows a presented frame: a black sky above a lit plane.
# A box opened during start-up holds back the first frame, and is reported by its caption.
wait_first_frame() {
  local deadline=$((SECONDS + 600)) boxes
  while [ $SECONDS -lt $deadline ]; do
    boxes=$(other_windows "$1" "$2")
    [ -n "$boxes" ] && fail "a message box appeared: $boxes"
    shown_alone "$1" || { sleep 1; continue; }
    # Both main windows open at the same place: the one looked at goes on top.
    xdotool windowraise "$2" 2>/dev/null
    timeout 20 import -display "$DISPLAY" -window "$2" "$out/$3.png" 2>/dev/null &&
      shown_alone "$1" && awk -v sky="$(band_mean "$out/$3.png" 10 150)" -v floor="$(band_mean "$out/$3.png" 500 90)" \
        'BEGIN { exit !(sky < 0.02 && floor > 0.1) }' && return 0
    sleep 1
  done
  fail "no frame was presented in run $3 while its windows were shown alone"
}

# Mean red, green and blue (0 to 1) of a rectangle of client pixels: FILE X Y WIDTH HEIGHT.
rgb_mean() {
  convert "$1" -crop "$4x$5+$(( $2 + 2 ))+$(( $3 + 2 ))" +repage -scale 1x1\! \
    -format '%[fx:r] %[fx:g] %[fx:b]' info:
}

# Exit status of run $1, waiting for it to end.
wait_run() {
  local deadline=$((SECONDS + 180))
  while kill -0 "$1" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "run $2 did not end"
    sleep 1
  done
  wait "$1"
}

wait_first_frame "$escape_pid" "$escape_window" escape
echo "first frame after $SECONDS s"

# Each material's colour modifier shows: the plane's makes its texture cool (0.5, 0.75, 1),
# the cube's warm (1, 0.75, 0.5). The raw texture has red and blue alike.
read -r red green blue <<<"$(rgb_mean "$out/escape.png" 100 480 600 100)"
echo "plane: red $red, green $green, blue $blue"
awk -v r="$red" -v b="$blue" 'BEGIN { exit !(b > 0.05 && b > 1.6 * r) }' ||
  fail "the plane does not show its colour modifier (red $red, blue $blue)"
read -r red green blue <<<"$(rgb_mean "$out/escape.png" 360 255 80 80)"
echo "cube: red $red, green $green, blue $blue"
awk -v r="$red" -v b="$blue" 'BEGIN { exit !(r > 0.05 && r > 1.6 * b) }' ||
  fail "the cube does not show its colour modifier (red $red, blue $blue)"


wait_alone "$escape_pid"
# The prompt comes in seconds once the key reaches this window; the wait is bounded like a
# start, as everything under emulation slows down together when the machine is loaded.
focus "$escape_window"
xdotool key Escape
asked=$SECONDS
prompt=
while [ $((SECONDS - asked)) -lt 400 ] && kill -0 "$escape_pid" 2>/dev/null; do
  prompt=$(wait_window "Exit Program?") && break
done
[ -n "$prompt" ] || fail "Escape opened no prompt within $((SECONDS - asked)) s;" \
  "windows shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' ',')"
echo "prompt after $((SECONDS - asked)) s"
focus "$prompt"
xdotool key Return
status=0; wait_run "$escape_pid" escape || status=$?
[ "$status" -eq 1 ] || fail "Escape then Yes: the program $(describe_status "$status"), not 1"

# The second run starts once the first has ended: each has the keyboard and the display alone.
start_run close
wait_first_frame "$close_pid" "$close_window" close
wait_alone "$close_pid"
focus "$close_window"
xdotool key alt+F4
status=0; wait_run "$close_pid" close || status=$?
[ "$status" -eq 0 ] || fail "Alt+F4: the program $(describe_status "$status"), not 0"
for run in escape close; do
  errors=$(own_errors "$out/$run.stderr")
  [ -z "$errors" ] || fail "run $run wrote to standard error: $errors"
done
echo "PASS after $SECONDS s"
