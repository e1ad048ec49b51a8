#!/usr/bin/env bash
# The 32-bit number checks in one 32-bit Wine process: run_numbers.sh TEST_EXE BUILD_DIR
set -u
. "$(dirname "$0")/root_run.sh"
# A fresh folder with the test exe and the build's data/.
folder=$(mktemp -d /tmp/mirelth-i686.XXXXXX) || exit 1
trap 'rm -rf "$folder"' EXIT
cp "$1" "$folder/" && cp -r "$2/data" "$folder/data" ||
  { echo "FAIL: could not stage the test"; exit 1; }
# GoogleTest's first line, flushed as its first test starts: the test exe's own code runs.
in_main() { grep -q '^Running main()' "$folder/stdout.txt"; }
status=0
if start_in_root in_main "$folder" "$(basename "$1")" "$folder/stdout.txt" "$folder/stderr.txt"; then
  wait "$started_pid" || status=$?
else
  status=1
fi
cat "$folder/stdout.txt"
errors=$(own_errors "$folder/stderr.txt")
[ -n "$errors" ] && { echo "standard error:"; echo "$errors"; }
if [ "$status" -ne 0 ] || ! grep -q '^\[  PASSED  \]' "$folder/stdout.txt"; then
  echo "FAIL: the number checks $(describe_status "$status")"
  exit 1
fi
