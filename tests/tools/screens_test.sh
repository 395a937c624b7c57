#!/usr/bin/env bash
# Every protocol sheet rendered offscreen at 100 % and at 200 % with the layout check on:
# nothing cut off or overlapping, no message, every page class of every sheet written as a
# PNG picture, the pages each sheet has for its interface, and the 200 % pictures twice the
# size of the 100 % ones.
set -euo pipefail
screens=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export QT_QPA_PLATFORM=offscreen
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR
"$screens" --check "$dir/100" >/dev/null || { echo "sheet_screens --check failed at 100 %"; exit 1; }
QT_SCALE_FACTOR=2 "$screens" --check "$dir/200" >/dev/null || { echo "sheet_screens --check failed at 200 %"; exit 1; }

classes=(
  CPP39_P1 CPP39_P2 CPP39_P4 CPASC_P1 CPASC_P2 CPASC_P3 CPASC_P4 C730_DRUCK_P1 C730_DRUCK_P4
  C830_3964_P1 C830_3964_P3 C830_3964_P4 C830_ASCII_P1 C830_ASCII_P2 C830_ASCII_P3 C830_ASCII_P4
  CKP39_P1 CKP39_P2 CKRK39_P3 CKRK_P1 CKRK_P2 CKASC_P1 CKASC_P2 CKASC_P3 CKASC_P4 CDruck_P1
)
for scale in 100 200; do
  for c in "${classes[@]}"; do
    compgen -G "$dir/$scale/*-$c.png" >/dev/null || { echo "$scale %: no picture of $c"; exit 1; }
  done
done

# The pages of a sheet, in tab order: exactly these pictures and no other tab.
pages() {
  local sheet=$1; shift
  local i=0 want=() have=()
  for c in "$@"; do want+=("$sheet-$i-$c.png"); i=$((i + 1)); done
  for f in "$dir/100/$sheet"-[0-9]-*.png; do [ -e "$f" ] && have+=("$(basename "$f")"); done
  [ "${have[*]}" = "${want[*]}" ] || { echo "$sheet: pages ${have[*]:-none}, expected ${want[*]}"; exit 1; }
}
pages CP731-27-ascii CKASC_P1 CKASC_P2 CKASC_P3
pages CP731-28-ascii CKASC_P1 CKASC_P2 CKASC_P3 CKASC_P4
pages CP731-28-rk512 CKRK_P1 CKRK_P2 CKRK39_P3
pages CP731-28-printer CDruck_P1 CKASC_P4
pages CP831-1-66-3964 CKP39_P1 CKP39_P2 CKRK39_P3
pages CP831-1-81-3964 CKP39_P1 CKP39_P2
pages CP831-2-67-printer CDruck_P1
pages CP830-26-3964 C830_3964_P1 C830_3964_P3 C830_3964_P4
pages CP830-26-ascii C830_ASCII_P1 C830_ASCII_P2 C830_ASCII_P3 C830_ASCII_P4
pages CP730-26-printer C730_DRUCK_P1
pages CP730-28-3964 CPP39_P1 CPP39_P2 CPP39_P4
pages CP731-28-ascii-readonly CKASC_P1 CKASC_P2 CKASC_P3 CKASC_P4

# Width and height from a PNG file's header, after checking its signature.
png_size() {
  local bytes
  read -r -a bytes <<<"$(od -An -tu1 -w24 -N24 "$1")"
  [ "${bytes[*]:0:8}" = "137 80 78 71 13 10 26 10" ] || { echo "$1 is no PNG file"; exit 1; }
  echo $(((bytes[16] << 24) + (bytes[17] << 16) + (bytes[18] << 8) + bytes[19])) \
       $(((bytes[20] << 24) + (bytes[21] << 16) + (bytes[22] << 8) + bytes[23]))
}
n=0
for f in "$dir/100"/*.png; do
  name=$(basename "$f")
  [ -e "$dir/200/$name" ] || { echo "200 %: $name missing"; exit 1; }
  read -r w h <<<"$(png_size "$f")"
  read -r w2 h2 <<<"$(png_size "$dir/200/$name")"
  [ "$w" -gt 0 ] && [ "$h" -gt 0 ] || { echo "$name: empty picture"; exit 1; }
  [ "$w2" -eq $((2 * w)) ] && [ "$h2" -eq $((2 * h)) ] || { echo "$name: ${w}x$h at 100 %, ${w2}x$h2 at 200 %"; exit 1; }
  n=$((n + 1))
done
[ "$n" -eq "$(find "$dir/200" -name '*.png' | wc -l)" ] || { echo "200 % has pictures 100 % has not"; exit 1; }
echo "$n pages at 100 % and 200 %"
