#!/bin/bash
# Archives made by jlha at header levels 0 and 1, unpacked by lhasa and by
# lzhtool: every byte, the total size and the stamps must agree.
#   peer-test.sh PATH/TO/lzhtool
# jlha and lhasa come from $JLHA and $LHASA (default: found on PATH).
set -eu
export TZ=UTC LC_ALL=C
lzhtool=$(realpath "$1")
jlha=${JLHA:-jlha}
lhasa=${LHASA:-lhasa}

# shellcheck source=tests/support/common.sh
source "$(dirname "$0")/../support/common.sh"
test_work

# The tree: compressible text, incompressible bytes (jlha stores them as
# -lh0-), an empty file and files two directories down. Stamps are on even
# seconds, as a DOS stamp holds them.
src=$work/src
mkdir -p "$src/docs/deep" "$src/bin"
for i in $(seq 1 2500); do echo "linea $i: morvadin brumaria $((i * 7919 % 1000))"; done > "$src/readme.txt"
seq 1 3000 | sed 's/$/ castillo dragon espada/' > "$src/docs/deep/long.txt"
echo "hola" > "$src/docs/short.txt"
head -c 12000 /dev/urandom > "$src/bin/random.bin"
: > "$src/empty.txt"
touch -d '1998-03-04 05:06:08' "$src/readme.txt"
touch -d '2001-12-31 23:59:58' "$src/docs/deep/long.txt"
touch -d '1996-05-17 12:34:56' "$src/docs/short.txt" "$src/bin/random.bin"
touch -d '1980-01-01 00:00:00' "$src/empty.txt"
mapfile -t files < <(cd "$src" && find . -type f | sed 's|^\./||' | sort)

for level in 0 1; do
    archive=$work/peer$level.lzh
    (cd "$src" && "$jlha" "c$level" "$archive" "${files[@]}" > /dev/null)
    "$lhasa" v "$archive" | grep -q -- '-lh0- .* bin/random.bin$' || fail "level $level: random.bin not stored"
    "$lhasa" v "$archive" | grep -q -- '-lh5- .* readme.txt$' || fail "level $level: readme.txt not -lh5-"

    theirs=$work/lhasa$level ours=$work/ours$level
    mkdir -p "$theirs" "$ours"
    "$lhasa" "xqw=$theirs" "$archive"
    "$lzhtool" x "$archive" "$ours" > "$work/x$level.log" || { cat "$work/x$level.log"; fail "level $level: lzhtool x"; }

    for f in "${files[@]}"; do
        # Level 1 keeps the directory in an extended header that the reader
        # skips, so those entries come out under their base name.
        if [ $level = 0 ]; then mine=$ours/$f; else mine=$ours/$(basename "$f"); fi
        cmp -s "$src/$f" "$theirs/$f" || fail "level $level: lhasa's $f differs from the original"
        cmp -s "$src/$f" "$mine" || fail "level $level: lzhtool's $f differs from the original"
        want=$(stat -c %Y "$src/$f")
        [ "$(stat -c %Y "$mine")" = "$want" ] || fail "level $level: $f stamp $(stat -c %y "$mine"), want $(stat -c %y "$src/$f")"
        [ "$(stat -c %Y "$theirs/$f")" = "$want" ] || fail "level $level: lhasa's stamp of $f differs"
    done
    [ "$(cd "$ours" && find . -type f | wc -l)" = "${#files[@]}" ] || fail "level $level: lzhtool wrote other files"

    theirTotal=$("$lhasa" v "$archive" | awk '$1 == "Total" { print $5 }')
    ourTotal=$("$lzhtool" t "$archive" | sed -n 's/^[0-9]* entries, \([0-9]*\) bytes: ok$/\1/p')
    { [ -n "$theirTotal" ] && [ "$theirTotal" = "$ourTotal" ]; } || fail "level $level: total $ourTotal, lhasa says $theirTotal"
done

test_end "peer archives: ok"
