#!/bin/bash
# Fuzzes the archive reader with libFuzzer for SECONDS (default 600) on one core.
#
#   scripts/fuzz.sh [SECONDS]
#
# Builds build/fuzz/lzh_fuzz with clang (ASan, UBSan), copies fuzz/corpus and
# fuzz/regression into build/fuzz/corpus and fuzzes that copy, so fuzz/ only
# changes by hand: minimise anything worth keeping (-minimize_crash=1 for a
# crash, -merge=1 for new coverage) and copy it into fuzz/corpus or, for a
# crash or timeout, into fuzz/regression under a name that says what broke.
# Crashes, timeouts and leaks land in build/fuzz/artifacts/. At the end the
# line coverage of lzh/ by the grown corpus is printed (needs llvm-cov).
set -euo pipefail

# The whole script is read before it runs, so editing it during a run is safe.
main() {
    local root seconds out cxx status
    root=$(cd "$(dirname "$0")/.." && pwd)
    seconds=${1:-600}
    out=$root/build/fuzz
    cxx=${CXX_FUZZ:-clang++}
    local sources=("$root/lzh/CDecode.cpp" "$root/lzh/EntryName.cpp" "$root/lzh/LzhArchive.cpp"
                   "$root/lzh/StreamFile.cpp" "$root/lzh/FileSystemPosix.cpp")

    mkdir -p "$out/artifacts"
    "$cxx" -std=c++17 -g -O1 -Wall -Wextra \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I "$root/lzh" "$root/fuzz/lzh_fuzz.cpp" "${sources[@]}" -o "$out/lzh_fuzz"

    rm -rf "$out/corpus"
    mkdir -p "$out/corpus"
    cp "$root"/fuzz/corpus/* "$out/corpus/"
    if compgen -G "$root/fuzz/regression/*" >/dev/null; then
        cp "$root"/fuzz/regression/* "$out/corpus/"
    fi

    # Every input is unpacked into a private directory under TMPDIR: keep that
    # in memory when possible. -max_len 64 KiB leaves room for multi-block
    # entries; the target cuts a run short after 2 MiB of
    # unpacked data per operation (see lzh_fuzz.cpp).
    if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
        export TMPDIR=/dev/shm
    fi
    set +e
    "$out/lzh_fuzz" "$out/corpus" \
        -dict="$root/fuzz/lzh.dict" \
        -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
        -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/" 2>&1 | tee "$out/fuzz.log"
    status=${PIPESTATUS[0]}
    set -e

    # Line coverage of the reader reached by the corpus as it stands now.
    rm -f "$out/coverage.txt"
    if command -v llvm-profdata >/dev/null && command -v llvm-cov >/dev/null; then
        "$cxx" -std=c++17 -g -O0 -fprofile-instr-generate -fcoverage-mapping -I "$root/lzh" \
            "$root/fuzz/replay_main.cpp" "$root/fuzz/lzh_fuzz.cpp" "${sources[@]}" -o "$out/lzh_cov"
        LLVM_PROFILE_FILE="$out/cov.profraw" "$out/lzh_cov" "$out/corpus" 2>/dev/null
        llvm-profdata merge -o "$out/cov.profdata" "$out/cov.profraw"
        llvm-cov report "$out/lzh_cov" -instr-profile="$out/cov.profdata" "${sources[@]}" \
            >"$out/coverage.txt"
    fi

    echo
    echo "== lzh_fuzz, $seconds s, exit status $status"
    grep -aE '^#[0-9]+[[:space:]]+(DONE|INITED)' "$out/fuzz.log" | tail -2 || true
    grep -aE '^stat::' "$out/fuzz.log" || true
    ls -l "$out/artifacts"
    if [ -f "$out/coverage.txt" ]; then
        echo "== line coverage of lzh/ by build/fuzz/corpus"
        cat "$out/coverage.txt"
    fi
    return "$status"
}

main "$@"
exit
