#!/usr/bin/env bash
# Start-up of vemtro_x (offscreen) for a module whose project holds a stored block, up to
# the shown main window and exit, against an empty Qt main window in the same run.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-20}
bin="$build/bin"
for p in vemtro_x empty_window rackplan ptpcfg; do
  [ -x "$bin/$p" ] || { echo "missing $bin/$p: build first (cmake --build $build)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen QORB4_PROJECT="$work/P1.qorb" QORB4_REGISTRY="$work"
"$bin/rackplan" new "$QORB4_PROJECT" >/dev/null
"$bin/rackplan" add-station "$QORB4_PROJECT" S1 >/dev/null
"$bin/rackplan" add-module "$QORB4_PROJECT" S1 --model CP731 --order "9QX4 731-1L" --name "CP 731" --rack 0 --slot 5 >/dev/null
startup=$("$bin/rackplan" startup-string "$QORB4_PROJECT" "CP 731 (R0/S5)")
"$bin/ptpcfg" set "$startup" >/dev/null 2>&1   # the project now holds a stored block

# One run: wall time in microseconds and peak resident memory in KiB.
measure() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 )) $(cat "$work/rss")"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: >"$work/empty"; : >"$work/program"
for _ in $(seq "$runs"); do
  measure "$bin/empty_window" >>"$work/empty"
  VEMTRO_QUIT_WHEN_SHOWN=1 measure "$bin/vemtro_x" "$startup" >>"$work/program"
done
empty_us=$(cut -d' ' -f1 "$work/empty" | median)
program_us=$(cut -d' ' -f1 "$work/program" | median)
empty_kib=$(cut -d' ' -f2 "$work/empty" | median)
program_kib=$(cut -d' ' -f2 "$work/program" | sort -n | tail -1)
awk -v eu="$empty_us" -v pu="$program_us" -v ek="$empty_kib" -v pk="$program_kib" -v n="$runs" 'BEGIN {
  printf "empty window:  median %6.1f ms, peak %5.1f MiB\n", eu / 1000, ek / 1024
  printf "vemtro_x:      median %6.1f ms, peak %5.1f MiB (largest of %d runs)\n", pu / 1000, pk / 1024, n
  printf "ratio:         %.2f (target at most 2.0); memory target under 40 MiB\n", pu / eu
}'
