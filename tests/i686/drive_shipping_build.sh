#!/usr/bin/env bash
# The shipping 32-bit program, run as a user would under 32-bit Wine in the emulated root:
#   drive_shipping_build.sh PROGRAM BUILD_DIR RELEASE_ZIP
# The program runs from the release archive, unpacked afresh, as a user gets it.
# Two runs, one after the other, each with the keyboard and the display alone, both checked on
# their picture (tests/support/program_driver.sh): the first quit with Escape then Yes (status
# 1), the second closed with Alt+F4 (status 0). Neither may show a message box or write to
# standard error.
set -u
. "$(dirname "$0")/root_run.sh"
target=i686 program=$1 build=$2
. "$here/../support/program_driver.sh"
# The archive's own folder, unpacked into a fresh one; an archive older than the build's
# program or data is not what was built.
name=unpacking top=$(basename "$3" .zip)
stale=$(find "$1" "$2/data" -newer "$3" -print -quit 2>/dev/null)
[ -f "$3" ] && [ -z "$stale" ] ||
  fail "$3 is missing or older than $stale: build the package target"
fresh=$(mktemp -d /tmp/mirelth-i686.XXXXXX) || fail "no folder to unpack the release into"
trap 'rm -rf "$fresh"' EXIT
(cd "$fresh" && cmake -E tar xf "$3") && [ -f "$fresh/$top/$(basename "$1")" ] ||
  fail "could not unpack the release"
folder=$fresh/$top
check_scene() { shows_own_scene "$1"; }
for name in escape close; do
  out=$build/i686-program/$name
  rm -rf "$out"; mkdir -p "$out"
  boxes=() errors="" scene="cube floor" quit=$name
  drive
done
