# shellcheck shell=bash
# What the end-to-end scenarios of every program share (sourced). A program's
# scenario script (tests/installer/e2e/zelmot-e2e.sh, for one) sets `here` to
# its own folder, sources this file, defines its scenario_NAME functions and
# its settings, and ends with
#   e2e_main SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
# which runs scenario_SCENARIO in the test prefix ($WINE_TEST_PREFIX), with
# the sample CD at CD_DIR, the UI robot UIROBOT, the build's wine-run.
#
# Settings:
#   e2e_program  the program the robot starts, e.g. 'D:\ZELMOT.EXE' (one on
#                D: must be on the CD; one elsewhere, on C: or on a drive the
#                scenarios map, they put there), in e2e_cwd (default D:\),
#                with the arguments e2e_args (default none)
#   robot_timeout  how long each of the robot's waits may take (default 20 s:
#                  generous, so that a loaded machine does not fail a wait)
#   robot_options  more options of the robot (e.g. --keep; default none)
#   e2e_keys     registry keys (HKCU\... or HKLM\...) that the program or its
#                scenarios write
#   e2e_copies   files in the prefix that scenarios leave behind as copies of
#                a program of the CD
#   e2e_reset    (a function, optional) resets whatever else they leave
#
# Every scenario works in its own folder (NAME/SCENARIO below the current
# directory, NAME the scenario script's name) on its own copy of the CD, runs
# robot scripts of the scenario script's folder and checks the result on the
# host. A robot run passes when the robot exits with 0 and its transcript has
# the script's "#= TEXT" lines and none of its "#! TEXT" lines (transcript.sh).
# Transcripts stay in the scenario's folder.
#
# What a scenario changes in the prefix (drive mappings, the keys above, the
# program's own Windows version, the copies above, the robot's copy on C:,
# bind mounts, a directory watch, the sound card) is reset before it starts
# and again when it ends, so scenarios do not depend on each other or on
# their order. The lasting changes are the type of drive D: (CD-ROM) in
# HKLM\Software\Wine\Drives, for which the server is restarted only when it
# has to be set, and the stand-in sound driver (tests/support/qrbdivd),
# installed as a service when it is missing. A scenario that must not run in
# the test prefix (one that restarts Windows, which ends every process of a
# prefix) moves to a throwaway prefix of its own (throwaway_prefix); so do
# robot runs on a display (display_robots). Such a prefix has the same sound
# card and goes when the scenario ends (E2E_KEEP=1 keeps it for a look).
#
# The build's programs are 64-bit, or 32-bit in the release: the CD's
# installer tells which. 32-bit programs run under Wine's 32-bit half, and
# only where this machine runs 32-bit code (scripts/probe-32bit.sh; elsewhere
# every scenario is skipped). They see the prefix as a 32-bit program sees
# 64-bit Windows: HKLM\Software through Wow6432Node, which the registry
# helpers below read, write and reset with the 32-bit reg and regedit, so
# that a scenario names a key as the program does; and their System
# directory, C:\windows\system32 to them, is syswow64 on the host
# ($system_name).
#
# The test bed's sound card: one wave device, a Sound Blaster 16 (port 220,
# IRQ 5, DMA 1 and 5), that the stand-in driver identifies; the installer
# autodetects it. Scenarios about sound change the wave key and the driver's
# answers (qrbdivd.sh); the reset brings the card back. Exit status: 0
# passed, 1 failed, 77 skipped.
#
# A missing piece fails the run rather than passing unseen: a file sourced
# here that cannot be read ends it at once, a command that does not exist
# (a helper renamed or never defined) fails the scenario, and so does a robot
# script with no "#= " line (transcript.sh).

lib_dir=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
lib_missing() {
    echo "lib.sh: cannot read $1" >&2
    exit 2
}
# shellcheck source=tests/support/common.sh
source "$lib_dir/../support/common.sh" || lib_missing "$lib_dir/../support/common.sh"
# shellcheck source=tests/e2e/transcript.sh
source "$lib_dir/transcript.sh" || lib_missing "$lib_dir/transcript.sh"
# shellcheck source=scripts/wine-cd.sh
source "$lib_dir/../../scripts/wine-cd.sh" || lib_missing "$lib_dir/../../scripts/wine-cd.sh"
# shellcheck source=scripts/wine-display.sh
source "$lib_dir/../../scripts/wine-display.sh" || lib_missing "$lib_dir/../../scripts/wine-display.sh"
# shellcheck source=scripts/probe-32bit.sh
source "$lib_dir/../../scripts/probe-32bit.sh" || lib_missing "$lib_dir/../../scripts/probe-32bit.sh"

