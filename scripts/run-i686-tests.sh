#!/usr/bin/env bash
# Runs the i686 build tree's tests in the emulated 32-bit root: run-i686-tests.sh BUILD_DIR [ctest args]
# Builds whatever of the root is missing, then runs the tests in a 32-bit Wine session of their
# own (scripts/wine-session.sh), stopped at the end.
set -euo pipefail
build=$(cd "${1:?usage: run-i686-tests.sh BUILD_DIR [ctest args]}" && pwd); shift
. "$(dirname "$0")/wine-session.sh"
started=$SECONDS
session_start i686 "$build"
status=0
session_child ctest --test-dir "$build" --output-on-failure -j "${TEST_JOBS:-2}" "$@" || status=$?
echo "run-i686-tests: done after $((SECONDS - started)) s"
exit $status
