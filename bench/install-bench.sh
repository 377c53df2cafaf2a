#!/bin/bash
# Speed of a whole install run under Wine against the same work done by native
# tools: about 30 MB of game-like data, half copied by the install list, half
# unpacked from Resource.lzh.
#
#   bash bench/install-bench.sh [RUNS]      RUNS of each variant, default 5
#
# Builds the Windows programs (preset win64), generates build/bench/data once
# (bench/wine-common.sh) and makes
# three CDs of it in build/bench/install:
#   full     the list copies graficos/ (as an X tree) and sonido/ (as D and F
#            lines, one per file); Resource.lzh (jlha, level 0) holds prog/,
#            texto/ and datos/
#   list     the same list, no Resource.lzh
#   archive  Resource.lzh only; the list holds nothing but a comment
#   empty    neither: what every run costs besides copying and unpacking
# Each run is an unattended installation to C:\DemoMB driven by the UI robot:
# the time measured goes from the robot pressing "Instalar" to the closing
# message appearing (the robot's transcript, in milliseconds; it looks every
# 2 ms). Wine's start, the installer's start-up and the size check are not in
# it. The full CD is installed headless (Wine's null graphics driver, as the
# tests run) and on a display (Xvfb with Wine's X11 driver, as a user sees
# it). The native peers do the same work in the same loop: "cp -r" of the
# listed files and "lhasa x" of the archive, into fresh directories on the
# same file system. Every run starts after a sync, into an empty target.
#
# Prints the medians and the ratio of the full headless install to cp + lhasa
# (target: at most 1.5), and where the time goes: copying (list-only CD less
# the empty one, vs cp), unpacking (archive-only CD less the empty one, vs
# lhasa), the rest (the empty CD) and repainting (display vs headless).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine-display.sh
source "$root/scripts/wine-display.sh"
# shellcheck source=bench/wine-common.sh
source "$root/bench/wine-common.sh"
runs=${1:-5}
data=$bench_dir/data
work=$bench_dir/install

for program in Xvfb jlha lhasa; do
    command -v "$program" >/dev/null || { echo "install-bench: $program is missing (scripts/bootstrap.sh)" >&2; exit 1; }
done
bench_build samplecd
bench_data

# ---- the CDs -----------------------------------------------------------------

rm -rf "$work"
mkdir -p "$work"
echo "== making the CDs in $work"
base() {  # base DIR: the programs and the picture, no payload
    mkdir -p "$1"
    cp "$win64/cd/ZELMOT.EXE" "$win64/cd/PARDEV.dll" "$win64/cd/Brumaria.BMP" "$win64/cd/Dexal.EXE" "$1/"
}
full=$work/cd-full
base "$full"
cp -r "$data/graficos" "$full/GRAFICOS"
cp -r "$data/sonido" "$full/SONIDO"
{
    printf '* Banco de pruebas: un arbol entero y un fichero por linea\r\n'
    printf 'X GRAFICOS\r\nD SONIDO\r\n'
    (cd "$full" && find SONIDO -type f | LC_ALL=C sort | sed 's|/|\\|g; s|^|F |; s|$|\r|')
} >"$full/INST_100.NFO"
archived=(prog texto datos)
(cd "$data" && mapfile -t files < <(find "${archived[@]}" -type f | LC_ALL=C sort) &&
    jlha c0q "$full/Resource.lzh" "${files[@]}" >/dev/null)

list=$work/cd-list
base "$list"
cp -r "$full/GRAFICOS" "$full/SONIDO" "$full/INST_100.NFO" "$list/"

archive=$work/cd-archive
base "$archive"
cp "$full/Resource.lzh" "$archive/"
printf '* nada que copiar\r\n' >"$archive/INST_100.NFO"

empty=$work/cd-empty
base "$empty"
cp "$archive/INST_100.NFO" "$empty/"