# Bash runs this, in a subshell, for a command that does not exist: it leaves
# a note that e2e_main finds once the scenario is over.
command_not_found_handle() {
    echo "FAIL: no command $1"
    [ -n "${work:-}" ] && echo "$1" >>"$work/missing-commands"
    return 127
}

prefix=${WINE_TEST_PREFIX:?WINE_TEST_PREFIX names the test prefix}
test_prefix=$prefix
# Prefixes of a scenario's own are copies of the test prefix's template.
wine_cd_template=${WINE_PREFIX_TEMPLATE:-$test_prefix.template}
own_prefix=
e2e_name=$(basename "$0" .sh)
e2e_program=
e2e_cwd='D:\'
e2e_args=()
e2e_keys=()
e2e_copies=()
robot_timeout=20
robot_options=()
on_display=
SKIP=77
mounted=()
watcher=
# The registry programs and the System directory's name on the host, for
# 64-bit programs; e2e_main sets those of 32-bit ones.
reg_program=reg
regedit_program=regedit
# shellcheck disable=SC2034 # the scenario scripts read it
system_name=system32

# Wine in the scenario's prefix: the test prefix, or one of its own.
wine_cmd() {
    if [ -n "$on_display" ]; then
        WINEPREFIX=$prefix wine "$@" </dev/null
    else
        WINE_TEST_PREFIX=$prefix WINE_RUN_KEEP_ARGS=1 "$wine_run" "$@" </dev/null
    fi
}

# ---- the registry ---------------------------------------------------------------

reg_set() {
    wine_cmd "$reg_program" add "$1" /v "$2" /d "$3" /f >/dev/null
}

reg_delete() {
    wine_cmd "$reg_program" delete "$1" /f >/dev/null 2>&1
}

# reg_exists KEY [VALUE]
reg_exists() {
    wine_cmd "$reg_program" query "$1" ${2:+/v "$2"} >/dev/null 2>&1
}

# The data of a value as reg prints it (code page 437; ASCII here).
reg_value() {
    wine_cmd "$reg_program" query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p'
}

# expect_reg KEY VALUE DATA: the value holds exactly DATA.
expect_reg() {
    local got
    got=$(reg_value "$1" "$2")
    [ "$got" = "$3" ] || fail "$2 of $1 is [$got], expected [$3]"
}

# The key of the program's own Windows version (Wine's AppDefaults).
app_defaults_key() {
    echo "HKCU\\Software\\Wine\\AppDefaults\\${e2e_program##*\\}"
}

# windows_version VERSION: the program sees that version (win95, winxp ...).
windows_version() {
    reg_set "$(app_defaults_key)" Version "$1"
}

# ---- drives and the CD ------------------------------------------------------

# map_drive LETTER DIR: the drive LETTER: shows DIR.
map_drive() {
    ln -sfn "$2" "$prefix/dosdevices/$1:"
}

unmap_drive() {
    rm -f "$prefix/dosdevices/$1:"
}

# D: is a CD-ROM drive once HKLM\Software\Wine\Drives says so and the server
# has started with D: mapped (wine-run starts a stopped server again); the
# scenarios map it themselves.
ensure_cd_drive_type() {
    wine_cd_drive "$prefix" "$cd_dir" || return 1
    reg_exists 'HKCU\Software'
    unmap_drive d
}

# ---- the sound card -----------------------------------------------------------

# The stand-in driver runs in the prefix, installed as a service (started
# with every server session) when it is missing.
ensure_sound_driver() {
    qrbdivd_running && return 0
    qrbdivd_install "$prefix" "$build_dir/tests/qrbdivd.sys" || { fail "the stand-in sound driver does not run"; return 1; }
}

# A copy of the CD that the program may write to.
copy_cd() {
    rm -rf "$1"
    cp -a "$cd_dir" "$1"
}

