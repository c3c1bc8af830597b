#!/usr/bin/env bash
# Runs the reliability tests against the POSIX program given as $1; further
# arguments go to unittest ("-p test_limits.py", "-k install").
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export FUSELOX_BIN=$1
export PYTHONDONTWRITEBYTECODE=1  # keep the source tree clean
cd "$here"
exec python3 -m unittest discover -s "$here" -p 'test_*.py' -t "$here" "${@:2}"
