#!/bin/bash
# Builds and tests everything, from a fresh machine on: bash scripts/test.sh
#
# Installs the missing Debian packages (scripts/bootstrap.sh), then configures,
# builds and tests the three presets: native (host build with sanitizers),
# win64 (run under Wine) and win32 (the Windows 95 deliverables, checked).
# A failing preset does not stop the others. The last line is
#   Total: N passed, N failed
# summed over the three CTest runs; a configure or build step that fails
# counts as one failure. The exit status is non-zero if anything failed.
set -uo pipefail

cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/.." || exit 1
jobs=$(nproc)
presets=(native win64 win32)
passed=0
failed=0
summary=()
start=$SECONDS

step() {
    echo
    echo "=== $* ($((SECONDS - start)) s)"
}

bash scripts/bootstrap.sh || { echo "test.sh: bootstrap failed"; echo "Total: 0 passed, 1 failed"; exit 1; }

# The 32-bit programs run only where this machine runs 32-bit code.
# shellcheck source=scripts/probe-32bit.sh
source scripts/probe-32bit.sh
if ! runs_32bit_code; then
    summary+=("win32: its programs are built and checked, not run: this machine's kernel refuses 32-bit code")
fi

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
        passed=$((passed + n_total - n_failed))
        failed=$((failed + n_failed))
        summary+=("$preset: $((n_total - n_failed)) passed, $n_failed failed$build_note")
    else
        failed=$((failed + 1))
        summary+=("$preset: no test results$build_note")
    fi
    rm -f "$log"
done

step "summary"
printf '%s\n' "${summary[@]}"
echo "Wall time: $((SECONDS - start)) s"
echo "Total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
