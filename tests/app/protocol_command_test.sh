#!/usr/bin/env bash
# ptpcfg protocol switches a CP 731 to the installed sample driver and back to 3964(R), and a
# CP 831-2 to the driver; each time the stored block reads back as the new protocol. --no and
# a protocol the module does not have change nothing.
# Usage: protocol_command_test.sh RACKPLAN PTPCFG MAKE_DRIVER
set -euo pipefail
rackplan=$1 ptpcfg=$2 make_driver=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export QORB4_REGISTRY="$dir/registry" QORB4_PROJECT="$dir/P1.qorb"
mkdir -p "$QORB4_REGISTRY"
# ptpcfg takes its installation folder from the machine registry; the driver lies below it.
"$rackplan" install "$(dirname "$ptpcfg")" >/dev/null
"$make_driver" --install "$dir/drivers" --registry "$QORB4_REGISTRY" >/dev/null
"$rackplan" new "$QORB4_PROJECT" >/dev/null
"$rackplan" add-station "$QORB4_PROJECT" S1 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP731 --order "9QX4-731-1KE02-0AB0" --interface 26 --name "CP 731" \
  --rack 0 --slot 5 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP8312 --order "9QX4-831-2KK02" --interface 81 --name "CP 831-2" \
  --rack 0 --slot 6 --file "$dir/cp8312.sdb" >/dev/null

fail() { echo "$*"; exit 1; }
protocolOf() { "$ptpcfg" show "$1" 2>/dev/null | sed -n 's/^m_nProtocol=//p'; }

s731=$("$rackplan" startup-string "$QORB4_PROJECT" "CP 731 (R0/S5)")
"$ptpcfg" set "$s731" >/dev/null 2>&1   # a stored 3964(R) block to start from
[ "$(protocolOf "$s731")" = 1 ] || fail "CP 731 does not start with 3964(R)"

# --no answers the question with No: nothing changes, exit 2
rc=0; "$ptpcfg" --no protocol "$s731" Beispieltreiber >/dev/null 2>"$dir/err" || rc=$?
[ $rc -eq 2 ] || fail "--no: exit $rc"
grep -q '^561: ' "$dir/err" || fail "--no: no question 561"
[ "$(protocolOf "$s731")" = 1 ] || fail "--no changed the protocol"

# a protocol the module does not offer
rc=0; "$ptpcfg" protocol "$s731" MODBUS >/dev/null 2>"$dir/err" || rc=$?
[ $rc -eq 2 ] && grep -q 'Beispieltreiber' "$dir/err" || fail "unknown protocol: exit $rc, $(cat "$dir/err")"

"$ptpcfg" protocol "$s731" beispieltreiber >"$dir/out" 2>"$dir/err" || fail "to the driver: $(cat "$dir/err")"
grep -qx 'gespeichert: Beispieltreiber' "$dir/out" || fail "to the driver: $(cat "$dir/out")"
[ "$(protocolOf "$s731")" = 255 ] || fail "CP 731 does not read back as the driver: $(protocolOf "$s731")"
# the block as shown, without the time of the store that wrote it
showBlock() { "$ptpcfg" show "$1" 2>/dev/null | grep -v 'abyTime='; }
showBlock "$s731" >"$dir/show"
grep -q '^CDb.achDriverName=SAMPK731' "$dir/show" || fail "driver name not stored"

# stored with the driver, loaded and stored again: the same block
"$ptpcfg" set "$s731" >/dev/null 2>"$dir/err" || fail "storing the driver block again: $(cat "$dir/err")"
showBlock "$s731" >"$dir/show2"
diff "$dir/show" "$dir/show2" >/dev/null || fail "the driver block changed on load and store: $(diff "$dir/show" "$dir/show2")"

# the driver uninstalled: 595; No ends the start, Yes goes on with the default protocol
mv "$dir/drivers" "$dir/drivers.away"
rc=0; "$ptpcfg" --no show "$s731" >/dev/null 2>"$dir/err" || rc=$?
[ $rc -ne 0 ] && grep -q '^595: ' "$dir/err" || fail "uninstalled, No: exit $rc, $(cat "$dir/err")"
"$ptpcfg" --yes show "$s731" >"$dir/show3" 2>"$dir/err" || fail "uninstalled, Yes: $(cat "$dir/err")"
grep -q '^595: ' "$dir/err" && grep -qx 'm_nProtocol=1' "$dir/show3" || fail "uninstalled, Yes: not the default protocol"
mv "$dir/drivers.away" "$dir/drivers"

"$ptpcfg" protocol "$s731" "3964(R)" >/dev/null 2>"$dir/err" || fail "back to 3964(R): $(cat "$dir/err")"
[ "$(protocolOf "$s731")" = 1 ] || fail "CP 731 does not read back as 3964(R)"

s8312=$("$rackplan" startup-string "$QORB4_PROJECT" "CP 831-2 (R0/S6)")
"$ptpcfg" protocol "$s8312" Beispieltreiber >/dev/null 2>"$dir/err" || fail "CP 831-2 to the driver: $(cat "$dir/err")"
[ "$(protocolOf "$s8312")" = 255 ] || fail "CP 831-2 does not read back as the driver"
"$ptpcfg" sdb "$dir/cp8312.sdb" >"$dir/sdb"
grep -q SAMPK831 "$dir/sdb" || fail "CP 831-2 data transfer file lacks the driver code part"
echo "protocol changes stored and read back"
