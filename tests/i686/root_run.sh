# Sourced: running one 32-bit program in the emulated root, from a folder under /tmp that holds
# it and its data/. The root sees the host's /tmp at the same path.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/i686-root.sh"

# run_in_root FOLDER PROGRAM_NAME STDOUT STDERR: runs it there with a time limit; its status.
# Starting takes a minute or more under emulation, and a frame a few tenths of a second.
run_in_root() {
  timeout -k 10 "${I686_RUN_TIMEOUT:-800}" "${i686_chroot[@]}" WINELOADERNOEXEC=1 \
    DISPLAY="$DISPLAY" sh -c 'cd "$1" && exec wine "$2"' sh "$1" "$2" >"$3" 2>"$4"
}

# start_in_root STARTED FOLDER PROGRAM_NAME STDOUT STDERR: starts the program as run_in_root
# does, in the background (its process id in started_pid), and waits until the command STARTED
# says that the program's own code has run. What runs before that is Wine's start-up, which
# under emulation now and then dies or stops for good (see scripts/watchdog.sh): then the
# start is made again, up to three times in all. Once the program's code has run, its faults
# are its own and nothing is tried again. Status 1 when no start got that far.
start_tries=3
start_bound=600
start_in_root() {
  local started=$1 try status; shift
  for try in $(seq "$start_tries"); do
    run_in_root "$@" &
    started_pid=$!
    if watch_what="the start of $2 (try $try of $start_tries)" \
       watch_until "$start_bound" "$started_pid" "$started_pid" "$started"; then
      "$started" && return 0
      status=0; wait "$started_pid" || status=$?
      echo "NOTE: Wine ended before $2's own code ran ($(describe_status "$status")); starting it again"
    else
      kill_tree "$started_pid"; wait "$started_pid" 2>/dev/null || true
    fi
  done
  echo "FAIL: $2 did not start in any of $start_tries tries"
  return 1
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
