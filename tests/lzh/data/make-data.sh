#!/bin/bash
# Regenerates the peer archives in this directory and expected.txt, which
# peer_archive_test.cpp checks: jlha makes the archives, lhasa unpacks them,
# and cksum (the POSIX CRC) records what every entry must unpack to.
#   expected.txt lines: ARCHIVE NAME SIZE CKSUM DOSSTAMP
# NAME is where our reader puts the entry ("/" between directories): level 1
# archives keep directories in an extended header that the reader skips, so
# their entries land under the base name. DOSSTAMP is yyyy-mm-ddThh:mm:ss.
set -eu
export TZ=UTC LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/support/common.sh
source "$here/../../support/common.sh"
test_work

src=$work/src
mkdir -p "$src/DOCS/DEEP" "$src/BIN"
for i in $(seq 1 1500); do echo "linea $i: morvadin brumaria $((i * 7919 % 1000))"; done > "$src/LEEME.TXT"
seq 1 1200 | sed 's/$/ castillo dragon espada/' > "$src/DOCS/DEEP/LARGO.TXT"
echo "hola" > "$src/DOCS/CORTO.TXT"
head -c 3000 /dev/urandom > "$src/BIN/AZAR.BIN"
: > "$src/VACIO.TXT"
touch -d '1998-03-04 05:06:08' "$src/LEEME.TXT"
touch -d '2001-12-31 23:59:58' "$src/DOCS/DEEP/LARGO.TXT"
touch -d '1996-05-17 12:34:56' "$src/DOCS/CORTO.TXT" "$src/BIN/AZAR.BIN"
touch -d '1980-01-01 00:00:00' "$src/VACIO.TXT"
mapfile -t files < <(cd "$src" && find . -type f | sed 's|^\./||' | sort)

: > "$work/expected.txt"
for level in 0 1; do
    name=jlha-level$level.lzh
    rm -f "$here/$name"
    (cd "$src" && jlha "c$level" "$here/$name" "${files[@]}" > /dev/null)
    mkdir "$work/x$level"
    lhasa "xqw=$work/x$level" "$here/$name"
    for f in "${files[@]}"; do
        if [ $level = 0 ]; then target=$f; else target=$(basename "$f"); fi
        # lhasa lowercases names that are all capitals.
        theirs=$work/x$level/$f
        [ -e "$theirs" ] || theirs=$work/x$level/$(echo "$f" | tr '[:upper:]' '[:lower:]')
        cmp -s "$theirs" "$src/$f" || { echo "lhasa unpacks $f wrongly" >&2; exit 1; }
        read -r crc size _ < <(cksum < "$theirs")
        stamp=$(date -u -r "$theirs" +%Y-%m-%dT%H:%M:%S)
        echo "$name $target $size $crc $stamp" >> "$work/expected.txt"
    done
done
cp "$work/expected.txt" "$here/expected.txt"
