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
mkdir -p "$WINEPREFIX/dosdevices"
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
say "Which repaints does it have? (texture/title of every [fltsim.N] section)"
step DUMP_ALL_TEXTURE_TITLE Fuselox_C172
say "Install the bundled repaint, copying its texture folder (the count is the sections in the file)"
step INSTALL_VARIANT Fuselox_C172 "$work/repaint/fltsim.cfg" /COPY_TEXTURE_FOLDERS
step DUMP_ALL_TITLE Fuselox_C172
step DUMP_ALL_TEXTURE Fuselox_C172
ls "$WINEPREFIX/drive_c/FSX/SimObjects/Airplanes/Fuselox_C172"
say "Installing it again changes nothing: duplicates by title are refused"
step INSTALL_VARIANT Fuselox_C172 "$work/repaint/fltsim.cfg"
step DUMP_ALL_TITLE Fuselox_C172
say "Read and change a parameter of the new repaint, and one of [WEIGHT_AND_BALANCE]"
step READ_VARIANT_PARAMETER_BY_TITLE Fuselox_C172 "Fuselox C172 Skyhawk Sunset" atc_id
step CHANGE_VARIANT_PARAMETER_BY_TITLE Fuselox_C172 "Fuselox C172 Skyhawk Sunset" atc_id N42FX
step READ_VARIANT_PARAMETER_BY_TEXTURE Fuselox_C172 Fuselox_Sunset atc_id
step READ_GLOBAL_PARAMETER Fuselox_C172 WEIGHT_AND_BALANCE max_gross_weight
step READ_GLOBAL_PARAMETER Fuselox_C172 WEIGHT_AND_BALANCE max_gross_weight /SHOW_EOL_COMMENTS
say "Remove the repaint again, with its texture folder"
step REMOVE_VARIANT_BY_TITLE Fuselox_C172 "Fuselox C172 Skyhawk Sunset" /REMOVAL_DESTRUCTIVE /REMOVAL_DELETETEXTUREFOLDER
step DUMP_ALL_TEXTURE_TITLE Fuselox_C172
say "Patch a file: make a patch from two versions, then apply it to the installed one"
cfg="$WINEPREFIX/drive_c/FSX/SimObjects/Airplanes/Fuselox_C172/aircraft.cfg"
cp "$cfg" old.cfg
sed 's/Cruise speed 124 kts/Cruise speed 126 kts/' old.cfg > new.cfg
step BINPATCH_MAKE old.cfg new.cfg update.bdiff
step BINPATCH_APPLY Fuselox_C172 aircraft.cfg update.bdiff
step READ_GLOBAL_PARAMETER Fuselox_C172 General performance
say "A patch applies only to the version it was made from:"
step BINPATCH_APPLY Fuselox_C172 aircraft.cfg update.bdiff
say "Every simulator of the family: which ones does this prefix hold?"
step DUMP_ALL_SIMULATORS
say "Prepar3D v5 keeps its aircraft in simobjects.cfg's folders and in add-on packages"
step DUMP_ALL_AIRCRAFT /SIMULATOR_P3D_V5
step PRINT_PATH_AIRCRAFT Fuselox_C172 /SIMULATOR_P3D_V5
say "Install the repaint into the C172 of the Prepar3D add-on package, then remove it"
step INSTALL_VARIANT Fuselox_C172 "$work/repaint/fltsim.cfg" /COPY_TEXTURE_FOLDERS /SIMULATOR_P3D_V5
step DUMP_ALL_TEXTURE_TITLE Fuselox_C172 /SIMULATOR_P3D_V5
ls "$WINEPREFIX/drive_c/Addons/Fuselox C172 Pack/SimObjects/Airplanes/Fuselox_C172"
step REMOVE_VARIANT_BY_TITLE Fuselox_C172 "Fuselox C172 Skyhawk Sunset" /REMOVAL_DESTRUCTIVE /REMOVAL_DELETETEXTUREFOLDER /SIMULATOR_P3D_V5
say "Everything the program can do:"
step help
