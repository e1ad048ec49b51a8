#!/usr/bin/env bash
# The 32-bit number checks in one 32-bit Wine process: run_numbers.sh TEST_EXE BUILD_DIR
set -u
. "$(dirname "$0")/root_run.sh"
folder=$(stage "$2" "$1") || { echo "FAIL: could not stage the test"; exit 1; }
trap 'rm -rf "$folder"' EXIT
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
