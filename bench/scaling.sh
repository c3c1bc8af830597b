#!/usr/bin/env bash
# Growth curves of the POSIX build beside their floors, in one run: each
# size ten times the last, so a step that grows linearly takes about ten
# times as long, and the ratio to the floor stays put.
#   texture-folder copy  INSTALL_VARIANT … /COPY_TEXTURE_FOLDERS of one folder of
#                        4 KiB files  vs  cp -r and a flush of each file
#   READ                 READ_VARIANT_PARAMETER_BY_TITLE of the last variant  vs  cat
#   DUMP_ALL_AIRCRAFT    aircraft folders under one SimObjects path  vs  find
#   duplicate checks     INSTALL_VARIANT of N/10 sections into N variants with
#                        /PREVENT_DUPLICATES_BY_TITLE /PREVENT_DUPLICATES_BY_TEXTURE
#                        vs  cat of both files into a new one, flushed
# Times are medians of SCALING_RUNS runs (default 3). Not a test: it
# asserts nothing about speed, but stops when a command fails.
#
# usage: bench/scaling.sh [path/to/fuselox]        (default: build/fuselox)
# environment: BENCH_DIR (scratch folder, default a new one under /tmp),
#              SCALING_RUNS, SCALING_SIZES (default "100 1000 10000")
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
fuselox="$(realpath "${1:-$here/../build/fuselox}")"
runs=${SCALING_RUNS:-3}
sizes=${SCALING_SIZES:-100 1000 10000}
work="${BENCH_DIR:-$(mktemp -d /tmp/fuselox-scaling.XXXXXX)}"
[ -x "$fuselox" ] || { echo "no program at $fuselox (build first)" >&2; exit 2; }
[ -n "${EPOCHREALTIME:-}" ] || { echo "needs bash 5 (EPOCHREALTIME)" >&2; exit 2; }
rm -rf "$work/prefix"
mkdir -p "$work"

# The sample simulator's Wine-style prefix: user.reg names C:\FSX\ and the
# pilot's AppData, whose fsx.cfg lists the SimObjects paths.
export WINEPREFIX="$work/prefix"
cp -r "$here/../examples/sample-sim" "$WINEPREFIX"
mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn ../drive_c "$WINEPREFIX/dosdevices/c:"
planes="$WINEPREFIX/drive_c/FSX/SimObjects/Airplanes"
cd "$work"

# Median wall time in seconds of `runs` runs of "$@"; `before` (a function
# name, or :) runs untimed ahead of each. The program must exit with 1.
seconds=""
timed() {
  local before="$1" expect="$2" i t0 t1 rc times=""
  shift 2
  for ((i = 0; i < runs; i++)); do
    "$before"
    rc=0
    t0=$EPOCHREALTIME
    "$@" >"$work/out" 2>&1 || rc=$?
    t1=$EPOCHREALTIME
    if [ "$rc" != "$expect" ]; then
      echo "failed (exit $rc): $*" >&2
      head -c 300 "$work/out" >&2
      exit 1
    fi
    times+="$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }') "
  done
  seconds=$(tr ' ' '\n' <<<"$times" | grep . | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}')
}

row() {
  awk -v what="$1" -v size="$2" -v a="$3" -v b="$4" 'BEGIN {
    printf "  %-24s %8d %12.1f ms %12.1f ms %8.2f\n", what, size, a * 1000, b * 1000, (b > 0 ? a / b : 0) }'
}
header() {
  echo
  echo "== $1"
  printf "  %-24s %8s %15s %15s %8s\n" "" size fuselox "$2" ratio
}

# The variants of a generated aircraft.cfg: title "Scaling N", texture "T_N".
variants() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
first, count, prefix = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
sys.stdout.buffer.write(b"".join(
    b"[fltsim.%d]\r\ntitle=%s %d\r\nsim=Cessna172SP\r\nmodel=\r\ntexture=%s_%d\r\natc_id=N%d\r\n"
    b"ui_variation=\"Scaling\"\r\n\r\n" % (i, prefix.encode(), i, prefix.encode(), i, i)
    for i in range(first, first + count)))
