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
# Start the server and Wine's service processes with their output sent away, so that
# no test's pipe is held open by a service that outlives it.
"$wineserver" -p
timeout 60 /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true

# A Wine process very rarely fails to end after its test has passed; a test that fails or
# hangs is run once more, and only a second failure fails the run.
status=0
ctest --test-dir "$build" --output-on-failure -j "${TEST_JOBS:-2}" --timeout 300 \
  --repeat until-pass:2 "$@" || status=$?
exit $status
