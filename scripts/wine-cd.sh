# shellcheck shell=bash
# A Wine prefix with a CD in its CD-ROM drive D: (sourced by the main job,
# the Wine benchmarks and the end-to-end tests).
#
#   wine_cd_prefix PREFIX CD [--sound SYS] [--robot DIR]
#       replaces PREFIX with a fresh copy of the template (wine-prefix.sh;
#       $wine_cd_template, by default the win64 tests' own) whose D: is the
#       CD-ROM drive showing the directory CD. --sound: the stand-in sound
#       driver SYS (tests/support/qrbdivd) runs as a service started with
#       every session, and the wave devices hold the test bed's sound card.
#       --robot: the UI robot of the build directory DIR (uirobot.exe and its
#       hook library) is on C:\. No server runs for PREFIX afterwards, so the
#       next process starts a session that sees D: as a CD-ROM drive.
#   wine_cd_drive PREFIX CD
#       D: of PREFIX shows CD; when the registry does not yet make it a
#       CD-ROM drive, it is set so and the server stopped (Wine reads the
#       type when a server starts with D: mapped).
#   wine_in PREFIX COMMAND...
#       runs COMMAND under wine-run in PREFIX, arguments as given, no input.

wine_cd_dir=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=scripts/wine-prefix.sh
source "$wine_cd_dir/wine-prefix.sh"
# shellcheck source=tests/support/qrbdivd/qrbdivd.sh
source "$wine_cd_dir/../tests/support/qrbdivd/qrbdivd.sh"

wine_cd_template=${WINE_PREFIX_TEMPLATE:-$wine_cd_dir/../build/win64/wine-prefix.template}

wine_in() {
    WINE_TEST_PREFIX=$1 WINE_RUN_KEEP_ARGS=1 "$wine_cd_dir/wine-run" "${@:2}" </dev/null
}

wine_cd_drive() {
    ln -sfn "$2" "$1/dosdevices/d:"
    wine_in "$1" reg query 'HKLM\Software\Wine\Drives' /v d: 2>/dev/null | grep -q cdrom && return 0
    wine_in "$1" reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null 2>&1 ||
        { echo "wine-cd: cannot make D: a CD-ROM drive in $1" >&2; return 1; }
    wine_stop_server "$1"
}

wine_cd_prefix() {
    local prefix=$1 cd=$2 sys='' robot=''
    shift 2
    while [ $# -ge 2 ]; do
        case "$1" in
            --sound) sys=$2 ;;
            --robot) robot=$2 ;;
            *) break ;;
        esac
        shift 2
    done
    [ $# -eq 0 ] || { echo "usage: wine_cd_prefix PREFIX CD [--sound SYS] [--robot DIR]" >&2; return 2; }
    # In a subshell: a template is built in the environment of the tests' Wine.
    (wine_env && wine_fresh_prefix "$prefix" "$(realpath -m -- "$wine_cd_template")") || return 1
    wine_cd_drive "$prefix" "$cd" || return 1
    if [ -n "$sys" ]; then
        # The driver before its settings: sc create makes the key they go in.
        (
            wine_cmd() { wine_in "$prefix" "$@"; }
            qrbdivd_install "$prefix" "$sys"
        ) || return 1
        local reg=$prefix/sound-card.reg
        { printf 'REGEDIT4\r\n'; qrbdivd_defaults_reg; } >"$reg"
        wine_in "$prefix" regedit /S "Z:${reg//\//\\}" ||
            { echo "wine-cd: cannot set the sound card in $prefix" >&2; return 1; }
    fi
    if [ -n "$robot" ]; then
        cp "$robot/uirobot.exe" "$robot/uirobothook.dll" "$prefix/drive_c/" || return 1
    fi
    wine_stop_server "$prefix"
}
