# shellcheck shell=bash
# What the archive benchmarks share (sourced by lzh-bench.sh and
# pack-bench.sh): lzhtool built in build/bench (BENCH_BUILD_TYPE, default
# RelWithDebInfo) and about 30 MB of game-like data generated once in
# build/bench/data by bench/make_data.py (fixed seed).
#
#   bench_prepare NAME PROGRAM...   checks that the programs exist (NAME
#                                   names the benchmark in messages), builds
#                                   lzhtool and generates the data
#   bench_text_data                 generates about 20 MB of text once in
#                                   build/bench/text (make_data.py DIR text)

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$root/build/bench
build_type=${BENCH_BUILD_TYPE:-RelWithDebInfo}
# shellcheck disable=SC2034 # the benchmarks' program
tool=$work/tools/lzhtool/lzhtool
data=$work/data
text_data=$work/text

bench_prepare() {
    local name=$1 program
    shift
    for program in "$@" python3 cmake; do
        command -v "$program" >/dev/null || { echo "$name: $program is missing" >&2; exit 1; }
    done
    echo "== building lzhtool ($build_type) in $work"
    cmake -S "$root" -B "$work" -DCMAKE_BUILD_TYPE="$build_type" -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$work" --target lzhtool -j2 >/dev/null
    if [ ! -f "$work/data.done" ]; then
        echo "== generating $data"
        rm -rf "$data"
        python3 "$root/bench/make_data.py" "$data"
        touch "$work/data.done"
    fi
}

bench_text_data() {
    if [ ! -f "$work/text.done" ]; then
        echo "== generating $text_data"
        rm -rf "$text_data"
        python3 "$root/bench/make_data.py" "$text_data" text
        touch "$work/text.done"
    fi
}
