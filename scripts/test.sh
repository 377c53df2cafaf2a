#!/bin/bash
# Builds and tests everything, from a fresh machine on: bash scripts/test.sh
#
#   test.sh [PRESET...]
#
# Installs the missing Debian packages (scripts/bootstrap.sh), then configures,
# builds and tests the presets named, by default all three: native (host
# build with sanitizers), win64 (run under Wine) and win32 (the Windows 95
# deliverables, checked and run under Wine's 32-bit half). A failing preset
# does not stop the others.
# The summary gives each preset's passed, failed and skipped tests, with the
# reasons the skipped ones gave ("SKIP: ..."; the release's end-to-end
# scenarios are skipped where this machine refuses 32-bit code, which
# RUNS_32BIT_CODE=no plays: scripts/probe-32bit.sh). The last line is
#   Total: N passed, N failed
# summed over the CTest runs, skipped tests in neither; a configure or
# build step that fails counts as one failure. The exit status is non-zero
# if anything failed.
set -uo pipefail

cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." || exit 1
jobs=$(nproc)
presets=(native win64 win32)
if [ $# -gt 0 ]; then
    for preset in "$@"; do
        case " ${presets[*]} " in
            *" $preset "*) ;;
            *) echo "usage: test.sh [native|win64|win32...]" >&2; exit 2 ;;
        esac
    done
    presets=("$@")
fi
passed=0
failed=0
skipped=0
summary=()
start=$SECONDS

step() {
    echo
    echo "=== $* ($((SECONDS - start)) s)"
}

# Why the tests of the last CTest run in build/PRESET were skipped: each
# reason they gave ("SKIP: ..." in the output that CTest keeps of every
# test), one line each, with how many gave it.
skip_reasons() {
    grep -h '^SKIP: ' "build/$1/Testing/Temporary/LastTest.log" 2>/dev/null | sed 's/^SKIP: //' |
        sort | uniq -c | sed -E 's/^ *([0-9]+) /\1 skipped: /'
}

bash scripts/bootstrap.sh || { echo "test.sh: bootstrap failed"; echo "Total: 0 passed, 1 failed"; exit 1; }

for preset in "${presets[@]}"; do
    step "configure $preset"
    if ! cmake --preset "$preset"; then
        failed=$((failed + 1))
        summary+=("$preset: configure FAILED")
        continue
    fi
    step "build $preset"
    build_note=
    if ! cmake --build --preset "$preset" --parallel "$jobs"; then
        failed=$((failed + 1))
        build_note=", build FAILED"
    fi
    step "test $preset"
    log=$(mktemp)
    ctest --preset "$preset" --output-on-failure 2>&1 | tee "$log"
    # "100% tests passed, 0 tests failed out of 12"; no tests: "No tests were found"
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -n "$line" ]; then
        read -r n_failed n_total < <(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/' <<<"$line")
        # Skipped tests count as passed in that line; CTest lists them:
        # "  12 - name (Skipped)".
        n_skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$log")
        passed=$((passed + n_total - n_failed - n_skipped))
        failed=$((failed + n_failed))
        skipped=$((skipped + n_skipped))
        summary+=("$preset: $((n_total - n_failed - n_skipped)) passed, $n_failed failed, $n_skipped skipped$build_note")
        if [ "$n_skipped" -gt 0 ]; then
            while IFS= read -r reason; do
                summary+=("  $reason")
            done < <(skip_reasons "$preset")
        fi
    else
        failed=$((failed + 1))
        summary+=("$preset: no test results$build_note")
    fi
    rm -f "$log"
done

step "summary"
printf '%s\n' "${summary[@]}"
echo "Wall time: $((SECONDS - start)) s"
[ "$skipped" -eq 0 ] || echo "Skipped: $skipped (counted neither passed nor failed)"
echo "Total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
