#!/usr/bin/env bash
# ptpcfg online STARTUP firmware-update HEADER_UPD against cpsim on TCP loopback: a CP 731 takes
# the image (2035, exit 0, the index path remembered); a path without "header.upd" (2019, 2034),
# No to the question (2034) and a controller in RUN (2003) are refused with exit 2; a module that
# acknowledges a wrong block ends with 2040 and 2034, exit 1; a CP 731 of product version 2 gets 615.
# Usage: firmware_command_test.sh RACKPLAN PTPCFG CPSIM MAKE_FIRMWARE
set -euo pipefail
rackplan=$1 ptpcfg=$2 cpsim=$3 make=$4
dir=$(mktemp -d)
sim=""
stopSim() { if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; sim=""; fi; }
trap 'stopSim; rm -rf "$dir"' EXIT
export QORB4_REGISTRY="$dir/registry" QORB4_PROJECT="$dir/P1.qorb"
mkdir -p "$QORB4_REGISTRY"
"$rackplan" install "$(dirname "$ptpcfg")" >/dev/null
"$rackplan" new "$QORB4_PROJECT" >/dev/null
"$rackplan" add-station "$QORB4_PROJECT" S1 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP731 --order "9QX4 731-1L" --interface 26 --name "CP 731" \
  --rack 0 --slot 5 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP731 --order "9QX4-731-1KE02-0AB0" --interface 26 --name "CP 731" \
  --rack 0 --slot 6 >/dev/null
s731=$("$rackplan" startup-string "$QORB4_PROJECT" "CP 731 (R0/S5)")
s731v2=$("$rackplan" startup-string "$QORB4_PROJECT" "CP 731 (R0/S6)")
"$make" "$dir/set" --size 3000 >/dev/null

fail() { echo "$*"; exit 1; }

# cpsim on a free port, and the access point Y5ONLINE led to it
startSim() {
  stopSim
  "$cpsim" --port 0 "$@" >"$dir/cpsim.out" 2>&1 &
  sim=$!
  for _ in $(seq 1 100); do grep -q 'listening on' "$dir/cpsim.out" && break; sleep 0.05; done
  local port
  port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$dir/cpsim.out")
  [ -n "$port" ] || fail "cpsim did not start: $(cat "$dir/cpsim.out")"
  sed -i '/Online\\Y5ONLINE\\Endpoint=/d' "$QORB4_REGISTRY/hklm.ini"
  sed -i "/^\[Software\]\$/a Quenral\\\\QORB4\\\\2.0\\\\Online\\\\Y5ONLINE\\\\Endpoint=127.0.0.1:$port" "$QORB4_REGISTRY/hklm.ini"
}

# run EXPECTED_EXIT [ptpcfg arguments...]: the exit code and the message ids on standard error
run() {
  local expected=$1; shift
  local rc=0
  "$ptpcfg" "$@" >"$dir/out" 2>"$dir/err" || rc=$?
  [ "$rc" -eq "$expected" ] || fail "ptpcfg $*: exit $rc, expected $expected: $(cat "$dir/err")"
  ids=$(grep -o '^[0-9]*:' "$dir/err" | tr -d ':' | grep -vx 0 | tr '\n' ' ' || true)
}

startSim --fw-version 2.0.7
run 0 online "$s731" firmware-update "$dir/set/header.upd"
[ "$ids" = "2033 2035 " ] || fail "update: messages $ids"
grep -qx 'aktueller BG-FW-Stand: V2.0.7' "$dir/out" || fail "module version: $(cat "$dir/out")"
grep -qx 'ausgewählter FW-Stand: V2.1.3' "$dir/out" || fail "selected version: $(cat "$dir/out")"
grep -qx 'geladen: 3000 Bytes' "$dir/out" || fail "update: $(cat "$dir/out")"
grep -q 'Firmware laden: 100 %' "$dir/err" || fail "no progress line: $(cat "$dir/err")"
grep -q "FwPathFile=$dir/set/header.upd" "$QORB4_REGISTRY/hkcu.ini" || fail "the index path is not remembered"

run 2 online "$s731" firmware-update "$dir/set/bg_abl.upd"
[ "$ids" = "2019 2034 " ] || fail "no header.upd: messages $ids"
run 2 --no online "$s731" firmware-update "$dir/set/header.upd"
[ "$ids" = "2033 2034 " ] || fail "answer No: messages $ids"
run 2 online "$s731v2" firmware-update "$dir/set/header.upd"
[ "$ids" = "615 " ] || fail "product version 2: messages $ids"

startSim --fw-wrong-block 7
run 1 online "$s731" firmware-update "$dir/set/header.upd"
[ "$ids" = "2033 2040 2034 " ] || fail "wrong block: messages $ids"
grep -q 'Soll 2  Ist (BG) 7' "$dir/err" || fail "wrong block: $(cat "$dir/err")"

startSim --state RUN
run 2 online "$s731" firmware-update "$dir/set/header.upd"
[ "$ids" = "2003 " ] || fail "RUN: messages $ids"
stopSim

run 1 online "$s731" firmware-update "$dir/set/header.upd"
[ "$ids" = "2002 " ] || fail "no station: messages $ids"
echo "firmware command: all cases passed"
