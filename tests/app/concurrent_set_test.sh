#!/usr/bin/env bash
# Two ptpcfg set runs on the same module at the same time, each changing another value: both
# changes are kept, for the project attribute of a CP 731 and the data transfer file of a CP 831.
# Usage: concurrent_set_test.sh RACKPLAN PTPCFG [PAIRS]
set -euo pipefail
rackplan=$1 ptpcfg=$2 pairs=${3:-40}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export QORB4_PROJECT="$dir/P1.qorb"
"$rackplan" new "$QORB4_PROJECT" >/dev/null
"$rackplan" add-station "$QORB4_PROJECT" S1 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP731 --order "9QX4 731-1L" --interface 81 --name "CP 731" \
  --rack 0 --slot 5 >/dev/null
"$rackplan" add-module "$QORB4_PROJECT" S1 --model CP8311 --order "9QX4 831-1KK02" --interface 81 --name "CP 831" \
  --rack 0 --slot 6 --file "$dir/cp831.sdb" >/dev/null

for module in "CP 731 (R0/S5)" "CP 831 (R0/S6)"; do
  startup=$("$rackplan" startup-string "$QORB4_PROJECT" "$module")
  "$ptpcfg" set "$startup" byMode=4 >/dev/null 2>&1  # a mode in which the delays may be set
  for ((i = 0; i < pairs; i++)); do
    # every pair changes both values from what the pair before left
    if ((i % 2)); then char=230 ack=2010; else char=240 ack=2020; fi
    "$ptpcfg" set "$startup" wCharDelay=$char >"$dir/a.out" 2>"$dir/a.err" & a=$!
    "$ptpcfg" set "$startup" wAckDelay=$ack >"$dir/b.out" 2>"$dir/b.err" & b=$!
    ra=0 rb=0
    wait $a || ra=$?
    wait $b || rb=$?
    if [ $ra -ne 0 ] || [ $rb -ne 0 ]; then
      echo "$module, pair $i: exit $ra and $rb"; cat "$dir/a.err" "$dir/b.err"; exit 1
    fi
    grep -qx gespeichert "$dir/a.out" && grep -qx gespeichert "$dir/b.out" || { echo "$module, pair $i: not both stored"; exit 1; }
    pages=$("$ptpcfg" show --pages "$startup" 2>/dev/null)
    grep -qx "wCharDelay=$char" <<<"$pages" && grep -qx "wAckDelay=$ack" <<<"$pages" || {
      echo "$module, pair $i: a change was lost (expected wCharDelay=$char, wAckDelay=$ack)"
      grep -E '^w(Char|Ack)Delay=' <<<"$pages"
      exit 1
    }
  done
done
echo "both changes kept in every pair"
