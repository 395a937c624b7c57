#!/usr/bin/env bash
# The Debian package as a user gets it: built by cpack from the build folder, installed with
# dpkg into a scratch root folder (its maintainer scripts run there, told by DPKG_ROOT; no root
# rights needed), and the installed programs run from that root with nothing set up by hand:
# no QORB4_REGISTRY, an empty home folder. Then removal and purge, which keep the users' data.
#   package_test.sh BUILD_FOLDER CPACK "PROGRAM..."
set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"  # ldconfig, and what dpkg looks for, for a user without them
build=$(realpath "$1")
cpack=$2
read -r -a programs <<<"$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
need() { [ -e "$1" ] || [ -L "$1" ] || fail "$1 is missing"; }

# --- the package ------------------------------------------------------------------------------
"$cpack" -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/*.deb)
root="$work/root"
folder="$root/usr/lib/vemtro"
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/triggers" "$root/tmp"
touch "$root/var/lib/dpkg/status"
# The scratch root has no Qt, SQLite or libacl of its own: the programs use the machine's, and
# the dependencies are checked against the machine below.
dpkg_root() {
  dpkg --root="$root" --log=/dev/null --force-not-root --force-script-chrootless --force-depends \
    --force-bad-path "$@"
}
dpkg_root -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; echo "FAIL: dpkg -i"; exit 1; }

# --- what the package says of itself ----------------------------------------------------------
depends=$(dpkg-deb -f "$deb" Depends)
version=$(dpkg-deb -f "$deb" Version)  # the project's version; the release version adds ".0"
release="$version.0"
depends_on() { tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//' | grep -xF "$1" >/dev/null; }
# (Pipes end in a reader of all their input: with pipefail, an early exit would fail the writer.)
# Every shared library an installed program or library needs comes from a package it depends on.
for elf in "$folder"/*; do
  [ -f "$elf" ] && [ ! -L "$elf" ] && readelf -h "$elf" >/dev/null 2>&1 || continue
  for lib in $(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l && !found { print $NF; found = 1 }')
    [ -n "$path" ] || { fail "$(basename "$elf") needs $lib, which this machine does not have"; continue; }
    owner=$(dpkg -S "$(realpath "$path")" 2>/dev/null | sed -n 1p | cut -d: -f1) ||
      owner=$(dpkg -S "$path" 2>/dev/null | sed -n 1p | cut -d: -f1) || true
    [ -n "$owner" ] || { fail "no package holds $path ($lib of $(basename "$elf"))"; continue; }
    depends_on "$owner" || fail "$(basename "$elf") needs $lib of $owner, not in Depends: $depends"
  done
done
for p in libqt6widgets6 libsqlite3-0 libacl1; do
  depends_on "$p" || fail "Depends lacks $p: $depends"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -x /usr/lib/vemtro/hklm.ini >/dev/null ||
  fail "the machine's registry file is no conffile: an upgrade would drop its installed drivers"

# --- the installed tree -----------------------------------------------------------------------
for p in "${programs[@]}"; do
  need "$folder/$p"
  [ "$(realpath "$root/usr/bin/$p" 2>/dev/null)" = "$(realpath "$folder/$p")" ] ||
    fail "usr/bin/$p does not lead to the installation folder"
  need "$root/usr/share/man/man1/$p.1"
  if command -v groff >/dev/null; then
    groff -man -ww -z -Tutf8 "$root/usr/share/man/man1/$p.1" 2>&1 | grep . && fail "man page of $p has errors"
  fi
done
# The names the program derives from language A, in the installation folder.
for f in vemtro_A.so vemtro_A.html vemtro1A.html vemtro2A.html vemtro3A.html Y5DRIVER hklm.ini; do
  need "$folder/$f"
done
nm -D --defined-only "$folder/vemtro_A.so" | grep ' vemtro_string_table$' >/dev/null ||
  fail "the language library has no string table"
# The machine values name the installation folder as installed (without the scratch root).
registry() { # SECTION KEY -> value
  awk -F= -v s="[$1]" -v k="$2" '$0 == s { inside = 1; next } /^\[/ { inside = 0 } inside && $1 == k { print substr($0, length(k) + 2) }' \
    "$folder/hklm.ini"
}
while IFS='|' read -r section key want; do
  got=$(registry "$section" "$key")
  [ "$got" = "$want" ] || fail "hklm.ini [$section] $key=$got, expected $want"
done <<TABLE
Software/Quenral/QORB4/2.0/General/Paths|QORB4_Dir|/usr/lib/vemtro
Software/Quenral/QORB4/2.0/Applications/vemtro|SubPath|/
Software/Quenral/QORB4/2.0/Applications/vemtro|ReleaseVersion|$release
Software/Quenral/QORB4/2.0/Applications/vemtro/Y5Driver|SubPath|Y5DRIVER/
Software/Quenral/QORB4/2.0/General/Languages|Current|Deutsch
Software/Quenral/QORB4/2.0/General/LangExtensions|Deutsch|A
TABLE
# The desktop entry starts the module chooser of the installed tree, with an installed icon.
entry="$root/usr/share/applications/vemtro.desktop"
need "$entry"
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ "$exec" = /usr/lib/vemtro/modulwahl ] || fail "desktop entry starts $exec"
[ -x "$root$exec" ] || fail "desktop entry's program $exec is not installed"
icon=$(sed -n 's/^Icon=//p' "$entry")
need "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry" || fail "desktop entry"; fi

# --- the programs start -----------------------------------------------------------------------
home="$work/home"
mkdir -p "$home"
run() { # the installed programs first on the path, an empty home, no registry folder, no display
  # (a sanitizer build keeps its settings)
  env -i PATH="$root/usr/bin:/usr/bin:/bin" HOME="$home" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
    ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} "$@"
}
declare -A expect=(
  [vemtro_x]="Das direkte Starten der Applikation ist nicht möglich"
  [ptpcfg]="Aufruf: ptpcfg"
  [rackplan]="Aufruf: rackplan"
  [y5mklink]="Aufruf: y5mklink"
  [cpsim]="usage: cpsim"
)
for p in "${programs[@]}"; do
  if [ "$p" = vemtro_x ]; then
    # The window program's usage is its refusal of a direct start; the message goes to standard
    # error when nobody is there to click.
    out=$(run VEMTRO_QUIT_WHEN_SHOWN=1 "$p" 2>&1) || true
  else
    out=$(run "$p" --help 2>&1) || fail "$p --help: exit status $?"
  fi
  grep -qF "${expect[$p]:-$p}" <<<"$out" || fail "$p did not start: $out"
  [ "$p" = cpsim ] && continue  # the simulator has no version of its own
  said=$(run "$p" --version 2>&1) || fail "$p --version: exit status $?"
  [ "$said" = "$p $version" ] || fail "$p --version: $said"
done
out=$(run "$folder/modulwahl" --help 2>&1) || fail "modulwahl --help"
grep -q "Aufruf: modulwahl" <<<"$out" || fail "modulwahl did not start: $out"

# --- a project made by the installed rackplan, shown by the installed ptpcfg -------------------
cd "$work"
run rackplan new P1.qorb >/dev/null
run rackplan add-station P1.qorb S1 >/dev/null
run rackplan add-module P1.qorb S1 --model CP731 --order "9QX4 731-1LA02" --interface 67 --name "CP 731" \
  --rack 0 --slot 5 >/dev/null
S=$(run rackplan startup-string P1.qorb "CP 731 (R0/S5)")
run QORB4_PROJECT=P1.qorb ptpcfg set "$S" byBaud=19200 >"$work/set.txt" 2>&1 || { cat "$work/set.txt"; fail "ptpcfg set"; }
show=$(run QORB4_PROJECT=P1.qorb ptpcfg show "$S" 2>&1) || fail "ptpcfg show: $show"
grep '^CDb.byBaud=' <<<"$show" >/dev/null || fail "ptpcfg show printed no protocol record: $show"
# The stored block head carries the release version of the installed registry (without it: 0.0).
grep -x "CDbHead.abyVersion=${release//./,}" <<<"$show" >/dev/null || fail "ptpcfg show: the block does not carry the installed release version: $show"
# The desktop entry's chooser lists the project's modules and refuses a number that is none.
out=$(printf '99\n\n' | run "$folder/modulwahl" P1.qorb 2>&1) || fail "modulwahl P1.qorb: $out"
grep -F "CP 731 (R0/S5)" <<<"$out" >/dev/null || fail "modulwahl does not list the module: $out"
grep -F "Keine Baugruppe mit der Objektnummer 99" <<<"$out" >/dev/null || fail "modulwahl took 99: $out"
out=$(printf '\n' | run "$folder/modulwahl" missing.qorb 2>&1) && fail "modulwahl took a missing project: $out"
grep -F "missing.qorb fehlt" <<<"$out" >/dev/null || fail "modulwahl does not say the project is missing: $out"
grep -F "hat keine Baugruppe" <<<"$out" >/dev/null && fail "modulwahl calls a missing project empty: $out"
# rackplan open starts the installed window program (offscreen; it ends once shown).
run QT_QPA_PLATFORM=offscreen VEMTRO_QUIT_WHEN_SHOWN=1 rackplan open P1.qorb "CP 731 (R0/S5)" >"$work/open.txt" 2>&1 ||
  { cat "$work/open.txt"; fail "rackplan open"; }

# --- the link tool ran at installation --------------------------------------------------------
data="$root/var/lib/Quenral/Automation/Qorb4/Vemtro"
log="$folder/y5mklink.log"
need "$log"
grep -qF "CREATE SYMBOLIC LINK: \"Vemtro\" ---> \"$data\"   RESULT = ok" "$log" ||
  fail "the log does not show the link set: $(cat "$log")"
grep -q -- "END SETTING SYMBOLIC LINK" "$log" || fail "the log does not end its run: $(cat "$log")"
[ -L "$folder/Vemtro" ] && [ "$(realpath "$folder/Vemtro")" = "$(realpath "$data")" ] ||
  fail "Vemtro in the installation folder is no link to $data"
echo "Kessel voll" >"$folder/Vemtro/user.txt"

# --- installed again, removed, purged: the users' data stays -----------------------------------
dpkg_root -i "$deb" >"$work/dpkg2.log" 2>&1 || { cat "$work/dpkg2.log"; fail "dpkg -i a second time"; }
grep -qF 'RESULT = link already found' "$log" || fail "the second installation did not find the link: $(cat "$log")"
dpkg_root -r ptpcfg >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; fail "dpkg -r"; }
[ -L "$folder/Vemtro" ] && fail "the link to the data folder stays after removal"
[ -e "$root/usr/bin/ptpcfg" ] || [ -L "$root/usr/bin/ptpcfg" ] && fail "usr/bin/ptpcfg stays after removal"
need "$folder/hklm.ini"  # a conffile stays until purge
dpkg_root --purge ptpcfg >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "dpkg --purge"; }
[ -e "$folder" ] && fail "the installation folder stays after purge: $(ls -A "$folder")"
[ "$(cat "$data/user.txt" 2>/dev/null)" = "Kessel voll" ] || fail "purge lost the users' data in $data"

[ "$failures" -eq 0 ] || exit 1
echo "ok: package $(basename "$deb") installed, run, removed and purged"
