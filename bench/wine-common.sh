# shellcheck shell=bash
# What the benchmarks that run the installer under Wine share (sourced by
# install-bench.sh and startup-bench.sh; $root is the source tree).
#
#   bench_build TARGET...   builds the Windows programs (preset win64) and
#                           TARGETs
#   bench_data              generates build/bench/data once (make_data.py,
#                           fixed seed; shared with the archive benchmarks)
#   bench_prefix PREFIX CD  a fresh headless Windows 95 prefix at PREFIX with
#                           the test bed's sound card, CD in its CD-ROM drive
#                           D: and the UI robot as C:\uirobot.exe; its server
#                           stopped (scripts/wine-cd.sh)
#   bench_robot PREFIX CD SCRIPT   runs D:\ZELMOT.EXE with the robot script
#                           SCRIPT (a file on the host), D: mapped to CD;
#                           prints the transcript, fails with it on stderr
#   bench_rounds RUNS WIDTH MEASURE VARIANT...   RUNS rounds, each timing
#                           every VARIANT in turn with `MEASURE VARIANT`
#                           (which prints milliseconds); prints the table in
#                           columns WIDTH wide as it goes and leaves the
#                           medians in the array med

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/wine-cd.sh
source "$root/scripts/wine-cd.sh"

win64=$root/build/win64
bench_dir=$root/build/bench

bench_build() {
    local program
    wine_pick_loader || exit 1
    for program in wineserver python3 cmake; do
        command -v "$program" >/dev/null || { echo "bench: $program is missing (scripts/bootstrap.sh)" >&2; exit 1; }
    done
    echo "== building the Windows programs (preset win64)"
    (cd "$root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 --target uirobot qrbdivd "$@" -j"$(nproc)" >/dev/null)
}

bench_data() {
    if [ ! -f "$bench_dir/data.done" ]; then
        echo "== generating $bench_dir/data"
        rm -rf "$bench_dir/data" "$bench_dir/bench.lzh"
        mkdir -p "$bench_dir"
        /usr/bin/python3 "$root/bench/make_data.py" "$bench_dir/data"
        touch "$bench_dir/data.done"
    fi
}

bench_prefix() {
    # The installer detects the sound card and writes its configuration
    # without a dialog.
    wine_cd_prefix "$1" "$2" --sound "$win64/tests/qrbdivd.sys" --robot "$win64/tools/uirobot" >/dev/null
}

# The transcript goes through a file: what the run leaves behind (on a
# display, the desktop and explorer windows on the program group) would hold
# a pipe open.
bench_robot() {
    local prefix=$1 cd=$2 script=$3 transcript=$1/bench.transcript
    ln -sfn "$cd" "$prefix/dosdevices/d:"
    cp "$script" "$prefix/drive_c/bench.txt"
    WINEPREFIX=$prefix wine 'C:\uirobot.exe' --poll 2 --cwd 'D:\' \
        --script 'C:\bench.txt' -- 'D:\ZELMOT.EXE' </dev/null >"$transcript" 2>&1 || {
        echo "bench: the installer from $cd failed:" >&2
        iconv -f CP1252 -t UTF-8 "$transcript" >&2
        exit 1
    }
    cat "$transcript"
}

bench_rounds() {
    local runs=$1 width=$2 measure=$3 i v ms
    shift 3
    local -A times=()
    declare -gA med=()
    echo "== timing $runs runs of each, in turn (milliseconds)"
    printf '  %-4s' run
    printf " %${width}s" "$@"
    echo
    for ((i = 1; i <= runs; i++)); do
        printf '  %-4d' "$i"
        for v in "$@"; do
            ms=$("$measure" "$v")
            times[$v]+="$ms "
            printf " %${width}s" "$ms"
        done
        echo
    done
    for v in "$@"; do
        # shellcheck disable=SC2034 # the callers' result
        med[$v]=$(echo "${times[$v]}" | median)
    done
}

# median: the median of the numbers on standard input (one per word).
median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
