#!/usr/bin/env bash
# Runs the i686 build tree's tests in the emulated 32-bit root: run-i686-tests.sh BUILD_DIR [ctest args]
# Builds the root when it is missing, gives the run its own Xvfb display and one persistent
# 32-bit Wine server with its services started, and stops both at the end.
set -euo pipefail
build=$(cd "${1:?usage: run-i686-tests.sh BUILD_DIR [ctest args]}" && pwd); shift
here=$(cd "$(dirname "$0")" && pwd)
. "$here/i686-root.sh"
. "$here/xvfb.sh"

# The root has one Wine prefix: one run per machine at a time.
mkdir -p "$(dirname "$i686_root")"
exec 8>"$(dirname "$i686_root")/i686-tests.lock"
flock 8

started=$SECONDS
i686_root_ready
echo "run-i686-tests: root ready after $((SECONDS - started)) s"

xvfb_pid=
cleanup() {
  i686_as_root timeout 60 chroot "$i686_root" env "${i686_env[@]}" wineserver -k >/dev/null 2>&1 || true
  i686_root_kill
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  i686_root_unmount
}
trap cleanup EXIT
i686_root_mount
start_xvfb
echo "run-i686-tests: display $DISPLAY"

# One server for the run, and Wine's service processes started now with their output sent
# away (so that no test's pipe is held by them), through the preloader, which starts them in
# seconds where a process without it takes a minute.
i686_as_root timeout 120 chroot "$i686_root" env "${i686_env[@]}" wineserver -p
# The desktop stays open for the whole run, held by a program that waits for this script to
# end: otherwise it closes after each run of a test and the next start races its shutdown.
keeper_fifo=$(mktemp -u)
mkfifo "$keeper_fifo"
i686_as_root chroot "$i686_root" env "${i686_env[@]}" DISPLAY="$DISPLAY" \
  wine cmd /c pause <"$keeper_fifo" >/dev/null 2>&1 &
exec 8>"$keeper_fifo"
rm -f "$keeper_fifo"
i686_as_root timeout 300 chroot "$i686_root" env "${i686_env[@]}" DISPLAY="$DISPLAY" \
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
echo "run-i686-tests: Wine services up after $((SECONDS - started)) s"

status=0
ctest --test-dir "$build" --output-on-failure -j "${TEST_JOBS:-2}" "$@" 8>&- || status=$?
echo "run-i686-tests: done after $((SECONDS - started)) s"
exit $status
