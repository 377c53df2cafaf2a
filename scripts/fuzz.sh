#!/bin/bash
# Fuzzes one target with libFuzzer for SECONDS (default 600) on one core:
#   lzh      the archive reader (fuzz/lzh_fuzz.cpp; the default)
#   pack     the encoder and the packer (fuzz/pack_fuzz.cpp)
#   wininit  the edits of WININIT.INI (fuzz/wininit_fuzz.cpp)
#   list     the install list's size and copy passes (fuzz/list_fuzz.cpp)
#   help     the help viewer's layout (fuzz/help_fuzz.cpp)
#   removal  the uninstaller's removal decision against a file system with
#            aliases (fuzz/removal_fuzz.cpp)
#
#   scripts/fuzz.sh [SECONDS] [lzh|pack|wininit|list|help|removal]
#
# Builds build/fuzz/TARGET/TARGET_fuzz with clang (ASan, UBSan), copies the
# target's corpus (fuzz/corpus and fuzz/regression for lzh, fuzz/TARGET_corpus
# and fuzz/TARGET_regression for the others) into build/fuzz/TARGET/corpus
# and fuzzes that copy, so fuzz/ only changes by hand: minimise anything
# worth keeping (-minimize_crash=1 for a crash, -merge=1 for new coverage)
# and copy it into the corpus or, for a crash or timeout, into the target's
# regression folder under a name that says what broke. Crashes, timeouts and
# leaks land in build/fuzz/TARGET/artifacts/. At the end the line coverage of
# the target's sources by the grown corpus is printed (needs llvm-cov).
set -euo pipefail

# The whole script is read before it runs, so editing it during a run is safe.
main() {
    local root seconds target out cxx status
    root=$(cd "$(dirname "$0")/.." && pwd)
    seconds=${1:-600}
    target=${2:-lzh}
    out=$root/build/fuzz/$target
    cxx=${CXX_FUZZ:-clang++}
    local lzh=("$root/lzh/CDecode.cpp" "$root/lzh/EntryName.cpp" "$root/lzh/LzhArchive.cpp"
               "$root/lzh/StreamFile.cpp" "$root/lzh/FileSystemPosix.cpp")
    local engine=("$root/engine/PathNames.cpp" "$root/platform/Text.cpp" "$root/platform/FilesPosix.cpp")
    local sources includes corpora options
    case $target in
    lzh)
        sources=("${lzh[@]}")
        includes=(-I "$root/lzh")
        corpora=("$root/fuzz/corpus" "$root/fuzz/regression")
        # -max_len 64 KiB leaves room for multi-block entries; the target cuts
        # a run short after 2 MiB of unpacked data per operation (see
        # lzh_fuzz.cpp).
        options=(-dict="$root/fuzz/lzh.dict" -max_len=65536)
        ;;
    pack)
        sources=("${lzh[@]}" "$root/lzh/Lh5Encoder.cpp" "$root/lzh/Lh5Code.cpp" "$root/lzh/Lh5Header.cpp"
                 "$root/lzh/Lh5Blocks.cpp" "$root/lzh/Lh5ByteEnd.cpp" "$root/lzh/Lh5Parse.cpp"
                 "$root/lzh/LzhPacker.cpp")
        includes=(-I "$root/lzh")
        corpora=("$root/fuzz/pack_corpus")
        # Inputs grow to larger data by themselves (see pack_fuzz.cpp).
        options=(-max_len=8192)
        ;;
    wininit)
        sources=("${engine[@]}" "$root/engine/WinInit.cpp")
        includes=(-I "$root/engine" -I "$root/platform")
        corpora=("$root/fuzz/wininit_corpus" "$root/fuzz/wininit_regression")
        options=(-dict="$root/fuzz/wininit.dict" -max_len=4096)
        ;;
    list)
        sources=("${engine[@]}" "$root/engine/InstallList.cpp" "$root/engine/Sizes.cpp" "$root/engine/Copy.cpp"
                 "$root/engine/Tables.cpp" "$root/engine/SharedFileList.cpp")
        includes=(-I "$root/engine" -I "$root/platform")
        corpora=("$root/fuzz/list_corpus" "$root/fuzz/list_regression")
        # Every input is copied into a private directory under TMPDIR.
        options=(-dict="$root/fuzz/list.dict" -max_len=2048)
        ;;
    help)
        sources=("$root/installer/HelpLayout.cpp")
        includes=(-I "$root/installer")
        corpora=("$root/fuzz/help_corpus")
        # A help text is a few pages; 16 KiB is some seventeen times the sample CD's.
        options=(-max_len=16384)
        ;;
    removal)
        sources=("$root/uninstaller/Removal.cpp" "$root/uninstaller/DeleteTree.cpp" "$root/uninstaller/Uninstall.cpp"
                 "$root/engine/PathNames.cpp" "$root/tests/uninstaller/TreeModel.cpp")
        includes=(-I "$root/uninstaller" -I "$root/engine" -I "$root/tests/uninstaller")
        corpora=("$root/fuzz/removal_corpus")
        # The tree, its changes and the two values need a few dozen bytes.
        options=(-max_len=256)
        ;;
    *)
        echo "usage: $0 [SECONDS] [lzh|pack|wininit|list|help|removal]" >&2
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
        if [ -d "$dir" ] && compgen -G "$dir/*" >/dev/null; then
            cp "$dir"/* "$out/corpus/"
        fi
    done

    # The lzh, pack and list targets write into a private directory under
    # TMPDIR: keep that in memory when possible.
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
