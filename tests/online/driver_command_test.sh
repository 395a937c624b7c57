#!/usr/bin/env bash
# ptpcfg online driver-info and driver-load against cpsim on loopback: a CP 731 set to the
# installed sample driver reads "- - - -" from a module without a driver, loads the driver (the
# progress on standard error) and reads it back; with the controller in RUN nothing is loaded
# (2003); a module that has the driver already answers 2013; --no loads nothing; without a
# station the first job fails.
# Usage: driver_command_test.sh RACKPLAN PTPCFG MAKE_DRIVER CPSIM
set -euo pipefail
rackplan=$1 ptpcfg=$2 make_driver=$3 cpsim=$4
dir=$(mktemp -d)
sim=
stopSim() { if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; sim=; fi; }
trap 'stopSim; rm -rf "$dir"' EXIT
export QORB4_REGISTRY="$dir/registry" QORB4_PROJECT="$dir/P1.qorb"
mkdir -p "$QORB4_REGISTRY"
"$rackplan" install "$(dirname "$ptpcfg")" >/dev/null
"$make_driver" --install "$dir/drivers" --registry "$QORB4_REGISTRY" >/dev/null
"$rackplan" new "$QORB4_PROJECT" >/dev/null
"$rackplan" add-station "$QORB4_PROJECT" S1 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP731 --order "9QX4-731-1KE02-0AB0" --interface 26 --name "CP 731" \
  --rack 0 --slot 5 >/dev/null
s731=$("$rackplan" startup-string "$QORB4_PROJECT" "CP 731 (R0/S5)")
"$ptpcfg" protocol "$s731" Beispieltreiber >/dev/null 2>&1

fail() { echo "$*"; exit 1; }

# A station on a free port; the access point Y5ONLINE leads to it.
startSim() {
  stopSim
  "$cpsim" --port 0 "$@" >"$dir/sim.out" 2>&1 &
  sim=$!
  for _ in $(seq 100); do grep -q 'listening' "$dir/sim.out" && break; sleep 0.05; done
  port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$dir/sim.out")
  [ -n "$port" ] || fail "cpsim does not listen: $(cat "$dir/sim.out")"
  sed -i '/Online\\Y5ONLINE\\Endpoint=/d' "$QORB4_REGISTRY/hklm.ini"
  sed -i "/^\[Software\]\$/a Quenral\\\\QORB4\\\\2.0\\\\Online\\\\Y5ONLINE\\\\Endpoint=127.0.0.1:$port" "$QORB4_REGISTRY/hklm.ini"
}

# a module without a loadable driver
startSim
"$ptpcfg" online "$s731" driver-info >"$dir/out" 2>"$dir/err" || fail "driver-info: $(cat "$dir/err")"
grep -qx 'pg.name=SAMPK731' "$dir/out" || fail "driver-info: installed driver $(cat "$dir/out")"
grep -qx 'module.version=- - - -' "$dir/out" || fail "driver-info: module $(cat "$dir/out")"
[ ! -s "$dir/err" ] || fail "driver-info: messages $(cat "$dir/err")"

# --no: the question is answered No, nothing is loaded
rc=0; "$ptpcfg" --no online "$s731" driver-load >"$dir/out" 2>"$dir/err" || rc=$?
[ $rc -eq 2 ] && grep -q '^606: ' "$dir/err" || fail "--no: exit $rc, $(cat "$dir/err")"
"$ptpcfg" online "$s731" driver-info >"$dir/out" 2>&1
grep -qx 'module.version=- - - -' "$dir/out" || fail "--no loaded something"

# the load: progress per component on standard error, the driver read back
"$ptpcfg" online "$s731" driver-load >"$dir/out" 2>"$dir/err" || fail "driver-load: $(cat "$dir/err")"
grep -qx 'KP: 100 %' "$dir/err" && grep -qx 'SCC: 100 %' "$dir/err" && grep -qx 'PTP: 100 %' "$dir/err" ||
  fail "driver-load: progress $(cat "$dir/err")"
grep -q '^ ' "$dir/err" && fail "a progress line without its component: $(cat "$dir/err")"
pgVersion=$(sed -n 's/^pg.version=//p' "$dir/out")
grep -qx 'module.name=SAMPK731' "$dir/out" && grep -qx "module.version=$pgVersion" "$dir/out" ||
  fail "driver-load: read back $(cat "$dir/out")"

# the controller in RUN: 2003, nothing written
startSim --state RUN
rc=0; "$ptpcfg" online "$s731" driver-load >"$dir/out" 2>"$dir/err" || rc=$?
[ $rc -eq 1 ] && grep -q '^2003: ' "$dir/err" || fail "RUN: exit $rc, $(cat "$dir/err")"
grep -q '%' "$dir/err" && fail "RUN: something was sent"

# the driver already on the module: 2013 alone, exit 2
startSim --driver SAMPK731:1.2 --driver-present
rc=0; "$ptpcfg" online "$s731" driver-load >"$dir/out" 2>"$dir/err" || rc=$?
[ $rc -eq 2 ] && grep -q '^2013: ' "$dir/err" || fail "present: exit $rc, $(cat "$dir/err")"
grep -q '^2016: ' "$dir/err" && fail "present: 2016 shown"
grep -qx 'module.version=1.2' "$dir/out" || fail "present: $(cat "$dir/out")"

# no station: the direct route counts as open, the first job fails (2010)
stopSim
rc=0; "$ptpcfg" online "$s731" driver-info >"$dir/out" 2>"$dir/err" || rc=$?
[ $rc -eq 1 ] && grep -q '^2010: ' "$dir/err" || fail "no station: exit $rc, $(cat "$dir/err")"
grep -qx 'module.version=- - - -' "$dir/out" || fail "no station: $(cat "$dir/out")"
echo "driver commands against the station simulator"
