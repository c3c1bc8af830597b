#!/usr/bin/env bash
# Runs the reliability tests (fault-injection sweep, parallel runs, limits)
# against the POSIX program given as $1. Extra arguments go to unittest
# (for example "-k install" to run some of them).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export FUSELOX_BIN=$1
export PYTHONDONTWRITEBYTECODE=1  # keep the source tree clean
cd "$here"
exec python3 -m unittest discover -s "$here" -p 'test_*.py' -t "$here" "${@:2}"
