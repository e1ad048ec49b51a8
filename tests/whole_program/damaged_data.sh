#!/usr/bin/env bash
# Starts the real program as a user would, in a fresh working folder whose data/ is a damaged
# (or otherwise changed) copy of the build's, answers its message boxes and checks what it did:
#   damaged_data.sh CASE PROGRAM BUILD_DIR OUT_DIR
# The cases are in cases.sh. Checked: the captions of the boxes in order and in number, the
# frames drawn after them, the exit status, the exact standard error and an empty standard
# output. Screenshots and both streams stay in OUT_DIR/CASE.
set -u
case_name=$1 program=$(realpath "$2") build=$(realpath "$3") out=$(realpath -m "$4/$1")
here=$(cd "$(dirname "$0")" && pwd)
runner=$here/../../scripts/wine-run
data_source=$build/data
main_title="Bexa's Mirelth Game"
pid=

fail() {
  echo "FAIL ($case_name): $*" >&2
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  exit 1
}

. "$here/../support/x_session.sh"
. "$here/cases.sh"
declare -F "case_$case_name" >/dev/null || fail "unknown case"

rm -rf "$out"
mkdir -p "$out/work"
cp -R "$data_source" "$out/work/data" || fail "no data folder in $build"
cd "$out/work" || exit 2
"case_$case_name"

shot() { timeout 20 import -display "$DISPLAY" -window "$window" "$out/$1.png" 2>/dev/null; }
# A frame has been presented once the sky is black: before that, and while a box is open,
# the client area shows the class background.
frame_drawn() {
  shot frame || return 1
  awk -v m="$(band_mean "$out/frame.png" 10 150)" 'BEGIN { exit !(m < 0.02) }'
}
# Prints the id of a visible message box not answered yet: any named window of the program
# but the main one.
find_box() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$program_pid" --name . 2>/dev/null); do
    [ "$id" = "$window" ] && continue
    case " ${answered[*]} " in *" $id "*) continue ;; esac
    echo "$id"
    return 0
  done
  return 1
}

WINE_RUN_TIMEOUT=60 "$runner" "${WINEPREFIX:-$build/wineprefix}" "$program" >"$out/stdout.txt" \
  2>"$out/stderr.txt" &
pid=$!
window=$(wait_program_window "$main_title" "$pid") || fail "the main window did not appear"
program_pid=$(xdotool getwindowpid "$window")

# Every box is answered as it comes, until frames are drawn: set-up has finished by then,
# so no further box can come.
seen=() answered=()
deadline=$(( SECONDS + 30 ))
while :; do
  kill -0 "$pid" 2>/dev/null || fail "the program ended during set-up (boxes: ${seen[*]})"
  [ $SECONDS -lt $deadline ] || fail "no frame was drawn (boxes so far: ${seen[*]})"
  if box=$(find_box); then
    caption=$(xdotool getwindowname "$box")
    seen+=("$caption")
    index=${#seen[@]}
    [ "$index" -le "${#boxes[@]}" ] && [ "$caption" = "${boxes[index - 1]}" ] ||
      fail "box $index is \"$caption\"; expected [${boxes[*]}], seen [${seen[*]}]"
    focus "$box"
    xdotool key Return
    wait_gone "$box" || fail "Return did not close the box \"$caption\""
    answered+=("$box")
    deadline=$(( SECONDS + 30 ))
  elif frame_drawn; then
    break
  fi
  sleep 0.1
done
[ "${#seen[@]}" -eq "${#boxes[@]}" ] ||
  fail "frames drawn after ${#seen[@]} boxes [${seen[*]}]; expected [${boxes[*]}]"

# What the frame shows tells which renderables loaded: the cube stands in the middle of
# row 280, the plane fills the bottom rows.
sleep 0.3
shot scene || fail "no screenshot of the scene"
read -r first last <<<"$(lit_extent "$out/scene.png" 280)"
floor=$(band_mean "$out/scene.png" 500 90)
cube_seen=no floor_seen=no
[ "$first" -gt 250 ] && [ "$last" -lt 550 ] && cube_seen=yes
awk -v m="$floor" 'BEGIN { exit !(m > 0.15) }' && floor_seen=yes
case " $scene " in *" cube "*) cube_wanted=yes ;; *) cube_wanted=no ;; esac
case " $scene " in *" floor "*) floor_wanted=yes ;; *) floor_wanted=no ;; esac
[ "$cube_seen" = "$cube_wanted" ] && [ "$floor_seen" = "$floor_wanted" ] ||
  fail "the frame shows cube: $cube_seen, floor: $floor_seen (row 280 lit $first-$last," \
       "floor mean $floor); expected cube: $cube_wanted, floor: $floor_wanted"
# A case may look closer at the picture.
if declare -F check_scene >/dev/null; then check_scene "$out/scene.png"; fi

focus "$window"
case $quit in
  escape)
    xdotool key Escape
    prompt=$(wait_window "Exit Program?" "$program_pid") || fail "Escape opened no prompt"
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
  *) fail "unknown way to quit: $quit" ;;
esac
pid=

if ! printf '%s' "$errors" | cmp -s - "$out/stderr.txt"; then
  echo "expected standard error:"; printf '%s' "$errors" | od -c
  echo "actual standard error:"; od -c "$out/stderr.txt"
  fail "standard error differs"
fi
[ -s "$out/stdout.txt" ] && fail "the program wrote to standard output: $(head -c 200 "$out/stdout.txt")"
echo "PASS ($case_name): boxes [${seen[*]}], cube $cube_seen, floor $floor_seen, exit $status"
