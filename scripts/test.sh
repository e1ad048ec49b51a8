#!/usr/bin/env bash
# Builds both targets with warnings as errors and runs every test: the x86_64 build under
# 64-bit Wine, then the shipping i686 build under 32-bit Wine in an emulated 32-bit root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
log() { echo "test: $* after $SECONDS s"; }
# The 32-bit root takes minutes to build on a bare machine (once): it is made meanwhile, while
# the x86_64 target builds and its tests run, which don't use it. Each of its steps is bounded.
mkdir -p build
timeout -k 10 3000 scripts/setup.sh --i686-root >build/i686-root.log 2>&1 &
root_pid=$!
cmake --preset x86_64 -DMIRELTH_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset x86_64
log "x86_64 built; its tests start"
status=0
scripts/run-tests.sh build/x86_64 "$@" || status=$?
log "x86_64 tests done"
# A short fixed-seed fuzz of the checks of precompiled materials, on the host.
scripts/fuzz-chunks.sh 20 1 || status=$?
cmake --preset i686 -DMIRELTH_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset i686
# The 32-bit test runs the program from the release archive.
cmake --build --preset i686 --target package
if ! wait "$root_pid"; then
  cat build/i686-root.log >&2
  echo "test: the 32-bit root could not be built (log above: build/i686-root.log)" >&2
  exit 1
fi
log "i686 built and the 32-bit root ready"
scripts/run-i686-tests.sh build/i686 || status=$?
log "all done"
exit $status
