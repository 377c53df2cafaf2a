#!/bin/bash
# Mastering the CD: the resource archive packed from its sources, the disc's
# tree with its size file and autorun, and the disc image.
#
#   master.sh pack LZHTOOL SOURCES ARCHIVE
#       packs the files below SOURCES into ARCHIVE (level 0, -lh5-) with our
#       own packer. Every file is stamped 2000-01-01 12:00:00 first (on a copy),
#       so the same sources give the same archive on any machine and checkout.
#   master.sh disc SIZEFILE CDTREE DISC IMAGE
#       DISC becomes CDTREE plus AUTORUN.INF and the size file that SIZEFILE
#       (the installer's size pass, run on the host) writes for it; IMAGE is
#       DISC as an ISO 9660 image with Joliet names (Windows 95 reads the long
#       names and their case from those) and the volume label DEMOMB. The
#       same tree gives the same image.
#   master.sh disc SIZEFILE CDTREE DISC IMAGE --windows95 MAPS
#       the same, for the Windows 95 release: first every program and DLL of
#       CDTREE must run on a 486 (scripts/check-486.py, functions named from
#       the linker maps in MAPS) and load on the first Windows 95
#       (scripts/check-imports.sh); otherwise nothing is written and the
#       mastering fails naming the image and what is wrong with it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export TZ=UTC LC_ALL=C
# The stamp of everything mastered: files, archive entries, image.
stamp='2000-01-01 12:00:00'
export SOURCE_DATE_EPOCH=946728000
volume=DEMOMB

pack() {
    local tool=$1 sources=$2 archive=$3 staging
    staging=$(mktemp -d)
    trap 'rm -rf "$staging"' RETURN
    cp -r "$sources/." "$staging/"
    find "$staging" -exec touch -h -d "$stamp" {} +
    local top
    mapfile -t top < <(cd "$staging" && find . -mindepth 1 -maxdepth 1 | sed 's|^\./||' | sort)
    rm -f "$archive.new"
    (cd "$staging" && "$tool" c "$archive.new" "${top[@]}" >/dev/null)
    mv -f "$archive.new" "$archive"
}

# Refuses a tree holding a program that a 486 with the first Windows 95
# could not run. The reports go to stderr only when something is wrong.
windows95_checks() {
    local tree=$1 maps=$2 root log status=0
    root=$(cd "$here/../.." && pwd)
    if ! log=$(python3 "$root/scripts/check-486.py" --maps "$maps" "$tree" 2>&1); then
        grep -E '^  (FAIL|\.\.\.)|^check-486' <<<"$log" >&2
        status=1
    fi
    if ! log=$(bash "$root/scripts/check-imports.sh" "$tree" 2>&1); then
        grep -E '^== |FAIL|^check-imports' <<<"$log" | grep -B1 -E 'FAIL|^check-imports' >&2
        status=1
    fi
    if [ $status -ne 0 ]; then
        echo "master.sh: not mastering $tree: a program above would not run on a 486 with Windows 95" >&2
        exit 1
    fi
}

disc() {
    local sizefile=$1 tree=$2 disc=$3 image=$4
    if [ "${5:-}" = --windows95 ]; then
        windows95_checks "$tree" "${6:?master.sh: --windows95 needs the maps folder}"
    fi
    command -v xorriso >/dev/null || { echo "master.sh: xorriso is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }
    rm -rf "$disc" "$image"
    mkdir -p "$disc"
    cp -r "$tree/." "$disc/"
    cp "$here/AUTORUN.INF" "$disc/AUTORUN.INF"
    "$sizefile" "$disc" >/dev/null
    find "$disc" -exec touch -h -d "$stamp" {} +
    # ISO 9660 names (8.3, upper case) and Joliet names, no Rock Ridge: what
    # Windows reads. xorriso talks on stderr even when all is well.
    local log
    rm -f "$image.new"
    if ! log=$(xorriso -report_about SORRY -rockridge off -joliet on -volid "$volume" \
            -outdev "$image.new" -map "$disc" / 2>&1); then
        echo "$log" >&2
        exit 1
    fi
    mv -f "$image.new" "$image"
}

case ${1:-} in
    pack) shift; pack "$@" ;;
    disc) shift; disc "$@" ;;
    *) echo "usage: master.sh pack LZHTOOL SOURCES ARCHIVE | disc SIZEFILE CDTREE DISC IMAGE" >&2; exit 2 ;;
esac
