#!/usr/bin/env bash
# Benchmark of BINPATCH_MAKE and BINPATCH_APPLY of both builds (the Windows
# program under Wine) against xdelta3 and bsdiff, and against the floor of
# the maker (libdivsufsort alone sorting the old file), on the same file
# pairs, side by side in one run. The make times are medians of alternating
# runs. Prints wall time and peak memory of each tool and the ratios; checks
# that both builds write the same patch bytes and that every patch rebuilds
# the new file. Not a test: it asserts nothing about speed.
#
# usage: bench/patch_bench.sh [path/to/fuselox [path/to/fuselox.exe]]
#        (default: build/fuselox and build-windows/fuselox.exe, the latter
#        left out when missing or with BENCH_WINDOWS=0)
# environment: BENCH_DIR (scratch folder, default a new one under /tmp),
#              BENCH_RUNS (alternating make runs per pair, default 3),
#              BENCH_BSDIFF=0 to leave bsdiff out, BENCH_PAIRS to pick pairs
#              by name (for example "jvm texture16").
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
fuselox="$(realpath "${1:-$here/../build/fuselox}")"
exe="$(realpath -m "${2:-$here/../build-windows/fuselox.exe}")"
floor="$(dirname "$fuselox")/bench/divsufsort_floor"
runs=${BENCH_RUNS:-3}
work="${BENCH_DIR:-$(mktemp -d /tmp/fuselox-bench.XXXXXX)}"
mkdir -p "$work"
[ -x "$fuselox" ] || { echo "no program at $fuselox (build first)" >&2; exit 2; }
[ -x "$floor" ] || { echo "no floor program at $floor (build its folder first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs GNU time: apt-get install time" >&2; exit 2; }
have() { command -v "$1" >/dev/null 2>&1; }

# A throw-away Wine-style prefix whose simulator folder holds the target.
prefix="$work/prefix"
mkdir -p "$prefix/drive_c/FSX" "$prefix/dosdevices"
ln -sfn ../drive_c "$prefix/dosdevices/c:"
cat >"$prefix/user.reg" <<'REG'
WINE REGISTRY Version 2

[Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0] 1796591198
"AppPath"="C:\\FSX\\"
REG

# The Windows program runs in a real Wine prefix of its own (one wineserver
# for the whole run), whose registry names C:\FSX as the simulator folder.
windows=0
if [ -f "$exe" ] && [ "${BENCH_WINDOWS:-1}" != 0 ] && have wine; then
  windows=1
  . "$here/../tests/wine/prefix.sh"
  wine_prefix_ensure
  mkdir -p "$WINEPREFIX/drive_c/FSX"
  wine reg add 'HKCU\Software\Microsoft\Microsoft Games\Flight Simulator\10.0' /v AppPath \
    /d 'C:\FSX\' /f >/dev/null 2>&1
fi
# A Linux path as the Windows program sees it: Wine maps Z: to /.
winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }

# Runs a command under GNU time; sets $secs and $kb. Output goes to $work/log.
measure() {
  local expect="$1"; shift
  local rc=0
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >>"$work/log" 2>&1 </dev/null || rc=$?
  if [ "$rc" != "$expect" ]; then
    echo "  failed (exit $rc): $*" >&2
    tail -3 "$work/log" >&2
    exit 1
  fi
  read -r secs kb < <(tail -n 1 "$work/time")
}

median() { tr ' ' '\n' <<<"$*" | grep . | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a != "" && b > 0) printf "%.2f", a / b; else print "-" }'; }
row() { printf "  %-26s %8.2f s %9.1f MB %12s\n" "$1" "$2" "$(awk -v k="$3" 'BEGIN{print k/1024}')" "$4"; }

