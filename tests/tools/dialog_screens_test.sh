#!/usr/bin/env bash
# Each dialog screens program given renders its dialogs offscreen at 100 % and at 200 % with
# the layout check on: nothing cut off or overlapping, no message, at least one picture.
# Usage: dialog_screens_test.sh PROGRAM...
set -euo pipefail
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen
unset QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
for program in "$@"; do
  name=$(basename "$program")
  for scale in 1 2; do
    out="$dir/$name-$scale"
    QT_SCALE_FACTOR=$scale "$program" --check "$out" >/dev/null || { echo "$name --check failed at ${scale}00 %"; exit 1; }
    compgen -G "$out/*.png" >/dev/null || { echo "$name wrote no picture at ${scale}00 %"; exit 1; }
  done
done
