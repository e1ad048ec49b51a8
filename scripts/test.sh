#!/usr/bin/env bash
# Builds both targets with warnings as errors and runs every test: the x86_64 build under
# 64-bit Wine, then the shipping i686 build under 32-bit Wine in an emulated 32-bit root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The 32-bit root takes minutes to build on a bare machine (once): it is made while the
# targets build, and the tests wait for it.
mkdir -p build
scripts/setup.sh --i686-root >build/i686-root.log 2>&1 &
root_pid=$!
for target in i686 x86_64; do
  cmake --preset "$target" -DMIRELTH_WARNINGS_AS_ERRORS=ON >/dev/null
  cmake --build --preset "$target"
done
# The 32-bit test runs the program from the release archive.
cmake --build --preset i686 --target package
if ! wait "$root_pid"; then
  cat build/i686-root.log >&2
  echo "test: the 32-bit root could not be built" >&2
  exit 1
fi
status=0
# A short fixed-seed fuzz of the checks of precompiled materials, on the host.
scripts/fuzz-chunks.sh 20 1 || status=$?
scripts/run-tests.sh build/x86_64 "$@" || status=$?
scripts/run-i686-tests.sh build/i686 || status=$?
exit $status
