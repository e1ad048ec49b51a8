#!/usr/bin/env bash
# Runs a build tree's tests under Wine: run-tests.sh BUILD_DIR [ctest arguments...]
# Gives the run its own Xvfb display and one persistent Wine server, both stopped at the end.
set -euo pipefail
build=$(cd "${1:?usage: run-tests.sh BUILD_DIR [ctest args]}" && pwd); shift
here=$(cd "$(dirname "$0")" && pwd)

# One run per build tree at a time: a run stops its Wine server at the end.
exec 9>"$build/.test-run.lock"
flock 9

wineserver=/usr/lib/wine/wineserver64
xvfb_pid=

cleanup() {
  timeout 20 "$wineserver" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

. "$here/xvfb.sh"
. "$here/wine-prefix.sh"
start_xvfb
echo "run-tests: display $DISPLAY"

make_wine_prefix "$build"
# Every Wine process inherits the standard error of the process that starts it. The desktop's
# process (explorer.exe) is started by the first program that needs the desktop, and ends a
# second after the last program has left it: started by a test, it holds that test's output
# pipe, and ctest waits on it for as long as other tests keep the desktop open. So start the
# server, Wine's services and the desktop here with their output sent away, and keep the
# desktop open for the whole run with a program that waits for this script to end.
"$wineserver" -p
keeper_fifo=$(mktemp -u)
mkfifo "$keeper_fifo"
/usr/lib/wine/wine64 cmd /c pause <"$keeper_fifo" >/dev/null 2>&1 &
exec 8>"$keeper_fifo"
rm -f "$keeper_fifo"
timeout 60 /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true

ctest --test-dir "$build" --output-on-failure -j "${TEST_JOBS:-2}" --timeout 300 "$@" 8>&-
