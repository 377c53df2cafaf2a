#!/bin/bash
# End-to-end tests of the uninstaller: the real Dexal.EXE in the Windows
# directory of the test prefix removes installations made by the real
# ZELMOT.EXE from the sample CD (drive D:) or laid out by the scenario, both
# driven by the UI robot. Where the program group matters, Wine's own Program
# Manager answers the DDE commands (tests/support/progman_host), and the group
# is the Start Menu folder it makes.
#
#   dexal-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# How a scenario runs and how the prefix is reset: tests/e2e/lib.sh. Here the
# installer's keys, Dexal.EXE, WININIT.INI, the installation directories and
# the group folder are reset as well. PROGMAN_HOST names progman_host.exe.
set -uo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=tests/uninstaller/e2e/common.sh
source "$here/common.sh" || exit 2

marker_key='HKCU\Software\Quelvar Multimedia\Instalar\Demo Morvadin Brumaria'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Demo Morvadin Brumaria'
dexal=$windows/Dexal.EXE
target=$prefix/drive_c/DemoMB
e2e_program='D:\ZELMOT.EXE'
e2e_keys=('HKCU\Software\Quelvar Multimedia' "$uninstall_key")
e2e_copies=("$dexal")
host_pid=
host_flag=$windows/temp/progman_host.run

e2e_reset() {
    [ -n "$host_pid" ] && host_stop
    chmod -R u+w "$target" "$prefix/drive_c/Juegos" 2>/dev/null
    rm -rf "$target" "$target " "$prefix/drive_c/Juegos" "$prefix/drive_c/Mis Juegos (demo), [v1]" "$work/e" \
        "$prefix/drive_c/INST" "$prefix/drive_c/MisDatos"
    find "$windows" "$windows/system32" "$windows/syswow64" -maxdepth 1 -iname 'DXL*.tmp' -delete 2>/dev/null
    find "$windows" -maxdepth 1 \( -iname wininit.ini -o -iname wininit.bak \) -delete
    rm -f "$windows/canario.txt"
    [ -f "$dexal" ] && ! is_cd_copy "$dexal" && rm -f "$dexal"
    local programs
    programs=$(programs_dir)
    [ -n "$programs" ] && rm -rf "$programs/Demo Morvadin Brumaria"
}

programs_dir() {
    compgen -G "$prefix/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs" | head -n1
}

group_dir() {
    echo "$(programs_dir)/Demo Morvadin Brumaria"
}

# ---- Wine's Program Manager -------------------------------------------------

host_start() {
    local n
    cp "${PROGMAN_HOST:?PROGMAN_HOST names progman_host.exe}" "$windows/temp/"
    : >"$host_flag"
    wine_cmd 'C:\windows\temp\progman_host.exe' --while 'C:\windows\temp\progman_host.run' \
        >"$work/progman_host.log" 2>&1 &
    host_pid=$!
    for ((n = 0; n < 200; n++)); do
        grep -q ready "$work/progman_host.log" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "Wine's Program Manager did not start"
    return 1
}

host_stop() {
    rm -f "$host_flag"
    wait "$host_pid" 2>/dev/null
    host_pid=
}

# expect_group NAME...: the group folder holds exactly these shortcuts.
expect_group() {
    local group
    group=$(group_dir)
    [ -d "$group" ] || { fail "no program group $group"; return; }
    expect_entries "$group" "$@"
}

Items=("Demo Morvadin Brumaria.lnk" "Desinstalar Demo Morvadin Brumaria.lnk" "Readme.lnk" "Setup Audio.lnk"
    "Setup Video.lnk")

# The target a shortcut points to, as the first Windows path it holds.
link_target() {
    strings -n 6 "$1" | grep -m1 -E '^[A-Za-z]:\\' || true
}

# ---- installations ------------------------------------------------------------

# The light CD installs every program that an item names, with the library
# the audio setup program needs.
light_cd_items() {
    light_cd Brumaria.EXE BRUMARIA.ICO Readme.txt 'DATOS\CONFIG.INI' AUDSETUP.EXE PARDEV.dll ESCRANO.EXE
}

