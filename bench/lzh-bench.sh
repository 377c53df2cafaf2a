#!/bin/bash
# Extraction speed of lzhtool against lhasa on about 30 MB of game-like data
# (pictures, sounds, text, executables, random blocks) in one level 0 archive
# made by jlha.
#
#   bash bench/lzh-bench.sh [RUNS]      RUNS per tool, default 7
#
# Builds lzhtool in build/bench (BENCH_BUILD_TYPE, default RelWithDebInfo),
# generates build/bench/data once with bench/make_data.py (fixed seed) and
# archives it, checks that both tools reproduce the data byte for byte, then
# times RUNS extractions of each, alternating, every one into a fresh empty
# directory, and finally counts instructions under callgrind (output in /tmp).
# Needs jlha, lhasa, valgrind, python3 and cmake.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
# shellcheck source=bench/lzh-common.sh
source "$root/bench/lzh-common.sh"
archive=$work/bench.lzh
callgrind_dir=/tmp/lzh-bench-callgrind
# The archive is made from the data: new data, new archive.
[ -f "$work/data.done" ] || rm -f "$archive"
bench_prepare lzh-bench jlha lhasa valgrind
if [ ! -f "$archive" ]; then
    echo "== archiving with jlha (header level 0)"
    mapfile -t files < <(cd "$data" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    (cd "$data" && jlha c0q "$archive.tmp" "${files[@]}" >/dev/null)
    mv "$archive.tmp" "$archive"
fi

entries=$(find "$data" -type f | wc -l)
bytes=$(find "$data" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
packed=$(stat -c %s "$archive")
methods=$("$tool" l "$archive" | awk '$3 ~ /^-lh.-$/ { n[$3]++ } END { for (m in n) printf "%s %d  ", m, n[m] }')

fresh_dir() { mktemp -d "$work/out.XXXXXX"; }

extract() {  # extract TOOL DIR
    case $1 in
    lzhtool) "$tool" x "$archive" "$2" >/dev/null ;;
    lhasa) lhasa "xqfw=$2" "$archive" >/dev/null ;;
    esac
}

echo "== checking both extractions against the data"
for name in lzhtool lhasa; do
    dir=$(fresh_dir)
    extract "$name" "$dir"
    if ! diff -r -q "$data" "$dir" >/dev/null; then
        echo "lzh-bench: $name did not reproduce $data (see $dir)" >&2
        exit 1
    fi
    rm -rf "$dir"
done

now_ns() { date +%s%N; }

declare -A times=([lzhtool]="" [lhasa]="")
echo "== timing $runs extractions each, alternating"
for ((i = 1; i <= runs; i++)); do
    for name in lzhtool lhasa; do
        dir=$(fresh_dir)
        sync
        start=$(now_ns)
        extract "$name" "$dir"
        end=$(now_ns)
        rm -rf "$dir"
        ms=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
        times[$name]+="$ms "
        printf '  run %d %-8s %9s ms\n' "$i" "$name" "$ms"
    done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
median_lzhtool=$(echo "${times[lzhtool]}" | median)
median_lhasa=$(echo "${times[lhasa]}" | median)
ratio=$(awk -v a="$median_lzhtool" -v b="$median_lhasa" 'BEGIN { printf "%.2f", a / b }')

echo "== callgrind (output in $callgrind_dir)"
mkdir -p "$callgrind_dir"
declare -A irs
for name in lzhtool lhasa; do
    dir=$(fresh_dir)
    out=$callgrind_dir/callgrind.$name.out
    case $name in
    lzhtool) valgrind --tool=callgrind --callgrind-out-file="$out" "$tool" x "$archive" "$dir" >/dev/null 2>"$out.log" ;;
    lhasa) valgrind --tool=callgrind --callgrind-out-file="$out" lhasa "xqfw=$dir" "$archive" >/dev/null 2>"$out.log" ;;
    esac
    rm -rf "$dir"
    irs[$name]=$(awk '/^(summary|totals):/ { print $2; exit }' "$out")
done
per_byte() { awk -v ir="$1" -v n="$bytes" 'BEGIN { printf "%.2f", ir / n }'; }

cat <<EOF

==================== lzh-bench summary ====================
archive        $archive
               $entries entries, $bytes bytes unpacked, $packed bytes packed (level 0, jlha)
               methods: $methods
build          lzhtool $build_type; $({ lhasa 2>&1 || true; } | grep -o -m1 'Lhasa v[0-9.]*') from the system
runs           $runs per tool, alternating, each into a fresh empty directory
median wall    lzhtool ${median_lzhtool} ms   lhasa ${median_lhasa} ms
ratio          lzhtool/lhasa = $ratio
instructions   lzhtool ${irs[lzhtool]} Ir = $(per_byte "${irs[lzhtool]}") Ir/byte
               lhasa   ${irs[lhasa]} Ir = $(per_byte "${irs[lhasa]}") Ir/byte
               ratio $(awk -v a="${irs[lzhtool]}" -v b="${irs[lhasa]}" 'BEGIN { printf "%.2f", a / b }')
============================================================
EOF