# A file that holds a copy of one of the CD's programs.
is_cd_copy() {
    local program
    [ -f "$1" ] || return 1
    for program in "$cd_dir"/*.EXE; do
        cmp -s "$1" "$program" && return 0
    done
    return 1
}

# ---- bind mounts and a directory watch ---------------------------------------

# mount_readonly SOURCE TARGET: a read-only view of SOURCE (a directory or a
# file) at TARGET, which may be SOURCE itself; read-only for root as well.
# Returns $SKIP, after saying so, where that cannot be done.
mount_readonly() {
    if ! mount --bind "$1" "$2" 2>/dev/null; then
        echo "SKIP: bind mounts are not permitted here"
        return $SKIP
    fi
    mounted+=("$2")
    if ! mount -o remount,bind,ro "$2" 2>/dev/null || writable "$2"; then
        echo "SKIP: the bind mount cannot be made read-only here"
        return $SKIP
    fi
}

writable() {
    if [ -d "$1" ]; then
        touch "$1/.writable" 2>/dev/null && rm -f "$1/.writable"
    else
        (: >>"$1") 2>/dev/null
    fi
}

unmount_all() {
    local mount
    for mount in "${mounted[@]}"; do
        mountpoint -q "$mount" && umount "$mount"
    done
    mounted=()
}

# watch_dir DIR LOG [opens]: from now until stop_watch, LOG records what is
# created and removed right inside DIR, with "opens" also which files there
# are opened (watch-dirs.py; its first line is "ready").
watch_dir() {
    local _
    rm -f "$2"
    python3 "$lib_dir/watch-dirs.py" "$@" &
    watcher=$!
    for _ in $(seq 100); do
        [ -s "$2" ] && return 0
        sleep 0.02
    done
    fail "the directory watch did not start"
    stop_watch
    return 1
}

stop_watch() {
    if [ -n "$watcher" ]; then
        kill "$watcher" 2>/dev/null
        wait "$watcher" 2>/dev/null
    fi
    watcher=
}

# ---- the robot ----------------------------------------------------------------

robot_dir() {
    echo "$prefix/drive_c/windows/temp/$e2e_name"
}

# robot SCRIPT [LABEL]: runs the program with SCRIPT (a path, or a name in
# the scenario script's folder) and checks the transcript (LABEL.transcript, LABEL defaulting to
# the script's name). The robot (with its hook library) and the script are
# run from C:, so that a scenario may take Z: away; the robot's own files
# (screenshots) go to the scenario's folder.
robot() {
    local script=$1 label=${2:-$(basename "$1" .txt)} dir status before=$failed
    [[ $script = /* ]] || script=$here/$script
    local raw=$work/$label.transcript.cp1252 out=$work/$label.transcript win="C:\\windows\\temp\\$e2e_name"
    dir=$(robot_dir)
    mkdir -p "$dir"
    cp "$uirobot" "$dir/uirobot.exe"
    cp "$(dirname "$uirobot")/uirobothook.dll" "$dir/"
    cp "$script" "$dir/$label.txt"
    (cd "$work" && wine_cmd "$win\\uirobot.exe" "${robot_options[@]}" --timeout "$robot_timeout" \
        --script "$win\\$label.txt" --cwd "$e2e_cwd" -- "$e2e_program" "${e2e_args[@]}") >"$raw" 2>&1
    status=$?
    iconv -f CP1252 -t UTF-8 "$raw" >"$out" || fail "$label: the transcript is not code page 1252"
    [ "$status" = 0 ] || fail "$label: uirobot exited with $status"
    check_transcript "$script" "$out" "$label"
    if [ "$failed" != "$before" ]; then
        echo "---- $label transcript"
        cat "$out"
        echo "----"
    else
        echo "ok: $label"
    fi
}

# ---- prefixes of a scenario's own ------------------------------------------------

# new_prefix DIR CD: from here on Wine runs in DIR, a fresh copy of the test
# prefix's template with the test bed's sound card and CD in its CD-ROM
# drive D: (wine-cd.sh). Returns 1, after saying why, when it cannot be made.
new_prefix() {
    local log=$work/new-prefix.log
    wine_cd_prefix "$1" "$2" --sound "$build_dir/tests/qrbdivd.sys" >"$log" 2>&1 ||
        { fail "cannot make the prefix $1: $(cat "$log")"; return 1; }
    prefix=$1 own_prefix=$1
}

# The scenario's own prefix goes, or only its server (E2E_KEEP=1); Wine is
# back in the test prefix.
drop_own_prefix() {
    [ -n "$own_prefix" ] || return 0
    wine_stop_server "$own_prefix"
    [ "${E2E_KEEP:-0}" = 1 ] || rm -rf "$own_prefix"
    prefix=$test_prefix own_prefix='' on_display=''
}

# throwaway_prefix DIR: the rest of the scenario runs in a prefix of its own
# at DIR, with the sample CD in its CD-ROM drive D:, which goes when the
# scenario ends. Returns 1, after saying why, when it cannot be made.
throwaway_prefix() {
    new_prefix "$1" "$cd_dir"
}

# display_robots SCRIPT...: the robot with each SCRIPT in turn, on an Xvfb
# display (waits of up to 20 s), in a prefix of its own at prefix/ that draws
# there, with a copy of the CD at cd/ as its CD-ROM drive D: (both in the
# scenario's folder). Returns $SKIP, after saying so, without Xvfb or
# ImageMagick's convert (save_screenshot), and 1 when a run fails.
display_robots() {
    if ! command -v Xvfb >/dev/null || ! command -v convert >/dev/null; then
        echo "SKIP: Xvfb or ImageMagick's convert is missing"
        return $SKIP
    fi
    copy_cd "$work/cd"
    (
        local log=$work/display-prefix.log script
        new_prefix "$work/prefix" "$work/cd" || exit 1
        on_display=1 robot_timeout=20
        trap 'drop_own_prefix; display_stop' EXIT
        wine_env
        # The first process after display_prefix must be on the display.
        display_prefix "$prefix" >"$log" 2>&1 || { fail "$(cat "$log")"; exit 1; }
        display_start "$work" 2>"$log" || { fail "$(cat "$log")"; exit 1; }
        for script in "$@"; do
            robot "$script"
        done
        exit "$failed"
    ) || { failed=1; return 1; }
}

# save_screenshot BMP PNG: the robot's picture BMP (in the scenario's folder)
# kept as PNG in the build's screenshots folder.
save_screenshot() {
    local shots=$build_dir/screenshots
    [ -s "$work/$1" ] || { fail "no screenshot $1"; return 1; }
    mkdir -p "$shots"
    convert "$work/$1" "$shots/$2" || { fail "cannot convert $1"; return 1; }
    echo "screenshot: $shots/$2 ($(identify -format '%wx%h' "$shots/$2"))"
}

# ---- host-side checks ----------------------------------------------------------

# The bytes of a file as hex, "" for an empty one.
hex_of() {
    od -An -tx1 -v "$1" | tr -d ' \n'
}

le32() {
    printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255))
}

expect_dir() {
    [ -d "$1" ] || fail "${2:-}: no directory $1"
}

expect_absent() {
    [ ! -e "$1" ] || fail "${2:-}: $1 should not exist"
}

# expect_bytes FILE HEX [LABEL]: FILE holds exactly these bytes.
expect_bytes() {
    local got
    got=$(hex_of "$1" 2>/dev/null) || { fail "${3:-}: no file $1"; return; }
    [ "$got" = "$2" ] || fail "${3:-}: $1 holds [$got], expected [$2]"
}

# expect_text FILE TEXT [LABEL]: FILE holds exactly TEXT (printf's escapes).
expect_text() {
    # shellcheck disable=SC2059 # TEXT is a format: its escapes are the point
    expect_bytes "$1" "$(printf "$2" | od -An -tx1 -v | tr -d ' \n')" "${3:-}"
}

# expect_entries DIR NAME...: DIR holds exactly these entries.
expect_entries() {
    local dir=$1 got want
    shift
    got=$(find "$dir" -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort | tr '\n' ' ')
    want=$(printf '%s\n' "$@" | LC_ALL=C sort | sed '/^$/d' | tr '\n' ' ')
    [ "$got" = "$want" ] || fail "$dir holds [${got% }], expected [${want% }]"
}

# expect_same FROM TO NAME...: each NAME below TO is NAME below FROM, byte
# for byte.
expect_same() {
    local from=$1 to=$2 name
    shift 2
    for name in "$@"; do
        cmp -s "$from/$name" "$to/$name" || fail "$to/$name is not $from/$name"
    done
}

# ---- the programs' bitness -----------------------------------------------------

# pe_bits FILE: 32 or 64, the machine of the Windows image FILE; fails for
# anything else.
pe_bits() {
    local header machine
    header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$header" ] || return 1
    machine=$(od -An -tx2 -j"$((header + 4))" -N2 "$1" 2>/dev/null | tr -d ' ')
    case "$machine" in
        014c) echo 32 ;;
        8664) echo 64 ;;
        *) return 1 ;;
    esac
}

# The bitness of the CD's programs, and for 32-bit ones the 32-bit registry
# programs and syswow64; exits with $SKIP where 32-bit code cannot run.
use_programs_bitness() {
    local bits
    bits=$(pe_bits "$cd_dir/ZELMOT.EXE") || { echo "$e2e_name.sh: $cd_dir/ZELMOT.EXE is not a Windows program" >&2; exit 2; }
    [ "$bits" = 32 ] || return 0
    if ! use_32bit_code; then
        echo "SKIP: the programs are 32-bit and this machine's kernel refuses 32-bit code"
        exit $SKIP
    fi
    reg_program='C:\windows\syswow64\reg.exe'
    regedit_program='C:\windows\syswow64\regedit.exe'
    # shellcheck disable=SC2034 # the scenario scripts read it
    system_name=syswow64
}

# after_restart: a restart of Windows is over. Wine carries out WININIT.INI
# in its 64-bit boot step, whose System directory is system32, while a
# 32-bit program's, which it names C:\WINDOWS\SYSTEM32 too, is syswow64:
# Windows 95 has one. For 32-bit programs the entries carried out
# (wininit.bak) are carried out once more by another restart, with their
# System directory where the programs see it.
after_restart() {
    local windows=$prefix/drive_c/windows carried
    [ "$system_name" != system32 ] || return 0
    carried=$(find "$windows" -maxdepth 1 -iname wininit.bak | head -n 1)
    [ -n "$carried" ] || return 0
    sed 's/\\system32\\/\\syswow64\\/Ig' "$carried" >"$windows/wininit.ini"
    rm -f "$carried"
    wine_stop_server "$prefix"
    wine_cmd cmd /c exit >/dev/null 2>&1
}

# ---- reset and main ------------------------------------------------------------

reset_prefix() {
    local file key letter reset=$work/reset.reg
    unmount_all
    stop_watch
    for letter in d e f g; do
        unmap_drive $letter
    done
    [ -e "$prefix/dosdevices/z:" ] || ln -sfn "$z_target" "$prefix/dosdevices/z:"
    for file in "${e2e_copies[@]}"; do
        if is_cd_copy "$file"; then
            chmod u+w "$file"
            rm -f "$file"
        fi
    done
    rm -rf "$(robot_dir)"
    # Every key in one Wine start, the sound card's among them.
    printf 'REGEDIT4\r\n' >"$reset"
    for key in "${e2e_keys[@]}" "$(app_defaults_key)"; do
        key=${key/#HKCU\\/HKEY_CURRENT_USER\\}
        printf '\r\n[-%s]\r\n' "${key/#HKLM\\/HKEY_LOCAL_MACHINE\\}" >>"$reset"
    done
    qrbdivd_defaults_reg >>"$reset"
    wine_cmd "$regedit_program" /S "Z:${reset//\//\\}" >/dev/null 2>&1 || fail "cannot reset the registry with $reset"
    # What else a program's scenarios leave behind, reset by their script.
    if declare -F e2e_reset >/dev/null; then
        e2e_reset
    fi
}

e2e_cleanup() {
    local status=$?
    trap - EXIT INT TERM
    drop_own_prefix
    reset_prefix
    exit "$status"
}

e2e_main() {
    if [ $# -ne 5 ]; then
        echo "usage: $e2e_name.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR" >&2
        exit 2
    fi
    scenario=$1 uirobot=$2 cd_dir=$3 wine_run=$4 build_dir=$5
    work=$PWD/$e2e_name/$scenario
    declare -F "scenario_$scenario" >/dev/null || { echo "$e2e_name.sh: no scenario $scenario" >&2; exit 2; }
    use_programs_bitness
    case "$e2e_program" in
        [Dd]:\\*) [ -f "$cd_dir/${e2e_program:3}" ] || { echo "$e2e_name.sh: no ${e2e_program:3} in $cd_dir" >&2; exit 2; } ;;
    esac
    z_target=/
    [ -L "$prefix/dosdevices/z:" ] && z_target=$(readlink "$prefix/dosdevices/z:")
    # A run that was killed may have left its read-only mount behind, or the
    # server of a prefix of its own running.
    local stale t0 t1 result
    while read -r stale; do
        umount "$stale"
    done < <(findmnt -rn -o TARGET | grep -F "$work/")
    for stale in "$work"/*/system.reg; do
        [ -f "$stale" ] && wine_stop_server "$(dirname "$stale")"
    done
    rm -rf "$work"
    mkdir -p "$work"
    trap e2e_cleanup EXIT
    trap 'exit 1' INT TERM
    reset_prefix
    ensure_cd_drive_type
    ensure_sound_driver
    t0=${EPOCHREALTIME/[.,]/}
    "scenario_$scenario"
    result=$?
    [ -e "$work/missing-commands" ] && failed=1
    t1=${EPOCHREALTIME/[.,]/}
    printf 'scenario %s: %d.%02d s\n' "$scenario" $(((t1 - t0) / 1000000)) $(((t1 - t0) / 10000 % 100))
    [ "$result" = "$SKIP" ] && [ "$failed" = 0 ] && exit $SKIP
    [ "$failed" = 0 ] && [ "$result" = 0 ] && { echo "passed: $scenario"; exit 0; }
    exit 1
}
