# shellcheck shell=bash
# What the uninstaller's scenario scripts (dexal-e2e.sh, wininit-e2e.sh)
# share, with tests/e2e/lib.sh, which this sources (the scripts set `here`).

# shellcheck source=tests/e2e/lib.sh
source "$here/../../e2e/lib.sh" || exit 2

# The test prefix's Windows directory (a scenario in a prefix of its own
# sets it again).
windows=$prefix/drive_c/windows

# light_cd FILE...: a copy of the CD as D: whose list installs DATOS and
# only these files, leaving out the large music piece; no size file, so
# that the installer measures the list it reads.
light_cd() {
    local cd=$work/cd
    copy_cd "$cd"
    rm -f "$cd/Longitud.dat"
    { printf 'D DATOS\r\n'; printf 'F %s\r\n' "$@"; } >"$cd/INST_100.NFO"
    map_drive d "$cd"
}

# uninstall SCRIPT [LABEL]: Dexal.EXE from the Windows directory, as its
# item starts it.
uninstall() {
    e2e_program='C:\windows\Dexal.EXE' e2e_cwd='C:\' robot "$@"
}

# WININIT.INI, whatever the case of its name (the file system here has one).
wininit() {
    find "$windows" -maxdepth 1 -iname wininit.ini | grep . || echo "$windows/wininit.ini"
}
