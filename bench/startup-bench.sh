#!/bin/bash
# Start-up from the CD with and without the size file written at mastering:
# the time from the installer's start to its window. Without Longitud.dat the
# installer runs its size pass first (the status of every listed file, and
# the whole of Resource.lzh decoded); a pressed disc cannot take the file the
# pass writes, so every start pays for it.
#
#   bash bench/startup-bench.sh [RUNS]      RUNS starts of each, default 9
#
# Two discs, each as mastered and as the same tree without its size file:
#   sample     build/win64/disc, the sample disc
#   game-like  the sample disc's programs with about 30 MB of game-like data
#              (build/bench/data): graficos/ and sonido/ listed as trees,
#              prog/, texto/ and datos/ in Resource.lzh, packed and sized by
#              the mastering tools
# The time is the robot's (it starts the installer and looks every 2 ms for
# its window), headless, in one Windows 95 prefix with the test bed's sound
# card. The discs are read-only bind mounts where those may be made (as
# root), as a CD is; elsewhere the size file that a start without one writes
# is deleted after it. Either way every start is a first start from that disc. Prints the medians and the
# ratio with / without for each disc, and what reading the archive would cost
# on a real drive (the files here come from the page cache).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/wine-common.sh
source "$root/bench/wine-common.sh"
runs=${1:-9}
work=$bench_dir/startup
lzhtool=$win64/host/tools/lzhtool/lzhtool
sizefile=$win64/host/tools/master/sizefile

bench_build disc
bench_data
data=$bench_dir/data

# A run that was killed may have left its mounts behind.
findmnt -rn -o TARGET | grep -F "$work/" | xargs -r -n1 umount 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work"
echo "== making the discs in $work"
sample=$work/sample
cp -r "$win64/disc" "$sample"
game=$work/game-like
cp -r "$win64/cd" "$game"
rm -rf "$game/MUSICA" "$game/DATOS" "$game/Resource.lzh"
cp -r "$data/graficos" "$game/GRAFICOS"
cp -r "$data/sonido" "$game/SONIDO"
printf '* Banco de pruebas\r\nX GRAFICOS\r\nX SONIDO\r\n' >"$game/INST_100.NFO"
(cd "$data" && "$lzhtool" c "$game/Resource.lzh" prog texto datos >/dev/null)
"$sizefile" "$game" >/dev/null
for disc in "$sample" "$game"; do
    cp -r "$disc" "$disc-without"
    rm "$disc-without/Longitud.dat"
done

mounts=()
for disc in "$sample" "$sample-without" "$game" "$game-without"; do
    if mount --bind "$disc" "$disc" 2>/dev/null; then
        mounts+=("$disc")
        mount -o remount,bind,ro "$disc" 2>/dev/null || true
    fi
done
prefix=$work/prefix
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    for disc in "${mounts[@]}"; do
        umount "$disc" 2>/dev/null || true
    done
}
trap cleanup EXIT
if touch "$game-without/.writable" 2>/dev/null; then
    rm -f "$game-without/.writable"
    echo "(no read-only mounts here: the size file a start writes is deleted after it)"
fi
echo "== making the prefix"
bench_prefix "$prefix" "$sample"
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
cat >"$work/start.txt" <<'SCRIPT'
wait-title "Demo Morvadin Brumaria"
press IDCANCEL
expect-exit 0
SCRIPT

# start CD: one start; prints the milliseconds from the start to the window.
start() {
    local transcript
    transcript=$(bench_robot "$prefix" "$1" "$work/start.txt") || exit 1
    rm -f "${1%-without}-without/Longitud.dat" 2>/dev/null || true
    awk 'function stamp() { match($0, /[0-9]+\.[0-9]+/); return substr($0, RSTART, RLENGTH) }
         / started / && t0 == "" { t0 = stamp() }
         /appeared: dialog "Demo Morvadin Brumaria"/ && t1 == "" { t1 = stamp() }
         END { if (t0 == "" || t1 == "") exit 1; printf "%.1f\n", (t1 - t0) * 1000 }' <<<"$transcript"
}

# A first start of each, not timed: the files in the page cache, the marker
# key in place.
for disc in "$sample" "$sample-without" "$game" "$game-without"; do
    start "$disc" >/dev/null
done
[ ! -e "$game-without/Longitud.dat" ] || { echo "startup-bench: a size file was left behind" >&2; exit 1; }

start_of() { start "$work/$1"; }
bench_rounds "$runs" 18 start_of sample sample-without game-like game-like-without

cat <<EOF

==================== startup-bench summary ====================
measured   the installer's start -> its window, $runs starts each, medians
sample     $(du -sk "$sample" | cut -f1) KB, archive $(stat -c %s "$sample/Resource.lzh") bytes
           with Longitud.dat ${med[sample]} ms, without ${med[sample-without]} ms: ratio $(ratio "${med[sample]}" "${med[sample-without]}")
game-like  $(du -sk "$game" | cut -f1) KB, archive $(stat -c %s "$game/Resource.lzh") bytes
           with Longitud.dat ${med[game-like]} ms, without ${med[game-like-without]} ms: ratio $(ratio "${med[game-like]}" "${med[game-like-without]}")
on a drive the size pass reads the whole archive before the window opens: at a
           quad-speed drive's 600 KB/s that is $(awk -v b="$(stat -c %s "$sample/Resource.lzh")" 'BEGIN { printf "%.2f", b / 614400 }') s for the sample disc, $(awk -v b="$(stat -c %s "$game/Resource.lzh")" 'BEGIN { printf "%.1f", b / 614400 }') s for the game-like one
================================================================
EOF
