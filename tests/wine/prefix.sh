# Sourced by the scripts here: one real Wine prefix (wineboot) for everything that runs the
# Windows build. FUSELOX_WINE_PREFIX names one made earlier in the run; without it a throw-away
# one is made and removed on exit. Wine stays silent, needs no display, and gets no Mono or Gecko.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="

# Stops only this prefix's wineserver, then removes the prefix.
wine_prefix_destroy() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}

wine_prefix_ensure() {
  if [ -n "${FUSELOX_WINE_PREFIX:-}" ]; then
    export WINEPREFIX=$FUSELOX_WINE_PREFIX
    return 0
  fi
  FUSELOX_WINE_PREFIX=$(mktemp -d "${TMPDIR:-/tmp}/fuselox-wine.XXXXXX")
  export FUSELOX_WINE_PREFIX WINEPREFIX=$FUSELOX_WINE_PREFIX
  trap wine_prefix_destroy EXIT
  if ! wineboot -i >/dev/null 2>&1 || ! wineserver -w; then
    echo "could not create a Wine prefix in $WINEPREFIX (wineboot -i)" >&2
    return 1
  fi
  # One wineserver for the whole run, so that no test pays for starting it.
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
}
