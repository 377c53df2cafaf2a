#!/bin/bash
# The Wine prefix the Windows tests run in.
#
#   wine-prefix.sh setup DIR    replace DIR with a fresh prefix and start its server
#   wine-prefix.sh start DIR    start DIR's server unless it runs (makes DIR if missing)
#   wine-prefix.sh cleanup DIR  stop DIR's server
#
# Sourced (by wine-run) it only defines the functions.
#
# A fresh prefix is a copy of a template kept beside it (DIR.template, or
# $WINE_PREFIX_TEMPLATE): wineboot --init takes seconds, a copy a fraction.
# Template settings: Windows 95, the headless (null) graphics driver,
# Liberation Sans standing in for Arial and MS Sans Serif, Liberation Mono
# for Courier New, and no winemenubuilder (Start Menu shortcuts made in a
# prefix stay there instead of reaching the menus of the machine that runs
# Wine).
#
# The server is kept alive (wineserver -p) so that each test program starts in
# tens of milliseconds. The first process of a server session also starts the
# Windows services, which live as long as the server: that start is made here
# with output to a log file, so that no lingering Wine process holds on to the
# output pipes of a test (CTest would wait for them).

# shellcheck source=scripts/wine-loader.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-loader.sh"

# Bumped whenever the template's contents change, so old templates are rebuilt.
WINE_TEMPLATE_RECIPE=5

# Environment of every Wine process started for the tests.
#
# The ANSI code page comes from the Unix locale: Wine 8 takes LC_ALL even when
# that locale is not installed. A test program gets WINE_LC_ALL, else LC_ALL,
# when it names a language whose Windows code page is 1252 (so
# WINE_LC_ALL=es_ES.UTF-8 gives Spanish message box buttons, and bash does not
# warn about a locale that is not installed), and C.UTF-8 (English) otherwise:
# that choice is left in wine_locale for wine-run. These scripts' own Wine
# processes run under C.UTF-8.
wine_env() {
    wine_locale=${WINE_LC_ALL:-${LC_ALL:-}}
    case "$wine_locale" in
        C | C.* | POSIX) ;;
        af_* | ca_* | da_* | de_* | en_* | es_* | eu_* | fi_* | fo_* | fr_* | ga_* | gl_* | \
        id_* | is_* | it_* | ms_* | nb_* | nl_* | nn_* | no_* | pt_* | sq_* | sv_* | sw_*) ;;
        *) wine_locale=C.UTF-8 ;;
    esac
    export LC_ALL=C.UTF-8
    export WINEDEBUG=${WINE_RUN_WINEDEBUG:--all}
    # No Mono or Gecko installers: they would ask, and nothing here needs them.
    # No winemenubuilder: wineboot and shortcuts would write into the menus of
    # the machine that runs Wine.
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
    unset DISPLAY WAYLAND_DISPLAY
}

# The server of a prefix listens on $TMPDIR/wine-XXXXXX/server-DEV-INODE/socket
# (Debian's Wine keeps the random part in DIR/wineserver; device and inode of
# DIR in hex) and removes the socket when it ends.
wine_server_running() {
    local dir=$1 tmp dev ino
    [ -r "$dir/wineserver" ] || return 1
    tmp=$(cat "$dir/wineserver") || return 1
    read -r dev ino < <(stat -c '%d %i' "$dir")
    [ -S "$(printf '%s/%s/server-%x-%x/socket' "${TMPDIR:-/tmp}" "$tmp" "$dev" "$ino")" ]
}

wine_stop_server() {
    if [ -d "$1" ]; then
        WINEPREFIX=$1 wineserver -k </dev/null >/dev/null 2>&1 || true
        WINEPREFIX=$1 wineserver -w </dev/null >/dev/null 2>&1 || true
    fi
}

# Starts the persistent server and the services, then checks the settings the
# tests rely on.
wine_start_server() {
    local dir=$1 out
    : >"$dir.log"
    WINEPREFIX=$dir wineserver -p </dev/null >/dev/null 2>&1
    if ! out=$(WINEPREFIX=$dir wine reg query 'HKCU\Software\Wine' /v Version </dev/null 2>>"$dir.log"); then
        cat "$dir.log" >&2
        echo "wine-prefix.sh: Wine does not start in $dir" >&2
        return 1
    fi
    case "$out" in
        *win95*) ;;
        *) echo "wine-prefix.sh: Windows version in $dir is not win95: $out" >&2; return 1 ;;
    esac
    # Right after a server start the query has been seen to print nothing
    # once in a while: an empty answer is asked again.
    local _
    for _ in 1 2 3; do
        out=$(WINEPREFIX=$dir wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' \
            /v ACP </dev/null 2>>"$dir.log")
        [ -n "$out" ] && break
        sleep 0.2
    done
    case "$out" in
        *1252*) ;;
        *) echo "wine-prefix.sh: ANSI code page in $dir is not 1252: $out" >&2; return 1 ;;
    esac
}

