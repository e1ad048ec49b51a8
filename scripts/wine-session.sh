# Sourced by the three runners (run-tests.sh, run-i686-tests.sh, benchmark.sh): one Wine session
# for a run, with either the host's 64-bit Wine or the emulated root's 32-bit Wine.
#
#   session_start KIND BUILD_DIR   KIND x86_64 or i686: takes the lock, starts the display,
#                                  makes the prefix, starts the server, its services and the
#                                  desktop; everything is stopped when the script exits
#   session_child COMMAND...       runs COMMAND without the session's descriptors
#   session_wine                   the session's wine command (an array)
#
# Every Wine process inherits the standard error of the process that starts it. The desktop's
# process (explorer.exe) is started by the first program that needs the desktop, and ends a
# second after the last program has left it: started by a test, it holds that test's output
# pipe, and ctest waits on it for as long as other tests keep the desktop open. So the server,
# Wine's services and the desktop are started here with their output sent away, and the desktop
# is kept open for the whole run by a program that waits for this script to end (the keeper).

session_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$session_dir/xvfb.sh"
. "$session_dir/wine-prefix.sh"
. "$session_dir/i686-root.sh"

session_kind='' session_tmp='' xvfb_pid=''
session_lock='' session_keeper=''

session_start() {
  session_kind=$1
  local build=$2 started=$SECONDS
  trap session_stop EXIT
  session_tmp=$(mktemp -d)
  start_xvfb || return 1
  if [ "$session_kind" = i686 ]; then
    i686_root_lock || return 1
    session_lock=$i686_lock
    i686_root_ready || return 1
    i686_root_mount
  else
    # A run stops the build tree's Wine server at its end: one run per build tree at a time.
    exec {session_lock}>"$build/.test-run.lock"
    flock -w 3600 "$session_lock" || { echo "session: $build stayed in use for an hour" >&2; return 1; }
    make_wine_prefix "$build" || return 1
  fi
  if [ "$session_kind" = i686 ]; then
    session_wineserver=("${i686_chroot[@]}" wineserver)
    session_wine=("${i686_chroot[@]}" DISPLAY="$DISPLAY" wine)
  else
    session_wineserver=(/usr/lib/wine/wineserver64)
    session_wine=(/usr/lib/wine/wine64)
  fi
  # Opened for reading and writing, the keeper's pipe doesn't wait for its reader; the keeper
  # sees its end when the last writer, this script, has gone.
  mkfifo "$session_tmp/keeper"
  exec {session_keeper}<>"$session_tmp/keeper"
  if [ "$session_kind" = i686 ]; then
    i686_watched "starting the 32-bit Wine server and services" session_services || return 1
  else
    session_services || return 1
  fi
  echo "session: $session_kind Wine on display $DISPLAY, up after $((SECONDS - started)) s"
}

# A persistent server, the keeper, and Wine's services started by a program that does nothing.
# With the preloader, a 32-bit Wine process starts in seconds rather than a minute.
session_services() {
  session_child timeout 120 "${session_wineserver[@]}" -p || return 1
  session_child "${session_wine[@]}" cmd /c pause <"$session_tmp/keeper" >/dev/null 2>&1 &
  session_child timeout -k 5 300 "${session_wine[@]}" cmd /c exit </dev/null >/dev/null 2>&1
}

session_child() { "$@" {session_lock}>&- {session_keeper}>&-; }

session_stop() {
  [ -n "$session_keeper" ] && exec {session_keeper}>&-
  [ -n "${session_wineserver+set}" ] &&
    timeout 60 "${session_wineserver[@]}" -k >/dev/null 2>&1
  if [ "$session_kind" = i686 ]; then
    i686_root_kill
    i686_root_unmount
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$session_tmp"
  return 0
}
