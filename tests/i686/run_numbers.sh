#!/usr/bin/env bash
# The 32-bit number checks in one 32-bit Wine process: run_numbers.sh TEST_EXE BUILD_DIR
set -u
. "$(dirname "$0")/root_run.sh"
folder=$(stage "$2" "$1") || { echo "FAIL: could not stage the test"; exit 1; }
trap 'rm -rf "$folder"' EXIT
for try in 1 2; do
  status=0
  run_in_root "$folder" "$(basename "$1")" "$folder/stdout.txt" "$folder/stderr.txt" || status=$?
  # Before main() only Wine's start-up runs, which qemu kills now and then: one more start.
  [ "$status" -ne 0 ] && ! grep -q '^Running main()' "$folder/stdout.txt" &&
    [ "$try" -eq 1 ] || break
  echo "NOTE: Wine ended before the test exe ran ($(describe_status "$status")); starting it again"
done
cat "$folder/stdout.txt"
errors=$(own_errors "$folder/stderr.txt")
[ -n "$errors" ] && { echo "standard error:"; echo "$errors"; }
if [ "$status" -ne 0 ] || ! grep -q '^\[  PASSED  \]' "$folder/stdout.txt"; then
  echo "FAIL: the number checks $(describe_status "$status")"
  exit 1
fi