# Everything a template goes stale with: the recipe, Wine's version, and
# which of Wine's packages and loaders are installed (a prefix made without
# wine32 lacks its 32-bit half, and one made with it no longer starts once
# wine32 is gone).
wine_template_stamp() {
    echo "recipe $WINE_TEMPLATE_RECIPE, $(wine --version 2>/dev/null), loader $wine_loader"
    dpkg-query -W -f='${binary:Package} ${Version} ${db:Status-Status}\n' 'wine*' 'libwine*' 2>/dev/null |
        grep ' installed$' | sort
    (cd /usr/lib/wine 2>/dev/null && printf '%s ' *)
    echo
}

wine_build_template() {
    local template=$1 work=$1.new.$$
    echo "wine-prefix: building the template $template"
    rm -rf -- "$work"
    mkdir -p -- "$work"
    if ! {
        WINEPREFIX=$work wine wineboot --init &&
            WINEPREFIX=$work wine reg add 'HKCU\Software\Wine' /v Version /d win95 /f &&
            WINEPREFIX=$work wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f &&
            # Windows 95's Arial and MS Sans Serif, as Debian's metric twins.
            WINEPREFIX=$work wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f &&
            WINEPREFIX=$work wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Sans Serif' /d 'Liberation Sans' /f &&
            WINEPREFIX=$work wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f &&
            # The help window's Courier New, without which Wine gives a proportional face.
            WINEPREFIX=$work wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono' /f &&
            # A crashing program ends instead of waiting in an unseen crash dialog.
            WINEPREFIX=$work wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    } </dev/null >"$work.log" 2>&1; then
        cat "$work.log" >&2
        wine_stop_server "$work"
        rm -rf -- "$work" "$work.log"
        return 1
    fi
    # The registry reaches the disk only when the server ends.
    wine_stop_server "$work"
    # Each copy gets its own server directory.
    rm -f -- "$work/wineserver"
    wine_template_stamp >"$work/.template-stamp"
    rm -rf -- "$template" "$work.log"
    mv -- "$work" "$template"
}

# wine_fresh_prefix PREFIX TEMPLATE: PREFIX replaced with a copy of TEMPLATE,
# which is built first when missing or stale; no server runs for it. Runs
# that start at once (two test presets, the main job beside the tests) take
# turns on TEMPLATE.lock: one builds the template, the others wait for it and
# copy it whole.
wine_fresh_prefix() {
    local prefix=$1 template=$2
    wine_pick_loader || return 1
    mkdir -p -- "$(dirname -- "$template")" || return 1
    (
        flock 9 || { echo "wine-prefix.sh: cannot lock $template.lock" >&2; exit 1; }
        if [ ! -f "$template/.template-stamp" ] ||
            [ "$(cat "$template/.template-stamp")" != "$(wine_template_stamp)" ]; then
            wine_build_template "$template" || exit 1
        fi
        wine_stop_server "$prefix"
        rm -rf -- "$prefix" && cp -a -- "$template" "$prefix"
    ) 9>"$template.lock"
}

wine_setup() {
    local prefix=$1 template=$2 t0=$SECONDS
    wine_fresh_prefix "$prefix" "$template" || return 1
    wine_start_server "$prefix" || return 1
    echo "wine-prefix: $prefix ready in $((SECONDS - t0)) s ($(wine --version))"
}

wine_prefix_main() {
    [ $# -eq 2 ] || { echo "usage: wine-prefix.sh setup|start|cleanup DIR" >&2; return 2; }
    local action=$1 prefix template
    prefix=$(realpath -m -- "$2")
    template=$(realpath -m -- "${WINE_PREFIX_TEMPLATE:-$prefix.template}")
    case "$prefix" in
        / | "$HOME" | "$HOME/.wine" | "$HOME/.wine/"*)
            echo "wine-prefix.sh: refusing to use $prefix as a test prefix" >&2
            return 2
            ;;
    esac
    wine_env
    [ "$action" = cleanup ] || wine_pick_loader || return 1
    case "$action" in
        setup) wine_setup "$prefix" "$template" ;;
        start)
            if [ ! -d "$prefix" ]; then
                wine_setup "$prefix" "$template"
            elif ! wine_server_running "$prefix"; then
                wine_start_server "$prefix"
            fi
            ;;
        cleanup)
            wine_stop_server "$prefix"
            echo "wine-prefix: server of $prefix stopped"
            ;;
        *) echo "usage: wine-prefix.sh setup|start|cleanup DIR" >&2; return 2 ;;
    esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -uo pipefail
    wine_prefix_main "$@"
fi
