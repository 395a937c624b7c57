#!/usr/bin/env bash
# An embedded start offers "Ptp.Document" on the session bus; Show answers 0.
set -euo pipefail
vemtro=$1 rackplan=$2
inner() {
  dir=$(mktemp -d)
  "$rackplan" new "$dir/P1.qorb" >/dev/null
  QORB4_PROJECT="$dir/P1.qorb" QT_QPA_PLATFORM=offscreen "$vemtro" -Embedding 2>/dev/null &
  pid=$!
  trap 'kill $pid 2>/dev/null || true; rm -rf "$dir"' EXIT
  for _ in $(seq 50); do
    if reply=$(dbus-send --session --dest=Ptp.Document --print-reply /Document Ptp.Document.Show \
        int32:1 int32:2 int32:3 int32:4 int32:5 int32:6 string:x 2>/dev/null); then
      grep -q 'int32 0' <<<"$reply" && { echo ok; exit 0; }
      echo "unexpected reply: $reply"; exit 1
    fi
    sleep 0.1
  done
  echo "Ptp.Document did not appear on the session bus"; exit 1
}
if [ "${1:-}" != "--inner" ] && [ -z "${PTP_INNER:-}" ]; then
  PTP_INNER=1 exec dbus-run-session -- "$0" "$@"
fi
inner
