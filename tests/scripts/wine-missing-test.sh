#!/bin/bash
# The scripts' Wine entry points on a machine without Wine: each stops within
# seconds, non-zero, with the one line that says what to do, and never
# crashes (the loader must not be chosen when a script is sourced).
#
#   wine-missing-test.sh SOURCE_ROOT
set -uo pipefail

root=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expected="Wine is not installed: run scripts/bootstrap.sh"

# A PATH with every program of this one but Wine's.
mkdir -p "$work/bin" "$work/cd"
IFS=: read -r -a dirs <<<"$PATH"
for dir in "${dirs[@]}"; do
    for program in "$dir"/*; do
        name=${program##*/}
        case "$name" in wine*) continue ;; esac
        [ -x "$program" ] && [ ! -e "$work/bin/$name" ] && ln -s "$program" "$work/bin/$name"
    done
done

# expect NAME COMMAND...: COMMAND, without Wine, ends in time with a failure
# and the line.
expect() {
    local name=$1 output status
    shift
    output=$(env PATH="$work/bin" WINE_LOADER64=/nonexistent/wine64 WINE_TEST_PREFIX="$work/prefix" \
        WINE_PREFIX_TEMPLATE="$work/template" \
        timeout 20 "$@" 2>&1 </dev/null)
    status=$?
    if [ "$status" -eq 0 ] || [ "$status" -eq 124 ] || [ "$status" -ge 128 ]; then
        echo "FAIL $name: exit status $status (a failure of its own expected, not success, a hang or a signal)"
        printf '%s\n' "$output" | tail -n 5
        failures=$((failures + 1))
    elif ! grep -qxF "$expected" <<<"$output"; then
        echo "FAIL $name: no line \"$expected\"; it printed:"
        printf '%s\n' "$output" | tail -n 5
        failures=$((failures + 1))
    else
        echo "ok   $name (exit $status)"
    fi
}

expect "wine, the sourced function" bash -c "source '$root/scripts/wine-loader.sh'; wine --version"
expect "wine-run" bash "$root/scripts/wine-run" "$work/program.exe"
expect "wine-prefix.sh setup" bash "$root/scripts/wine-prefix.sh" setup "$work/prefix"
expect "wine-prefix.sh start" bash "$root/scripts/wine-prefix.sh" start "$work/prefix"
expect "wine_cd_prefix" bash -c "source '$root/scripts/wine-cd.sh'; wine_cd_prefix '$work/prefix' '$work/cd'"
expect "display_prefix" bash -c "set -e; source '$root/scripts/wine-display.sh'; display_prefix '$work/prefix'"
expect "the benchmarks' build" bash -c "source '$root/bench/wine-common.sh'; bench_build"

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
