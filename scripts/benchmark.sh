#!/usr/bin/env bash
# Builds the x86_64 target and runs the benchmark from the build tree under Wine, in a Wine
# session of its own (scripts/wine-session.sh), stopped at the end. Prints one table and
# writes the same figures to build/x86_64/benchmark.json. Takes about one and a half minutes
# on an idle two-core machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target mirelth_benchmark
build=$PWD/build/x86_64

. scripts/wine-session.sh
session_start x86_64 "$build"

# Other work on the machine shows in the figures: the load average is kept with them.
host="$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) before the run"
cd "$build"
session_child timeout -k 5 600 "${session_wine[@]}" benchmark/mirelth_benchmark.exe benchmark.json "$host"
