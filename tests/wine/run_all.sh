#!/usr/bin/env bash
# The Windows build's tests under Wine, in one real Wine prefix made for the
# run: the program's manifest and version resource, the unit tests, the
# end-to-end tests (the same cases the POSIX build passes) and the NSIS
# repaint installer of examples/installers/nsis.
# Usage: tests/wine/run_all.sh BUILD_WINDOWS_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/prefix.sh"
build=$1
program=$(cd "$build" && pwd)/fuselox.exe
step() {
  local started=$SECONDS
  echo "== $1"
  "${@:2}"
  echo "== $1: $((SECONDS - started)) s"
}
# One file to ship: the program may import only DLLs every Windows has.
only_system_dlls() {
  local dlls
  dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')
  echo "$1 imports:" $dlls
  ! grep -viE '^(kernel32|msvcrt|advapi32|shell32|user32|ntdll|api-ms-win-.*)\.dll$' <<<"$dlls"
}
step "imports of fuselox.exe" only_system_dlls "$build/fuselox.exe"
step "Wine prefix" wine_prefix_ensure
step "manifest and version resource" python3 "$here/resources.py" "$program"
step "unit tests under Wine" wine "$(cd "$build" && pwd)/tests/unit_tests.exe" --gtest_brief=1
# The POSIX build's end-to-end cases, unchanged.
e2e=$here/../e2e
step "end-to-end tests under Wine" env FUSELOX_RUN="wine $program" PYTHONDONTWRITEBYTECODE=1 \
  python3 -m unittest discover -s "$e2e" -t "$e2e" -p 'test_*.py'
step "NSIS repaint installer" bash "$here/nsis_installer.sh" "$program"
