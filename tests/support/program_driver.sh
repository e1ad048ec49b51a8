# Sourced: runs the real program as a person would on the test run's X display, answers its
# message boxes, looks at its frames, quits it and checks what it did. The caller sets target
# (x86_64: started through scripts/wine-run in $build's prefix, from the current folder; i686:
# in the emulated root from $folder, root_run.sh sourced first), program, build, name (for
# messages), box_reader (optional: describes each box in $out/boxes.txt), and for each run
# out (a folder for its streams and pictures) and what it must see, then calls drive:
#   boxes     the captions of the boxes set-up shows, in order; each owned by the main window
#             and the only other window shown
#   scene     what the frames show: "cube floor", "cube", "floor" or ""
#   quit      close (Alt+F4: status 0), escape (Escape then Yes: 1), no_then_yes (No first:
#             frames go on and Right moves the cube; then Yes: 1), or ends (no frame: the
#             program ends once its boxes are answered, status 0)
#   errors    the exact standard error (in the root, what is left once Wine's noise is removed)
#   described when not empty, what $out/boxes.txt must hold
# and may define check_scene, called with the picture of the scene.
# Keys go through XTest to the focused window; Wine windows, boxes too, are top-level X windows
# named by their captions. The main window's X window has a 2-pixel edge around the client.
driver_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$driver_dir/../../scripts/watchdog.sh"
main_title="Bexa's Mirelth Game"
pid=
# Bounds in seconds: under emulation a start takes minutes, and a frame a few tenths of one.
if [ "$target" = i686 ]; then poll=1 frame_bound=600 prompt_bound=400 exit_bound=180 alone_bound=600
else poll=0.1 frame_bound=30 prompt_bound=15 exit_bound=15 alone_bound=15; fi

fail() { echo "FAIL ($name): $*" >&2; [ -n "$pid" ] && kill_tree "$pid"; exit 1; }
note() { echo "$name: $* after $SECONDS s"; }
# within BOUND COMMAND...: true once COMMAND is, false when BOUND seconds pass first.
within() {
  local end=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep "$poll"; done
}

# Wine runs the program in a descendant of the process that was started.
ours() {
  local p
  p=$(xdotool getwindowpid "$1" 2>/dev/null)
  while [ -n "$p" ] && [ "$p" -gt 1 ]; do
    [ "$p" = "$pid" ] && return 0
    p=$(sed 's/.*) //' "/proc/$p/stat" 2>/dev/null | cut -d' ' -f2)
  done
  return 1
}
shown_ids() { xdotool search --onlyvisible --name . 2>/dev/null; }
our_ids() { local id; for id in $(shown_ids); do ours "$id" && echo "$id"; done; }
name_of() { xdotool getwindowname "$1" 2>/dev/null; }
shown() { shown_ids | grep -qx "$1"; }
gone() { ! shown "$1"; }
ended() { ! kill -0 "$pid" 2>/dev/null; }
names_shown() { local id; for id in $(shown_ids); do name_of "$id"; done | sort | tr '\n' '|'; }
# Other tests' windows (the 32-bit number checks run beside) cover the picture and take keys.
alone() { [ "$(shown_ids | sort)" = "$(our_ids | sort)" ]; }
main_shown() {
  local id
  for id in $(our_ids); do [ "$(name_of "$id")" = "$main_title" ] && window=$id && return 0; done
  return 1
}
# A box: a shown window of the run, not its main window, not answered yet (sets box).
new_box() {
  for box in $(our_ids); do
    [ "$box" != "$window" ] && [[ " ${answered[*]} " != *" $box "* ]] && return 0
  done
  return 1
}
prompt_shown() { new_box && [ "$(name_of "$box")" = "Exit Program?" ]; }

# Keys reach only the focused window: give it the focus and check that it has it.
focus() {
  within "$alone_bound" alone || note "NOTE: other windows still shown; sending keys anyway"
  for _ in $(seq 30); do
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "window $1 did not take the focus"
}

