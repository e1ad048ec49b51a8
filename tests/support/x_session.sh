# Sourced: helpers for driving the real program on the test run's X display.
# Keys go through XTest to the focused window; Wine windows (message boxes included) are
# top-level X windows named by their captions. The caller defines fail() and sets $pid.

# An anchored regular expression that matches exactly this window name.
exact_name() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\\.*^$?+(){}|]/\\&/g')"; }

# Waits for a visible window with exactly this name, of process $2 when given; prints its id.
wait_window() {
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --all --onlyvisible ${2:+--pid "$2"} --name "$(exact_name "$1")" \
           2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# True when process $1 is $2 or one of its descendants (Wine runs the program in a child of
# the process that was started).
descends_from() {
  local p=$1
  while [ -n "$p" ] && [ "$p" -gt 1 ]; do
    [ "$p" = "$2" ] && return 0
    p=$(sed 's/.*) //' "/proc/$p/stat" 2>/dev/null | cut -d' ' -f2)
  done
  return 1
}

# Waits for the visible window with exactly this name that belongs to the program started as
# process $2 (not one that an earlier run may still be closing); prints its id.
wait_program_window() {
  local id
  for _ in $(seq 150); do
    for id in $(xdotool search --onlyvisible --name "$(exact_name "$1")" 2>/dev/null); do
      descends_from "$(xdotool getwindowpid "$id" 2>/dev/null)" "$2" && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}

# Waits until the window with this id is no longer visible.
wait_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
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

# The program's exit status, or a failure if it does not end within 15 s.
wait_exit() {
  for _ in $(seq 150); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.1
  done
  fail "the program did not exit"
}

# Mean brightness (0 to 1) of a band of client rows: FILE FIRST_ROW ROWS.
# The X window of the main window has a 2-pixel client edge around the 800x600 client area.
band_mean() {
  convert "$1" -crop "800x$3+2+$(( $2 + 2 ))" +repage -colorspace Gray -format '%[fx:mean]' info:
}

# First and last lit column of one client row (-1 -1 when none is lit): FILE ROW.
lit_extent() {
  convert "$1" -crop "800x1+2+$(( $2 + 2 ))" +repage -colorspace Gray -threshold 12% txt:- |
    awk -F'[,:]' '/#FFFFFF|white/ { if (first == "") first = $1; last = $1 }
                  END { print (first == "" ? -1 : first), (last == "" ? -1 : last) }'
}
