#!/usr/bin/env bash
# Runs the end-to-end tests against the Windows build under Wine, in one real Wine prefix.
# Usage: tests/wine/e2e.sh build-windows/fuselox.exe [unittest options]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/prefix.sh"
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
wine_prefix_ensure
FUSELOX_RUN="wine $program" bash "$here/../e2e/run_all.sh" "" "${@:2}"
