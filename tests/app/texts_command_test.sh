#!/usr/bin/env bash
# ptpcfg texts: a text file imported into a printer module's text SDB and exported again gives
# the same file byte for byte, and importing that gives the same stored block; on a CP 831-2 the
# data transfer file gains the text section. Refusals: a file title of 9 characters (540), a
# module whose protocol prints no texts, a missing file.
# Usage: texts_command_test.sh RACKPLAN PTPCFG
set -euo pipefail
rackplan=$1 ptpcfg=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export QORB4_REGISTRY="$dir/registry" QORB4_PROJECT="$dir/P1.qorb"
mkdir -p "$QORB4_REGISTRY" "$dir/a" "$dir/b" "$dir/c"
"$rackplan" install "$(dirname "$ptpcfg")" >/dev/null
"$rackplan" new "$QORB4_PROJECT" >/dev/null
"$rackplan" add-station "$QORB4_PROJECT" S1 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP731 --order "9QX4-731-1KE02-0AB0" --interface 26 --name "CP 731" \
  --rack 0 --slot 5 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP8312 --order "9QX4-831-2KK02" --interface 81 --name "CP 831-2" \
  --rack 0 --slot 6 --file "$dir/cp8312.sdb" >/dev/null

fail() { echo "$*"; exit 1; }
showBlock() { "$ptpcfg" show "$1" 2>/dev/null | grep -v 'abyTime='; }

s731=$("$rackplan" startup-string "$QORB4_PROJECT" "CP 731 (R0/S5)")
s8312=$("$rackplan" startup-string "$QORB4_PROJECT" "CP 831-2 (R0/S6)")
"$ptpcfg" set "$s731" >/dev/null 2>&1

# a module on 3964(R) prints no texts
printf '1.0\r\n1:x\r\n' >"$dir/a/M.ptp"
rc=0; "$ptpcfg" texts "$s731" import "$dir/a/M.ptp" >/dev/null 2>"$dir/err" || rc=$?
[ $rc -eq 2 ] || fail "3964(R) module: exit $rc, $(cat "$dir/err")"

for s in "$s731" "$s8312"; do
  "$ptpcfg" protocol "$s" DRUCKER >/dev/null 2>"$dir/err" || fail "to the printer protocol: $(cat "$dir/err")"
done

# a file as the dialog writes it: version, number:text in number order, CR LF; code page 1252
printf '2.5\r\n3:Kessel \\B leer\\-B\r\n12:Druck zu hoch\r\n900:Gr\xf6\xdfe \x80 \r\n' >"$dir/a/MELD1.ptp"
"$ptpcfg" texts "$s731" import "$dir/a/MELD1.ptp" >"$dir/out" 2>"$dir/err" || fail "import: $(cat "$dir/err")"
grep -qx 'gespeichert: 3 Meldungen' "$dir/out" || fail "import: $(cat "$dir/out")"
[ ! -s "$dir/err" ] || fail "import of a clean file said: $(cat "$dir/err")"
showBlock "$s731" >"$dir/show1"
grep -qx 'm_bTextPresent=1' "$dir/show1" || fail "no text SDB after import"
grep -q 'MELD1' "$dir/show1" || fail "the text SDB is not named after the file"

"$ptpcfg" texts "$s731" export "$dir/b/MELD1.ptp" >"$dir/out" 2>"$dir/err" || fail "export: $(cat "$dir/err")"
grep -qx 'geschrieben: 3 Meldungen' "$dir/out" || fail "export: $(cat "$dir/out")"
cmp "$dir/a/MELD1.ptp" "$dir/b/MELD1.ptp" || fail "exported file differs from the imported one"

# the exported file imported again: the same block; exported again: the same bytes
"$ptpcfg" texts "$s731" import "$dir/b/MELD1.ptp" >/dev/null 2>"$dir/err" || fail "second import: $(cat "$dir/err")"
showBlock "$s731" >"$dir/show2"
diff "$dir/show1" "$dir/show2" >/dev/null || fail "second import changed the block: $(diff "$dir/show1" "$dir/show2")"
"$ptpcfg" texts "$s731" export "$dir/c/MELD1.ptp" >/dev/null 2>"$dir/err" || fail "second export: $(cat "$dir/err")"
cmp "$dir/a/MELD1.ptp" "$dir/c/MELD1.ptp" || fail "second export differs"

# a loosely written file is read as the dialog reads it and written in the strict form
printf ' 2.5 \n 12 : zwoelf\n\n12a:x\n5000:y\n7:sieben\n' >"$dir/a/LOSE.ptp"
"$ptpcfg" texts "$s731" import "$dir/a/LOSE.ptp" >/dev/null 2>"$dir/err" || fail "loose import: $(cat "$dir/err")"
grep -q '^544: ' "$dir/err" || fail "number 5000 not reported: $(cat "$dir/err")"
"$ptpcfg" texts "$s731" export "$dir/b/LOSE.ptp" >/dev/null 2>&1 || fail "loose export"
printf '2.5\r\n7:sieben\r\n12: zwoelf\r\n' | cmp - "$dir/b/LOSE.ptp" || fail "loose file not written in the strict form: $(od -c "$dir/b/LOSE.ptp")"

# refusals: a title of 9 characters, a missing file
cp "$dir/a/MELD1.ptp" "$dir/a/MELDUNG12.ptp"
rc=0; "$ptpcfg" texts "$s731" import "$dir/a/MELDUNG12.ptp" >/dev/null 2>"$dir/err" || rc=$?
[ $rc -eq 2 ] && grep -q '^540: ' "$dir/err" || fail "9-character title: exit $rc, $(cat "$dir/err")"
rc=0; "$ptpcfg" texts "$s731" import "$dir/a/NONE.ptp" >/dev/null 2>"$dir/err" || rc=$?
[ $rc -eq 1 ] || fail "missing file: exit $rc"

# CP 831-2: the data transfer file gains the text section and carries the texts
sections() { "$ptpcfg" sdb "$dir/cp8312.sdb" | sed -n 's/^Section.count=//p'; }
[ "$(sections)" = 1 ] || fail "CP 831-2 starts with $(sections) sections"
for round in 1 2; do  # the second import keeps the one text section
  "$ptpcfg" texts "$s8312" import "$dir/a/MELD1.ptp" >/dev/null 2>"$dir/err" || fail "CP 831-2 import: $(cat "$dir/err")"
  [ "$(sections)" = 2 ] || fail "CP 831-2 import $round: $(sections) sections"
done
"$ptpcfg" sdb "$dir/cp8312.sdb" | grep -q 'Druck zu hoch' || fail "CP 831-2 data transfer file lacks the texts"
"$ptpcfg" texts "$s8312" export "$dir/c/M8312.ptp" >/dev/null 2>&1 || fail "CP 831-2 export"
cmp "$dir/a/MELD1.ptp" "$dir/c/M8312.ptp" || fail "CP 831-2 export differs"
echo "texts exported and imported again unchanged"
