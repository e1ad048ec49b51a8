#!/usr/bin/env bash
# Runs the mutation campaign with a large budget: mutation-campaign.sh [SECONDS] [SEED]
#
# SECONDS (default 600) is the time each family of cases (meshes, materials, shaders) gets;
# the three run side by side, so the whole run takes about that long. SEED (default: taken
# from the clock, and printed) chooses the random cases; the same seed gives the same cases.
# Prints each family's summary: cases tried, the distinct reports seen with their counts,
# and any case with problems or that ended the process, with its recipe.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
seed=${2:-$(date +%s)}
build=build/x86_64

[ -f "$build/CMakeCache.txt" ] || cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target campaign_tests >/dev/null

log="$build/mutation-campaign.log"
echo "mutation campaign: $seconds s per family, seed $seed (log: $log)"
export MIRELTH_CAMPAIGN_SECONDS="$seconds" MIRELTH_CAMPAIGN_SEED="$seed"
export MIRELTH_CAMPAIGN_CASES="${MIRELTH_CAMPAIGN_CASES:-1000000000}"
status=0
TEST_JOBS=3 scripts/run-tests.sh "$build" -R '^Mutation' -V >"$log" 2>&1 || status=$?

# ctest -V puts the test's number in front of each line of its output.
sed -nE 's/^[0-9]+: //; /^campaign /p; /^  +[0-9]+  /p' "$log"
if grep -q 'the process \(crashed\|aborted\)' "$log"; then
  echo "A case ended the process:"
  sed -nE 's/^[0-9]+: //; /the process (crashed|aborted)/,/^$/p' "$log"
fi
if grep -q 'case with problems' "$log"; then
  echo "Cases with problems (the first ten of each family):"
  sed -nE 's/^[0-9]+: //; /^case with problems/,/^(\[|\/|$)/p' "$log"
fi
grep -E '^ *[0-9]+/[0-9]+ Test +#' "$log" || true
exit $status
