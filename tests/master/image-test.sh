#!/bin/bash
# The disc image as others read it: 7z and xorriso each extract the assembled
# CD tree file for file, with the long names and their case (Joliet, what
# Windows reads); plus the mastered files, the 8.3 names and the label.
#
#   image-test.sh IMAGE CDTREE
set -uo pipefail
image=$1 tree=$2
# shellcheck source=tests/support/common.sh
source "$(dirname "$0")/../support/common.sh"
test_work

[ -s "$image" ] || { echo "FAIL: no image $image"; exit 1; }

# read_back NAME: the image's tree in $work/NAME, as NAME reads it.
7z x -y -o"$work/7z" "$image" >"$work/7z.log" 2>&1 || { cat "$work/7z.log"; fail "7z cannot read the image"; }
xorriso -osirrox on -joliet on -indev "$image" -extract / "$work/xorriso" >"$work/xorriso.log" 2>&1 ||
    { cat "$work/xorriso.log"; fail "xorriso cannot read the image"; }

for reader in 7z xorriso; do
    got=$work/$reader
    # File for file, names compared with their case: the CD tree, and the
    # two files that mastering adds.
    diff -r -x AUTORUN.INF -x Longitud.dat "$tree" "$got" || fail "$reader: the image is not the CD tree"
    [ "$(od -An -c "$got/AUTORUN.INF" | tr -s ' \n' ' ')" = \
      "$(printf '[autorun]\r\nopen=ZELMOT.EXE\r\nicon=BRUMARIA.ICO\r\n' | od -An -c | tr -s ' \n' ' ')" ] ||
        fail "$reader: AUTORUN.INF says [$(cat -A "$got/AUTORUN.INF")]"
    [ "$(stat -c %s "$got/Longitud.dat" 2>/dev/null)" = 8 ] || fail "$reader: no 8-byte Longitud.dat"
done
# What AUTORUN.INF names is in the root under those names.
{ [ -f "$work/7z/ZELMOT.EXE" ] && [ -f "$work/7z/BRUMARIA.ICO" ]; } || fail "ZELMOT.EXE or BRUMARIA.ICO missing from the root"
# Mixed-case names prove the Joliet tree was read.
{ [ -f "$work/7z/Resource.lzh" ] && [ -f "$work/7z/PARDEV.dll" ]; } || fail "the Joliet names were not read"

# Without Joliet, a reader sees the ISO 9660 names: 8.3, upper case.
for name in ZELMOT.EXE AUTORUN.INF RESOURCE.LZH LONGITUD.DAT INST_100.NFO; do
    grep -aq "$name;1" "$image" || fail "no ISO 9660 name $name"
done
# Every ISO 9660 name is one that a reader without Joliet can open (level
# 1); the disc carries no file that exists only for the tests, such as the
# dot-named files of the deletion rules.
bad=$(python3 "$(dirname "$0")/iso-names.py" "$image") || fail "cannot read the ISO 9660 names"
[ -z "$bad" ] || fail "ISO 9660 names not valid at level 1: $(tr "\n" " " <<<"$bad")"
dotted=$(cd "$tree" && find . -name '.*' ! -name .)
[ -z "$dotted" ] || fail "dot-named files on the disc: $(tr "\n" " " <<<"$dotted")"
label=$(xorriso -indev "$image" -pvd_info 2>/dev/null | sed -n 's/^Volume Id *: *//p')
[ "$label" = DEMOMB ] || fail "the volume label is [$label]"

test_end "ok: $image"
