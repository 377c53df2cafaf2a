#!/bin/bash
# The size file writer on small CD trees: the sizes of the listed files and
# of the archive's contents, an old size file replaced rather than read; and
# every tree the installer would complain about (a list line that leads out
# of its directory among them) or that passes its 32-bit counters refused
# with no size file, and by the mastering with no image.
#
#   sizefile-test.sh SIZEFILE LZHTOOL
set -uo pipefail
sizefile=$1 lzhtool=$2
# shellcheck source=tests/support/common.sh
source "$(dirname "$0")/../support/common.sh"
test_work
le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# A tree: two listed files (one in a directory), a listed tree with a
# dot-named file that does not count, and a 3000-byte archive of two entries.
make_tree() {
    rm -rf "$work/cd" "$work/src"
    mkdir -p "$work/cd/SUB" "$work/cd/ARBOL/HOJA" "$work/src/DATOS"
    printf '* lista\r\nD SUB\r\nF UNO.TXT\r\nF SUB\\DOS.BIN > OTRO.BIN\r\nX ARBOL\r\n' >"$work/cd/INST_100.NFO"
    head -c 100 /dev/zero >"$work/cd/UNO.TXT"
    head -c 2000 /dev/urandom >"$work/cd/SUB/DOS.BIN"
    head -c 30 /dev/zero >"$work/cd/ARBOL/HOJA/A.DAT"
    head -c 7 /dev/zero >"$work/cd/ARBOL/.oculto"
    head -c 1000 /dev/urandom >"$work/src/DATOS/X.DAT"
    head -c 2000 /dev/zero >"$work/src/Y.TXT"
    (cd "$work/src" && "$lzhtool" c "$work/cd/Resource.lzh" DATOS Y.TXT >/dev/null) || fail "lzhtool c failed"
}

# refused LABEL: the writer fails and leaves no size file.
refused() {
    if "$sizefile" "$work/cd" >/dev/null 2>"$work/err"; then
        fail "$1: accepted"
    elif [ -e "$work/cd/Longitud.dat" ]; then
        fail "$1: a size file was left behind"
    else
        echo "ok: $1 refused: $(head -1 "$work/err")"
    fi
}

make_tree
printf 'stale size file' >"$work/cd/Longitud.dat"
"$sizefile" "$work/cd" >/dev/null || fail "a complete tree was refused"
want=$(le32 2130)$(le32 3000)
got=$(od -An -tx1 -v "$work/cd/Longitud.dat" | tr -d ' \n')
[ "$got" = "$want" ] || fail "Longitud.dat holds [$got], expected [$want]"

make_tree
rm "$work/cd/SUB/DOS.BIN"
refused "a listed file missing"

make_tree
printf 'Q RARO\r\n' >>"$work/cd/INST_100.NFO"
refused "a bad list line"

for line in 'F UNO.TXT > ..\FUERA.TXT' 'D SUB\..\..\FUERA' 'X ..' 'F UNO.TXT > LPT1' 'F \UNO.TXT'; do
    make_tree
    printf '%s\r\n' "$line" >>"$work/cd/INST_100.NFO"
    refused "the list line [$line], which leads out"
done

make_tree
head -c 5 /dev/zero >"$work/cd/ARBOL/HOJA/NUL"
refused "a file named as a device in a listed tree"

# 2,147,483,647 bytes and more pass the installer's counters: two sparse
# files of 1 GB and the archive's 3000 bytes.
make_tree
truncate -s 1G "$work/cd/ARBOL/HOJA/B.DAT" "$work/cd/ARBOL/HOJA/C.DAT"
refused "an installation of 2 GB"

# The mastering stops at the size file: no image.
make_tree
printf 'F UNO.TXT > ..\\FUERA.TXT\r\n' >>"$work/cd/INST_100.NFO"
if bash "$(dirname "$0")/../../tools/master/master.sh" disc "$sizefile" "$work/cd" "$work/disc" "$work/disc.iso" \
        >/dev/null 2>"$work/err"; then
    fail "master.sh mastered a disc whose list leads out"
elif [ -e "$work/disc.iso" ]; then
    fail "master.sh left an image of a disc whose list leads out"
else
    echo "ok: master.sh refused the disc: $(head -1 "$work/err")"
fi

make_tree
rm "$work/cd/INST_100.NFO"
refused "no install list"

make_tree
truncate -s 1500 "$work/cd/Resource.lzh"
refused "an archive cut short"

make_tree
rm "$work/cd/Resource.lzh"
refused "no archive"

test_end "ok: sizefile"
