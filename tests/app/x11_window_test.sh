#!/usr/bin/env bash
# The window program under a real X server (Xvfb) on a CP 731 with the printer protocol, driven
# by key strokes as a user would: the main window with the overview in printer layout, the
# protocol sheet, the print preview and a PDF printed through the print dialog. Every step is
# kept as a picture in OUTDIR (main.png, overview.png, sheet.png, preview.png, print.pdf and its
# first page print-1.png) so that a person can look at them.
# Usage: x11_window_test.sh OUTDIR VEMTRO_X RACKPLAN PTPCFG
# Needs xvfb-run, xdotool, ImageMagick's import and pdftoppm (scripts/setup installs them).
set -euo pipefail
if [ "${1:-}" != "--inside" ]; then
  out=$(realpath -m "$1")
  mkdir -p "$out"
  rm -f "$out"/*.png "$out"/*.pdf
  exec timeout 300 xvfb-run -a -s "-screen 0 1280x960x24" "$0" --inside "$out" "$2" "$3" "$4"
fi
out=$2 vemtro=$3 rackplan=$4 ptpcfg=$5
dir=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
# The print dialog offers a PDF file named after the document in the working folder when that
# lies below the home folder: both are OUTDIR here.
export QORB4_REGISTRY="$dir/registry" QORB4_PROJECT="$dir/P1.qorb" XDG_RUNTIME_DIR="$dir/run" HOME="$out"
export QT_QPA_PLATFORM=xcb  # the test run sets offscreen for the other window tests
# Under the leak checker: what the system libraries keep is not ours.
export LSAN_OPTIONS="suppressions=$(dirname "$(realpath "$0")")/x11_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
cd "$out"
mkdir -p "$QORB4_REGISTRY" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$rackplan" install "$(dirname "$vemtro")" >/dev/null
"$rackplan" new "$QORB4_PROJECT" >/dev/null
"$rackplan" add-station "$QORB4_PROJECT" S1 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP731 --order "9QX4-731-1KE02-0AB0" --interface 26 --name "CP 731" \
  --rack 0 --slot 5 >/dev/null
startup=$("$rackplan" startup-string "$QORB4_PROJECT" "CP 731 (R0/S5)")
"$ptpcfg" protocol "$startup" DRUCKER >/dev/null 2>"$out/ptpcfg.log"

fail() { echo "x11 window test: $*" >&2; exit 1; }
# The newest visible window whose name matches, waited for; fails after 20 s.
window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" | tail -1 || fail "no window \"$1\""; }
gone() { for _ in $(seq 100); do xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0; sleep 0.2; done; fail "window \"$1\" stays open"; }
shot() { sleep 0.7; import -window root "$out/$1.png"; }
keys() { xdotool key --clearmodifiers "$@"; sleep 0.3; }

"$vemtro" "$startup" 2>"$out/vemtro.log" &
pid=$!
main=$(window "CP 731")
xdotool windowsize "$main" 1000 720 windowmove "$main" 0 0
shot main
import -window "$main" "$out/overview.png"

# Ctrl+E puts the focus on the protocol button, Enter opens its sheet.
xdotool windowfocus --sync "$main"
keys ctrl+e Return
sheet=$(window "^Protokoll")
shot sheet
xdotool windowfocus --sync "$sheet"
keys Escape
gone "^Protokoll"

# Datei > Druckvorschau
xdotool windowfocus --sync "$main"
keys alt+d v
preview=$(window "vorschau")
xdotool windowsize "$preview" 1000 900
shot preview
xdotool windowfocus --sync "$preview"
keys Escape
gone "vorschau"

# Datei > Drucken: the print dialog, Enter prints into the PDF file it offers.
xdotool windowfocus --sync "$main"
keys ctrl+p
printer=$(window "Drucken")
shot print-dialog
xdotool windowfocus --sync "$printer"
keys Return
pdf="$out/Parameterausdruck.pdf"
for _ in $(seq 100); do [ -s "$pdf" ] && break; sleep 0.2; done
[ -s "$pdf" ] || fail "no PDF printed (see print-dialog.png)"
sleep 0.5
mv "$pdf" "$out/print.pdf"
pdftoppm -png -r 80 -f 1 -l 1 "$out/print.pdf" "$out/print"
pdftotext "$out/print.pdf" - | grep -q "DRUCKER" || fail "the printed PDF does not name the protocol"

# Datei > Beenden: the unchanged document closes without a question.
xdotool windowfocus --sync "$main"
keys alt+d b
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && { shot still-open; fail "Beenden did not end the program (see still-open.png)"; }
wait "$pid" || fail "the program ended with exit code $?"
pid=
ls "$out"
