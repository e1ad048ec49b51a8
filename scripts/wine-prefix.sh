# Sourced: make_wine_prefix BUILD_DIR creates the build tree's Wine prefix once and
# exports the environment every Wine run of this project uses.
make_wine_prefix() {
  export WINEPREFIX="$1/wineprefix" WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe=d"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    timeout 180 /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
    timeout 60 /usr/lib/wine/wineserver64 -w || true
  fi
}
