#!/bin/bash
# End-to-end tests of what the uninstaller leaves for the next start of
# Windows: its own Dexal.EXE, deleted through WININIT.INI on Windows 95 and
# through PendingFileRenameOperations (MoveFileExA) on Windows NT, beside the
# pending entries of other programs. Installations are made by the real
# ZELMOT.EXE from a copy of the sample CD (drive D:), both programs driven by
# the UI robot. A restart is a new server session: its first process carries
# out WININIT.INI's [Rename] section and the pending renames.
#
#   wininit-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# How a scenario runs and how the prefix is reset: tests/e2e/lib.sh. Here the
# installer's keys, Dexal.EXE, WININIT.INI, the installation directory and
# the other program's files are reset as well.
set -uo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=tests/uninstaller/e2e/common.sh
source "$here/common.sh" || exit 2

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Demo Morvadin Brumaria'
session_key='HKLM\System\CurrentControlSet\Control\Session Manager'
e2e_program='D:\ZELMOT.EXE'
e2e_keys=('HKCU\Software\Quelvar Multimedia' "$uninstall_key")
e2e_copies=("$prefix/drive_c/windows/Dexal.EXE")
# Set for the prefix in use (the test prefix, or a scenario's own).
windows='' dexal=''
use_prefix() {
    windows=$prefix/drive_c/windows
    dexal=$windows/Dexal.EXE
}
use_prefix

e2e_reset() {
    use_prefix
    rm -rf "$prefix/drive_c/DemoMB"
    find "$windows" -maxdepth 1 \( -iname wininit.ini -o -iname wininit.bak \) -delete
    rm -f "$windows"/temp/otro.*
    [ -f "$dexal" ] && ! is_cd_copy "$dexal" && rm -f "$dexal"
}

# install LABEL: the installer installs into C:\DemoMB.
install() {
    robot install.txt "install-$1"
}

# A new session of the prefix, as the next start of Windows.
restart_windows() {
    wine_stop_server "$prefix"
    wine_cmd cmd /c exit >/dev/null 2>&1
}

# ---- scenarios ------------------------------------------------------------------

# Another program waits for the restart: a file to delete and one to move
# into place. Installing, uninstalling and installing again leave its lines
# as they were, byte for byte (the uninstaller's own entry comes after them
# and goes again); the restart then carries them out and keeps Dexal.EXE.
scenario_other_programs_entries() {
    local theirs='[Rename]\r\nNUL=C:\\windows\\temp\\otro.tmp\r\nC:\\windows\\temp\\otro.dll=C:\\windows\\temp\\otro.new\r\n'
    light_cd Brumaria.EXE Readme.txt 'DATOS\CONFIG.INI'
    # A session first: the first process of one carries out WININIT.INI.
    reg_exists 'HKCU\Software'
    printf 'temporal' >"$windows/temp/otro.tmp"
    printf 'biblioteca nueva' >"$windows/temp/otro.new"
    printf '%b' "$theirs" >"$windows/wininit.ini"

    install first
    expect_text "$(wininit)" "$theirs" "WININIT.INI after the installation"
    uninstall uninstall_yes.txt
    expect_text "$(wininit)" "${theirs}NUL=C:\\\\windows\\\\Dexal.EXE\\r\\n" "WININIT.INI after the uninstallation"
    install again
    expect_text "$(wininit)" "$theirs" "WININIT.INI after the second installation"

    restart_windows
    expect_absent "$windows/temp/otro.tmp" "the other program's file to delete"
    expect_text "$windows/temp/otro.dll" 'biblioteca nueva' "the other program's file moved into place"
    expect_absent "$windows/temp/otro.new" "the other program's file to move"
    [ -f "$dexal" ] || fail "the installation's Dexal.EXE was deleted at the restart"
    [ -z "$(find "$windows" -maxdepth 1 -iname wininit.ini)" ] || fail "WININIT.INI was not carried out"
}

# Another program rewrote WININIT.INI with CR alone ending its lines, which
# Windows, and Wine, read as line ends too; the uninstaller's entry from an
# earlier uninstallation is among them. Installing withdraws that entry and
# leaves every other byte; the restart then carries out the other program's
# entry and keeps the Dexal.EXE just installed.
scenario_cr_line_ends() {
    local theirs='[Rename]\rNUL=C:\\windows\\temp\\otro.tmp\r'
    light_cd Brumaria.EXE Readme.txt 'DATOS\CONFIG.INI'
    reg_exists 'HKCU\Software'
    printf 'temporal' >"$windows/temp/otro.tmp"
    printf '%b' '[Rename]\rNUL=C:\\windows\\Dexal.EXE\rNUL=C:\\windows\\temp\\otro.tmp\r' >"$windows/wininit.ini"

    install cr
    expect_text "$(wininit)" "$theirs" "WININIT.INI after the installation"
    restart_windows
    expect_absent "$windows/temp/otro.tmp" "the other program's file to delete"
    [ -f "$dexal" ] || fail "the installation's Dexal.EXE was deleted at the restart"
}

# On Windows NT the uninstaller leaves WININIT.INI alone and asks the system
# to delete Dexal.EXE at the restart (PendingFileRenameOperations). In a
# prefix of its own: a pending rename left behind would fire in every later
# session of the test prefix.
scenario_nt_self_deletion() {
    local pending
    throwaway_prefix "$work/prefix" || return 1
    use_prefix
    light_cd Brumaria.EXE Readme.txt 'DATOS\CONFIG.INI'
    install nt
    e2e_program='C:\windows\Dexal.EXE' windows_version winxp
    uninstall uninstall_yes.txt
    expect_absent "$(wininit)" "WININIT.INI on Windows NT"
    [ -f "$dexal" ] || fail "Dexal.EXE went before the restart"
    pending=$(wine_cmd reg query "$session_key" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r')
    grep -qiF 'C:\windows\Dexal.EXE' <<<"$pending" ||
        fail "PendingFileRenameOperations does not name Dexal.EXE: [$pending]"

    restart_windows
    expect_absent "$dexal" "Dexal.EXE after the restart"
    if reg_exists "$session_key" PendingFileRenameOperations; then
        fail "the pending deletion is still there after the restart"
    fi
}

e2e_main "$@"
