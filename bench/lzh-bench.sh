#!/bin/bash
# Extraction speed of lzhtool against two peers, lhasa and 7-Zip (`7z x`), on
# two sets, each in one level 0 archive made by jlha: about 30 MB of
# game-like data (pictures, sounds, text, executables, random blocks) and
# about 20 MB of text.
#
#   bash bench/lzh-bench.sh [RUNS]      RUNS per tool and set, default 7
#
# Builds lzhtool in build/bench (BENCH_BUILD_TYPE, default RelWithDebInfo),
# generates build/bench/data and build/bench/text once with
# bench/make_data.py (fixed seed) and archives them, checks that every tool
# reproduces the data byte for byte, then times RUNS extractions of each,
# the three tools by turns, every one into a fresh empty directory, and
# finally counts instructions under callgrind (output in /tmp). 7z runs
# through a wrapper script and loads its codecs as a shared library, so its
# whole process tree is counted. Needs jlha, lhasa, 7z (p7zip-full),
# valgrind, python3 and cmake.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-7}
# shellcheck source=bench/lzh-common.sh
source "$root/bench/lzh-common.sh"
callgrind_dir=/tmp/lzh-bench-callgrind
tools=(lzhtool lhasa 7z)
# The archives are made from the data: new data, new archives.
[ -f "$work/data.done" ] || rm -f "$work/bench.lzh"
[ -f "$work/text.done" ] || rm -f "$work/bench-text.lzh"
bench_prepare lzh-bench jlha lhasa 7z valgrind
bench_text_data

archive_of() {  # archive_of SET
    case $1 in
    game) echo "$work/bench.lzh" ;;
    text) echo "$work/bench-text.lzh" ;;
    esac
}

data_of() {  # data_of SET
    case $1 in
    game) echo "$data" ;;
    text) echo "$text_data" ;;
    esac
}

make_archive() {  # make_archive DATA ARCHIVE
    [ -f "$2" ] && return
    echo "== archiving $1 with jlha (header level 0)"
    local files
    mapfile -t files < <(cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    (cd "$1" && jlha c0q "$2.tmp" "${files[@]}" >/dev/null)
    mv "$2.tmp" "$2"
}

fresh_dir() { mktemp -d "$work/out.XXXXXX"; }

extract() {  # extract TOOL ARCHIVE DIR [WRAPPER...]
    local name=$1 archive=$2 dir=$3
    shift 3
    case $name in
    lzhtool) "$@" "$tool" x "$archive" "$dir" >/dev/null ;;
    lhasa) "$@" lhasa "xqfw=$dir" "$archive" >/dev/null ;;
    7z) "$@" 7z x -y -bd "-o$dir" "$archive" >/dev/null ;;
    esac
}

now_ns() { date +%s%N; }
median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

declare -A medians irs bytes_of
summary=""

bench_set() {  # bench_set SET
    local set=$1 archive dir name i start end ms out
    archive=$(archive_of "$set")
    local set_data
    set_data=$(data_of "$set")
    make_archive "$set_data" "$archive"
    bytes_of[$set]=$(find "$set_data" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')

    echo "== $set: checking every extraction against the data"
    for name in "${tools[@]}"; do
        dir=$(fresh_dir)
        extract "$name" "$archive" "$dir"
        if ! diff -r -q "$set_data" "$dir" >/dev/null; then
            echo "lzh-bench: $name did not reproduce $set_data (see $dir)" >&2
            exit 1
        fi
        rm -rf "$dir"
    done

    declare -A times=()
    echo "== $set: timing $runs extractions each, by turns"
    for ((i = 1; i <= runs; i++)); do
        for name in "${tools[@]}"; do
            dir=$(fresh_dir)
            sync
            start=$(now_ns)
            extract "$name" "$archive" "$dir"
            end=$(now_ns)
            rm -rf "$dir"
            ms=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
            times[$name]+="$ms "
            printf '  run %d %-8s %9s ms\n' "$i" "$name" "$ms"
        done
    done
    for name in "${tools[@]}"; do
        medians[$set.$name]=$(echo "${times[$name]}" | median)
    done

    echo "== $set: callgrind (output in $callgrind_dir)"
    mkdir -p "$callgrind_dir"
    for name in "${tools[@]}"; do
        dir=$(fresh_dir)
        out=$callgrind_dir/callgrind.$set.$name
        rm -f "$out".*
        extract "$name" "$archive" "$dir" valgrind --tool=callgrind --trace-children=yes \
            --callgrind-out-file="$out.%p.out" 2>"$out.log"
        rm -rf "$dir"
        # Every process of the tree (7z's wrapper script and the program
        # with its codec library): one total per file, which may state it twice.
        irs[$set.$name]=$(awk '/^(summary|totals):/ && !seen[FILENAME]++ { s += $2 } END { printf "%.0f", s }' "$out".*.out)
    done
}

report_set() {  # report_set SET
    local set=$1 n=${bytes_of[$1]} name
    summary+="$set set       $(archive_of "$set"): ${bytes_of[$1]} bytes unpacked, $(stat -c %s "$(archive_of "$set")") packed
  median wall  "
    for name in "${tools[@]}"; do
        summary+="$name ${medians[$set.$name]} ms   "
    done
    summary+="
  ratios       lzhtool/lhasa $(ratio "${medians[$set.lzhtool]}" "${medians[$set.lhasa]}")   7z/lhasa $(ratio "${medians[$set.7z]}" "${medians[$set.lhasa]}")   lzhtool/7z $(ratio "${medians[$set.lzhtool]}" "${medians[$set.7z]}")
  Ir/byte      "
    for name in "${tools[@]}"; do
        summary+="$name $(ratio "${irs[$set.$name]}" "$n")   "
    done
    summary+="
"
}

for set in game text; do
    bench_set "$set"
    report_set "$set"
done

cat <<EOF

==================== lzh-bench summary ====================
build          lzhtool $build_type; $({ lhasa 2>&1 || true; } | grep -o -m1 'Lhasa v[0-9.]*'); $(7z i 2>/dev/null | grep -o -m1 '7-Zip[^:]*' | sed 's/ *$//') from the system
runs           $runs per tool and set, by turns, each into a fresh empty directory
$summary============================================================
EOF
