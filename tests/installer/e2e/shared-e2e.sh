#!/bin/bash
# End-to-end tests of shared files replaced at the next start of Windows:
# an installer built with a test SharedFileList (shared_file_list.cpp)
# started from a copy of the sample CD as drive D:, driven by the UI robot,
# in a throwaway prefix (a restart ends every process of a prefix). Two of
# the System copies are held open by hold_files.exe, so that they cannot be
# replaced while the installer runs, and a third whose name is a long one. A
# restart is a new server session, whose first process carries out
# WININIT.INI's [Rename] section as Windows 95 did at its start.
#
#   shared-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# SHARED_ZELMOT names that installer, HOLD_FILES hold_files.exe. How a
# scenario runs: tests/e2e/lib.sh (E2E_KEEP=1 keeps the throwaway prefix).
set -uo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=tests/e2e/lib.sh
source "$here/../../e2e/lib.sh" || exit 2

zelmot=${SHARED_ZELMOT:?SHARED_ZELMOT names the installer built with the test list}
hold_files=${HOLD_FILES:?HOLD_FILES names hold_files.exe}
e2e_program='D:\ZELMOT.EXE'
robot_timeout=60
# Set once the throwaway prefix is there.
windows='' system='' held=''
holder=

# The holder ends with its prefix's server; here it ends in any case.
e2e_reset() {
    [ -z "$holder" ] || kill "$holder" 2>/dev/null
    holder=
}

