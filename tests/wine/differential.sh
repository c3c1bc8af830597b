#!/usr/bin/env bash
# Runs the differential check: the POSIX build and the Windows build under
# Wine on one real Wine prefix must agree byte for byte.
# Usage: tests/wine/differential.sh build/fuselox build-windows/fuselox.exe [scenario...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/prefix.sh"
wine_prefix_ensure
python3 "$here/differential.py" "$@"
