#!/usr/bin/env bash
# A guided tour of Fuselox on the bundled sample simulator. The sample is
# copied to a temporary Wine-style prefix first, so the repository never
# changes.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
bash tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target fuselox >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix
cp -r examples/sample-sim "$WINEPREFIX"
mkdir -p "$WINEPREFIX/dosdevices" "$WINEPREFIX/drive_c/FSX/SimObjects/Rotorcraft"
ln -s ../drive_c "$WINEPREFIX/dosdevices/c:"
cp -r examples/repaint "$work/repaint"
cd "$work"

fuselox() { "$repo/build/fuselox" "$@"; }
say() { printf '\n== %s\n' "$*"; }
step() {
  printf '$ fuselox'
  printf ' "%s"' "$@"
  printf '\n'
  set +e
  fuselox "$@"
  local rc=$?
  set -e
  printf '(exit code %d)\n' "$rc"
}

say "The simulator lives in a Wine prefix: $WINEPREFIX"
say "Where is the simulator? (registry value AppPath)"
step PRINT_PATH_FSX
say "Which aircraft does it have? (SimObjects paths from fsx.cfg)"
step DUMP_ALL_AIRCRAFT
say "Where is the C172's folder?"
step PRINT_PATH_AIRCRAFT Fuselox_C172
say "Everything the program can do:"
step help
