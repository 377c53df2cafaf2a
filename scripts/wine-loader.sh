# shellcheck shell=bash
# Which Wine loader starts the project's Windows processes (sourced).
#
# Debian's wine script takes the 32-bit loader whenever wine32 is installed,
# so that reg, sc and wineboot then run on the 32-bit side of the prefix. The
# 64-bit loader starts 64-bit programs itself and hands 32-bit ones to the
# 32-bit loader (WINELOADER without its "64"), so every process goes through
# it: the same prefix serves both builds, with wine32 installed or not.
#
#   wine_pick_loader   sets wine_loader to the loader's absolute path; where
#                      Wine is not installed, says so in one line and fails
#   wine ARGS...       Wine's loader, picked at this call, with WINELOADER set
#
# The loader is looked up at each call, never when this file is sourced: the
# main job sources it before its bootstrap has installed Wine. WINE_LOADER64
# names the 64-bit loader (by default /usr/lib/wine/wine64); the tests point
# it elsewhere to play a machine without Wine.

wine_missing="Wine is not installed: run scripts/bootstrap.sh"

wine_pick_loader() {
    local wine64=${WINE_LOADER64:-/usr/lib/wine/wine64} found
    # Only an absolute path: a bare name could be this file's own function.
    if [[ "$wine64" == /* ]] && [ -x "$wine64" ]; then
        wine_loader=$wine64
    elif found=$(type -P wine); then
        wine_loader=$found
    else
        echo "$wine_missing" >&2
        return 127
    fi
}

wine() {
    wine_pick_loader || return
    WINELOADER=$wine_loader "$wine_loader" "$@"
}
