#!/usr/bin/env bash
# Sourced. The 32-bit Debian root in which the shipping i686 build runs under 32-bit Wine,
# emulated by qemu-user: nothing i386 goes into the host system, and the host's own 64-bit
# Wine is left alone. The root is built once per machine, outside any checkout.
#
#   i686_root_lock          takes the root's lock (whoever builds or uses the root holds it)
#   i686_root_ready         builds whatever is missing (root, packages, prefix); idempotent
#   i686_root_mount         binds /proc, /sys, /dev, /dev/pts and /tmp into the root
#   i686_root_unmount       undoes i686_root_mount
#   i686_root_kill          ends every process running in the root
#   i686_watched NAME COMMAND...   a Wine step of the root, under the watchdog
#
# MIRELTH_I686_ROOT names the root (default /var/cache/mirelth/i686-root).

i686_root=${MIRELTH_I686_ROOT:-/var/cache/mirelth/i686-root}
# Bump when the recipe below changes, so that machines rebuild what it makes.
i686_recipe=2
i686_packages=(wine wine32 wine32-preloader libgl1 libgl1-mesa-dri libglx-mesa0 libxcomposite1 libxcursor1
  libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1 fonts-wine libgnutls30
  libdbus-1-3 procps)

. "$(dirname "${BASH_SOURCE[0]}")/fetch_retries.sh"
. "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"
. "$(dirname "${BASH_SOURCE[0]}")/watchdog.sh"

# Tries of a watched step, and the bound of one try. Making the prefix takes 18 to 40 s on an
# idle machine, and up to two minutes while the machine's two cores run a dozen jobs.
i686_tries=3
i686_step_bound=600
i686_prefix_stamp=$i686_root/root/.wine/.mirelth-prefix-done

i686_as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

i686_log() { echo "i686-root: $*"; }

# qemu-user runs the root's 32-bit programs; binfmt_misc hands them to it, also inside a chroot
# (the F flag opens the interpreter when the entry is registered).
i686_binfmt() {
  local dir=/proc/sys/fs/binfmt_misc
  [ -e "$dir/register" ] || i686_as_root mount -t binfmt_misc binfmt_misc "$dir"
  [ -e "$dir/qemu-i386" ] && return 0
  i686_as_root sh -c "echo ':qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F' > $dir/register"
}

# The host's Debian mirror, so that the root comes from the same place as the host's packages.
i686_mirror() {
  local uri
  uri=$(grep -h -E '^URIs:|^deb ' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null |
        grep -v security | head -n1 | sed -E 's/^URIs:[[:space:]]*//; s/^deb (\[[^]]*\] )?//; s/ .*//')
  echo "${uri:-http://deb.debian.org/debian}"
}

i686_root_mount() {
  local m
  for m in proc sys dev dev/pts tmp; do
    mountpoint -q "$i686_root/$m" || i686_as_root mount --bind "/$m" "$i686_root/$m"
  done
}

# Ends every process running in the root: a Wine process still starting has not met the
# server yet, so stopping the server does not end it.
i686_root_kill() {
  local p
  for p in $(i686_root_pids); do kill -9 "$p" 2>/dev/null; done
  return 0
}

# One Wine prefix and one server per root: one user of a root at a time. A run waits for another
# (a whole 32-bit test run takes up to half an hour under load) but not for ever.
i686_root_lock() {
  i686_as_root mkdir -p "$(dirname "$i686_root")"
  exec {i686_lock}>"$i686_root.lock"
  flock -n "$i686_lock" && return 0
  i686_log "waiting for another run that uses $i686_root"
  flock -w 3600 "$i686_lock" || { i686_log "the root stayed in use for an hour" >&2; return 1; }
}

i686_root_unmount() {
  local m
  for m in tmp dev/pts dev sys proc; do
    mountpoint -q "$i686_root/$m" && i686_as_root umount -l "$i686_root/$m"
  done
  return 0
}

# Environment of every 32-bit Wine run; the prefix lives in the root. i686_chroot runs a
# command in the root with it, as a command (timeout takes it) rather than a function.
i686_env=(HOME=/root WINEPREFIX=/root/.wine WINEDEBUG=-all
  "WINEDLLOVERRIDES=$wine_dll_overrides")
i686_chroot=(chroot "$i686_root" env "${i686_env[@]}")
[ "$(id -u)" -eq 0 ] || i686_chroot=(sudo "${i686_chroot[@]}")