# install [DIR [LABEL [over]]]: the installer installs on C: into DIR
# (default DemoMB); LABEL names its transcript; "over" reinstalls over the
# registered installation.
install() {
    local label=${2:-${1:-default}}
    local script=$work/install-$label.txt
    {
        if [ "${3:-}" = over ]; then
            echo 'wait-class "#32770"'
            echo 'expect-text 1016 "ya se encuentra instalado"'
            echo 'press 4'
            echo 'expect-closed'
        fi
        echo 'wait-title "Demo Morvadin Brumaria"'
        [ -n "${1:-}" ] && printf 'type 1008 "%s"\n' "${1//\\/\\\\}"
        echo 'press IDOK'
        echo 'expect-box "instalado con"'
        echo 'expect-icon information'
        echo 'press IDOK'
        echo 'expect-exit 0'
        echo '#= result: passed'
        echo '#! Error'
        echo '#! ERROR'
    } >"$script"
    e2e_program='D:\ZELMOT.EXE' e2e_cwd='D:\' robot "$script" "install-$label"
}

# lay_out DIR: an installation registered as C:\DIR\ that owns its
# directory, holding a few files; the CD's Dexal.EXE in place.
lay_out() {
    local dir=$prefix/drive_c/$1
    mkdir -p "$dir/DATOS"
    printf 'juego' >"$dir/Brumaria.EXE"
    printf 'datos' >"$dir/DATOS/CONFIG.INI"
    register "C:\\$1\\" "C:\\${1^^}"
    cp "$cd_dir/Dexal.EXE" "$dexal"
}

# register INSTALLED OWNED: "Instalado" and the directory the installation
# owns, as the installer records them.
register() {
    reg_set "$marker_key" Instalado "$1"
    reg_set "$marker_key" DirectorioPropio "$2"
}

expect_unregistered() {
    if reg_exists "$marker_key"; then
        fail "the installation's key is still there"
    fi
    if reg_exists "$uninstall_key"; then
        fail "the uninstall key is still there"
    fi
}

expect_self_deletion() {
    expect_text "$(wininit)" '[Rename]\r\nNUL=C:\\windows\\Dexal.EXE\r\n' "WININIT.INI after the uninstallation"
}

# The next start of Windows 95 carries out WININIT.INI.
restart_windows() {
    wine_cmd wineboot -r >/dev/null 2>&1
}

# ---- scenarios ------------------------------------------------------------------

# Install with the group and its five items, uninstall: everything is gone,
# the uninstaller's own file at the next start.
scenario_install_uninstall() {
    local link
    light_cd_items
    host_start || return 1
    install
    expect_reg "$marker_key" DirectorioPropio 'C:\DEMOMB'
    expect_group "${Items[@]}"
    for link in "${Items[@]}"; do
        case "$link" in
            Desinstalar*) [ "$(link_target "$(group_dir)/$link")" = 'C:\windows\Dexal.EXE' ] ||
                fail "$link points to $(link_target "$(group_dir)/$link")" ;;
            *) link_target "$(group_dir)/$link" | grep -q '^C:\\DemoMB\\' || fail "$link points elsewhere" ;;
        esac
    done
    uninstall uninstall_yes.txt
    host_stop
    expect_absent "$target" "installation directory"
    expect_absent "$(group_dir)" "program group"
    expect_unregistered
    expect_self_deletion
    [ -f "$dexal" ] || fail "Dexal.EXE went before the restart"
    restart_windows
    expect_absent "$dexal" "Dexal.EXE after the restart"
}

# Installing again before the restart keeps the new Dexal.EXE.
scenario_reinstall_before_restart() {
    light_cd_items
    install
    uninstall uninstall_yes.txt
    expect_self_deletion
    install
    expect_text "$(wininit)" '[Rename]\r\n' "WININIT.INI after the new installation"
    restart_windows
    [ -f "$dexal" ] || fail "the new installation's Dexal.EXE was deleted at the restart"
    expect_reg "$marker_key" Instalado 'C:\DemoMB\'
}

# No Program Manager at all: both programs complete without a word about it.
scenario_no_dde_server() {
    light_cd_items
    install
    uninstall uninstall_yes.txt
    expect_absent "$target" "installation directory"
    expect_unregistered
}