listed_bytes=$(find "$full/GRAFICOS" "$full/SONIDO" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
archived_bytes=$(cd "$data" && find "${archived[@]}" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
listed_files=$(find "$full/GRAFICOS" "$full/SONIDO" -type f | wc -l)
archived_files=$(cd "$data" && find "${archived[@]}" -type f | wc -l)

# ---- the prefixes ------------------------------------------------------------

headless=$work/prefix-headless
display=$work/prefix-display
cleanup() {
    for p in "$headless" "$display"; do
        if [ -d "$p" ]; then WINEPREFIX=$p wineserver -k 2>/dev/null || true; fi
    done
    display_stop
}
trap cleanup EXIT

echo "== making the prefixes"
bench_prefix "$headless" "$full"
cp -a "$headless" "$display"
# The display prefix draws on Xvfb with the X11 driver.
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
display_start "$work"
display_prefix "$display"
cat >"$work/install.txt" <<'SCRIPT'
wait-title "Demo Morvadin Brumaria"
click-button-text "Instalar"
expect-box "instalado con"
press IDOK
expect-exit 0
SCRIPT

# install PREFIX CD: one installation; prints the milliseconds from the press
# of "Instalar" to the closing message.
install() {
    local prefix=$1 cd=$2 transcript
    rm -rf "$prefix/drive_c/DemoMB"
    WINEPREFIX=$prefix wine reg delete 'HKCU\Software\Quelvar Multimedia' /f >/dev/null 2>&1 || true
    sync
    transcript=$(bench_robot "$prefix" "$cd" "$work/install.txt") || exit 1
    awk 'function stamp() { match($0, /[0-9]+\.[0-9]+/); return substr($0, RSTART, RLENGTH) }
         /line [0-9]+: click-button-text/ { t0 = stamp() }
         /appeared: message box/ && t0 != "" && t1 == "" { t1 = stamp() }
         END { if (t0 == "" || t1 == "") exit 1; printf "%.0f\n", (t1 - t0) * 1000 }' <<<"$transcript"
}

now_ns() { date +%s%N; }

# peer KIND: the native tools' share; prints milliseconds.
peer() {
    local out start end
    out=$(mktemp -d "$work/peer.XXXXXX")
    sync
    start=$(now_ns)
    case $1 in
    cp) cp -r "$full/GRAFICOS" "$full/SONIDO" "$out/" ;;
    lhasa) lhasa "xqfw=$out" "$full/Resource.lzh" >/dev/null ;;
    esac
    end=$(now_ns)
    rm -rf "$out"
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.0f\n", (b - a) / 1e6 }'
}

echo "== checking one installation against the data"
# The first start of each CD writes its Longitud.dat; the check runs on full.
install "$headless" "$full" >/dev/null
target=$headless/drive_c/DemoMB
{ diff -r -q "$data/graficos" "$target/GRAFICOS" >/dev/null && diff -r -q "$data/sonido" "$target/SONIDO" >/dev/null; } ||
    { echo "install-bench: the listed files were not installed as they are" >&2; exit 1; }
for dir in "${archived[@]}"; do
    diff -r -q "$data/$dir" "$target/$dir" >/dev/null ||
        { echo "install-bench: $dir/ was not unpacked as it was packed" >&2; exit 1; }
done
install "$headless" "$list" >/dev/null
install "$headless" "$archive" >/dev/null
install "$headless" "$empty" >/dev/null

measure() {
    case $1 in
    full) install "$headless" "$full" ;;
    list) install "$headless" "$list" ;;
    archive) install "$headless" "$archive" ;;
    empty) install "$headless" "$empty" ;;
    display) install "$display" "$full" ;;
    *) peer "$1" ;;
    esac
}
bench_rounds "$runs" 8 measure full list archive empty display cp lhasa
peers=$(awk -v a="${med[cp]}" -v b="${med[lhasa]}" 'BEGIN { print a + b }')
rate() { awk -v b="$1" -v ms="$2" 'BEGIN { printf "%.0f MB/s", (ms > 0 ? b / ms / 1000 : 0) }'; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { print a - b }'; }
copying=$(minus "${med[list]}" "${med[empty]}")
unpacking=$(minus "${med[archive]}" "${med[empty]}")

cat <<EOF

==================== install-bench summary ====================
payload        listed:   $listed_files files, $listed_bytes bytes (X GRAFICOS, F lines for SONIDO)
               archived: $archived_files entries, $archived_bytes bytes unpacked, $(stat -c %s "$full/Resource.lzh") packed (jlha level 0)
measured       "Instalar" pressed -> closing message, $runs runs each, medians
install        headless ${med[full]} ms   on a display ${med[display]} ms
native peers   cp -r ${med[cp]} ms + lhasa x ${med[lhasa]} ms = $peers ms
ratio          install/peers = $(ratio "${med[full]}" "$peers") headless, $(ratio "${med[display]}" "$peers") on a display   (target <= 1.5)
where it goes  copying    list-only CD - empty CD = $copying ms vs cp -r ${med[cp]} ms: $(ratio "$copying" "${med[cp]}")   ($(rate "$listed_bytes" "$copying"))
               unpacking  archive-only - empty = $unpacking ms vs lhasa x ${med[lhasa]} ms: $(ratio "$unpacking" "${med[lhasa]}")   ($(rate "$archived_bytes" "$unpacking"))
               the rest   empty CD ${med[empty]} ms (the robot's click, directory check, uninstaller, registry, message box)
               repainting display - headless = $(minus "${med[display]}" "${med[full]}") ms
               (the parts add up to $(awk -v a="$copying" -v b="$unpacking" -v c="${med[empty]}" 'BEGIN { print a + b + c }') ms against ${med[full]} ms measured whole)
================================================================
EOF
