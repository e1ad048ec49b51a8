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
unpack_release() {  # ZIP PROGRAM BUILD_DIR
  local fresh stale top
  top=$(basename "$1" .zip)
  stale=$(find "$2" "$3/data" -newer "$1" -print -quit 2>/dev/null)
  [ -f "$1" ] && [ -z "$stale" ] ||
    { echo "FAIL: $1 is missing or older than $stale: build the package target" >&2; return 1; }
  fresh=$(mktemp -d /tmp/mirelth-i686.XXXXXX) || return 1
  (cd "$fresh" && cmake -E tar xf "$1") && [ -f "$fresh/$top/$(basename "$2")" ] ||
    { rm -rf "$fresh"; return 1; }
  echo "$fresh/$top"
}
name=unpacking folder=$(unpack_release "$3" "$1" "$2") || fail "could not unpack the release"
trap 'rm -rf "${folder%/*}"' EXIT
check_scene() { shows_own_scene "$1"; }
for name in escape close; do
  out=$build/i686-program/$name
  rm -rf "$out"; mkdir -p "$out"
  boxes=() errors="" scene="cube floor" quit=$name
  drive
done
