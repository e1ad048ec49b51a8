#!/usr/bin/env bash
# Builds the program and runs it from the build tree, where its data/ folder is made.
# With a usable display it opens there and runs until you quit. Without one it runs on a
# virtual display for a few seconds and leaves a screenshot: build/x86_64/demo-screenshot.png
#   scripts/demo.sh [FOLDER]   with FOLDER, the program runs there and reads FOLDER/data/
set -euo pipefail
work=
if [ $# -gt 0 ]; then
  work=$(cd "$1" && pwd) && [ -d "$work/data" ] || { echo "demo: no data folder in $1" >&2; exit 1; }
fi
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target mirelth
build=$PWD/build/x86_64
. scripts/wine-prefix.sh
. scripts/xvfb.sh
# Tests and the demo share the build tree's Wine prefix, and a test run stops its server at
# the end: take turns.
exec 9>"$build/.test-run.lock"
flock 9
make_wine_prefix "$build"
cd "${work:-$build}"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Running on $DISPLAY: arrows move the cube, A/D/W/S the camera, Escape asks to quit."
  status=0
  timeout 86400 /usr/lib/wine/wine64 "$build/mirelth.exe" || status=$?
  echo "The program exited with status $status."
  exit 0
fi

xvfb_pid=
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; timeout 20 /usr/lib/wine/wineserver64 -k 2>/dev/null || true' EXIT
start_xvfb
timeout 120 /usr/lib/wine/wine64 "$build/mirelth.exe" &
pid=$!
window=
for _ in $(seq 150); do
  window=$(xdotool search --name "^Bexa's Mirelth Game\$" 2>/dev/null | head -n1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "The window did not appear." >&2; exit 1; }
sleep 3
timeout 20 import -display "$DISPLAY" -window "$window" "$build/demo-screenshot.png"
xdotool windowfocus --sync "$window" key alt+F4 || kill "$pid"
wait "$pid" || true
echo "No display here: ran on a virtual one. Screenshot: $build/demo-screenshot.png"
