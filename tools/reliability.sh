#!/usr/bin/env bash
# The slow checks, run after the main tests:
#  1. the whole test suite (unit, end-to-end and reliability tests) built
#     with AddressSanitizer and UndefinedBehaviorSanitizer, run clean: any
#     sanitizer report fails it, even from a run whose result looked right;
#  2. every fuzz target (libFuzzer, clang) over its corpus in
#     tests/fuzz/corpus/<target>/ for FUSELOX_FUZZ_SECONDS (30) seconds.
# Build folders: build-asan and build-fuzz. A fuzzer's findings are kept in
# build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
jobs=$(nproc)
seconds=${FUSELOX_FUZZ_SECONDS:-30}
started=$SECONDS

echo "== sanitizer build of the test suite"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUSELOX_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs" >/dev/null
reports=$(mktemp -d)
scratch=$(mktemp -d)
trap 'rm -rf "$reports" "$scratch"' EXIT
# Reports go to files as well as failing the run, so that one hidden behind
# an expected exit code or a caught output is still seen.
export ASAN_OPTIONS="log_path=$reports/asan:exitcode=86:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1:exitcode=87"
(cd build-asan && ctest --output-on-failure -j"$jobs")
unset ASAN_OPTIONS UBSAN_OPTIONS
if compgen -G "$reports/*" >/dev/null; then
  cat "$reports"/*
  echo "sanitizer reports above" >&2
  exit 1
fi

echo "== fuzz targets, ${seconds}s each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFUSELOX_FUZZ=ON -DFUSELOX_SANITIZE=ON -DFUSELOX_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_targets >/dev/null
findings=build-fuzz/findings
mkdir -p "$findings"

fuzz() {
  local target=$1 work="$scratch/$1"
  mkdir -p "$work/corpus" "$work/tmp"
  # New inputs go to a throw-away folder: the kept corpus changes only by hand.
  if TMPDIR="$work/tmp" "build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" \
    -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
    "$work/corpus" "tests/fuzz/corpus/$target" >"$work/log" 2>&1; then
    echo "fuzz_$target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log") runs, no finding"
  else
    tail -n 60 "$work/log"
    echo "fuzz_$target: FAILED (input kept in $findings)"
    return 1
  fi
}

targets=(patch_apply cfg_read cfg_rewrite variant_source fsx_cfg user_reg config_text add_on_xml)
failed=0
# As many targets at once as there are processors.
for ((i = 0; i < ${#targets[@]}; i += jobs)); do
  pids=()
  for target in "${targets[@]:i:jobs}"; do
    fuzz "$target" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
done
[ "$failed" -eq 0 ] || exit 1
echo "reliability checks passed in $((SECONDS - started))s"
