#!/usr/bin/env bash
# Runs the end-to-end tests against the program $1 (or the command FUSELOX_RUN).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export FUSELOX_BIN=${1:-}
cd "$here"
exec python3 -m unittest discover -s "$here" -p 'test_*.py' -t "$here" "${@:2}"
