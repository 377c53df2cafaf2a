#!/bin/bash
# Archives made by `lzhtool c`, unpacked by lhasa, 7z, jlha and lzhtool itself:
# every byte and every stamp must agree with the packed tree.
#   pack-peer-test.sh PATH/TO/lzhtool
# The peers come from $LHASA, $SEVENZIP and $JLHA (default: found on PATH).
set -eu
export TZ=UTC LC_ALL=C
lzhtool=$(realpath "$1")
lhasa=${LHASA:-lhasa}
sevenzip=${SEVENZIP:-7z}
jlha=${JLHA:-jlha}

# shellcheck source=tests/support/common.sh
source "$(dirname "$0")/../support/common.sh"
test_work

# Text, incompressible bytes, an empty file, files of 1, 2 and 3 bytes, data
# of exactly one window (and one byte either side) repeated so that matches
# reach back the whole window, long runs, and directories three deep.
src=$work/src
mkdir -p "$src/DATOS/NIVEL1/NIVEL2" "$src/Musica"
for i in $(seq 1 4000); do echo "linea $i: morvadin brumaria $((i * 7919 % 1000))"; done > "$src/Leeme.txt"
head -c 70000 /dev/urandom > "$src/DATOS/azar.bin"
: > "$src/VACIO.TXT"
printf 'a' > "$src/DATOS/uno"
printf 'ab' > "$src/DATOS/dos"
printf 'abc' > "$src/DATOS/NIVEL1/tres"
for n in 8191 8192 8193; do
    head -c $n /dev/urandom > "$work/w"
    cat "$work/w" "$work/w" "$work/w" > "$src/DATOS/NIVEL1/NIVEL2/ventana$n.bin"
done
head -c 300000 /dev/zero > "$src/Musica/silencio.wav"
seq 1 20000 > "$src/Musica/numeros.txt"
# Stamps on even seconds, as a DOS stamp holds them.
find "$src" -type f -exec touch -d '1996-05-17 12:34:56' {} +
touch -d '1998-03-04 05:06:08' "$src/Leeme.txt"
touch -d '2001-12-31 23:59:58' "$src/DATOS/NIVEL1/tres"
touch -d '1980-01-01 00:00:00' "$src/VACIO.TXT"
touch -d '2037-12-31 23:59:58' "$src/Musica/numeros.txt"
files=$(cd "$src" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)

archive=$work/a.lzh
(cd "$src" && "$lzhtool" c "$archive" .) > "$work/c.log" || { cat "$work/c.log"; fail "lzhtool c"; }
grep -q -- '-lh0- DATOS\\azar.bin$' "$work/c.log" || fail "azar.bin not stored"
grep -q -- '-lh5- Leeme.txt$' "$work/c.log" || fail "Leeme.txt not -lh5-"
# Entries in byte order of the names, directories walked in place.
listed=$(sed -n 's/^ *[0-9]* *[0-9]* -lh[05]- //p' "$work/c.log" | tr '\\' /)
[ "$listed" = "$files" ] || fail "entry order: $listed"
# The same tree packs to the same bytes.
(cd "$src" && "$lzhtool" c "$work/b.lzh" .) > /dev/null
cmp -s "$archive" "$work/b.lzh" || fail "two runs gave different archives"

for peer in lhasa 7z jlha lzhtool; do
    out=$work/x-$peer
    mkdir -p "$out"
    case $peer in
    lhasa) "$lhasa" "xqw=$out" "$archive" ;;
    7z) "$sevenzip" x -y "-o$out" "$archive" > "$work/7z.log" || { cat "$work/7z.log"; fail "7z x"; } ;;
    jlha) (cd "$out" && "$jlha" x "$archive" > /dev/null) || fail "jlha x" ;;
    lzhtool) "$lzhtool" x "$archive" "$out" > "$work/x.log" || { cat "$work/x.log"; fail "lzhtool x"; } ;;
    esac
    # lhasa writes a level-0 name without lower-case letters in lower case,
    # as MS-DOS archivers stored them in upper case.
    lower() { tr '[:upper:]' '[:lower:]' | LC_ALL=C sort; }
    [ "$(cd "$out" && find . -type f | sed 's|^\./||' | lower)" = "$(echo "$files" | lower)" ] ||
        fail "$peer: other files"
    for f in $files; do
        mine=$out/$f
        [ -e "$mine" ] || [ $peer != lhasa ] || mine=$out/$(echo "$f" | tr '[:upper:]' '[:lower:]')
        cmp -s "$src/$f" "$mine" || fail "$peer: $f differs"
        # jlha sets no stamps on extraction.
        if [ $peer != jlha ]; then
            [ "$(stat -c %Y "$mine")" = "$(stat -c %Y "$src/$f")" ] ||
                fail "$peer: $f stamped $(stat -c %y "$mine"), packed from $(stat -c %y "$src/$f")"
        fi
    done
done
"$lhasa" t "$archive" > /dev/null || fail "lhasa t"
"$jlha" t "$archive" > /dev/null 2>&1 || fail "jlha t"

# Names the installer's reader would refuse are refused before anything is written.
bad=$work/bad
mkdir -p "$bad/sub"
echo x > "$bad/sub/CON.txt"
echo y > "$bad/ok.txt"
if (cd "$bad" && "$lzhtool" c "$work/bad.lzh" .) > /dev/null 2> "$work/bad.err"; then
    fail "CON.txt was packed"
fi
grep -q 'sub/CON.txt: refused as entry "sub\\CON.txt"' "$work/bad.err" || { cat "$work/bad.err"; fail "no clear refusal"; }
[ ! -e "$work/bad.lzh" ] || fail "an archive was written despite the refusal"
if "$lzhtool" c "$work/abs.lzh" "$bad/ok.txt" > /dev/null 2>&1; then fail "an absolute path was packed"; fi
if (cd "$bad" && "$lzhtool" c "$work/missing.lzh" nothing) > /dev/null 2>&1; then fail "a missing file was packed"; fi

test_end "lzhtool c against lhasa, 7z, jlha and lzhtool x: ok"
