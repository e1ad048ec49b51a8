# Sourced (by sh and bash): the Wine settings of every run of this project, and the 64-bit prefix.
# DLLs no run may load: Mono's and Gecko's installers, the crash debugger (a crash then ends
# the process at once instead of hanging it), and the bus drivers for game controllers and USB
# devices, which the program doesn't use and which poll at full speed under emulation.
wine_dll_overrides="mscoree,mshtml,winedbg.exe,winebus.sys,wineusb.sys=d"

# make_wine_prefix BUILD_DIR creates the build tree's Wine prefix once and exports the
# environment every 64-bit Wine run uses. A prefix counts as made once its stamp is written,
# after wineboot and the server have ended cleanly: system.reg alone appears half-way.
make_wine_prefix() {
  export WINEPREFIX="$1/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="$wine_dll_overrides"
  [ -f "$WINEPREFIX/.mirelth-prefix-done" ] && return 0
  echo "Creating the Wine prefix in $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  timeout -k 5 180 /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 &&
    timeout -k 5 60 /usr/lib/wine/wineserver64 -w && [ -f "$WINEPREFIX/system.reg" ] &&
    touch "$WINEPREFIX/.mirelth-prefix-done" && return 0
  echo "The Wine prefix in $WINEPREFIX could not be created" >&2
  return 1
}
