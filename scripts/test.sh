#!/usr/bin/env bash
# Builds both targets with warnings as errors and runs every test (x86_64, under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for target in i686 x86_64; do
  cmake --preset "$target" -DMIRELTH_WARNINGS_AS_ERRORS=ON >/dev/null
  cmake --build --preset "$target"
done
scripts/run-tests.sh build/x86_64 "$@"
