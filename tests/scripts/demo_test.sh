#!/usr/bin/env bash
# scripts/demo on the built programs, then every command it prints, in order, in one shell:
# each must work when pasted. Windows it opens end as soon as they are shown.
set -euo pipefail
root=$(realpath "$1") build=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QORB4_PROJECT
export QT_QPA_PLATFORM=offscreen VEMTRO_QUIT_WHEN_SHOWN=1
DEMO_BUILT=1 BUILD_DIR="$build" DEMO_DIR="$work/demo" "$root/scripts/demo" >"$work/demo.txt" 2>&1 \
  || { echo "scripts/demo failed:"; tail -n 30 "$work/demo.txt"; exit 1; }
for name in "CP 730" "CP 731" "CP 830" "CP 831-1" "CP 831-2"; do
  grep -q "^$name gespeichert mit: " "$work/demo.txt" || { echo "demo did not store the $name"; cat "$work/demo.txt"; exit 1; }
done
# the indented lines after the demo's "noch einmal ansehen" are the commands it prints
sed -n '/noch einmal ansehen/,$p' "$work/demo.txt" | sed -n 's/^  //p' >"$work/commands.sh"
[ "$(wc -l <"$work/commands.sh")" -ge 10 ] || { echo "too few commands printed:"; cat "$work/demo.txt"; exit 1; }
cd "$work"
if ! bash -euo pipefail -x "$work/commands.sh" >"$work/out.txt" 2>&1; then
  echo "a command the demo printed failed:"
  tail -n 30 "$work/out.txt"
  exit 1
fi
# what the demo stored is what the printed commands show
grep -qx 'byBaud=4800' "$work/out.txt" && grep -qx 'wCharDelay=230' "$work/out.txt" \
  || { echo "stored settings not shown"; exit 1; }
# the firmware update against the station it started went to the end
grep -q '^2035: ' "$work/out.txt" || { echo "the demo's firmware update did not end with 2035"; tail -n 20 "$work/out.txt"; exit 1; }
echo ok
