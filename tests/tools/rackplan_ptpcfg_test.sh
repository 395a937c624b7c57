#!/usr/bin/env bash
# A CP 731 in rack 0, slot 5 of station S1 in environment P1: the start-up string that
# rackplan prints makes ptpcfg find the module object, its station path and its title.
set -euo pipefail
rackplan=$1 ptpcfg=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
project="$dir/P1.qorb"
"$rackplan" new "$project" >/dev/null
"$rackplan" add-station "$project" S1 >/dev/null
"$rackplan" add-module "$project" S1 --model CP731 --order "9QX4 731-1L" --interface 81 --name "CP 731" \
  --rack 0 --slot 5 >/dev/null
startup=$("$rackplan" startup-string "$project" "CP 731 (R0/S5)")
[ "$(tr -cd , <<<"$startup" | wc -c)" -eq 17 ] || { echo "expected 18 tokens: $startup"; exit 1; }
out=$(QORB4_PROJECT="$project" "$ptpcfg" show "$startup")
expect() { grep -qxF "$1" <<<"$out" || { echo "missing line: $1"; echo "$out"; exit 1; }; }
expect 'm_strStationPath=P1\S1'
expect 'Title=CP 731  (R0/S5)  -- P1\S1'
expect 'm_nInterfaceCode=27'
expect 'm_strModuleObjectName=CP 731 (R0/S5)'
grep -q '^m_hModuleObject=[1-9]' <<<"$out" || { echo "module object not found"; exit 1; }

# the identification of a string without a project
out=$(QORB4_PROJECT= "$ptpcfg" show "0,CP731,81,0,CP 731,9QX4 731-1L,TARVIK,0,4,0,0,2,1,2,3,4,5,6" 2>/dev/null)
for line in m_nModuleType=731 m_nInterfaceCode=27 m_szInterfaceName=TTY m_nDriverParts=5 m_nDriverHwMask=256 \
            m_strRack=0 m_strSlot=4 m_bFromProject=1 CDb.wProtocolId=49 CDb.wCharDelay=22 \
            BlockLengths=2,24,49,0,0,0,0,0,0,0,0; do
  expect "$line"
done

# values go through the page checks: a refusal prints its message, exits 2 and stores nothing
export QORB4_PROJECT="$project"
"$ptpcfg" set "$startup" 2>/dev/null >/dev/null            # store what was loaded (the defaults)
before=$("$ptpcfg" show "$startup" 2>/dev/null | grep -v abyTime)
refuse() {
  local id=$1; shift
  set +e; err=$("$ptpcfg" set "$startup" "$@" 2>&1 >/dev/null); rc=$?; set -e
  [ "$rc" -eq 2 ] || { echo "expected exit 2 for $*: $rc $err"; exit 1; }
  grep -q "^$id: " <<<"$err" || { echo "expected message $id for $*: $err"; exit 1; }
  [ "$("$ptpcfg" show "$startup" 2>/dev/null | grep -v abyTime)" = "$before" ] || { echo "stored after refusal: $*"; exit 1; }
}
refuse 501 byMode=4 byBaud=300 wCharDelay=50
refuse 523 byMode=4 wCharDelay=225
refuse 513 byMode=4 wCharDelay=65535
refuse 550 byMode=4 wCharDelay=
refuse 0 noSuchField=1
"$ptpcfg" set "$startup" byMode=4 wCharDelay=230 byBaud=19200 >/dev/null 2>&1
"$ptpcfg" show "$startup" 2>/dev/null | grep -qx 'CDb.wCharDelay=23' || { echo "value not stored"; exit 1; }
"$ptpcfg" show "$startup" 2>/dev/null | grep -qx 'CDb.byBaud=9' || { echo "baud rate not stored"; exit 1; }
"$ptpcfg" show "$startup" 2>/dev/null | grep -qx 'Modified=0' || { echo "stored block not read back"; exit 1; }

# the sheet's pages printed by show --pages and given back to set store the same block
"$ptpcfg" show --pages "$startup" > "$dir/pages.txt" 2>/dev/null
grep -qx 'wCharDelay=230' "$dir/pages.txt" || { echo "show --pages lacks the stored delay"; cat "$dir/pages.txt"; exit 1; }
"$ptpcfg" set "$startup" --file "$dir/pages.txt" >/dev/null 2>&1
block=$("$ptpcfg" show "$startup" 2>/dev/null | grep -v abyTime)
"$ptpcfg" show --pages "$startup" 2>/dev/null | "$ptpcfg" set "$startup" --file - >/dev/null 2>&1
[ "$("$ptpcfg" show "$startup" 2>/dev/null | grep -v abyTime)" = "$block" ] || { echo "round trip changed the block"; exit 1; }
# the command-line order never changes a verdict; a name given twice is refused
a=$("$ptpcfg" set "$startup" byMode=3 wCharDelay=10 byBaud=300 2>&1 >/dev/null || true)
b=$("$ptpcfg" set "$startup" byBaud=300 byMode=3 wCharDelay=10 2>&1 >/dev/null || true)
[ "$a" = "$b" ] && grep -q '^501: ' <<<"$a" || { echo "order changed the verdict: $a / $b"; exit 1; }
before=$block
refuse 0 byBaud=300 CDb.byBaud=600
"$ptpcfg" help set | grep -q -- '--file' || { echo "help set"; exit 1; }

