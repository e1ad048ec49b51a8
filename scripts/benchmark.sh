#!/usr/bin/env bash
# Builds the x86_64 target and runs the benchmark from the build tree under Wine, on a
# private Xvfb display with one Wine server, both stopped at the end. Prints one table and
# writes the same figures to build/x86_64/benchmark.json. Takes about one and a half minutes
# on an idle two-core machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target mirelth_benchmark
build=$PWD/build/x86_64

# The tests use the same Wine prefix and stop its server at the end: one run at a time.
exec 9>"$build/.test-run.lock"
flock 9

wineserver=/usr/lib/wine/wineserver64
xvfb_pid=
cleanup() {
  timeout 20 "$wineserver" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

. scripts/xvfb.sh
. scripts/wine-prefix.sh
start_xvfb
make_wine_prefix "$build"
# Server and Wine's service processes up before measuring, their output sent away.
"$wineserver" -p
timeout 60 /usr/lib/wine/wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true

# Other work on the machine shows in the figures: the load average is kept with them.
host="$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) before the run"
cd "$build"
timeout -k 5 600 /usr/lib/wine/wine64 tests/benchmark/mirelth_benchmark.exe benchmark.json "$host"