# The caller holds the root's lock (i686_root_lock).
i686_root_ready() {
  local stamp=$i686_root/.mirelth-recipe start=$SECONDS
  i686_binfmt
  [ "$(cat "$stamp" 2>/dev/null)" = "$i686_recipe" ] && [ -f "$i686_prefix_stamp" ] && return 0
  if [ ! -x "$i686_root/usr/bin/apt-get" ] || [ ! -f "$i686_root/.debootstrap-done" ]; then
    i686_log "building a 32-bit Debian 12 root in $i686_root (a few minutes, once per machine)"
    with_fetch_retries i686_debootstrap
    i686_as_root rm -rf "$i686_root"
    i686_as_root mv "$i686_root.partial" "$i686_root"
    i686_as_root touch "$i686_root/.debootstrap-done"
    i686_log "root made in $((SECONDS - start)) s"
  fi
  local mirror
  mirror=$(i686_mirror)
  # The suites the host's own Wine and Mesa come from, and nothing else: the i386 side of a
  # further suite can lag behind its index on a mirror, failing every set-up until it catches up.
  i686_as_root tee "$i686_root/etc/apt/sources.list" >/dev/null <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
SOURCES
  i686_as_root cp /etc/resolv.conf "$i686_root/etc/resolv.conf"
  i686_root_mount
  if [ "$(cat "$i686_root/.packages-done" 2>/dev/null)" != "${i686_packages[*]}" ]; then
    i686_log "installing 32-bit Wine and Mesa in the root"
    with_fetch_retries i686_as_root chroot "$i686_root" apt-get update -qq
    with_fetch_retries i686_as_root chroot "$i686_root" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${i686_packages[@]}" >/dev/null
    i686_as_root chroot "$i686_root" apt-get clean
    echo "${i686_packages[*]}" | i686_as_root tee "$i686_root/.packages-done" >/dev/null
    i686_log "packages installed after $((SECONDS - start)) s"
  fi
  if [ ! -f "$i686_prefix_stamp" ]; then
    i686_log "creating the 32-bit Wine prefix"
    i686_watched "making the 32-bit Wine prefix" i686_make_prefix || return 1
    i686_log "prefix made after $((SECONDS - start)) s"
  fi
  echo "$i686_recipe" | i686_as_root tee "$stamp" >/dev/null
}

# A root is made in a folder of its own and moved into place once complete.
i686_debootstrap() {
  i686_as_root rm -rf "$i686_root.partial"
  i686_as_root debootstrap --arch=i386 --variant=minbase bookworm "$i686_root.partial" \
    "$(i686_mirror)" >/dev/null
}

# wineboot with the preloader: it draws nothing, and the preloader spares it the slow start.
# wineboot's first process may end while its children finish the prefix: the prefix is made
# once the server has ended too, with no process of the root left.
i686_make_prefix() {
  i686_as_root rm -rf "$i686_root/root/.wine"
  timeout -k 5 "$i686_step_bound" "${i686_chroot[@]}" wine wineboot -i \
    </dev/null >/dev/null 2>&1 &&
  timeout -k 5 "$i686_step_bound" "${i686_chroot[@]}" wineserver -w &&
  [ -f "$i686_root/root/.wine/system.reg" ] && [ -z "$(i686_root_pids)" ] &&
  i686_as_root touch "$i686_prefix_stamp"
}

# i686_watched NAME COMMAND...: runs COMMAND, a step of Wine in the root, watching it
# (watch_until). A step that stops or fails is ended with every process of the root and made
# again, i686_tries times in all. Only the platform's own steps go through here, never a
# test's code: a fault of the program must fail its test.
i686_watched() {
  local name=$1 try pid status
  shift
  for try in $(seq "$i686_tries"); do
    "$@" &
    pid=$!
    if watch_what="$name, try $try of $i686_tries," watch_until "$i686_step_bound" root "$pid"; then
      status=0; wait "$pid" || status=$?
      [ "$status" -eq 0 ] && return 0
      i686_log "$name, try $try: failed with status $status"
    else
      kill_tree "$pid"; wait "$pid" 2>/dev/null || true
    fi
    i686_root_kill
  done
  i686_log "$name failed on each of $i686_tries tries; giving up" >&2
  return 1
}