# a missing file is reported as missing, one that is not a data transfer file as such
set +e
err=$("$ptpcfg" sdb "$dir/none.sdb" 2>&1 >/dev/null); rc=$?
[ "$rc" -eq 1 ] && grep -q "die Datei $dir/none.sdb gibt es nicht" <<<"$err" || { echo "missing file: $rc $err"; exit 1; }
echo garbage > "$dir/garbage.sdb"
err=$("$ptpcfg" sdb "$dir/garbage.sdb" 2>&1 >/dev/null); rc=$?
[ "$rc" -eq 1 ] && grep -q "weder ein Datensatz-Container noch eine Abschnittsdatei" <<<"$err" || { echo "garbage file: $rc $err"; exit 1; }
err=$("$ptpcfg" set "$startup" --file "$dir/none.txt" 2>&1 >/dev/null); rc=$?
[ "$rc" -eq 1 ] && grep -q "gibt es nicht" <<<"$err" || { echo "missing values file: $rc $err"; exit 1; }
set -e
[ "$("$ptpcfg" --version)" = "ptpcfg $("$ptpcfg" --version | cut -d' ' -f2)" ] && "$ptpcfg" --version | grep -qE '^ptpcfg [0-9]+\.[0-9]+\.[0-9]+$' \
  || { echo "ptpcfg --version"; exit 1; }

# a project that cannot be opened is reported, not taken for a module without data
set +e; err=$(QORB4_PROJECT="$dir/none.qorb" "$ptpcfg" show "$startup" 2>&1 >/dev/null); rc=$?; set -e
[ "$rc" -eq 1 ] && grep -q "^ptpcfg: Projekt $dir/none.qorb fehlt: No such file or directory" <<<"$err" ||
  { echo "missing project not reported: $rc $err"; exit 1; }
# ... and one that is there but no project as such
echo garbage > "$dir/garbage.qorb"
set +e; err=$(QORB4_PROJECT="$dir/garbage.qorb" "$ptpcfg" show "$startup" 2>&1 >/dev/null); rc=$?; set -e
[ "$rc" -eq 1 ] && grep -q "^ptpcfg: Projekt $dir/garbage.qorb ist keine Projektdatei" <<<"$err" ||
  { echo "damaged project not reported: $rc $err"; exit 1; }

# bad arguments are refused with a message and exit code 1
if "$rackplan" add-module "$project" S9 --model CP731 --order x --rack 0 --slot 1 2>/dev/null; then exit 1; fi
if "$rackplan" add-module "$project" S1 --model CP999 --order x --rack 0 --slot 1 2>/dev/null; then exit 1; fi
if "$rackplan" startup-string "$dir/none.qorb" 1 2>/dev/null; then exit 1; fi
echo ok

# rackplan for a newcomer: version, usage on standard error, the help's example runs as written,
# and open without a display ends with advice that works instead of the toolkit's abort
version=$(sed -n 's/^project(ptpcfg VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
[ "$("$rackplan" --version)" = "rackplan $version" ] || { echo "--version: $("$rackplan" --version)"; exit 1; }
set +e; out=$("$rackplan" 2>"$dir/usage.txt"); rc=$?; set -e
[ "$rc" -eq 1 ] && [ -z "$out" ] && grep -q '^Aufruf: rackplan' "$dir/usage.txt" || { echo "usage error: $rc $out"; exit 1; }
rackplan() { "$rackplan" "$@"; }
ptpcfg() { "$ptpcfg" "$@"; }
mkdir "$dir/example"
(cd "$dir/example"
 "$rackplan" --help | sed -n '/^Beispiel:/,/^$/p' | grep '^  rackplan ' | grep -v ' open ' | while read -r line; do
   eval "$line" >/dev/null || { echo "help example fails: $line"; exit 1; }
 done) || exit 1
[ "$("$rackplan" startup-string "$dir/example/P1.qorb" "CP 731 (R0/S5)" | cut -d, -f2,7-9)" = "CP731,S1,0,5" ] ||
  { echo "help example made no CP 731 in S1 R0/S5"; exit 1; }
set +e
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$rackplan" open "$project" "CP 731 (R0/S5)" 2>&1 >/dev/null)
rc=$?
set -e
[ "$rc" -eq 1 ] && grep -q 'xvfb-run' <<<"$err" || { echo "open without display: $rc $err"; exit 1; }
show=$(grep -m1 '^ *QORB4_PROJECT=.* ptpcfg show ' <<<"$err")
[ "$(eval "$show" 2>/dev/null | grep '^m_strModuleObjectName=')" = "m_strModuleObjectName=CP 731 (R0/S5)" ] ||
  { echo "the advised ptpcfg show does not show the module: $show"; exit 1; }
echo ok rackplan
