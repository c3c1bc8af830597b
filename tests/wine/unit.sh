#!/usr/bin/env bash
# Runs the cross-compiled unit tests under Wine.
# Usage: tests/wine/unit.sh build-windows/tests/unit_tests.exe [gtest options]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/prefix.sh"
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
wine_prefix_ensure
wine "$program" --gtest_brief=1 "${@:2}"
