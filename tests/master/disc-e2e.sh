#!/bin/bash
# End-to-end tests of the mastered disc under Wine: the size file that
# mastering wrote is the one the installer writes itself, and the image's
# contents, as the read-only CD-ROM drive D:, install the demo completely.
#
#   disc-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# BUILD_DIR holds the mastered tree (disc/) and its image (DEMOMB.ISO).
set -uo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=tests/e2e/lib.sh
source "$here/../e2e/lib.sh" || exit 2
installer_scripts=$here/../installer/e2e

marker_key='HKCU\Software\Quelvar Multimedia\Instalar\Demo Morvadin Brumaria'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Demo Morvadin Brumaria'
e2e_program='D:\ZELMOT.EXE'
e2e_keys=('HKCU\Software\Quelvar Multimedia' "$uninstall_key")
e2e_copies=("$prefix/drive_c/windows/Dexal.EXE")

# The installer's own size pass, on a writable copy of the disc without its
# size file, writes the bytes that mastering wrote.
scenario_size_file() {
    local cd=$work/cd mastered=$build_dir/disc/Longitud.dat
    [ -s "$mastered" ] || { fail "no mastered size file $mastered"; return; }
    cp -r "$build_dir/disc" "$cd"
    rm -f "$cd/Longitud.dat"
    map_drive d "$cd"
    robot "$installer_scripts/first_start.txt" size_pass
    cmp "$mastered" "$cd/Longitud.dat" ||
        fail "the installer wrote [$(hex_of "$cd/Longitud.dat")], mastering [$(hex_of "$mastered")]"
}

# The image's contents, as 7z reads them, mounted read-only as D:: a whole
# installation. The size file is read (the archive is opened once, by the
# unpacking, not also by a size pass) and stays as it was.
scenario_install_from_image() {
    local disc=$work/disc ro=$work/ro target=$prefix/drive_c/DemoMB opens=$work/opens.log name
    7z x -y -o"$disc" "$build_dir/DEMOMB.ISO" >/dev/null || { fail "7z cannot read the image"; return; }
    mkdir -p "$ro"
    mount_readonly "$disc" "$ro" || return
    map_drive d "$ro"
    rm -rf "$target"
    watch_dir "$ro" "$opens" opens || return
    robot "$installer_scripts/full_install.txt"
    stop_watch

    expect_same "$disc" "$target" Brumaria.EXE BRUMARIA.ICO Readme.txt AUDSETUP.EXE PARDEV.dll ESCRANO.EXE \
        UvConfig.exe DATOS/CONFIG.INI DATOS/NIVELES/NIVEL1.DAT DATOS/NIVELES/NIVEL2.DAT MUSICA/AMBIENTE.WAV \
        MUSICA/INTRO.MID MUSICA/TEMAS/BATALLA.MID MUSICA/TEMAS/BRUMA.MID
    cmp -s "$disc/Texto.txt" "$target/AYUDA.TXT" || fail "Texto.txt was not installed as AYUDA.TXT"
    (cd "$here/../../samplecd/resource" && find . -type f) | while read -r name; do
        cmp -s "$here/../../samplecd/resource/$name" "$target/$name" || echo "FAIL: $name was not unpacked"
    done | grep FAIL && failed=1
    expect_reg "$marker_key" Instalado 'C:\DemoMB\'
    cmp -s "$disc/Longitud.dat" "$build_dir/disc/Longitud.dat" || fail "the size file changed"
    grep -qx "open Longitud.dat" "$opens" || fail "the size file was not read: $(tr '\n' ' ' <"$opens")"
    [ "$(grep -cx "open Resource.lzh" "$opens")" = 1 ] ||
        fail "Resource.lzh was opened $(grep -cx "open Resource.lzh" "$opens") times (a size pass ran?)"
    rm -rf "$target"
}

e2e_main "$@"
