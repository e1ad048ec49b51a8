# Sourced. Under qemu-user, 32-bit Wine now and then stops for good: its processes all blocked
# reading pipes, using no CPU. A watched step is judged by the CPU time its processes use:
# when they use none for watch_stall seconds, or the step outlives its bound, it has stopped.
#
#   watch_until BOUND SCOPE PID [DONE...]   waits for process PID to end or DONE to succeed
#   kill_tree PID                           ends process PID and everything it started

# A healthy step under heavy load was seen to go up to 21 s without progress.
watch_stall=${MIRELTH_WATCH_STALL:-90}
# CPU time, in clock ticks (1/100 s), that counts as progress: the idle processes of a healthy
# Wine use none at all.
watch_min_ticks=50
watch_poll=2

# Prints "COUNT TICKS NAMES": how many processes, their CPU time in clock ticks and their names,
# of SCOPE: "root" for every process running in the root $i686_root, else a process id for that
# process and its descendants.
watch_sample() {
  local inroot=
  [ "$1" = root ] && inroot=$(i686_root_pids)
  { cat /proc/[0-9]*/stat 2>/dev/null || true; } | awk -v scope="$1" -v inroot="$inroot" '
    { pid = $1; s = $0; sub(/^[^(]*\(/, "", s); name[pid] = s; sub(/\).*/, "", name[pid])
      sub(/.*\) /, "", s); split(s, f, " "); parent[pid] = f[2]; ticks[pid] = f[12] + f[13] }
    END {
      split(inroot, r, " "); for (i in r) chosen[r[i]] = 1
      if (scope != "root")
        for (pid in parent)
          for (p = pid; p > 1 && (p in parent); p = parent[p])
            if (p == scope) { chosen[pid] = 1; break }
      for (pid in chosen) if (pid in ticks) { n++; t += ticks[pid]; names = names "," name[pid] }
      printf "%d %d %s\n", n, t, (names == "" ? "-" : substr(names, 2))
    }'
}

# watch_until BOUND SCOPE PID [DONE...]: waits while process PID runs and the command DONE (when
# given) fails; status 0 once either stops. Status 1 when the processes of SCOPE (see
# watch_sample) make no progress for watch_stall seconds, or BOUND seconds pass: one line
# on standard output then says so, naming the step by $watch_what, and what was seen. Progress is CPU time used, or a process started
# or ended.
watch_until() {
  local bound=$1 scope=$2 pid=$3 start=$SECONDS count=0 ticks=0 names=-
  local seen_count=-1 seen_ticks=0 seen_at=$SECONDS
  shift 3
  while kill -0 "$pid" 2>/dev/null; do
    [ $# -gt 0 ] && "$@" && return 0
    if [ $((SECONDS - start)) -ge "$bound" ]; then
      echo "watchdog: ${watch_what:-a step} still running after its bound of $bound s: $count processes ($names), $((ticks / 100)) s of CPU"
      return 1
    fi
    read -r count ticks names < <(watch_sample "$scope") || true
    # A sample that comes back empty is skipped; the bound above still holds.
    [ -n "$ticks" ] || { sleep "$watch_poll"; continue; }
    if [ "$count" != "$seen_count" ] || [ "$ticks" -lt "$seen_ticks" ] ||
       [ $((ticks - seen_ticks)) -ge "$watch_min_ticks" ]; then
      seen_count=$count seen_ticks=$ticks seen_at=$SECONDS
    fi
    if [ $((SECONDS - seen_at)) -ge "$watch_stall" ]; then
      echo "watchdog: ${watch_what:-a step} stopped after $((SECONDS - start)) s: under 0.5 s of CPU in $watch_stall s by $count processes ($names)"
      return 1
    fi
    sleep "$watch_poll"
  done
  return 0
}

# The processes running in the root $i686_root, one id a line.
# Processes come and go while /proc is read, and find then ends with status 1: the list it
# printed is still right, and callers run under set -e.
i686_root_pids() {
  { i686_as_root find /proc -mindepth 2 -maxdepth 2 -name root -lname "$i686_root" 2>/dev/null ||
    true; } | cut -d/ -f3
}

kill_tree() {
  local child
  kill -STOP "$1" 2>/dev/null
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do kill_tree "$child"; done
  kill -9 "$1" 2>/dev/null
  return 0
}
