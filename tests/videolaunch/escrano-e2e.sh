#!/bin/bash
# End-to-end tests of the video setup launcher: the sample CD's ESCRANO.EXE
# under Wine, in a directory of its own (E:\DemoMB, drive E: the scenario's
# folder), with the CD's stand-in configurator (which logs its arguments and
# what it found to UvConfig.log, and waits while UvConfig.wait exists).
#
#   escrano-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# How a scenario runs and how the prefix is reset: tests/e2e/lib.sh.
set -uo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=tests/e2e/lib.sh
source "$here/../e2e/lib.sh" || exit 2

e2e_program='E:\DemoMB\ESCRANO.EXE'
e2e_cwd='E:\DemoMB'

# launcher_dir [NAME...]: the launcher's directory with ESCRANO.EXE and the
# CD's files NAME.
launcher_dir() {
    local dir=$work/DemoMB name
    mkdir -p "$dir"
    for name in ESCRANO.EXE "$@"; do
        cp "$cd_dir/$name" "$dir/"
    done
    map_drive e "$work"
}

# Started in a directory without the configurator and its files: no window,
# no message, exit code 0, within the robot's 5 seconds.
scenario_quiet() {
    launcher_dir
    robot escrano_quiet.txt quiet
    expect_entries "$work/DemoMB" ESCRANO.EXE
}

# With the configurator and its two files: both files are gone before it
# starts, it gets "-noanalyse" and a start-up record without flags, and the
# launcher ends only after it (it waits while UvConfig.wait exists).
scenario_configurator() {
    local dir=$work/DemoMB log=$work/DemoMB/UvConfig.log
    launcher_dir UvConfig.exe
    printf 'controlador' >"$dir/Univbe.drv"
    printf 'datos' >"$dir/Uvconfig.dat"
    printf 'otro' >"$dir/Otro.dat"
    : >"$dir/UvConfig.wait"

    (cd "$dir" && wine_cmd "$e2e_program" >/dev/null 2>&1) &
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
    { [ ! -e "$dir/Univbe.drv" ] && [ ! -e "$dir/Uvconfig.dat" ]; } || fail "Univbe.drv or Uvconfig.dat is still there"
    [ -f "$dir/Otro.dat" ] || fail "Otro.dat is gone"
    [ "$failed" = 0 ] || cat "$work/log"
}

e2e_main "$@"
