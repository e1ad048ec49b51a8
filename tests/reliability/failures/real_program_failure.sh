#!/usr/bin/env bash
# Starts the real program where Direct3D really fails, and checks what a person would see:
#   real_program_failure.sh SCENARIO PROGRAM BOX_READER BUILD_DIR
# no_opengl: an X display without GLX, so Wine's Direct3D has no OpenGL and Direct3DCreate9
#            returns null: "No D3D9 Interface".
# no3d:      Wine's Direct3D told to use its renderer without 3D: the interface exists but
#            CreateDevice fails: "No D3D9 Device".
# Either way the box is owned by the main window, answering it ends the program with status 0,
# and nothing is written to standard error.
set -u
scenario=$1 program=$2 reader=$3 build=$4
here=$(cd "$(dirname "$0")" && pwd)
runner=$here/../../../scripts/wine-run
out=$build/reliability/real_program_failure/$scenario
rm -rf "$out"; mkdir -p "$out"
cd "$build" || exit 2

pid= own_xvfb=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$own_xvfb" ] && kill "$own_xvfb" 2>/dev/null
}
trap cleanup EXIT
fail() { echo "FAIL ($scenario): $*" >&2; exit 1; }

case $scenario in
  no_opengl)
    caption="No D3D9 Interface" text="DirectX failed to create a Direct3D9 interface"
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -extension GLX 3>"$fdfile" \
      >/dev/null 2>&1 &
    own_xvfb=$!
    for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
    [ -s "$fdfile" ] || fail "Xvfb without GLX did not start"
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
    xdpyinfo 2>/dev/null | grep -q GLX && fail "the display $DISPLAY has GLX"
    ;;
  no3d)
    caption="No D3D9 Device" text="DirectX failed to create a Direct3D9 device"
    export WINE_D3D_CONFIG="renderer=no3d"
    ;;
  *) fail "unknown scenario" ;;
esac

. "$here/../../support/x_session.sh"
visible() { xdotool search --onlyvisible --name "$(exact_name "$1")" >/dev/null 2>&1; }
# Names of every visible top-level window, one a line, sorted.
visible_names() {
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    xdotool getwindowname "$id" 2>/dev/null
  done | sort
}

"$runner" "$build/wineprefix" "$program" 2>"$out/stderr.txt" &
pid=$!
main=$(wait_program_window "Bexa's Mirelth Game" "$pid") || fail "the main window did not appear"
box=$(wait_window "$caption") || fail "no \"$caption\" box; windows: $(visible_names | tr '\n' '|')"

# Its X window is transient for the main window's: Wine's mark of an owned window.
transient=$(xprop -id "$box" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*window id # //p')
[ -n "$transient" ] && [ $((transient)) -eq "$main" ] ||
  fail "the box is not owned by the main window (WM_TRANSIENT_FOR ${transient:-none})"

# The box as the program's own session sees it: text, owner, buttons.
"$runner" "$build/wineprefix" "$reader" "$caption" >"$out/box.txt" 2>/dev/null ||
  fail "box_reader found no \"$caption\" box"
tr -d '\r' <"$out/box.txt" >"$out/box.clean.txt"
expected=$(printf 'caption=%s\ntext=%s\nowner_title=%s\nowner_class=%s\nbuttons=OK\n' \
  "$caption" "$text" "Bexa's Mirelth Game" "Bexa's Main Window Class")
[ "$(cat "$out/box.clean.txt")" = "$expected" ] ||
  fail "the box is not as expected:$(printf '\n')$(cat "$out/box.clean.txt")"

names=$(visible_names | tr '\n' '|')
[ "$names" = "Bexa's Mirelth Game|$caption|" ] || fail "other windows are open: $names"

# Return presses OK. A key that arrives before the box has taken the focus is lost: retry.
for _ in $(seq 20); do
  visible "$caption" || break
  timeout 5 xdotool windowfocus --sync "$box" 2>/dev/null
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$box" ] && xdotool key Return
  for _ in $(seq 10); do visible "$caption" || break; sleep 0.1; done
done
visible "$caption" && fail "Return did not close the box"

for _ in $(seq 150); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not exit after the box"
wait "$pid"; status=$?; pid=
[ "$status" -eq 0 ] || fail "the program exited with $status, not 0"
if [ -s "$out/stderr.txt" ]; then
  echo "standard error of the program:"; cat "$out/stderr.txt"
  fail "the program wrote to standard error"
fi
echo "PASS ($scenario): \"$caption\" owned by the main window, exit status 0"
