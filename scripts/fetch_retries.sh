# Sourced. Debian's mirrors are sometimes in the middle of a sync or briefly out of reach, and
# a set-up on a bare machine must not fail for that: a fetch that fails is made again after a
# growing pause (30 s to 4 min), five times in all, before the set-up gives up.
#   with_fetch_retries COMMAND...   runs it until it succeeds; the last failure's status
with_fetch_retries() {
  local pause=30 status
  for _ in 1 2 3 4; do
    "$@" && return 0
    status=$?
    echo "setup: '$*' failed (status $status); trying again in $pause s" >&2
    sleep "$pause"
    pause=$((pause * 2))
  done
  "$@"
}
