# Sourced by the scripts here: one real Wine prefix, made with wineboot, for
# everything that runs the Windows build. FUSELOX_WINE_PREFIX names a prefix
# made earlier in the run; without it a throw-away one is made and removed on
# exit. Wine stays silent and needs no display.
export WINEDEBUG=-all
# No Mono or Gecko: the program needs neither, and their installers would
# only slow the prefix down.
export WINEDLLOVERRIDES="mscoree=;mshtml="

wine_prefix_create() {
  local prefix=$1 log
  log=$(mktemp)
  if ! WINEPREFIX=$prefix wineboot -i >"$log" 2>&1 || ! WINEPREFIX=$prefix wineserver -w; then
    cat "$log" >&2
    rm -f "$log"
    echo "could not create a Wine prefix in $prefix" >&2
    return 1
  fi
  rm -f "$log"
  # One wineserver for the whole run, so that no test pays for starting it.
  WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1
  WINEPREFIX=$prefix wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_prefix_destroy() {
  local prefix=$1
  # Stops only this prefix's wineserver, then removes the prefix.
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  rm -rf "$prefix"
}

# Makes FUSELOX_WINE_PREFIX name a prefix, creating a throw-away one when
# the caller gave none.
wine_prefix_ensure() {
  if [ -n "${FUSELOX_WINE_PREFIX:-}" ]; then
    export WINEPREFIX=$FUSELOX_WINE_PREFIX
    return 0
  fi
  FUSELOX_WINE_PREFIX=$(mktemp -d "${TMPDIR:-/tmp}/fuselox-wine.XXXXXX")
  export FUSELOX_WINE_PREFIX WINEPREFIX=$FUSELOX_WINE_PREFIX
  trap 'wine_prefix_destroy "$FUSELOX_WINE_PREFIX"' EXIT
  wine_prefix_create "$FUSELOX_WINE_PREFIX"
}
