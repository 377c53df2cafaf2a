#!/bin/bash
# End-to-end tests of the video setup launcher: the real ESCRANO.EXE under
# Wine, in a directory of its own, with the sample CD's stand-in configurator
# (which logs its arguments and what it found to UvConfig.log, and waits
# while UvConfig.wait exists).
#
#   escrano-e2e.sh SCENARIO UIROBOT ESCRANO UVCONFIG WINE_RUN
#
# Exit status: 0 passed, 1 failed.
set -uo pipefail

if [ $# -ne 5 ]; then
    echo "usage: escrano-e2e.sh SCENARIO UIROBOT ESCRANO UVCONFIG WINE_RUN" >&2
    exit 2
fi
scenario=$1 uirobot=$2 escrano=$3 uvconfig=$4 wine_run=$5
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=../e2e/transcript.sh
source "$here/../e2e/transcript.sh"
work=$PWD/escrano-e2e/$scenario

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

windows_path() {
    local path=${1//\//\\}
    printf 'Z:%s' "$path"
}

# Started in a directory without the configurator and its files: no window,
# no message, exit code 0, within the robot's 5 seconds.
scenario_quiet() {
    mkdir -p "$work/dir"
    cp "$escrano" "$work/dir/ESCRANO.EXE"
    cp "$here/escrano_quiet.txt" "$work/"
    WINE_RUN_KEEP_ARGS=1 "$wine_run" "$uirobot" --script "$(windows_path "$work/escrano_quiet.txt")" \
        --cwd "$(windows_path "$work/dir")" -- "$(windows_path "$work/dir/ESCRANO.EXE")" \
        </dev/null >"$work/quiet.transcript.cp1252" 2>&1
    local status=$?
    iconv -f CP1252 -t UTF-8 "$work/quiet.transcript.cp1252" >"$work/quiet.transcript"
    [ "$status" = 0 ] || fail "uirobot exited with $status"
    check_transcript "$here/escrano_quiet.txt" "$work/quiet.transcript" quiet
    [ "$(ls -A "$work/dir")" = ESCRANO.EXE ] || fail "the directory holds [$(ls -A "$work/dir" | tr '\n' ' ')]"
    [ "$failed" = 0 ] || cat "$work/quiet.transcript"
}

# With the configurator and its two files: both files are gone before it
# starts, it gets "-noanalyse" and a start-up record without flags, and the
# launcher ends only after it (it waits while UvConfig.wait exists).
scenario_configurator() {
    local dir=$work/dir log=$work/dir/UvConfig.log
    mkdir -p "$dir"
    cp "$escrano" "$dir/ESCRANO.EXE"
    cp "$uvconfig" "$dir/UvConfig.exe"
    printf 'controlador' >"$dir/Univbe.drv"
    printf 'datos' >"$dir/Uvconfig.dat"
    printf 'otro' >"$dir/Otro.dat"
    : >"$dir/UvConfig.wait"

    (cd "$dir" && exec "$wine_run" "$dir/ESCRANO.EXE" </dev/null >/dev/null 2>&1) &
    local launcher=$! _
    for _ in $(seq 400); do
        grep -q '^ended' "$log" 2>/dev/null && break
        grep -q '^Uvconfig.dat' "$log" 2>/dev/null && break
        sleep 0.05
    done
    if ! grep -q '^Uvconfig.dat' "$log" 2>/dev/null; then
        fail "the configurator did not start within 20 s"
        rm -f "$dir/UvConfig.wait"
        wait "$launcher"
        return
    fi
    # The configurator waits: so must the launcher.
    sleep 0.5
    kill -0 "$launcher" 2>/dev/null || fail "ESCRANO.EXE ended while the configurator was still running"
    grep -q '^ended' "$log" && fail "the configurator ended while it should wait"
    rm -f "$dir/UvConfig.wait"
    wait "$launcher"
    local status=$?
    [ "$status" = 0 ] || fail "ESCRANO.EXE exited with $status"
    tr -d '\r' <"$log" >"$work/log"
    local want
    want=$(printf '%s\n' 'arguments: [-noanalyse]' 'startup flags: 0' 'Univbe.drv: absent' 'Uvconfig.dat: absent' ended)
    [ "$(grep -v '^ran: ' "$work/log")" = "$want" ] || fail "the configurator's log is [$(cat "$work/log")], expected [$want]"
    grep -qx 'ran: UvConfig.exe -noanalyse' "$work/log" || fail "the command line was not UvConfig.exe -noanalyse"
    [ ! -e "$dir/Univbe.drv" ] && [ ! -e "$dir/Uvconfig.dat" ] || fail "Univbe.drv or Uvconfig.dat is still there"
    [ -f "$dir/Otro.dat" ] || fail "Otro.dat is gone"
    [ "$failed" = 0 ] || cat "$work/log"
}

declare -F "scenario_$scenario" >/dev/null || { echo "escrano-e2e.sh: no scenario $scenario" >&2; exit 2; }
rm -rf "$work"
mkdir -p "$work"
"scenario_$scenario"
[ "$failed" = 0 ] && { echo "passed: $scenario"; exit 0; }
exit 1
