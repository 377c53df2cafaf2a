#!/bin/bash
# End-to-end tests of the installer: the real ZELMOT.EXE started from the
# sample CD, mapped as the CD-ROM drive D: of the test prefix, with the CD's
# root as working directory, driven by the UI robot.
#
#   zelmot-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# How a scenario runs, what it may change and how that is reset: see
# tests/e2e/lib.sh. Here: the installer's registry keys and a stand-in
# C:\windows\Dexal.EXE are reset as well.
set -uo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=tests/e2e/lib.sh
source "$here/../../e2e/lib.sh" || exit 2

marker_key='HKCU\Software\Quelvar Multimedia\Instalar\Demo Morvadin Brumaria'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Demo Morvadin Brumaria'
dexal=$prefix/drive_c/windows/Dexal.EXE
e2e_program='D:\ZELMOT.EXE'
e2e_keys=('HKCU\Software\Quelvar Multimedia' "$uninstall_key")
# A stand-in uninstaller is a copy of the CD's Dexal.EXE or of its game.
e2e_copies=("$dexal")

# size_file DIR COMPONENT ARCHIVE writes DIR/Longitud.dat: two 32-bit
# little-endian numbers.
size_file() {
    python3 -c 'import struct, sys; sys.stdout.buffer.write(struct.pack("<II", int(sys.argv[1], 0), int(sys.argv[2], 0)))' \
        "$2" "$3" >"$1/Longitud.dat"
}

