#!/usr/bin/env bash
# Runs every end-to-end test against the program given as $1 (or through
# the command in FUSELOX_RUN).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export FUSELOX_BIN=${1:-}
cd "$here"
exec python3 -m unittest discover -s "$here" -p 'test_*.py' -t "$here" "${@:2}"
