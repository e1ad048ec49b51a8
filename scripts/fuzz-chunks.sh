#!/usr/bin/env bash
# Fuzzes the checks of precompiled materials on the host: fuzz-chunks.sh [SECONDS] [SEED]
#
# Builds Lua 5.2 with the checks for Linux under AddressSanitizer (build/chunk-fuzz), then
# damages the compiler's output for tests/material/fuzz/corpus and the project's materials for SECONDS
# (default 20) from SEED (default 1). Prints the cases tried and what became of them; exits
# non-zero when a well-formed chunk loads unlike its text or the sanitizer finds a fault, whose
# case is left in build/chunk-fuzz/work/case.luac, with how it was made in case.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
seed=${2:-1}
build=build/chunk-fuzz
lua=${LUA_SOURCE_DIR:-${LUA_DEPS_DIR:-$PWD/.deps}/lua5.2-5.2.4}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S tests/material/fuzz/host -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUA_SOURCE_DIR="$lua" >/dev/null
fi
nice -n 10 cmake --build "$build" -j2 >/dev/null
mkdir -p "$build/work"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
  nice -n 10 "$build/chunk_fuzz" "$seconds" "$seed" "$build/work" \
  tests/material/fuzz/corpus/*.lua assets/materials/*.material