# damage_archive ARCHIVE ENTRY HOW prints the LZH archive ARCHIVE (level 0 or
# 1 headers) with the packed data of ENTRY (its stored name) damaged: HOW
# "changed" turns the data's last byte over, so that the entry unpacks to
# the end with the wrong CRC; "cut" ends the archive in the middle of it.
damage_archive() {
    python3 - "$@" <<'PYTHON'
import struct, sys
path, name, how = sys.argv[1:]
data = bytearray(open(path, "rb").read())
pos = 0
while pos < len(data) and data[pos]:
    start = pos + data[pos] + 2
    packed = struct.unpack_from("<I", data, pos + 7)[0]
    if data[pos + 20] == 1:  # extended headers, counted in the packed size
        size = struct.unpack_from("<H", data, start - 2)[0]
        while size:
            start, packed = start + size, packed - size
            size = struct.unpack_from("<H", data, start - 2)[0]
    if data[pos + 22:pos + 22 + data[pos + 21]].decode("cp1252") == name:
        if how == "changed":
            data[start + packed - 1] ^= 0xFF
        else:
            data = data[:start + packed // 2]
        sys.stdout.buffer.write(data)
        sys.exit(0)
    pos = start + packed
sys.exit("damage_archive: no entry %s in %s" % (name, path))
PYTHON
}

# A finished installation leaves its marker, and the next start would offer
# to run it: runs that each install from scratch forget it first.
forget_installation() {
    reg_delete "$marker_key"
}

marker_exists() {
    reg_exists "$marker_key"
}

# expect_registered PATH: the marker and the uninstall entry of a finished
# installation in PATH.
expect_registered() {
    expect_reg "$marker_key" Instalado "$1"
    expect_reg "$uninstall_key" UninstallString 'C:\windows\Dexal.EXE'
    expect_reg "$uninstall_key" DisplayName 'Demo Morvadin Brumaria'
}

# ---- scenarios -------------------------------------------------------------

# Under Windows NT the refusal is the first thing shown, the installer ends
# and the registry is not touched.
scenario_nt_refusal() {
    copy_cd "$work/cd"
    map_drive d "$work/cd"
    windows_version winxp
    robot nt_refusal.txt
    marker_exists && fail "the marker key exists after the refusal"
    expect_absent "$work/cd/Longitud.dat" "no size check on Windows NT"
}

# First start: the empty marker key stays behind, the edit shows DemoMB and
# the size check writes Longitud.dat on a writable CD.
scenario_first_start() {
    local cd=$work/cd
    copy_cd "$cd"
    # Names beginning with a dot do not count in a copied tree, at any depth.
    printf 'oculto' >"$cd/MUSICA/TEMAS/.oculto"
    mkdir "$cd/MUSICA/.cache" && printf '0123456789' >"$cd/MUSICA/.cache/CACHE.BIN"
    map_drive d "$cd"
    robot first_start.txt
    marker_exists || fail "no marker key after the first start"
    reg_exists "$marker_key" Instalado && fail "the marker has a value Instalado"
    # The F lines (the renamed Texto.txt by its source) and the X tree MUSICA.
    local listed=(Brumaria.EXE BRUMARIA.ICO Readme.txt AUDSETUP.EXE PARDEV.dll ESCRANO.EXE UvConfig.exe Texto.txt DATOS/CONFIG.INI DATOS/NIVELES/NIVEL1.DAT
        DATOS/NIVELES/NIVEL2.DAT MUSICA/AMBIENTE.WAV MUSICA/INTRO.MID MUSICA/TEMAS/BATALLA.MID MUSICA/TEMAS/BRUMA.MID)
    local total=0 file
    for file in "${listed[@]}"; do
        total=$((total + $(stat -c %s "$cd/$file")))
    done
    expect_bytes "$cd/Longitud.dat" "$(le32 "$total")$(le32 25259)" "size file of the first start"
}

# An earlier installation on E: and what each button of AlreadyInstalledDialog
# does; a malformed marker value counts as no installation.
scenario_earlier_installation() {
    local cd=$work/cd e=$work/e
    copy_cd "$cd"
    # The CD's game is not what "Ejecutar" starts: only the installed one is there.
    rm -f "$cd/Brumaria.EXE"
    size_file "$cd" 1000 1000
    mkdir -p "$e/Juegos/DemoMB"
    cp "$cd_dir/Brumaria.EXE" "$e/Juegos/DemoMB/Brumaria.EXE"
    map_drive d "$cd"
    map_drive e "$e"
    reg_set "$marker_key" Instalado 'E:\Juegos\DemoMB\'

    robot earlier_run.txt
    robot earlier_cancel.txt
    # The reinstallation copies the CD's files, the game among them.
    cp "$cd_dir/Brumaria.EXE" "$cd/Brumaria.EXE"
    robot earlier_reinstall.txt
    rm -f "$cd/Brumaria.EXE"
    expect_dir "$e/Reinstalado" "Reinstalar keeps drive E"
    expect_entries "$e" Juegos Reinstalado
    expect_absent "$prefix/drive_c/Reinstalado" "Reinstalar keeps drive E"
    # The reinstallation registers its new place.
    expect_reg "$marker_key" Instalado 'E:\Reinstalado\'
    reg_set "$marker_key" Instalado 'E:\Juegos\DemoMB\'

    # The reinstallation has put the CD's Dexal.EXE there: a stand-in too.
    if [ -e "$dexal" ] && ! is_cd_copy "$dexal"; then
        echo "note: $dexal exists and is not a stand-in: Desinstalar not tried"
    else
        cp "$cd_dir/Brumaria.EXE" "$dexal"
        robot earlier_uninstall.txt
        rm -f "$dexal"
    fi
    expect_reg "$marker_key" Instalado 'E:\Juegos\DemoMB\'

    # A directory with spaces still starts the right program.
    mkdir -p "$e/Mis Juegos/Demo MB"
    cp "$cd_dir/Brumaria.EXE" "$e/Mis Juegos/Demo MB/Brumaria.EXE"
    reg_set "$marker_key" Instalado 'E:\Mis Juegos\Demo MB\'
    robot earlier_run.txt earlier_run_spaces
    reg_set "$marker_key" Instalado 'E:\Juegos\DemoMB\'

    local value n=0
    for value in 'C:' 'xyz'; do
        n=$((n + 1))
        reg_set "$marker_key" Instalado "$value"
        robot earlier_malformed.txt "earlier_malformed_$n"
    done
}

# Drive steps skip the CD-ROM drive D: and the unmapped F: both ways; the
# drive is proved by the directory that "Instalar" creates there.
scenario_drive_steps() {
    local cd=$work/cd e=$work/e g=$work/g c=$prefix/drive_c
    copy_cd "$cd"
    size_file "$cd" 1000 1000
    mkdir -p "$e" "$g"
    map_drive d "$cd"
    map_drive e "$e"
    map_drive g "$g"
    unmap_drive z
    rm -rf "$c/Adelante3"
    robot drive_forward_1.txt   # C -> E
    forget_installation
    robot drive_forward_2.txt   # C -> E -> G
    forget_installation
    robot drive_forward_3.txt   # C -> E -> G -> C
    forget_installation
    robot drive_backward_1.txt  # C -> G
    forget_installation
    robot drive_backward_2.txt  # C -> G -> E
    expect_entries "$e" Adelante1 Atras2
    expect_entries "$g" Adelante2 Atras1
    expect_dir "$c/Adelante3" "three steps forward from C"
    rm -rf "$c/Adelante3"
}

# The checks of the typed directory, each with its message; the dialog stays
# and keeps the text. Then a trailing backslash is accepted.
scenario_directory_checks() {
    local cd=$work/cd e=$work/e
    copy_cd "$cd"
    size_file "$cd" 1000 1000
    mkdir -p "$e/Juegos"
    printf 'no soy un directorio' >"$e/Juegos/DemoMB"
    map_drive d "$cd"
    map_drive e "$e"
    local log=$work/e-events.log events
    watch_dir "$e" "$log"
    robot directory_refused.txt
    stop_watch
    expect_entries "$e" Juegos
    expect_entries "$e/Juegos" DemoMB
    [ -f "$e/Juegos/DemoMB" ] || fail "Juegos\\DemoMB is no longer the file"
    # Nuevo was made for Nuevo\Ot|ro and taken away again; nothing else.
    events=$(tail -n +2 "$log" | tr '\n' ',')
    [ "$events" = "create Nuevo,delete Nuevo," ] || fail "changes in E:\\ were [$events]"

    robot directory_accepted.txt
    # Registered as typed, so with two backslashes at the end.
    expect_reg "$marker_key" Instalado 'E:\DemoMB\\'
    expect_entries "$e" DemoMB Juegos
    expect_dir "$e/DemoMB" "DemoMB\\ accepted"
}

# The space check against Longitud.dat's sizes: refused with the message and
# nothing created, or passed. Under Windows 95 the free space of a large disk
# is 2,147,450,880 bytes (2,097,120 KB); a size in that KB (up to 1,023 bytes
# more) still fits.
scenario_space_check() {
    local cd=$work/cd e=$work/e
    copy_cd "$cd"
    mkdir -p "$e"
    map_drive d "$cd"
    map_drive e "$e"
    size_file "$cd" 0x7FFFFFF0 0
    robot space_refused.txt space_refused_huge
    expect_entries "$e"
    size_file "$cd" 1024 0
    robot install_on_e.txt space_small
    expect_entries "$e" Pequeno
    expect_bytes "$cd/Longitud.dat" "$(le32 1024)$(le32 0)" "size file"
    rm -rf "$e/Pequeno"

    local avail_kb
    avail_kb=$(df -Pk "$e" | awk 'NR == 2 { print $4 }')
    if [ "${avail_kb:-0}" -lt 3000000 ]; then
        echo "note: less than 3 GB free under $e: the clamped free-space edge is not tried"
        return
    fi
    size_file "$cd" $((2097120 * 1024)) 1024  # one KB too many
    forget_installation
    robot space_refused.txt space_refused_edge
    expect_entries "$e"
    size_file "$cd" $((2097120 * 1024)) 1023  # the last byte that fits
    forget_installation
    robot install_on_e.txt space_edge_fits
    expect_entries "$e" Pequeno
}

# Longitud.dat of 8, 4 and 0 bytes is read as far as it goes and never
# rewritten; the 8 and 4 byte sizes are proved used by the space check.
scenario_size_file() {
    local cd=$work/cd e=$work/e bytes
    copy_cd "$cd"
    mkdir -p "$e"
    map_drive d "$cd"
    map_drive e "$e"

    # Only both numbers together are too much.
    size_file "$cd" 0x40000000 0x3FFFFFF0
    bytes=$(hex_of "$cd/Longitud.dat")
    robot space_refused.txt size_file_8
    expect_bytes "$cd/Longitud.dat" "$bytes" "8-byte size file"

    size_file "$cd" 0x7FFFFFF0 0
    head -c 4 "$cd/Longitud.dat" >"$cd/Longitud.tmp" && mv "$cd/Longitud.tmp" "$cd/Longitud.dat"
    robot space_refused.txt size_file_4
    expect_bytes "$cd/Longitud.dat" "$(le32 0x7FFFFFF0)" "4-byte size file"

    : >"$cd/Longitud.dat"
    robot install_on_e.txt size_file_0
    expect_bytes "$cd/Longitud.dat" "" "empty size file"
    expect_entries "$e" Pequeno
}

# No Longitud.dat on a read-only CD: the sizes are computed, the failed write
# shows nothing, the window appears.
scenario_readonly_cd() {
    local cd=$work/cd ro=$work/ro
    copy_cd "$cd"
    mkdir -p "$ro"
    mount_readonly "$cd" "$ro" || return
    map_drive d "$ro"
    robot readonly_cd.txt
    expect_absent "$cd/Longitud.dat" "read-only CD"
}

# Bad lines of the install list: one box per line, in order, then the closing
# message; a listed file that is missing has its own message. And a list that
# cannot be opened.
scenario_bad_list() {
    local cd=$work/cd
    copy_cd "$cd"
    # Code page 1252, CR LF line ends for some lines; \xD1 is "Ñ", \xED "í".
    printf '%b' \
        '* lista con errores\r\n' \
        '\n' \
        'D DATOS\r\n' \
        'F  Readme.txt\n' \
        'FReadme.txt\n' \
        ' F Readme.txt\n' \
        'Q Readme.txt\n' \
        '\xD1 l\xEDnea\n' \
        'F\n' \
        'F NOEXISTE.TXT\n' \
        'F Readme.txt\n' \
        'x MUSICA\n' >"$cd/INST_100.NFO"
    map_drive d "$cd"
    robot bad_list.txt
    # The list's size is 0; the archive is sized all the same.
    expect_bytes "$cd/Longitud.dat" "$(le32 0)$(le32 25259)" "size file after a bad list"

    rm -f "$cd/INST_100.NFO" "$cd/Longitud.dat"
    robot list_missing.txt
}

# A whole installation from the sample CD to C:\DemoMB: the listed files and
# the tree (without its dot-named entries) byte for byte, the renamed file,
# the archive unpacked with its stamps, the uninstaller in the Windows
# directory over a read-only earlier copy, its WININIT.INI entry gone and the
# others kept, the registry values; the next start finds the installation.
scenario_full_install() {
    local cd=$work/cd target=$prefix/drive_c/DemoMB windows=$prefix/drive_c/windows
    local resource=$here/../../../samplecd/resource name
    copy_cd "$cd"
    # A dot-named entry in the tree, which the copy passes over.
    printf 'no' >"$cd/MUSICA/.indice"
    printf 'MZ earlier uninstaller' >"$dexal"
    chmod a-w "$dexal"
    # A Wine process first: the first one after a server start carries out
    # WININIT.INI, as Windows 95 does at its start.
    reg_exists 'HKCU\Software'
    printf '[Rename]\r\nNUL=C:\\windows\\temp\\otro.tmp\r\nNUL=C:\\windows\\Dexal.EXE\r\n' >"$windows/wininit.ini"
    rm -rf "$target"
    map_drive d "$cd"

    robot full_install.txt
    expect_same "$cd" "$target" Brumaria.EXE BRUMARIA.ICO Readme.txt DATOS/CONFIG.INI DATOS/NIVELES/NIVEL1.DAT \
        DATOS/NIVELES/NIVEL2.DAT MUSICA/AMBIENTE.WAV MUSICA/INTRO.MID MUSICA/TEMAS/BATALLA.MID MUSICA/TEMAS/BRUMA.MID
    cmp -s "$cd/Texto.txt" "$target/AYUDA.TXT" || fail "Texto.txt was not installed as AYUDA.TXT"
    expect_absent "$target/Texto.txt" "renamed file"
    expect_absent "$target/MUSICA/.indice" "dot-named tree entry"
    (cd "$resource" && find . -type f) | while read -r name; do
        cmp -s "$resource/$name" "$target/$name" || echo "FAIL: $name of Resource.lzh was not unpacked as packed"
        [ "$(stat -c %Y "$target/$name")" = 946728000 ] || echo "FAIL: $name does not carry its stamp 2000-01-01 12:00:00"
    done | grep FAIL && failed=1
    cmp -s "$cd/Dexal.EXE" "$dexal" || fail "the read-only earlier Dexal.EXE was not replaced"
    expect_text "$windows/wininit.ini" '[Rename]\r\nNUL=C:\\windows\\temp\\otro.tmp\r\n' \
        "WININIT.INI keeps the other NUL entry only"
    expect_registered 'C:\DemoMB\'

    robot earlier_cancel.txt next_start
    chmod u+w "$dexal" 2>/dev/null
    rm -rf "$target" "$windows/wininit.ini" "$dexal"
}

# Failures along the road are reported and the run still completes and
# registers the installation; so does a run whose list has gone since the
# start.
scenario_install_failures() {
    local cd=$work/cd target=$prefix/drive_c/DemoMB
    copy_cd "$cd"
    size_file "$cd" 1000 1000
    rm -f "$cd/Resource.lzh"
    mkdir -p "$cd/VACIO/SUB"
    printf 'D DATOS\r\nF Brumaria.EXE\r\nF FALTA.EXE\r\nF Readme.txt > NOHAY\\Readme.txt\r\nX VACIO\r\nX MUSICA\r\n' >"$cd/INST_100.NFO"
    rm -rf "$target"
    mkdir -p "$target/MUSICA/INTRO.MID"
    map_drive d "$cd"
    robot install_failures.txt
    expect_same "$cd" "$target" Brumaria.EXE MUSICA/TEMAS/BRUMA.MID
    expect_dir "$target/VACIO/SUB" "empty tree"
    expect_absent "$target/GRAFICOS" "no archive"
    expect_reg "$marker_key" Instalado 'C:\DemoMB\'

    rm -f "$cd/INST_100.NFO"
    rm -rf "$target"
    forget_installation
    robot list_gone.txt
    expect_registered 'C:\DemoMB\'
    rm -rf "$target"
}

# Install list lines whose names lead out of C:\DemoMB (the drive's root,
# the Windows directory, a directory beside it), on a disc whose size file
# spares the size pass: each is refused as a bad line and the rest of the
# list is installed. Nothing appears outside C:\DemoMB, and WIN.INI keeps
# its bytes.
scenario_list_outside() {
    local cd=$work/cd target=$prefix/drive_c/DemoMB drive=$prefix/drive_c win_ini before
    copy_cd "$cd"
    size_file "$cd" 1000 1000
    rm -f "$cd/Resource.lzh"
    printf '%s\r\n' 'D DATOS' 'F Readme.txt > ..\ESCAPED.TXT' 'F Readme.txt > DATOS\..\..\..\..\TOP.TXT' \
        'F Readme.txt > ..\windows\win.ini' 'D ..\FUERA' 'F Readme.txt > .. \ESCAPED.TXT' \
        'F Readme.txt > C:\ESCAPED.TXT' 'F Readme.txt' >"$cd/INST_100.NFO"
    win_ini=$(find "$drive/windows" -maxdepth 1 -iname win.ini | grep . || echo "$drive/windows/win.ini")
    [ -f "$win_ini" ] || printf '[windows]\r\n' >"$win_ini"
    before=$(hex_of "$win_ini")
    cp "$win_ini" "$work/win.ini"
    rm -rf "$target" "$drive/ESCAPED.TXT" "$drive/TOP.TXT" "$drive/FUERA"
    map_drive d "$cd"
    robot list_outside.txt
    expect_absent "$drive/ESCAPED.TXT" "a file above the installation"
    expect_absent "$drive/TOP.TXT" "a file four levels up"
    expect_absent "$drive/FUERA" "a directory beside the installation"
    expect_bytes "$win_ini" "$before" "WIN.INI"
    expect_same "$cd" "$target" Readme.txt
    expect_entries "$target" DATOS Readme.txt qrbset.cfg
    cp "$work/win.ini" "$win_ini"
    rm -rf "$target" "$drive/ESCAPED.TXT" "$drive/TOP.TXT" "$drive/FUERA"
}

# A damaged Resource.lzh: an entry's data with its last byte changed (the
# entry's CRC does not match) or cut off in its middle. The unpacking stops
# at that entry, which stays partly written, and is reported by the
# archive's name; the entries before it are in place, the later ones never
# come, and the rest of the run completes.
scenario_damaged_archive() {
    local cd=$work/cd target=$prefix/drive_c/DemoMB resource=$here/../../../samplecd/resource how
    copy_cd "$cd"
    map_drive d "$cd"
    for how in changed cut; do
        damage_archive "$cd_dir/Resource.lzh" 'GRAFICOS\TITULO.BMP' "$how" >"$cd/Resource.lzh" || fail "no $how archive"
        rm -rf "$target" "$cd/Longitud.dat" "$dexal"
        forget_installation
        reg_delete "$uninstall_key"
        robot damaged_archive.txt "damaged_archive_$how"
        expect_same "$resource" "$target" DATOS/NIVEL1.MAP DATOS/VACIO.DAT GRAFICOS/LOSETAS.BMP
        { [ -f "$target/GRAFICOS/TITULO.BMP" ] && ! cmp -s "$resource/GRAFICOS/TITULO.BMP" "$target/GRAFICOS/TITULO.BMP"; } ||
            fail "$how archive: GRAFICOS/TITULO.BMP is not the partly written entry"
        expect_absent "$target/LEEME.TXT" "$how archive"
        expect_absent "$target/SONIDO" "$how archive"
        expect_same "$cd" "$target" Brumaria.EXE MUSICA/TEMAS/BRUMA.MID
        expect_same "$cd" "$prefix/drive_c/windows" Dexal.EXE
        expect_registered 'C:\DemoMB\'
    done
    rm -rf "$target"
}

# A read-only file where a listed one goes (an earlier copy with the read-only
# attribute, on a mount that refuses writes to root as well): its copy fails
# and is reported, it keeps its contents, and the rest is installed.
scenario_readonly_target() {
    local cd=$work/cd target=$prefix/drive_c/DemoMB
    local file=$prefix/drive_c/DemoMB/BRUMARIA.ICO
    copy_cd "$cd"
    size_file "$cd" 1000 1000
    rm -rf "$target"
    mkdir -p "$target"
    printf 'icono anterior' >"$file"
    chmod a-w "$file"
    mount_readonly "$file" "$file" || return
    map_drive d "$cd"
    robot readonly_target.txt
    expect_text "$file" 'icono anterior' "read-only destination"
    expect_same "$cd" "$target" Brumaria.EXE Readme.txt MUSICA/AMBIENTE.WAV
    marker_exists || fail "the installation was not registered"
    unmount_all
    rm -rf "$target"
}

# A background picture that is missing, of a kind the installer refuses, or
# cut short: the message with its cause, and no window.
scenario_picture() {
    local cd=$work/cd
    copy_cd "$cd"
    size_file "$cd" 1000 1000
    map_drive d "$cd"
    rm -f "$cd/Brumaria.BMP"
    robot picture_missing.txt
    # 12 bits per pixel: bytes 28-29 of the file.
    cp "$cd_dir/Brumaria.BMP" "$cd/Brumaria.BMP"
    printf '\x0c\x00' | dd of="$cd/Brumaria.BMP" bs=1 seek=28 conv=notrunc status=none
    robot picture_refused.txt
    head -c 100000 "$cd_dir/Brumaria.BMP" >"$cd/Brumaria.BMP"
    robot picture_short.txt
}

# The window's client area is the picture's size.
scenario_window_size() {
    copy_cd "$work/cd"
    size_file "$work/cd" 1000 1000
    map_drive d "$work/cd"
    robot window_size.txt
}

# Pictures of the window for people to look at, and an installation recorded
# for its progress bar: on a display, in a prefix of its own.
scenario_screenshots() {
    local name
    rm -f "$build_dir/screenshots/zelmot-start.png" "$build_dir/screenshots/zelmot-drive-step.png"
    display_robots screenshots.txt bar.txt || return
    # The bar in the recorded installation: it fills from the left, never
    # shrinks, and ends exactly full.
    /usr/bin/python3 "$here/../../../scripts/progress-frames.py" --check "$work"/bar-*.bmp >"$work/bar.fills" ||
        { cat "$work/bar.fills"; fail "the progress bar was not drawn as it should be"; }
    for name in start drive-step; do
        save_screenshot "$name.bmp" "zelmot-$name.png"
    done
    # The recording: frames numbered from 001, each of the window's size.
    { [ -s "$work/frame-001.bmp" ] && [ -s "$work/frame-002.bmp" ]; } || fail "the recording wrote fewer than two frames"
    [ "$(identify -format '%wx%h' "$work/frame-001.bmp")" = "$(identify -format '%wx%h' "$work/start.bmp")" ] ||
        fail "a recorded frame is not the window's size"
}

e2e_main "$@"