# "No" changes nothing, the group included.
scenario_answer_no() {
    lay_out DemoMB
    mkdir -p "$(group_dir)"
    printf 'x' >"$(group_dir)/Readme.lnk"
    host_start || return 1
    uninstall uninstall_no.txt
    host_stop
    expect_entries "$target" Brumaria.EXE DATOS
    expect_dir "$(group_dir)" "program group"
    expect_reg "$marker_key" Instalado 'C:\DemoMB\'
    expect_absent "$(wininit)" "WININIT.INI"
}

# Installed into a directory that held other games: the installation does
# not own it, and uninstalling keeps every file.
scenario_foreign_directory() {
    local juegos=$prefix/drive_c/Juegos
    mkdir -p "$juegos/Otro juego"
    printf 'otro' >"$juegos/Otro juego/OTRO.EXE"
    printf 'notas' >"$juegos/NOTAS.TXT"
    light_cd_items
    install 'Juegos' juegos
    expect_reg "$marker_key" DirectorioPropio ''
    uninstall uninstall_fails.txt
    expect_entries "$juegos" AUDSETUP.EXE BRUMARIA.ICO Brumaria.EXE DATOS ESCRANO.EXE GRAFICOS LEEME.TXT NOTAS.TXT \
        'Otro juego' PARDEV.dll Readme.txt SONIDO qrbset.cfg
    expect_text "$juegos/Otro juego/OTRO.EXE" 'otro'
    expect_unregistered
    expect_self_deletion

    # An empty directory, and the directory of an earlier installation that
    # owned it, are the installation's own.
    rm -rf "$juegos"
    mkdir -p "$juegos"
    install 'Juegos' empty
    expect_reg "$marker_key" DirectorioPropio 'C:\JUEGOS'
    install 'Juegos' again over
    expect_reg "$marker_key" DirectorioPropio 'C:\JUEGOS'
    uninstall uninstall_yes.txt uninstall_owned
    expect_absent "$juegos" "the installation's own directory"
}

