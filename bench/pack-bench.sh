#!/bin/bash
# Packing against jlha: archive size and packing time of `lzhtool c` and of
# jlha's level-0 -lh5- archives, for the sample CD's archive sources and for
# about 30 MB of game-like data (bench/make_data.py, fixed seed). Prints the
# ratios ours / jlha's; a size ratio above 1.00 or a time ratio above 1.00
# misses the target.
#
#   bash bench/pack-bench.sh [RUNS]      RUNS timed packings per tool, default 3
#
# Builds lzhtool in build/bench (BENCH_BUILD_TYPE, default RelWithDebInfo) and
# shares its generated data with bench/lzh-bench.sh. Every archive made is
# also checked with lhasa t. Needs jlha, lhasa, python3 and cmake.
set -euo pipefail
export TZ=UTC LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-3}
# shellcheck source=bench/lzh-common.sh
source "$root/bench/lzh-common.sh"
bench_prepare pack-bench jlha lhasa

now() { date +%s.%N; }

# bench NAME DIR: packs DIR's files with both tools RUNS times, alternating.
bench() {
    local name=$1 dir=$2 ours=$work/pack-ours.lzh theirs=$work/pack-jlha.lzh
    local files
    mapfile -t files < <(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    local ourTime=0 theirTime=0 t0 t1
    for _ in $(seq 1 "$runs"); do
        rm -f "$ours" "$theirs"
        t0=$(now); (cd "$dir" && "$tool" c "$ours" "${files[@]}" >/dev/null); t1=$(now)
        ourTime=$(echo "$ourTime + $t1 - $t0" | bc -l)
        t0=$(now); (cd "$dir" && jlha c0q "$theirs" "${files[@]}" >/dev/null); t1=$(now)
        theirTime=$(echo "$theirTime + $t1 - $t0" | bc -l)
    done
    lhasa t "$ours" >/dev/null || { echo "pack-bench: lhasa t failed on our archive of $name" >&2; exit 1; }
    local bytes ourSize theirSize
    bytes=$(cd "$dir" && cat "${files[@]}" | wc -c)
    ourSize=$(stat -c %s "$ours")
    theirSize=$(stat -c %s "$theirs")
    printf '%-12s %4d files %10d bytes | lzhtool %10d bytes %7.2f s | jlha %10d bytes %7.2f s | size ratio %.4f  time ratio %.2f\n' \
        "$name" "${#files[@]}" "$bytes" "$ourSize" "$(echo "$ourTime / $runs" | bc -l)" \
        "$theirSize" "$(echo "$theirTime / $runs" | bc -l)" \
        "$(echo "$ourSize / $theirSize" | bc -l)" "$(echo "$ourTime / $theirTime" | bc -l)"
}

echo "== packing, $runs runs per tool (times are means)"
bench "sample CD" "$root/samplecd/resource"
bench "game-like" "$data"
