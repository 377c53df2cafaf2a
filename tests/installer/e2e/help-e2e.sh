#!/bin/bash
# End-to-end tests of the installer's help window: the real ZELMOT.EXE run
# from a copy of the sample CD under Wine, driven by the UI robot, which
# sends the install window command 1026.
#
#   help-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# The scenarios run in the test prefix ($WINE_TEST_PREFIX), except the
# screenshot, which has a prefix of its own with a real display (Xvfb). The
# installer's registry marker, which its first start creates, is removed
# before and after. Exit status: 0 passed, 1 failed, 77 skipped.
set -uo pipefail

if [ $# -ne 5 ]; then
    echo "usage: help-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR" >&2
    exit 2
fi
scenario=$1 uirobot=$2 cd_dir=$3 wine_run=$4 build_dir=$5
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=../../e2e/transcript.sh
source "$here/../../e2e/transcript.sh"
prefix=${WINE_TEST_PREFIX:?WINE_TEST_PREFIX names the test prefix}
work=$PWD/help-e2e/$scenario
SKIP=77

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

windows_path() {
    local path=${1//\//\\}
    printf 'Z:%s' "$path"
}

forget_installer() {
    WINE_RUN_KEEP_ARGS=1 "$wine_run" reg delete 'HKCU\Software\Quelvar Multimedia' /f </dev/null >/dev/null 2>&1
    return 0
}

copy_cd() {
    rm -rf "$work/cd"
    cp -a "$cd_dir" "$work/cd"
}

# robot SCRIPT: ZELMOT.EXE from the CD copy with SCRIPT, checked against the
# script's transcript lines.
robot() {
    local script=$here/$1 label
    label=$(basename "$1" .txt)
    WINE_RUN_KEEP_ARGS=1 "$wine_run" "$uirobot" --timeout 10 --script "$(windows_path "$script")" \
        --cwd "$(windows_path "$work/cd")" -- "$(windows_path "$work/cd/ZELMOT.EXE")" \
        </dev/null >"$work/$label.transcript.cp1252" 2>&1
    local status=$? before=$failed
    iconv -f CP1252 -t UTF-8 "$work/$label.transcript.cp1252" >"$work/$label.transcript"
    [ "$status" = 0 ] || fail "$label: uirobot exited with $status"
    check_transcript "$script" "$work/$label.transcript" "$label"
    [ "$failed" = "$before" ] || cat "$work/$label.transcript"
}

# The help window over the install window, closed with "OK" and with Escape.
scenario_window() {
    copy_cd
    robot help_window.txt
}

# Without Texto.txt: the window with "OK" alone, no message. (The install
# list names it too: the line goes, or the size check would report it.)
scenario_missing() {
    copy_cd
    rm -f "$work/cd/Texto.txt"
    sed -i '/Texto\.txt/d' "$work/cd/INST_100.NFO"
    robot help_missing.txt
}

# A picture of the help window showing the sample CD's Texto.txt, for people
# to look at: a copy of the prefix template with the X11 driver, under Xvfb.
scenario_screenshot() {
    if ! command -v xvfb-run >/dev/null || ! command -v convert >/dev/null; then
        echo "SKIP: xvfb-run or ImageMagick's convert is missing"
        return $SKIP
    fi
    local template=${WINE_PREFIX_TEMPLATE:-$prefix.template} shots=$build_dir/screenshots own=$work/prefix
    [ -d "$template" ] || { fail "no prefix template $template"; return; }
    rm -rf "$own"
    cp -a "$template" "$own" || { fail "cannot copy $template"; return; }
    copy_cd
    cp "$here/help_screenshot.txt" "$work/"
    (
        cd "$work" || exit 1
        export WINEPREFIX=$own WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LC_ALL=C.UTF-8
        {
            wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f &&
                wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
        } </dev/null >"$work/prefix.log" 2>&1 || exit 1
        wineserver -k
        wineserver -w
        xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
            wine "$1" --timeout 20 --script "$2\\help_screenshot.txt" --cwd "$2\\cd" -- "$2\\cd\\ZELMOT.EXE" \
                >help_screenshot.transcript.cp1252 2>&1
            status=$?
            wineserver -k
            exit $status' _ "$uirobot" "$(windows_path "$work")" </dev/null >/dev/null 2>&1
    )
    local status=$?
    iconv -f CP1252 -t UTF-8 "$work/help_screenshot.transcript.cp1252" >"$work/help_screenshot.transcript"
    WINEPREFIX=$own wineserver -w 2>/dev/null
    rm -rf "$own"
    if [ "$status" != 0 ]; then
        fail "the robot run on the display failed"
        cat "$work/help_screenshot.transcript" "$work/prefix.log"
        return
    fi
    check_transcript "$here/help_screenshot.txt" "$work/help_screenshot.transcript" help_screenshot
    [ -s "$work/help.bmp" ] || { fail "no screenshot help.bmp"; return; }
    # The window is 465 x 465 pixels.
    [ "$(identify -format '%wx%h' "$work/help.bmp")" = 465x465 ] ||
        fail "the screenshot is $(identify -format '%wx%h' "$work/help.bmp"), not 465x465"
    mkdir -p "$shots"
    convert "$work/help.bmp" "$shots/zelmot-help.png" || fail "cannot convert help.bmp"
    echo "screenshot: $shots/zelmot-help.png"
}

declare -F "scenario_$scenario" >/dev/null || { echo "help-e2e.sh: no scenario $scenario" >&2; exit 2; }
[ -f "$cd_dir/ZELMOT.EXE" ] || { echo "help-e2e.sh: no ZELMOT.EXE in $cd_dir" >&2; exit 2; }
rm -rf "$work"
mkdir -p "$work"
forget_installer
"scenario_$scenario"
result=$?
forget_installer
[ "$result" = "$SKIP" ] && [ "$failed" = 0 ] && exit $SKIP
[ "$failed" = 0 ] && [ "$result" = 0 ] && { echo "passed: $scenario"; exit 0; }
exit 1
