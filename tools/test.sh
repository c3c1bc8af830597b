#!/usr/bin/env bash
# Builds Fuselox and runs every test: unit, end-to-end and reliability tests
# of the POSIX build; the Windows cross build under Wine; the sanitizer run
# and bounded fuzzing; the packages.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh windows
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
(cd build && ctest --output-on-failure -j"$(nproc)")
# The Windows build: the program and its unit tests, cross-compiled, then
# the unit tests and the end-to-end tests (the POSIX build's cases), all
# under Wine in one prefix.
started=$SECONDS
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DFUSELOX_TESTS=ON >/dev/null
cmake --build build-windows -j"$(nproc)"
bash tests/wine/run_all.sh build-windows
echo "Windows build: build-windows/fuselox.exe (build and Wine tests $((SECONDS - started)) s)"
bash tools/reliability.sh
bash tools/package.sh
