# Sourced: running one 32-bit program in the emulated root, from a folder that holds it and
# a copy of the build's data/. The root sees the host's /tmp at the same path.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/i686-root.sh"

# stage BUILD_DIR PROGRAM: a fresh folder under /tmp with the program and data/; prints it.
stage() {
  local folder
  folder=$(mktemp -d /tmp/mirelth-i686.XXXXXX)
  cp "$2" "$folder/" && cp -r "$1/data" "$folder/data" || return 1
  echo "$folder"
}

# run_in_root FOLDER PROGRAM_NAME STDOUT STDERR: runs it there with a time limit; its status.
# Starting takes a minute or more under emulation, and a frame a few tenths of a second.
run_in_root() {
  i686_as_root timeout -k 10 "${I686_RUN_TIMEOUT:-800}" chroot "$i686_root" \
    env "${i686_env[@]}" WINELOADERNOEXEC=1 DISPLAY="$DISPLAY" sh -c 'cd "$1" && exec wine "$2"' \
    sh "$1" "$2" >"$3" 2>"$4"
}

# Ends process $1 and everything it started (the emulated Wine processes run deep below it).
kill_tree() {
  local child
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do kill_tree "$child"; done
  kill -9 "$1" 2>/dev/null
}

# Under qemu-user, Wine's helper processes sometimes die of a signal that qemu reports on
# the standard error they share with the program, and a thread still talking to the Wine
# server while qemu tears its process down finds the server's pipe closed: neither is the
# program's doing (its exit status is checked on its own). What is left of STDERR after
# those lines is the program's own.
own_errors() {
  grep -v -E -e '^qemu: uncaught target signal [0-9]+ \(.*\) - core dumped$' \
    -e '^wine client error:[0-9a-f]+: write: Bad file descriptor$' "$1" || true
}

# A crash of the program itself ends it with a status that no path of it returns.
describe_status() {
  case $1 in
    124|137) echo "did not end within its time limit (status $1)" ;;
    5|139|134|132) echo "crashed (status $1)" ;;
    *) echo "exited with status $1" ;;
  esac
}
