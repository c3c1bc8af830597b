#!/usr/bin/env bash
# Builds the two packages with cpack and checks them: the Debian package of
# the POSIX program installs and the installed program runs (with its manual
# page), and the zip of the Windows program holds fuselox.exe and README.md.
# Usage: tools/package.sh    (packages in build-packages/{posix,windows}/packages)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
bash tools/deps.sh windows
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

posix=$repo/build-packages/posix
windows=$repo/build-packages/windows
# Only the program is built: the tests run elsewhere, on the builds in build*/.
cmake -S . -B "$posix" -DCMAKE_BUILD_TYPE=Release -DFUSELOX_TESTS=OFF >/dev/null
cmake --build "$posix" -j"$(nproc)" --target fuselox >/dev/null
rm -rf "$posix/packages"
(cd "$posix" && cpack -G DEB >/dev/null)
cmake -S . -B "$windows" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DFUSELOX_TESTS=OFF >/dev/null
cmake --build "$windows" -j"$(nproc)" --target fuselox >/dev/null
rm -rf "$windows/packages"
(cd "$windows" && cpack -G ZIP >/dev/null)
deb=$(echo "$posix"/packages/fuselox_*.deb)
zip=$(echo "$windows"/packages/fuselox-*-win64.zip)
echo "Debian package: ${deb#"$repo"/}"
echo "Windows zip:    ${zip#"$repo"/}"

passed=0
failed=0
check() {  # check "what" command...: one line per check, the run goes on
  if "${@:2}" >/dev/null 2>&1; then
    passed=$((passed + 1))
    echo "ok   $1"
  else
    failed=$((failed + 1))
    echo "FAIL $1"
  fi
}
# prints TEXT command...: the command succeeds (exit code 1) printing TEXT.
prints() {
  local out rc=0
  out=$("${@:2}") || rc=$?
  [ "$rc" -eq 1 ] && [ "$out" = "$1" ]
}

version=$(sed -n 's/^project(fuselox VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
check "the .deb holds the program" grep -qx './usr/bin/fuselox' <(dpkg-deb -c "$deb" | awk '{print $6}')
check "the .deb holds the manual page" \
  grep -qx './usr/share/man/man1/fuselox.1' <(dpkg-deb -c "$deb" | awk '{print $6}')
check "the .deb depends on libdivsufsort3" grep -q 'libdivsufsort3' <(dpkg-deb -f "$deb" Depends)

# Installs the package for the checks; a machine that did not have it before
# does not keep it.
had_package=no
dpkg-query -W -f='${Status}' fuselox 2>/dev/null | grep -q "install ok installed" && had_package=yes
remove_package() { [ "$had_package" = yes ] || $sudo dpkg -r fuselox >/dev/null 2>&1 || true; }
trap remove_package EXIT
check "dpkg -i installs the .deb" $sudo dpkg -i "$deb"
check "the installed program prints its version $version" prints "$version" /usr/bin/fuselox PRINT_VERSION

# The installed program at work on the bundled sample simulator.
sample=$(mktemp -d)
trap 'remove_package; rm -rf "$sample"' EXIT
cp -r examples/sample-sim "$sample/prefix"
mkdir -p "$sample/prefix/dosdevices"
ln -s ../drive_c "$sample/prefix/dosdevices/c:"
check "the installed program finds the sample aircraft" \
  prints "$(printf 'Fuselox_C172\nFuselox_DC3\nFuselox_Bell47')" env WINEPREFIX="$sample/prefix" fuselox DUMP_ALL_AIRCRAFT

if command -v man >/dev/null; then
  check "man -l reads the built page" grep -q BINPATCH_APPLY_TO_FSX \
    <(MANPAGER=cat MANWIDTH=80 man -l "$posix/fuselox.1" 2>/dev/null)
  check "man fuselox shows the installed page" grep -q BINPATCH_APPLY_TO_FSX \
    <(MANPAGER=cat MANWIDTH=80 man fuselox 2>/dev/null)
  check "the installed page names version $version" grep -q "Fuselox $version" \
    <(MANPAGER=cat MANWIDTH=80 man fuselox 2>/dev/null)
fi

check "the zip holds exactly fuselox.exe and README.md" \
  [ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "README.md fuselox.exe " ]
check "the zip's fuselox.exe is a Windows program" [ "$(unzip -p "$zip" fuselox.exe | head -c 2)" = MZ ]
check "the zip's README.md is the repository's" cmp -s README.md <(unzip -p "$zip" README.md)

echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
