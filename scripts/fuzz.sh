#!/bin/bash
# Fuzzes one target with libFuzzer for SECONDS (default 600) on one core:
# lzh (the archive reader, fuzz/lzh_fuzz.cpp; the default), pack (the
# encoder and the packer, fuzz/pack_fuzz.cpp) or help (the help viewer's
# layout, fuzz/help_fuzz.cpp).
#
#   scripts/fuzz.sh [SECONDS] [lzh|pack|help]
#
# Builds build/fuzz/TARGET/TARGET_fuzz with clang (ASan, UBSan), copies the
# target's corpus (lzh: fuzz/corpus and fuzz/regression; pack:
# fuzz/pack_corpus; help: fuzz/help_corpus) into build/fuzz/TARGET/corpus
# and fuzzes that copy, so fuzz/ only changes by hand: minimise anything
# worth keeping (-minimize_crash=1 for a crash, -merge=1 for new coverage)
# and copy it into the corpus or, for an lzh crash or timeout, into
# fuzz/regression under a name that says what broke. Crashes, timeouts and
# leaks land in build/fuzz/TARGET/artifacts/. At the end the line coverage
# of the target's sources by the grown corpus is printed (needs llvm-cov).
set -euo pipefail

# The whole script is read before it runs, so editing it during a run is safe.
main() {
    local root seconds target out cxx status
    root=$(cd "$(dirname "$0")/.." && pwd)
    seconds=${1:-600}
    target=${2:-lzh}
    out=$root/build/fuzz/$target
    cxx=${CXX_FUZZ:-clang++}
    local sources=("$root/lzh/CDecode.cpp" "$root/lzh/EntryName.cpp" "$root/lzh/LzhArchive.cpp"
                   "$root/lzh/StreamFile.cpp" "$root/lzh/FileSystemPosix.cpp")
    local includes=(-I "$root/lzh")
    local corpora options
    case $target in
    lzh)
        corpora=("$root/fuzz/corpus" "$root/fuzz/regression")
        # -max_len 64 KiB leaves room for multi-block entries; the target cuts
        # a run short after 2 MiB of unpacked data per operation (see
        # lzh_fuzz.cpp).
        options=(-dict="$root/fuzz/lzh.dict" -max_len=65536)
        ;;
    pack)
        sources+=("$root/lzh/Lh5Encoder.cpp" "$root/lzh/Lh5Code.cpp" "$root/lzh/Lh5Header.cpp"
                  "$root/lzh/Lh5Blocks.cpp" "$root/lzh/Lh5ByteEnd.cpp" "$root/lzh/Lh5Parse.cpp"
                  "$root/lzh/LzhPacker.cpp")
        corpora=("$root/fuzz/pack_corpus")
        # Inputs grow to larger data by themselves (see pack_fuzz.cpp).
        options=(-max_len=8192)
        ;;
    help)
        sources=("$root/installer/HelpLayout.cpp")
        includes=(-I "$root/installer")
        corpora=("$root/fuzz/help_corpus")
        # A help text is a few pages; 16 KiB is some seventeen times the sample CD's.
        options=(-max_len=16384)
        ;;
    *)
        echo "usage: $0 [SECONDS] [lzh|pack|help]" >&2
        return 2
        ;;
    esac

    mkdir -p "$out/artifacts"
    "$cxx" -std=c++17 -g -O1 -Wall -Wextra \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        "${includes[@]}" "$root/fuzz/${target}_fuzz.cpp" "${sources[@]}" -o "$out/${target}_fuzz"

    rm -rf "$out/corpus"
    mkdir -p "$out/corpus"
    local dir
    for dir in "${corpora[@]}"; do
        if compgen -G "$dir/*" >/dev/null; then
            cp "$dir"/* "$out/corpus/"
        fi
    done

    # Every input is unpacked into a private directory under TMPDIR: keep that
    # in memory when possible.
    if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
        export TMPDIR=/dev/shm
    fi
    set +e
    "$out/${target}_fuzz" "$out/corpus" "${options[@]}" \
        -timeout=10 -rss_limit_mb=2048 \
        -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/" 2>&1 | tee "$out/fuzz.log"
    status=${PIPESTATUS[0]}
    set -e

    # Line coverage of the target's sources reached by the corpus as it stands now.
    rm -f "$out/coverage.txt"
    if command -v llvm-profdata >/dev/null && command -v llvm-cov >/dev/null; then
        "$cxx" -std=c++17 -g -O0 -fprofile-instr-generate -fcoverage-mapping "${includes[@]}" \
            "$root/fuzz/replay_main.cpp" "$root/fuzz/${target}_fuzz.cpp" "${sources[@]}" -o "$out/${target}_cov"
        LLVM_PROFILE_FILE="$out/cov.profraw" "$out/${target}_cov" "$out/corpus" 2>/dev/null
        llvm-profdata merge -o "$out/cov.profdata" "$out/cov.profraw"
        llvm-cov report "$out/${target}_cov" -instr-profile="$out/cov.profdata" "${sources[@]}" \
            >"$out/coverage.txt"
    fi

    echo
    echo "== ${target}_fuzz, $seconds s, exit status $status"
    grep -aE '^#[0-9]+[[:space:]]+(DONE|INITED)' "$out/fuzz.log" | tail -2 || true
    grep -aE '^stat::' "$out/fuzz.log" || true
    ls -l "$out/artifacts"
    if [ -f "$out/coverage.txt" ]; then
        echo "== line coverage of the target's sources by build/fuzz/$target/corpus"
        cat "$out/coverage.txt"
    fi
    return "$status"
}

main "$@"
exit
