#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Usage: tools/deps.sh [windows]   ("windows" adds the cross compiler, Wine and NSIS,
#                                   and fetches libdivsufsort's Debian source package)
set -euo pipefail
cd "$(dirname "$0")/.."
packages=(cmake g++ make libgtest-dev libdivsufsort-dev python3 man-db unzip strace clang libclang-rt-14-dev)
# expat: the XML parser that reads Prepar3D's add-on.xml files.
packages+=(libexpat1-dev)
if [ "${1:-}" = windows ]; then
  packages+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev googletest wine wine64 nsis dpkg-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
[ "${1:-}" = windows ] || exit 0

# Debian has no MinGW build of libdivsufsort, so the Windows build compiles
# Debian's source package (CMakeLists.txt builds it). It is fetched with
# apt-get source from the machine's own Debian entries turned into deb-src
# ones, with every apt list, cache and sources file private to this folder:
# the machine's apt configuration and state are left as they are.
deps=${FUSELOX_DEPS_DIR:-$PWD/build-deps}
source_dir=$deps/libdivsufsort
[ -f "$source_dir/CMakeLists.txt" ] && exit 0
apt_dir=$deps/apt
rm -rf "$apt_dir" "$source_dir"
mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/source"
log=$apt_dir/fetch.log
fail() {
  echo "tools/deps.sh: could not fetch libdivsufsort's Debian source package: $1 (log: $log)" >&2
  exit 1
}
# One-line entries (sources.list, *.list) and deb822 stanzas (*.sources)
# of Debian's archive (a debian.org address or Debian's archive key), as
# deb-src; other vendors' archives need not carry sources.
shopt -s nullglob
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n -E 's/^[[:space:]]*deb[[:space:]]+(.*([./]debian\.org|debian-archive-keyring).*)$/deb-src \1/p' "$f"
done >"$apt_dir/sources.list"
for f in /etc/apt/sources.list.d/*.sources; do
  awk -v RS= -v ORS='\n\n' '/[.\/]debian\.org|debian-archive-keyring/ && /(^|\n)Types:[^\n]*deb( |\n|$)/ {
         sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$f"
done >"$apt_dir/parts/debian.sources"
[ -s "$apt_dir/sources.list" ] || [ -s "$apt_dir/parts/debian.sources" ] ||
  fail "no Debian entries in /etc/apt/sources.list*"
apt=(apt-get -q -o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=$apt_dir/parts"
     -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
# As root apt would hand the download to its _apt user, who cannot write here.
[ "$(id -u)" -ne 0 ] || apt+=(-o APT::Sandbox::User=root)
echo "Fetching libdivsufsort's Debian source package into $deps"
"${apt[@]}" update >"$log" 2>&1 || fail "apt-get update failed"
(cd "$apt_dir/source" && "${apt[@]}" source libdivsufsort) >>"$log" 2>&1 || fail "apt-get source failed"
unpacked=("$apt_dir"/source/libdivsufsort-*/)
[ ${#unpacked[@]} -eq 1 ] && [ -f "${unpacked[0]}/CMakeLists.txt" ] || fail "no unpacked source"
mv "${unpacked[0]}" "$source_dir"
rm -rf "$apt_dir/lists" "$apt_dir/cache"
