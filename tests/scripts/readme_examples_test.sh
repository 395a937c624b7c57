#!/usr/bin/env bash
# Runs the README's example blocks as the README writes them, in order, in a scratch folder,
# against the built programs. Blocks that call the project's own scripts/ (the set-up commands
# that build the programs, the fuzzing run) are not examples of the programs and are left out.
# A window that an example opens is ended as soon as it is shown, and its messages go to
# standard error, since nobody is there to click.
set -euo pipefail
readme=$(realpath "$1") bin=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# every ```sh block that calls no scripts/, in README order
awk '/^```sh$/ {inside = 1; block = ""; scripts = 0; next}
     inside && /^```$/ {inside = 0; if (!scripts) printf "%s", block; next}
     inside {block = block $0 "\n"; if ($0 ~ /^[[:space:]]*(bash[[:space:]]+)?scripts\//) scripts = 1}' "$readme" >"$work/examples.sh"
[ -s "$work/examples.sh" ] || { echo "no examples found in $readme"; exit 1; }
# the station the online examples start as $station ends with them, also when one of them fails
sed -i '1i trap '"'"'[ -z "${station:-}" ] || kill "$station" 2>/dev/null || true'"'"' EXIT' "$work/examples.sh"
cd "$work"
export PATH="$bin:$PATH" QT_QPA_PLATFORM=offscreen VEMTRO_QUIT_WHEN_SHOWN=1 QORB4_REGISTRY="$work"
unset QORB4_PROJECT
if ! bash -euo pipefail -x "$work/examples.sh" >"$work/out.txt" 2>&1; then
  echo "an example of the README failed:"
  tail -n 30 "$work/out.txt"
  exit 1
fi
echo "ok: $(grep -cv '^\s*\(#\|$\)' "$work/examples.sh") example lines"
