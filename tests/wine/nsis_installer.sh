#!/usr/bin/env bash
# The NSIS repaint installer of examples/installers/nsis, built with makensis and run silently
# under Wine against the sample simulators (FSX, and Prepar3D v5 with the aircraft in an add-on
# package), as a user would: install into both, a second install refused as a duplicate, the
# uninstaller, and an install without any simulator's registry value; both aircraft.cfg files are
# compared byte for byte after each.
# Usage: tests/wine/nsis_installer.sh build-windows/fuselox.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
. "$here/prefix.sh"
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shared_prefix=${FUSELOX_WINE_PREFIX:-}
wine_prefix_ensure

work=$(mktemp -d)
drive_c=$WINEPREFIX/drive_c
key='HKCU\Software\Microsoft\Microsoft Games\Flight Simulator\10.0'
p3d_key='HKCU\Software\Lockheed Martin\Prepar3D v5'
# The end-to-end tests point the shell folders elsewhere: back to Wine's own, which
# %APPDATA% names.
shell='Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
for value in 'AppData=%USERPROFILE%\AppData\Roaming' 'Local AppData=%USERPROFILE%\AppData\Local' \
  'Personal=%USERPROFILE%\Documents' 'Common AppData=%ProgramData%'; do
  hive=HKCU
  [ "${value%%=*}" != "Common AppData" ] || hive=HKLM
  wine reg add "$hive\\$shell" /v "${value%%=*}" /t REG_EXPAND_SZ /d "${value#*=}" /f \
    </dev/null >/dev/null
done
appdata=$(winepath -u "$(wine cmd /c 'echo %APPDATA%' </dev/null | tr -d '\r')")
# The shared prefix is left as it was found.
cleanup() {
  rm -rf "$work" "$drive_c/FSX" "$appdata/Microsoft/FSX" "$drive_c/Prepar3D v5" "$drive_c/Addons" \
    "$appdata/Lockheed Martin"
  wine reg delete "$key" /f </dev/null >/dev/null 2>&1 || true
  wine reg delete "$p3d_key" /f </dev/null >/dev/null 2>&1 || true
  [ -n "$shared_prefix" ] || wine_prefix_destroy "$FUSELOX_WINE_PREFIX"
}
trap cleanup EXIT

makensis -V2 -WX -DFUSELOX_EXE="$program" -DOUTFILE="$work/FuseloxC172Sunset.exe" \
  "$repo/examples/installers/nsis/repaint.nsi"

# The sample simulator, in the prefix's own C: drive and registry, for what earlier tests left.
sample=$repo/examples/sample-sim
rm -rf "$drive_c/FSX"
cp -r "$sample/drive_c/FSX" "$drive_c/FSX"
mkdir -p "$appdata/Microsoft/FSX"
cp "$sample/drive_c/users/pilot/AppData/Roaming/Microsoft/FSX/fsx.cfg" "$appdata/Microsoft/FSX/"
wine reg add "$key" /v AppPath /d 'C:\FSX\' /f </dev/null >/dev/null
rm -rf "$drive_c/Prepar3D v5" "$drive_c/Addons"
cp -r "$sample/drive_c/Prepar3D v5" "$sample/drive_c/Addons" "$drive_c/"
mkdir -p "$appdata/Lockheed Martin/Prepar3D v5"
cp "$sample/drive_c/users/pilot/AppData/Roaming/Lockheed Martin/Prepar3D v5/add-ons.cfg" \
  "$appdata/Lockheed Martin/Prepar3D v5/"
wine reg add "$p3d_key" /v AppPath /d 'C:\Prepar3D v5\' /f </dev/null >/dev/null

c172=$drive_c/FSX/SimObjects/Airplanes/Fuselox_C172
p3d_c172="$drive_c/Addons/Fuselox C172 Pack/SimObjects/Airplanes/Fuselox_C172"
repaints=$drive_c/FSX/Fuselox\ repaints  # the uninstallers' folder
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Fuselox C172 Sunset'
# What Fuselox writes: CR LF line ends, none after the last line. Installed: the sample's file,
# an empty line, the repaint's section as [fltsim.2].
cp "$c172/aircraft.cfg" "$work/original.cfg"
head -c -2 "$work/original.cfg" >"$work/uninstalled.cfg"
{
  cat "$work/original.cfg"
  printf '\r\n'
  sed 's/^\[fltsim\.x\]/[fltsim.2]/; s/\r*$/\r/' "$repo/examples/repaint/fltsim.cfg" | head -c -2
} >"$work/installed.cfg"

fail() { echo "FAIL: $*" >&2; exit 1; }
# expect CODE FILE: the installer or uninstaller just run ended with CODE; both aircraft.cfg
# files are FILE.
expect() {
  [ "$code" -eq "$1" ] || fail "exit code $code, expected $1"
  for folder in "$c172" "$p3d_c172"; do
    if ! cmp "$work/$2" "$folder/aircraft.cfg"; then
      diff <(cat -A "$work/$2") <(cat -A "$folder/aircraft.cfg") >&2
      fail "$folder/aircraft.cfg is not $2"
    fi
  done
}
install() { code=0; wine "$work/FuseloxC172Sunset.exe" /S </dev/null || code=$?; }

install
expect 0 installed.cfg
for folder in "$c172" "$p3d_c172"; do
  diff -r "$repo/examples/repaint/texture.Fuselox_Sunset" "$folder/texture.Fuselox_Sunset" ||
    fail "the texture folder differs in $folder"
done
[ -f "$repaints/Fuselox C172 Sunset/Uninstall.exe" ] || fail "no uninstaller"
wine reg query "$uninstall_key" /v UninstallString </dev/null >/dev/null || fail "not registered"
echo "ok   install into FSX and Prepar3D v5: the new section with CR LF line ends, the texture"\
  "folder, the uninstaller"

install
expect 2 installed.cfg
echo "ok   a second install is refused as a duplicate"

# The uninstaller starts a copy of itself in the temporary folder and returns at once: wait
# until the copy has removed the uninstallers' folder.
code=0
wine "$repaints/Fuselox C172 Sunset/Uninstall.exe" /S </dev/null || code=$?
for _ in $(seq 300); do [ -e "$repaints" ] || break; sleep 0.1; done
[ ! -e "$repaints" ] || fail "the uninstaller did not remove its folder"
expect 0 uninstalled.cfg
[ ! -e "$c172/texture.Fuselox_Sunset" ] && [ ! -e "$p3d_c172/texture.Fuselox_Sunset" ] ||
  fail "a texture folder is still there"
! wine reg query "$uninstall_key" </dev/null >/dev/null 2>&1 || fail "still registered"
echo "ok   uninstall from both: the variant list is back, the texture folders and the uninstaller"\
  "gone"

wine reg delete "$key" /v AppPath /f </dev/null >/dev/null
wine reg delete "$p3d_key" /v AppPath /f </dev/null >/dev/null
install
expect 2 uninstalled.cfg
[ ! -e "$repaints" ] || fail "a failed install left the uninstallers' folder"
echo "ok   without the registry values the install stops before changing anything"