# Commas, brackets, parentheses and blanks in the directory: the items still
# name the installed game.
scenario_odd_directory() {
    local dir='Mis Juegos (demo), [v1]\DemoMB'
    light_cd_items
    host_start || return 1
    install "$dir" odd
    expect_group "${Items[@]}"
    [ "$(link_target "$(group_dir)/Demo Morvadin Brumaria.lnk")" = "C:\\$dir\\Brumaria.EXE" ] ||
        fail "the game's item points to $(link_target "$(group_dir)/Demo Morvadin Brumaria.lnk")"
    # The item itself, opened as the shell opens it.
    local link
    link=$(group_dir)/Demo\ Morvadin\ Brumaria.lnk
    link=${link#"$prefix/drive_c/"}
    e2e_args=("C:\\${link//\//\\}")
    e2e_program='C:\windows\system32\start.exe' e2e_cwd='C:\' robot run_game.txt
    e2e_args=()
    uninstall uninstall_yes.txt
    host_stop
    expect_absent "$prefix/drive_c/Mis Juegos (demo), [v1]/DemoMB" "installation directory"
}

# The directory is gone already: that counts as deleted.
scenario_missing_directory() {
    lay_out DemoMB
    rm -rf "$target"
    uninstall uninstall_yes.txt
    expect_unregistered
    expect_self_deletion
}

# A read-only file stops the deletion; the group, the keys and the
# self-deletion are still handled.
scenario_readonly_file() {
    lay_out DemoMB
    printf 'fijo' >"$target/DATOS/FIJO.DAT"
    wine_cmd attrib +r 'C:\DemoMB\DATOS\FIJO.DAT' >/dev/null 2>&1
    mkdir -p "$(group_dir)"
    printf 'x' >"$(group_dir)/Readme.lnk"
    host_start || return 1
    uninstall uninstall_fails.txt
    host_stop
    expect_text "$target/DATOS/FIJO.DAT" 'fijo'
    expect_absent "$(group_dir)" "program group"
    expect_unregistered
    expect_self_deletion
}

# A file whose name begins with a dot stays, and so does its directory.
scenario_dot_file() {
    lay_out DemoMB
    printf 'oculto' >"$target/.oculto"
    uninstall uninstall_fails.txt
    expect_entries "$target" .oculto
    expect_unregistered
}

# Nothing registered: no question, no file touched, the failure message.
scenario_not_registered() {
    mkdir -p "$target"
    printf 'juego' >"$target/Brumaria.EXE"
    cp "$cd_dir/Dexal.EXE" "$dexal"
    uninstall uninstall_unregistered.txt
    expect_entries "$target" Brumaria.EXE
    expect_unregistered
    expect_self_deletion
}

# A registry value that names the Windows directory or a drive's root is
# refused: nothing is deleted, the rest is done, the failure is reported.
scenario_refusals() {
    local value
    cp "$cd_dir/Dexal.EXE" "$dexal"
    printf 'canario' >"$windows/canario.txt"
    mkdir -p "$work/e/Otro"
    printf 'otro' >"$work/e/Otro/OTRO.EXE"
    map_drive e "$work/e"
    for value in 'C:\windows\' 'c:\WINDOWS\system32\..\' 'E:\' 'E:\Otro\..\' 'C:\windows\system32\'; do
        register "$value" "$value"
        uninstall uninstall_fails.txt "refused-$(tr -c 'A-Za-z0-9' _ <<<"$value")"
        expect_text "$windows/canario.txt" 'canario' "the Windows directory after $value"
        expect_text "$work/e/Otro/OTRO.EXE" 'otro' "drive E: after $value"
        expect_unregistered
        rm -f "$(wininit)"
    done
    [ -f "$windows/notepad.exe" ] || fail "the Windows directory lost its files"
}

# A directory link inside the installation leads elsewhere: it is never
# entered, and what it leads to stays. No link is removed (under Wine every
# call that removes one reaches what it leads to), so the deletion stops
# there with the failure message; the link is named to come last, after
# every file of the installation has gone.
scenario_links() {
    local ajeno=$work/ajeno
    mkdir -p "$ajeno/SUB"
    printf 'ajeno' >"$ajeno/AJENO.TXT"
    printf 'sub' >"$ajeno/SUB/SUB.TXT"
    light_cd_items
    install
    ln -s "$ajeno" "$target/zenlace"
    uninstall uninstall_fails.txt
    expect_entries "$target" zenlace
    expect_text "$ajeno/AJENO.TXT" 'ajeno' "the linked folder's file"
    expect_text "$ajeno/SUB/SUB.TXT" 'sub' "the linked folder's subdirectory"
    expect_unregistered
    rm -f "$target/zenlace" "$(wininit)"

    # The installation directory itself a link: it is not entered.
    lay_out DemoMB
    rm -rf "$target"
    ln -s "$ajeno" "$target"
    uninstall uninstall_fails.txt link_itself
    expect_entries "$ajeno" AJENO.TXT SUB
    expect_unregistered
    rm -f "$target"
}

# "Instalado" must still name the directory the installation owns: edited
# to name its parent, or left with the flag of earlier installations, it
# deletes nothing. Typed through a parent, it is still owned.
scenario_ownership() {
    local juegos=$prefix/drive_c/Juegos
    mkdir -p "$juegos/Otro juego"
    printf 'otro' >"$juegos/Otro juego/OTRO.EXE"
    light_cd_items
    install 'Juegos\DemoMB' juegos
    expect_reg "$marker_key" DirectorioPropio 'C:\JUEGOS\DEMOMB'
    reg_set "$marker_key" Instalado 'C:\Juegos\DemoMB\..\'
    uninstall uninstall_fails.txt parent
    expect_text "$juegos/Otro juego/OTRO.EXE" 'otro' "the other game"
    expect_entries "$juegos/DemoMB" AUDSETUP.EXE BRUMARIA.ICO Brumaria.EXE DATOS ESCRANO.EXE GRAFICOS LEEME.TXT \
        PARDEV.dll Readme.txt SONIDO qrbset.cfg
    expect_unregistered
    rm -f "$(wininit)"

    reg_set "$marker_key" Instalado 'C:\Juegos\DemoMB\'
    wine_cmd reg add "$marker_key" /v DirectorioPropio /t REG_DWORD /d 1 /f >/dev/null
    uninstall uninstall_fails.txt old_flag
    cmp -s "$juegos/DemoMB/Brumaria.EXE" "$work/cd/Brumaria.EXE" || fail "the game went under the old flag"
    expect_unregistered
    rm -rf "$juegos" "$(wininit)"

    install 'Juegos\..\DemoMB' through_parent
    expect_reg "$marker_key" Instalado 'C:\Juegos\..\DemoMB\'
    expect_reg "$marker_key" DirectorioPropio 'C:\DEMOMB'
    uninstall uninstall_yes.txt through_parent
    expect_absent "$target" "installation directory"
    expect_unregistered
}

# expect_no_marks: the uninstaller's marks (DXL*.TMP) are gone again from
# the Windows and System directories.
expect_no_marks() {
    local left
    left=$(find "$windows" "$windows/system32" "$windows/syswow64" -maxdepth 1 -iname 'DXL*.tmp' -printf '%f ' 2>/dev/null)
    [ -z "$left" ] || fail "marks left behind: $left"
}

count_files() {
    find "$1" -type f | wc -l
}

# Drive E: mapped onto the Windows directory (what SUBST E: C:\WINDOWS gives
# on Windows 95): "Instalado" and the directory the installation owns name
# the System directory through it, and then (in a prefix with both halves)
# SysWOW64, the System directory of 32-bit programs. Not one of their files
# goes.
scenario_system_alias() {
    local dir before after
    cp "$cd_dir/Dexal.EXE" "$dexal"
    map_drive e "$windows"
    for dir in system32 syswow64; do
        [ -d "$windows/$dir" ] || continue
        register "E:\\$dir\\" "E:\\${dir^^}"
        before=$(count_files "$windows/$dir")
        uninstall uninstall_fails.txt "$dir"
        after=$(count_files "$windows/$dir")
        [ "$before" = "$after" ] || fail "C:\\windows\\$dir held $before files, now $after"
        expect_unregistered
        rm -f "$(wininit)"
    done
    [ -f "$windows/notepad.exe" ] || fail "the Windows directory lost its files"
    expect_no_marks
}

# Beside the installation C:\DemoMB another program's "C:\DemoMB " (with a
# trailing space, which Windows drops from a path's last component but not
# when a "\" follows it). "Instalado" names the other one: it is not the
# directory the installation owns, and neither goes.
scenario_trailing_space() {
    light_cd_items
    install
    mkdir -p "$target "
    printf 'otro' >"$target /OTRO.TXT"
    reg_set "$marker_key" Instalado 'C:\DemoMB \'
    expect_reg "$marker_key" DirectorioPropio 'C:\DEMOMB'
    uninstall uninstall_fails.txt
    expect_text "$target /OTRO.TXT" 'otro' "the other program's file"
    expect_entries "$target" AUDSETUP.EXE BRUMARIA.ICO Brumaria.EXE DATOS ESCRANO.EXE GRAFICOS LEEME.TXT \
        PARDEV.dll Readme.txt SONIDO qrbset.cfg
    expect_no_marks
    expect_unregistered
}

# Host links in the installation directory: one to an empty directory
# (RemoveDirectoryA on it would delete the directory it leads to), one to a
# file (DeleteFileA would delete that file, and Wine shows the link as a
# plain file). The links stay, and so does what they lead to.
scenario_link_targets() {
    local inst=$prefix/drive_c/INST datos=$prefix/drive_c/MisDatos
    mkdir -p "$datos"
    lay_out INST
    ln -s "$datos" "$inst/zlink"
    uninstall uninstall_fails.txt empty_dir
    expect_dir "$datos" "the linked directory"
    [ -L "$inst/zlink" ] || fail "the link to the directory went"
    expect_entries "$inst" zlink
    expect_unregistered
    rm -rf "$inst" "$(wininit)"

    printf 'dato' >"$datos/DATO.TXT"
    lay_out INST
    ln -s "$datos/DATO.TXT" "$inst/zfile"
    uninstall uninstall_fails.txt file
    expect_text "$datos/DATO.TXT" 'dato' "the linked file"
    [ -L "$inst/zfile" ] || fail "the link to the file went"
    expect_no_marks
    expect_unregistered
}

e2e_main "$@"