# The main window's picture in $out/NAME.png, raised first: runs' windows open at one place.
shot() {
  xdotool windowraise "$window" 2>/dev/null
  timeout 20 import -display "$DISPLAY" -window "$window" "$out/$1.png" 2>/dev/null
}
shot_alone() { alone && shot "$1" && alone; }
# Mean brightness (0 to 1) of a band of client rows: FILE FIRST_ROW ROWS.
band_mean() {
  convert "$1" -crop "800x$3+2+$(( $2 + 2 ))" +repage -colorspace Gray -format '%[fx:mean]' info:
}
# First and last lit column of one client row (-1 -1 when none is lit): FILE ROW.
lit_extent() {
  convert "$1" -crop "800x1+2+$(( $2 + 2 ))" +repage -colorspace Gray -threshold 12% txt:- |
    awk -F'[,:]' '/#FFFFFF|white/ { if (first == "") first = $1; last = $1 }
                  END { print (first == "" ? -1 : first), (last == "" ? -1 : last) }'
}
# Mean red, green and blue (0 to 1) of a rectangle of client pixels: FILE X Y WIDTH HEIGHT.
rgb_mean() {
  convert "$1" -crop "$4x$5+$(( $2 + 2 ))+$(( $3 + 2 ))" +repage -scale 1x1\! \
    -format '%[fx:r] %[fx:g] %[fx:b]' info:
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

launch() {
  if [ "$target" = i686 ]; then
    i686_main_shown() { pid=$started_pid; main_shown; }
    start_in_root i686_main_shown "$folder" "$(basename "$program")" "$out/stdout.txt" \
      "$out/stderr.txt" || fail "the main window did not appear"
  else
    WINE_RUN_TIMEOUT=60 "$driver_dir/../../scripts/wine-run" "$build/wineprefix" "$program" \
      >"$out/stdout.txt" 2>"$out/stderr.txt" &
    pid=$!
    within 15 main_shown || fail "the main window did not appear"
  fi
  note "main window"
}

# A frame has been presented once the sky is black and a plane that is drawn is lit: before
# that, and while a box is open, the client area shows the class background.
frame_shown() {
  shot_alone frame && above 0.02 "$(band_mean "$out/frame.png" 10 150)" &&
    above "$(band_mean "$out/frame.png" 500 90)" "$([[ $scene == *floor* ]] && echo 0.1 || echo -1)"
}

# Checks box $box and presses its default button with Return.
answer_box() {
  local caption index owner description
  caption=$(name_of "$box")
  seen+=("$caption")
  index=${#seen[@]}
  [ "$index" -le "${#boxes[@]}" ] && [ "$caption" = "${boxes[index - 1]}" ] ||
    fail "box $index is \"$caption\"; expected [${boxes[*]}], seen [${seen[*]}]"
  # An owned window's X window is transient for its owner's.
  owner=$(xprop -id "$box" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*window id # //p')
  [ -n "$owner" ] && [ $((owner)) -eq "$window" ] ||
    fail "the box \"$caption\" is not owned by the main window (WM_TRANSIENT_FOR ${owner:-none})"
  [ "$(names_shown)" = "$(printf '%s\n' "$main_title" "$caption" | sort | tr '\n' '|')" ] ||
    fail "other windows are open beside the box \"$caption\": $(names_shown)"
  if [ -n "${box_reader:-}" ]; then
    xdotool windowraise "$box"
    description=$("$driver_dir/../../scripts/wine-run" "$build/wineprefix" "$box_reader" \
                  "$caption" 2>&1) || fail "box_reader read no \"$caption\" box ($?: $description)"
    printf '%s\n' "${description//$'\r'/}" >>"$out/boxes.txt"
  fi
  # A key that arrives before the box has taken the focus is lost: retry, though only once the
  # box had time to close, or the next box could take the key.
  for _ in $(seq 5); do
    shown "$box" || break
    timeout 5 xdotool windowfocus --sync "$box" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$box" ] && xdotool key Return
    within 10 gone "$box"
  done
  shown "$box" && fail "Return did not close the box \"$caption\""
  answered+=("$box")
}

# Answers each box as it comes, until a frame is drawn (set-up has finished by then, so no
# further box can come) or, when quit is ends, until the program ends.
answer_boxes() {
  local end=$((SECONDS + frame_bound))
  seen=() answered=()
  while :; do
    if ended; then
      [ "$quit" = ends ] && break
      fail "the program ended during set-up (boxes: ${seen[*]})"
    fi
    [ $SECONDS -lt $end ] || fail "set-up did not end (boxes so far: ${seen[*]}); the last" \
      "picture's sky: $(band_mean "$out/frame.png" 10 150)," \
      "floor: $(band_mean "$out/frame.png" 500 90)"
    if new_box; then answer_box; end=$((SECONDS + frame_bound))
    elif [ "$quit" != ends ] && frame_shown; then break; fi
    sleep "$poll"
  done
  [ "${#seen[@]}" -eq "${#boxes[@]}" ] ||
    fail "set-up ended after ${#seen[@]} boxes [${seen[*]}]; expected [${boxes[*]}]"
  [ -z "${described:-}" ] || [ "$(cat "$out/boxes.txt")" = "$described" ] ||
    fail "the boxes are not as expected:$(printf '\n')$(cat "$out/boxes.txt")"
}

# What the frame shows tells which renderables loaded: the cube stands in the middle of
# row 280, the plane fills the bottom rows, the sky above is black.
look_at_scene() {
  local size first last floor sky shows=""
  sleep 0.3
  within "$alone_bound" shot_alone scene || fail "no picture of the scene"
  size=$(identify -format '%wx%h' "$out/scene.png")
  [ "$size" = "804x604" ] || [ "$size" = "800x600" ] || fail "window image is $size"
  read -r first last <<<"$(lit_extent "$out/scene.png" 280)"
  floor=$(band_mean "$out/scene.png" 500 90) sky=$(band_mean "$out/scene.png" 10 150)
  [ "$first" -gt 250 ] && [ "$last" -lt 550 ] && shows="cube"
  above "$floor" 0.15 && shows="${shows:+$shows }floor"
  note "row 280 lit at $first-$last, floor $floor, sky $sky"
  [ "$shows" = "$scene" ] || fail "the frame shows [$shows], not [$scene]"
  above 0.02 "$sky" || fail "the sky is not black (mean $sky)"
  if declare -F check_scene >/dev/null; then check_scene "$out/scene.png"; fi
}

# leans FILE X Y WIDTH HEIGHT WHAT A B: channel A (1 red, 3 blue) of the rectangle is lit and
# over 1.6 times channel B: WHAT shows its colour modifier.
leans() {
  local rgb
  rgb=$(rgb_mean "$1" "$2" "$3" "$4" "$5")
  note "$6: red, green, blue $rgb"
  awk -v a="$7" -v b="$8" '{ exit !($a > 0.05 && $a > 1.6 * $b) }' <<<"$rgb" ||
    fail "the $6 does not show its colour modifier (red, green, blue $rgb)"
}
# The build's own scene: the cube in the middle, and each material's colour modifier shows:
# the plane's makes its texture cool (0.5, 0.75, 1), the cube's warm (1, 0.75, 0.5). The raw
# texture has red and blue alike.
shows_own_scene() {
  local first last
  read -r first last <<<"$(lit_extent "$1" 280)"
  [ $(( (first + last) / 2 - 400 )) -le 3 ] && [ $(( 400 - (first + last) / 2 )) -le 3 ] ||
    fail "no cube in the middle (row 280 lit at $first-$last)"
  leans "$1" 100 480 600 100 plane 3 1
  leans "$1" 360 255 80 80 cube 1 3
}

# Escape asks whether to quit; the prompt is answered with key $1.
answer_prompt() {
  focus "$window"
  xdotool key Escape
  within "$prompt_bound" prompt_shown ||
    fail "Escape opened no prompt within $prompt_bound s; windows shown: $(names_shown)"
  note "prompt"
  focus "$box"
  xdotool key "$1"
  answered+=("$box")
}

# Quits as $quit says and checks the exit status (sets status).
quit_program() {
  local expected=0 how="Alt+F4" before after
  case $quit in
    close) focus "$window"; xdotool key alt+F4 ;;
    no_then_yes)
      answer_prompt n
      within 10 gone "$box" || fail "No did not close the prompt"
      sleep 0.5
      ended && fail "the program ended after No"
      # Frames go on, and holding Right moves the cube right.
      focus "$window"
      shot before_right && before=$(lit_extent "$out/before_right.png" 280) || fail "no picture"
      xdotool keydown Right; sleep 0.6; xdotool keyup Right; sleep 0.5
      shot after_right && after=$(lit_extent "$out/after_right.png" 280) || fail "no picture"
      note "row 280 lit at ${before/ /-} before Right, ${after/ /-} after"
      awk -v b="$before" -v a="$after" 'BEGIN { split(b, x, " "); split(a, y, " ")
        exit !(y[1] > x[1] + 5 && y[2] > x[2] + 5) }' ||
        fail "holding Right did not move the cube right" ;&
    escape)
      answer_prompt Return
      expected=1 how="Escape then Yes" ;;
    ends) how="its boxes" ;;
    *) fail "unknown way to quit: $quit" ;;
  esac
  within "$exit_bound" ended || fail "the program did not end after $how"
  status=0; wait "$pid" || status=$?
  pid=
  [ "$status" -eq "$expected" ] || fail "after $how the program" \
    "$(describe_status "$status" 2>/dev/null || echo "exited with status $status"), not $expected"
}

# Standard error; in the root, only what is the program's own.
own_stderr() { if [ "$target" = i686 ]; then own_errors "$1"; else cat "$1"; fi; }

drive() {
  launch
  answer_boxes
  [ "$quit" = ends ] || { note "first frame"; look_at_scene; }
  quit_program
  if ! printf '%s' "$errors" | cmp -s - <(own_stderr "$out/stderr.txt"); then
    echo "expected standard error:"; printf '%s' "$errors" | od -c
    echo "actual standard error:"; own_stderr "$out/stderr.txt" | od -c
    fail "standard error differs"
  fi
  # In the root, Wine's helpers share the program's standard output.
  [ "$target" = i686 ] || [ ! -s "$out/stdout.txt" ] ||
    fail "the program wrote to standard output: $(head -c 200 "$out/stdout.txt")"
  note "PASS ($name): boxes [${seen[*]}], scene [$scene], exit $status"
}