PY
}
fresh_aircraft() {
  rm -rf "${planes:?}"/*
  mkdir -p "$planes/Scaling"
}

echo "fuselox growth curves: $(nproc) cores, $(date -u +%Y-%m-%dT%H:%MZ), $fuselox, medians of $runs runs"

header "texture-folder copy (4 KiB files)" "cp -r + flush"
for n in $sizes; do
  fresh_aircraft
  variants 0 1 Scaling >"$planes/Scaling/aircraft.cfg"
  cp "$planes/Scaling/aircraft.cfg" "$work/aircraft.cfg.orig"
  rm -rf "$work/repaint" && mkdir -p "$work/repaint/texture.Copied"
  printf '[fltsim.x]\r\ntitle=Copied\r\ntexture=Copied\r\n' >"$work/repaint/fltsim.cfg"
  head -c $((n * 4096)) /dev/urandom | split -b 4096 -a 5 -d - "$work/repaint/texture.Copied/t"
  sync
  undo_install() {
    rm -rf "$planes/Scaling/texture.Copied" "$work/copy"
    cp "$work/aircraft.cfg.orig" "$planes/Scaling/aircraft.cfg"
    sync
  }
  timed undo_install 1 "$fuselox" INSTALL_VARIANT Scaling "$work/repaint/fltsim.cfg" /COPY_TEXTURE_FOLDERS
  [ "$(ls "$planes/Scaling/texture.Copied" | wc -l)" = "$n" ] || { echo "copy incomplete" >&2; exit 1; }
  ours=$seconds
  copy_and_flush() { cp -r "$work/repaint/texture.Copied" "$work/copy" && sync "$work/copy"/*; }
  timed undo_install 0 copy_and_flush
  row "files" "$n" "$ours" "$seconds"
done

header "READ_VARIANT_PARAMETER_BY_TITLE (last variant)" "cat"
for n in $sizes; do
  fresh_aircraft
  variants 0 "$n" Scaling >"$planes/Scaling/aircraft.cfg"
  timed : 1 "$fuselox" READ_VARIANT_PARAMETER_BY_TITLE Scaling "Scaling $((n - 1))" atc_id
  [ "$(cat "$work/out")" = "N$((n - 1))" ] || { echo "READ gave $(head -c 80 "$work/out")" >&2; exit 1; }
  ours=$seconds
  timed : 0 cat "$planes/Scaling/aircraft.cfg"
  row "variants" "$n" "$ours" "$seconds"
done

header "DUMP_ALL_AIRCRAFT" "find"
for n in $sizes; do
  fresh_aircraft
  rmdir "$planes/Scaling"
  for ((i = 0; i < n; i++)); do mkdir "$planes/A$i"; done
  for ((i = 0; i < n; i++)); do printf '[fltsim.0]\r\ntitle=A\r\n' >"$planes/A$i/aircraft.cfg"; done
  timed : 1 "$fuselox" DUMP_ALL_AIRCRAFT
  [ "$(grep -c . "$work/out")" -ge "$n" ] || { echo "DUMP_ALL_AIRCRAFT listed too few" >&2; exit 1; }
  ours=$seconds
  timed : 0 find "$WINEPREFIX/drive_c/FSX/SimObjects" -mindepth 3 -maxdepth 3 -name aircraft.cfg
  row "aircraft folders" "$n" "$ours" "$seconds"
done

header "INSTALL_VARIANT, both duplicate checks: sections into 10 x as many variants" "cat + flush"
for variants_n in $sizes; do
  n=$((variants_n / 10))
  fresh_aircraft
  variants 0 "$variants_n" Scaling >"$work/aircraft.cfg.orig"
  variants 0 "$n" New >"$work/fltsim.cfg"
  restore_cfg() { cp "$work/aircraft.cfg.orig" "$planes/Scaling/aircraft.cfg"; rm -f "$work/joined"; sync; }
  timed restore_cfg 1 "$fuselox" INSTALL_VARIANT Scaling "$work/fltsim.cfg" \
    /PREVENT_DUPLICATES_BY_TITLE /PREVENT_DUPLICATES_BY_TEXTURE
  [ "$(cat "$work/out")" = "NOERROR-$n" ] || { echo "install gave $(head -c 80 "$work/out")" >&2; exit 1; }
  ours=$seconds
  join_and_flush() {
    cat "$planes/Scaling/aircraft.cfg" "$work/fltsim.cfg" >"$work/joined" && sync "$work/joined"
  }
  timed restore_cfg 0 join_and_flush
  row "sections" "$n" "$ours" "$seconds"
done
cd /
[ -n "${BENCH_DIR:-}" ] || rm -rf "$work"