bench_pair() {
  local name="$1" old="$2" new="$3"
  local old_size new_size
  old_size=$(stat -c %s "$old"); new_size=$(stat -c %s "$new")
  echo
  echo "== $name: old $old_size bytes, new $new_size bytes"
  printf "  %-26s %10s %12s %12s\n" tool time "peak memory" "patch bytes"

  # The make times: the builds, the floor and xdelta3 -e in turn, $runs times.
  local make_t="" exe_t="" floor_t="" xd_t="" make_kb=0 exe_kb=0 floor_kb=0 xd_kb=0 i
  for ((i = 0; i < runs; i++)); do
    rm -f "$work/p.fxp" "$work/w.fxp"
    measure 1 "$fuselox" BINPATCH_MAKE "$old" "$new" "$work/p.fxp"
    make_t+=" $secs"; make_kb=$kb
    if [ $windows = 1 ]; then
      measure 1 wine "$exe" BINPATCH_MAKE "$(winpath "$old")" "$(winpath "$new")" \
        "$(winpath "$work")\\w.fxp"
      exe_t+=" $secs"; exe_kb=$kb
    fi
    measure 0 env OMP_NUM_THREADS=1 "$floor" "$old"
    floor_t+=" $secs"; floor_kb=$kb
    if have xdelta3; then
      measure 0 xdelta3 -e -f -s "$old" "$new" "$work/p.xd"
      xd_t+=" $secs"; xd_kb=$kb
    fi
  done
  local make_s exe_s="" floor_s xd_s=""
  make_s=$(median $make_t); floor_s=$(median $floor_t)
  row "fuselox make" "$make_s" "$make_kb" "$(stat -c %s "$work/p.fxp")"
  if [ $windows = 1 ]; then
    exe_s=$(median $exe_t)
    row "fuselox.exe make (Wine)" "$exe_s" "$exe_kb" "$(stat -c %s "$work/w.fxp")"
    cmp -s "$work/p.fxp" "$work/w.fxp" || { echo "  the builds' patches differ" >&2; exit 1; }
  fi
  row "libdivsufsort alone (floor)" "$floor_s" "$floor_kb" ""
  if have xdelta3; then
    xd_s=$(median $xd_t)
    row "xdelta3 -e" "$xd_s" "$xd_kb" "$(stat -c %s "$work/p.xd")"
  fi

  cp "$old" "$prefix/drive_c/FSX/target.bin"
  sync
  measure 1 env WINEPREFIX="$prefix" "$fuselox" BINPATCH_APPLY_TO_FSX target.bin "$work/p.fxp"
  local apply_s=$secs exe_apply_s=""
  row "fuselox apply" "$secs" "$kb" ""
  cmp -s "$prefix/drive_c/FSX/target.bin" "$new" || { echo "  fuselox: rebuilt file differs" >&2; exit 1; }
  if [ $windows = 1 ]; then
    cp "$old" "$WINEPREFIX/drive_c/FSX/target.bin"
    sync
    measure 1 wine "$exe" BINPATCH_APPLY_TO_FSX target.bin "$(winpath "$work")\\w.fxp"
    exe_apply_s=$secs
    row "fuselox.exe apply (Wine)" "$secs" "$kb" ""
    cmp -s "$WINEPREFIX/drive_c/FSX/target.bin" "$new" ||
      { echo "  fuselox.exe: rebuilt file differs" >&2; exit 1; }
    rm -f "$WINEPREFIX/drive_c/FSX/target.bin"
  fi

  local xd9_s="" xdd_s="" bs_s=""
  if have xdelta3; then
    measure 0 xdelta3 -9 -e -f -s "$old" "$new" "$work/p9.xd"
    xd9_s=$secs; row "xdelta3 -9 -e" "$secs" "$kb" "$(stat -c %s "$work/p9.xd")"
    measure 0 xdelta3 -d -f -s "$old" "$work/p.xd" "$work/out.xd"
    xdd_s=$secs; row "xdelta3 -d" "$secs" "$kb" ""
  fi
  if have bsdiff && [ "${BENCH_BSDIFF:-1}" != 0 ]; then
    measure 0 bsdiff "$old" "$new" "$work/p.bsd"
    bs_s=$secs; row "bsdiff" "$secs" "$kb" "$(stat -c %s "$work/p.bsd")"
  fi

  echo "  ratios: make/xdelta3 $(ratio "$make_s" "$xd_s"), exe make/xdelta3 $(ratio "$exe_s" "$xd_s")," \
       "make/floor $(ratio "$make_s" "$floor_s"), exe make/floor $(ratio "$exe_s" "$floor_s")," \
       "exe make/make $(ratio "$exe_s" "$make_s")"
  echo "          make/xdelta3-9 $(ratio "$make_s" "$xd9_s"), make/bsdiff $(ratio "$make_s" "$bs_s")," \
       "apply/xdelta3-d $(ratio "$apply_s" "$xdd_s"), exe apply/apply $(ratio "$exe_apply_s" "$apply_s")"
  echo "  make peak memory: $(ratio $((make_kb * 1024)) $((old_size + new_size))) bytes per byte" \
       "of old+new, $(ratio $((make_kb * 1024)) $((6 * old_size + new_size))) of 6*old+new"
}