# put FILE TEXT [STAMP]: FILE holds TEXT, modified at STAMP (a date for touch -d).
put() {
    printf '%s' "$2" >"$1"
    [ $# -lt 3 ] || touch -d "$3" "$1"
}

# The throwaway prefix, the CD with its new shared files (newer than the
# System copies unless said otherwise) and the System directory's old ones;
# QRBUNO.DLL, QRBDOS.DLL and "Qrb Compartida.dll" held open.
set_up() {
    throwaway_prefix "$work/prefix" || return 1
    windows=$prefix/drive_c/windows
    system=$windows/$system_name
    held=$windows/temp/held
    copy_cd "$work/cd"
    cp "$zelmot" "$work/cd/ZELMOT.EXE"
    map_drive d "$work/cd"
    rm -rf "$prefix/drive_c/DemoMB"
    put "$work/cd/QRBUNO.DLL" 'uno nueva'
    put "$work/cd/QRBDOS.DLL" 'dos nueva'
    put "$work/cd/Qrb Compartida.dll" 'compartida nueva'
    put "$work/cd/QRBNUEVA.DLL" 'nueva'
    put "$work/cd/QRBIGUAL.DLL" 'igual del cd' '2001-02-03 04:05:06'
    put "$system/QRBUNO.DLL" 'uno vieja' '2000-01-01 12:00:00'
    put "$system/QRBDOS.DLL" 'dos vieja' '2000-01-01 12:00:00'
    put "$system/Qrb Compartida.dll" 'compartida vieja' '2000-01-01 12:00:00'
    put "$system/QRBIGUAL.DLL" 'igual del sistema' '2001-02-03 04:05:06'
    chmod a-w "$system/QRBIGUAL.DLL"
    rm -f "$windows/wininit.ini" "$windows/WININIT.INI" "$windows/wininit.bak"

    rm -f "$held"
    wine_cmd "$hold_files" 'C:\windows\temp\held' 'C:\windows\system32\QRBUNO.DLL' \
        'C:\windows\system32\QRBDOS.DLL' 'C:\windows\system32\Qrb Compartida.dll' >"$work/hold_files.log" 2>&1 &
    holder=$!
    local _
    for _ in $(seq 400); do
        [ -s "$held" ] && return 0
        kill -0 "$holder" 2>/dev/null || break
        sleep 0.05
    done
    fail "hold_files did not hold the files: $(cat "$work/hold_files.log")"
    return 1
}

# WININIT.INI as the run leaves it: each held file's two entries, "NUL=old"
# then "old=new", in list order, every path in its short (8.3) form.
check_schedule() {
    local file
    file=$(find "$windows" -maxdepth 1 -iname wininit.ini | head -n 1)
    [ -n "$file" ] || { fail "no WININIT.INI"; return; }
    tr -d '\r' <"$file" >"$work/wininit.txt"
    cp "$work/wininit.txt" "$work/wininit.scheduled"
    if ! python3 - "$work/wininit.txt" <<'PY'; then
import re, sys
lines = open(sys.argv[1], encoding="cp1252").read().split("\n")
assert lines[-1] == "", "the file does not end with a line end"
lines = lines[:-1]
assert lines[0] == "[Rename]", "the section is %r" % lines[0]
entries = [line.split("=", 1) for line in lines[1:]]
assert len(entries) == 4, "%d entries, expected 4" % len(entries)
short = re.compile(r"^[^.\\ ]{1,8}(\.[^.\\ ]{1,3})?$")
for key, value in entries:
    for path in (value,) if key == "NUL" else (key, value):
        assert path.upper().startswith("C:\\WINDOWS\\SYSTEM32\\"), "%s is not in the System directory" % path
        for part in path.split("\\")[1:]:
            assert short.match(part), "%s is not a short (8.3) path" % path
for i, name in ((0, "QRBUNO.DLL"), (2, "QRBDOS.DLL")):
    nul, move = entries[i], entries[i + 1]
    assert nul[0] == "NUL", "entry %d is %s, expected NUL" % (i + 1, nul[0])
    assert move[0] == nul[1], "entry %d moves to %s, not to what entry %d deletes" % (i + 2, move[0], i + 1)
    assert move[1] != move[0], "entry %d moves a file onto itself" % (i + 2)
    assert nul[1].upper().endswith("\\" + name), "entry %d deletes %s" % (i + 1, nul[1])
PY
        fail "WININIT.INI is not as scheduled:"
        cat "$work/wininit.txt"
    fi
}

# The files right after the run: the held ones as they were with their new
# copies beside them, the long-named held one as it was and alone, the new
# one installed, the equal one left (writable), the missing one absent,
# nothing else left behind.
check_after_run() {
    expect_text "$system/QRBUNO.DLL" 'uno vieja' "held file before the restart"
    expect_text "$system/QRBUNO.DLL.PROV" 'uno nueva' "new copy waiting"
    expect_text "$system/QRBDOS.DLL" 'dos vieja' "held file before the restart"
    expect_text "$system/QRBDOS.DLL.PROV" 'dos nueva' "new copy waiting"
    expect_text "$system/Qrb Compartida.dll" 'compartida vieja' "held file with a long name"
    expect_absent "$system/Qrb Compartida.dll.PROV" "no copy waiting for the long-named file"
    expect_text "$system/QRBNUEVA.DLL" 'nueva' "file new to the System directory"
    expect_text "$system/QRBIGUAL.DLL" 'igual del sistema' "copy as old as the CD's"
    [ "$(( 0$(stat -c %a "$system/QRBIGUAL.DLL") & 0200 ))" != 0 ] || fail "QRBIGUAL.DLL is still read-only"
    expect_absent "$system/QRBFALTA.DLL" "file missing from the CD"
    local litter
    litter=$(find "$system" -maxdepth 1 -newer "$work/cd/QRBUNO.DLL" -iname '*.tmp' | tr '\n' ' ')
    [ -z "$litter" ] || fail "left in the System directory: $litter"
}

# After the restart the new copies are in place, under their names, and
# WININIT.INI has been carried out; the long-named file is as it was.
check_after_restart() {
    expect_text "$system/QRBUNO.DLL" 'uno nueva' "after the restart"
    expect_text "$system/QRBDOS.DLL" 'dos nueva' "after the restart"
    expect_text "$system/Qrb Compartida.dll" 'compartida vieja' "long-named file after the restart"
    { [ ! -e "$system/QRBUNO.DLL.PROV" ] && [ ! -e "$system/QRBDOS.DLL.PROV" ]; } ||
        fail "a .PROV copy is still there after the restart"
    local others
    others=$(find "$system" -maxdepth 1 -iname 'qrb*' -printf '%f\n' | LC_ALL=C sort | tr '\n' ' ')
    [ "$others" = "QRBDOS.DLL QRBIGUAL.DLL QRBNUEVA.DLL QRBUNO.DLL Qrb Compartida.dll " ] ||
        fail "the System directory holds [$others]"
    [ -z "$(find "$windows" -maxdepth 1 -iname wininit.ini)" ] || fail "WININIT.INI was not carried out"
    expect_text "$system/QRBNUEVA.DLL" 'nueva' "after the restart"
}

# "No": the installer ends, the prefix goes on (the holder still runs, the
# entries wait); a restart of the prefix then carries them out.
scenario_restart_no() {
    set_up || return
    robot shared_restart_no.txt
    kill -0 "$holder" 2>/dev/null || fail "the holder ended: did something restart?"
    check_schedule
    check_after_run
    rm -f "$held"
    wait "$holder"
    holder=
    wine_stop_server "$prefix"
    wine_cmd cmd /c exit >/dev/null 2>&1
    after_restart
    check_after_restart
}

# "Sí": the installer asks Windows to restart: the session ends (the holder,
# a program with a window, ends with it) and the [Rename] section is carried
# out. The robot keeps what the installer started: Wine restarts through a
# process (wineboot) that the installer starts, which the robot would end
# with the installer's other processes.
scenario_restart_yes() {
    set_up || return
    robot_options=(--keep)
    robot shared_restart_yes.txt
    local _
    for _ in $(seq 200); do
        kill -0 "$holder" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$holder" 2>/dev/null; then
        fail "the holder still runs: the restart did not end the session"
        rm -f "$held"
    fi
    wait "$holder" 2>/dev/null
    holder=
    # The restart runs on in the background: it is over once WININIT.INI is.
    for _ in $(seq 200); do
        [ -z "$(find "$windows" -maxdepth 1 -iname wininit.ini)" ] && break
        sleep 0.05
    done
    after_restart
    check_after_restart
    [ -n "$(find "$windows" -maxdepth 1 -iname wininit.bak)" ] || fail "no wininit.bak"
}

e2e_main "$@"
