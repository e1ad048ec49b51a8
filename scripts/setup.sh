#!/usr/bin/env bash
# Installs everything the build, the demo and the tests need on a bare Debian 12 machine,
# then fetches and checks the Lua 5.2 source. Safe to run again: it only does what is missing.
# With --i686-root it also builds, once per machine, the emulated 32-bit root in which the
# shipping i686 build is tested (scripts/i686-root.sh).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
lua_dir=${LUA_DEPS_DIR:-$here/.deps}
lua_archive=lua5.2_5.2.4.orig.tar.gz
lua_sha256=86fb7e23cbbddfcd92684e5f8017ff41c9112251d1656dbece415a97fad171c0

packages=(
  cmake make
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  mingw-w64-i686-dev mingw-w64-x86-64-dev
  wine64 libwine xvfb xauth x11-utils xdotool imagemagick libgl1-mesa-dri
  googletest g++ dpkg-dev
  qemu-user-static debootstrap
  libassimp-dev  # model import for mesh_tool, a build-machine tool; the program never links it
  assimp-testmodels  # for the tests only: the import library's sample models for mesh_tool
)

. "$here/scripts/fetch_retries.sh"

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# Lua comes from Debian's source package, so apt needs source lines.
need_src=0
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  need_src=1
  sudo_if_needed tee /etc/apt/sources.list.d/debian-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ] || [ ! -f "$lua_dir/$lua_archive" ]; then
  with_fetch_retries sudo_if_needed apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  with_fetch_retries sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

mkdir -p "$lua_dir"
if [ ! -f "$lua_dir/$lua_archive" ]; then
  (cd "$lua_dir" && with_fetch_retries apt-get source --download-only lua5.2 >/dev/null)
fi
echo "$lua_sha256  $lua_dir/$lua_archive" | sha256sum -c --quiet -
if [ ! -f "$lua_dir/lua5.2-5.2.4/src/lua.h" ]; then
  tar -xzf "$lua_dir/$lua_archive" -C "$lua_dir"
fi
echo "setup: ready (Lua source in $lua_dir/lua5.2-5.2.4)"
if [ "${1:-}" = "--i686-root" ]; then
  . "$here/scripts/i686-root.sh"
  i686_root_lock
  trap 'i686_root_kill; i686_root_unmount' EXIT
  i686_root_ready
  echo "setup: 32-bit root ready in $i686_root"
fi
