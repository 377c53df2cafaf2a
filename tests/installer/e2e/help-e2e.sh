#!/bin/bash
# End-to-end tests of the installer's help window: the real ZELMOT.EXE
# started from a copy of the sample CD, mapped as the CD-ROM drive D:, driven
# by the UI robot, which sends the install window command 1026.
#
#   help-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# How a scenario runs and how the prefix is reset: tests/e2e/lib.sh. The
# screenshot has a prefix of its own with a real display (Xvfb).
set -uo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=tests/e2e/lib.sh
source "$here/../../e2e/lib.sh" || exit 2

e2e_program='D:\ZELMOT.EXE'
# The installer's registry marker, which its first start creates.
e2e_keys=('HKCU\Software\Quelvar Multimedia')

# The help window over the install window, closed with "OK" and with Escape.
scenario_window() {
    copy_cd "$work/cd"
    map_drive d "$work/cd"
    robot help_window.txt
}

# Without Texto.txt: the window with "OK" alone, no message. (The install
# list names it too: the line goes, or the size check would report it.)
scenario_missing() {
    copy_cd "$work/cd"
    rm -f "$work/cd/Texto.txt"
    sed -i '/Texto\.txt/d' "$work/cd/INST_100.NFO"
    map_drive d "$work/cd"
    robot help_missing.txt
}

# A picture of the help window showing the sample CD's Texto.txt, for people
# to look at.
scenario_screenshot() {
    local size
    display_robots help_screenshot.txt || return
    save_screenshot help.bmp zelmot-help.png || return
    # The window is 465 x 465 pixels.
    size=$(identify -format '%wx%h' "$work/help.bmp")
    [ "$size" = 465x465 ] || fail "the screenshot is $size, not 465x465"
}

e2e_main "$@"
