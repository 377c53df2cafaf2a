# shellcheck shell=bash
# Wine on a real display, for screenshots, recordings and the main job
# (sourced by scripts/sample.sh, bench/install-bench.sh and the end-to-end
# tests). The test bed's prefixes draw nothing (Wine's null graphics driver);
# a display prefix draws with Wine's X11 driver, on Xvfb when there is no
# display at hand.
#
#   display_prefix PREFIX  PREFIX draws with the X11 driver, its windows
#                          unmanaged (no window manager decorates them); the
#                          server is stopped, so that this takes effect when
#                          the next process starts (wine-cd.sh makes D: a
#                          CD-ROM drive)
#   display_start DIR      starts Xvfb (1024 x 768, 24 bits) on a free
#                          display and exports DISPLAY (DIR keeps its number)
#   display_stop           ends that Xvfb (and unsets DISPLAY)
#
# The first Wine process after display_prefix must see DISPLAY: it starts the
# prefix's desktop, on which every later window is drawn. The caller sets
# Wine's environment (WINEDEBUG and the like). The functions work under
# "set -e".

# shellcheck source=scripts/wine-loader.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-loader.sh"

display_xvfb=

display_prefix() {
    local prefix=$1
    wine_pick_loader || return 1
    WINEPREFIX=$prefix wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f </dev/null >/dev/null 2>&1 || true
    if ! WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1; then
        echo "wine-display: cannot set up $prefix for a display" >&2
        return 1
    fi
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -w
}

display_start() {
    local file=$1/display n
    rm -f "$file"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$file" </dev/null >/dev/null 2>&1 &
    display_xvfb=$!
    for ((n = 0; n < 100; n++)); do
        [ -s "$file" ] && break
        sleep 0.1
    done
    if [ ! -s "$file" ]; then
        echo "wine-display: Xvfb did not start" >&2
        display_stop
        return 1
    fi
    DISPLAY=:$(head -n1 "$file")
    export DISPLAY
}

display_stop() {
    if [ -n "$display_xvfb" ]; then
        kill "$display_xvfb" 2>/dev/null || true
        wait "$display_xvfb" 2>/dev/null || true
        unset DISPLAY
    fi
    display_xvfb=
    return 0
}
