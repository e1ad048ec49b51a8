#!/usr/bin/env bash
# Runs a build tree's tests under 64-bit Wine: run-tests.sh BUILD_DIR [ctest arguments...]
# in a Wine session of their own (scripts/wine-session.sh), stopped at the end.
set -euo pipefail
build=$(cd "${1:?usage: run-tests.sh BUILD_DIR [ctest args]}" && pwd); shift
. "$(dirname "$0")/wine-session.sh"
session_start x86_64 "$build"
session_child ctest --test-dir "$build" --output-on-failure -j "${TEST_JOBS:-2}" --timeout 300 "$@"