wanted() { [ -z "${BENCH_PAIRS:-}" ] || [[ " $BENCH_PAIRS " == *" $1 "* ]]; }

# Two different JDKs' HotSpot libraries, if installed (aliases of one JDK
# resolve to the same file and are skipped).
jvm_old="" jvm_new=""
for lib in /usr/lib/jvm/*/lib/server/libjvm.so; do
  [ -f "$lib" ] || continue
  lib=$(realpath "$lib")
  if [ -z "$jvm_old" ]; then jvm_old=$lib; elif [ "$lib" != "$jvm_old" ]; then jvm_new=$lib; break; fi
done
pyenv="${PYENV_ROOT:-$HOME/.pyenv}"
py_old=$(ls "$pyenv"/versions/3.12*/lib/python3.12/config-*/libpython3.12.a 2>/dev/null | head -1 || true)
py_new=$(ls "$pyenv"/versions/3.13*/lib/python3.13/config-*/libpython3.13.a 2>/dev/null | head -1 || true)
binary=/usr/bin/cmake

echo "fuselox patch benchmark: $(nproc) cores, $(date -u +%Y-%m-%dT%H:%MZ), scratch $work"
echo "programs: $fuselox$([ $windows = 0 ] || echo ", $exe under Wine"); make times: medians of $runs runs"
if wanted jvm && [ -n "$jvm_new" ]; then
  bench_pair "jvm ($jvm_old -> $jvm_new)" "$jvm_old" "$jvm_new"
fi
if wanted python && [ -f "$py_old" ] && [ -f "$py_new" ]; then
  bench_pair "python (libpython3.12.a -> 3.13.a)" "$py_old" "$py_new"
fi
if wanted binary && [ -f "$binary" ]; then
  python3 "$here/make_pairs.py" binary "$(stat -c %s "$binary")" "$binary" "$work/bin.old" "$work/bin.new"
  bench_pair "binary ($binary, edited)" "$work/bin.old" "$work/bin.new"
fi
if wanted texture16; then
  python3 "$here/make_pairs.py" texture $((16 << 20)) - "$work/tex16.old" "$work/tex16.new"
  bench_pair "texture 16 MB, edited" "$work/tex16.old" "$work/tex16.new"
fi
if wanted binary64 && [ -f "$binary" ]; then
  python3 "$here/make_pairs.py" binary $((64 << 20)) "${py_old:-$binary}" "$work/bin64.old" "$work/bin64.new"
  bench_pair "binary 64 MB, edited" "$work/bin64.old" "$work/bin64.new"
fi
if wanted texture64; then
  python3 "$here/make_pairs.py" texture $((64 << 20)) - "$work/tex64.old" "$work/tex64.new"
  bench_pair "texture 64 MB, edited" "$work/tex64.old" "$work/tex64.new"
fi
[ -n "${BENCH_DIR:-}" ] || rm -rf "$work"
