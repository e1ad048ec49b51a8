#!/usr/bin/env bash
# Builds both targets with warnings as errors and runs every test: the x86_64 build under
# 64-bit Wine, and the shipping i686 build under 32-bit Wine in an emulated 32-bit root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
log() { echo "test: $* after $SECONDS s"; }
mkdir -p build

# The shipping target's part, in the background: its build and release archive, then, once the
# 32-bit root is ready too, its tests. The root takes minutes to build on a bare machine (once),
# and the x86_64 tests don't use it; each of its steps is bounded.
i686_part() {
  local root_pid
  timeout -k 10 3000 scripts/setup.sh --i686-root >build/i686-root.log 2>&1 &
  root_pid=$!
  cmake --preset i686 -DMIRELTH_WARNINGS_AS_ERRORS=ON >/dev/null
  nice -n 5 cmake --build --preset i686
  # The 32-bit test runs the program from the release archive.
  nice -n 5 cmake --build --preset i686 --target package
  if ! wait "$root_pid"; then
    cat build/i686-root.log
    echo "test: the 32-bit root could not be built (log above: build/i686-root.log)"
    return 1
  fi
  log "i686 built and the 32-bit root ready"
  scripts/run-i686-tests.sh build/i686
}
(set -e; i686_part) >build/i686-part.log 2>&1 &
i686_pid=$!

# Meanwhile the x86_64 target, its tests, and a short fixed-seed fuzz of the checks of
# precompiled materials on the host. Each Wine has its own display, server and prefix.
cmake --preset x86_64 -DMIRELTH_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset x86_64
log "x86_64 built; its tests start"
scripts/fuzz-chunks.sh 20 1 >build/chunk-fuzz.log 2>&1 &
fuzz_pid=$!
status=0
scripts/run-tests.sh build/x86_64 "$@" || status=$?
log "x86_64 tests done"
wait "$fuzz_pid" || status=$?
cat build/chunk-fuzz.log

i686_status=0
wait "$i686_pid" || i686_status=$?
echo "test: the i686 part (build/i686-part.log):"
cat build/i686-part.log
[ "$i686_status" -eq 0 ] || status=$i686_status
log "all done"
exit $status
