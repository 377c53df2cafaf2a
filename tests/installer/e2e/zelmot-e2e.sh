#!/bin/bash
# End-to-end tests of the installer: the real ZELMOT.EXE started from the
# sample CD, mapped as the CD-ROM drive D: of the test prefix, with the CD's
# root as working directory, driven by the UI robot.
#
#   zelmot-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# Every scenario works in its own folder (zelmot-e2e/SCENARIO below the
# current directory) on its own copy of the CD, runs one or more robot
# scripts of this folder and checks the result on the host. A robot run
# passes when the robot exits with 0 and its transcript has the script's
# "#= TEXT" lines (each within some line, in that order) and none of its
# "#! TEXT" lines. Transcripts stay in the scenario's folder.
#
# What a scenario changes in the prefix (drive mappings under dosdevices, the
# installer's registry marker, the per-program Windows version, a stand-in
# C:\windows\Dexal.EXE, the robot's copy on C:) is reset before it starts
# and again when it ends, so scenarios do not depend on each other or on
# their order. The one lasting change is the type of drive D: (CD-ROM) in
# HKLM\Software\Wine\Drives; the server is restarted only when it has to be
# set. Exit status: 0 passed, 1 failed, 77 skipped.
set -uo pipefail

if [ $# -ne 5 ]; then
    echo "usage: zelmot-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR" >&2
    exit 2
fi
scenario=$1 uirobot=$2 cd_dir=$3 wine_run=$4 build_dir=$5
here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=../../robot/transcript.sh
source "$here/../../robot/transcript.sh"
prefix=${WINE_TEST_PREFIX:?WINE_TEST_PREFIX names the test prefix}
work=$PWD/zelmot-e2e/$scenario
dosdevices=$prefix/dosdevices
robot_dir=$prefix/drive_c/windows/temp/zelmot-e2e
robot_win='C:\windows\temp\zelmot-e2e'
dexal=$prefix/drive_c/windows/Dexal.EXE
marker_key='HKCU\Software\Quelvar Multimedia\Instalar\Demo Morvadin Brumaria'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Demo Morvadin Brumaria'
version_key='HKCU\Software\Wine\AppDefaults\ZELMOT.EXE'
SKIP=77

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

wine_cmd() {
    WINE_RUN_KEEP_ARGS=1 "$wine_run" "$@" </dev/null
}

# ---- state of the prefix ------------------------------------------------

z_target=/
[ -L "$dosdevices/z:" ] && z_target=$(readlink "$dosdevices/z:")
mounted=()
watcher=

reset_prefix() {
    local mount
    for mount in "${mounted[@]}"; do
        mountpoint -q "$mount" && umount "$mount"
    done
    mounted=()
    [ -n "$watcher" ] && kill "$watcher" 2>/dev/null
    watcher=
    rm -f "$dosdevices/d:" "$dosdevices/e:" "$dosdevices/f:" "$dosdevices/g:"
    [ -e "$dosdevices/z:" ] || ln -sfn "$z_target" "$dosdevices/z:"
    # A stand-in uninstaller is a copy of the CD's Dexal.EXE or of its game.
    if [ -f "$dexal" ] && { cmp -s "$dexal" "$cd_dir/Dexal.EXE" || cmp -s "$dexal" "$cd_dir/Brumaria.EXE"; }; then
        chmod u+w "$dexal"
        rm -f "$dexal"
    fi
    rm -rf "$robot_dir"
    # The installer's keys and the per-program version in one Wine start.
    local reset=$work/reset.reg
    printf 'REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Quelvar Multimedia]\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\ZELMOT.EXE]\r\n\r\n[-HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo Morvadin Brumaria]\r\n' >"$reset"
    wine_cmd regedit /S "Z:${reset//\//\\}" >/dev/null 2>&1 || fail "cannot reset the registry with $reset"
}

cleanup() {
    local status=$?
    trap - EXIT INT TERM
    reset_prefix
    exit "$status"
}

# D: is a CD-ROM drive once HKLM\Software\Wine\Drives says so and the server
# has restarted (wine-run starts a stopped server again).
ensure_cd_drive_type() {
    if ! wine_cmd reg query 'HKLM\Software\Wine\Drives' /v d: 2>/dev/null | grep -qi cdrom; then
        wine_cmd reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >/dev/null
        WINEPREFIX=$prefix wineserver -k
        WINEPREFIX=$prefix wineserver -w
    fi
}

# map LETTER DIR: the drive LETTER: shows DIR.
map_drive() {
    ln -sfn "$2" "$dosdevices/$1:"
}

# A copy of the CD that the installer may write to (it writes Longitud.dat).
copy_cd() {
    rm -rf "$1"
    cp -a "$cd_dir" "$1"
}

# size_file DIR COMPONENT ARCHIVE writes DIR/Longitud.dat: two 32-bit
# little-endian numbers.
size_file() {
    python3 -c 'import struct, sys; sys.stdout.buffer.write(struct.pack("<II", int(sys.argv[1], 0), int(sys.argv[2], 0)))' \
        "$2" "$3" >"$1/Longitud.dat"
}

# The bytes of a file as hex, "" for an empty one.
hex_of() {
    od -An -tx1 -v "$1" | tr -d ' \n'
}

le32() {
    printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255))
}

# ---- the robot --------------------------------------------------------------

# robot SCRIPT [LABEL]: runs ZELMOT.EXE from D:\ with SCRIPT of this folder
# and checks the transcript (LABEL.transcript, LABEL defaulting to the
# script's name). The robot and the script are run from C:, so that a
# scenario may take Z: away.
robot() {
    local script=$here/$1 label=${2:-$(basename "$1" .txt)}
    local raw=$work/$label.transcript.cp1252 out=$work/$label.transcript status
    mkdir -p "$robot_dir"
    cp "$uirobot" "$robot_dir/uirobot.exe"
    cp "$script" "$robot_dir/$label.txt"
    wine_cmd "$robot_win\\uirobot.exe" --timeout 10 --script "$robot_win\\$label.txt" \
        --cwd 'D:\' -- 'D:\ZELMOT.EXE' >"$raw" 2>&1
    status=$?
    iconv -f CP1252 -t UTF-8 "$raw" >"$out" || fail "$label: the transcript is not code page 1252"
    local before=$failed
    [ "$status" = 0 ] || fail "$label: uirobot exited with $status"
    check_transcript "$script" "$out" "$label"
    if [ "$failed" != "$before" ]; then
        echo "---- $label transcript"
        cat "$out"
        echo "----"
    else
        echo "ok: $label"
    fi
}

# ---- host-side checks ------------------------------------------------------

expect_dir() {
    [ -d "$1" ] || fail "${2:-}: no directory $1"
}

expect_absent() {
    [ ! -e "$1" ] || fail "${2:-}: $1 should not exist"
}

expect_bytes() {
    local got
    got=$(hex_of "$1" 2>/dev/null) || { fail "${3:-}: no file $1"; return; }
    [ "$got" = "$2" ] || fail "${3:-}: $1 holds [$got], expected [$2]"
}

# expect_entries DIR NAME...: DIR holds exactly these entries (sorted).
expect_entries() {
    local dir=$1 got want
    shift
    got=$(ls -A "$dir" | LC_ALL=C sort | tr '\n' ' ')
    want=$(printf '%s\n' "$@" | LC_ALL=C sort | sed '/^$/d' | tr '\n' ' ')
    [ "$got" = "$want" ] || fail "$dir holds [${got% }], expected [${want% }]"
}

# A finished installation leaves its marker, and the next start would offer
# to run it: runs that each install from scratch forget it first.
forget_installation() {
    wine_cmd reg delete "$marker_key" /f >/dev/null 2>&1
}

marker_exists() {
    wine_cmd reg query "$marker_key" >/dev/null 2>&1
}

# ---- scenarios -------------------------------------------------------------

# Under Windows NT the refusal is the first thing shown, the installer ends
# and the registry is not touched.
scenario_nt_refusal() {
    copy_cd "$work/cd"
    map_drive d "$work/cd"
    wine_cmd reg add "$version_key" /v Version /d winxp /f >/dev/null
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
    wine_cmd reg query "$marker_key" /v Instalado >/dev/null 2>&1 && fail "the marker has a value Instalado"
    # The F lines (the renamed Texto.txt by its source) and the X tree MUSICA.
    local listed=(Brumaria.EXE BRUMARIA.ICO Readme.txt Texto.txt DATOS/CONFIG.INI DATOS/NIVELES/NIVEL1.DAT
        DATOS/NIVELES/NIVEL2.DAT MUSICA/AMBIENTE.WAV MUSICA/INTRO.MID MUSICA/TEMAS/BATALLA.MID MUSICA/TEMAS/BRUMA.MID)
    local total=0 file
    for file in "${listed[@]}"; do
        total=$((total + $(stat -c %s "$cd/$file")))
    done
    expect_bytes "$cd/Longitud.dat" "$(le32 $total)$(le32 25259)" "size file of the first start"
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
    wine_cmd reg add "$marker_key" /v Instalado /d 'E:\Juegos\DemoMB\' /f >/dev/null

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
    wine_cmd reg query "$marker_key" /v Instalado | grep -qF 'E:\Reinstalado\' ||
        fail "the reinstallation did not register E:/Reinstalado"
    wine_cmd reg add "$marker_key" /v Instalado /d 'E:\Juegos\DemoMB\' /f >/dev/null

    if [ -e "$dexal" ]; then
        echo "note: $dexal exists and is not the stand-in: Desinstalar not tried"
    else
        cp "$cd_dir/Brumaria.EXE" "$dexal"
        robot earlier_uninstall.txt
        rm -f "$dexal"
    fi
    wine_cmd reg query "$marker_key" /v Instalado | grep -qF 'E:\Juegos\DemoMB\' ||
        fail "the marker value changed"

    # A directory with spaces still starts the right program.
    mkdir -p "$e/Mis Juegos/Demo MB"
    cp "$cd_dir/Brumaria.EXE" "$e/Mis Juegos/Demo MB/Brumaria.EXE"
    wine_cmd reg add "$marker_key" /v Instalado /d 'E:\Mis Juegos\Demo MB\' /f >/dev/null
    robot earlier_run.txt earlier_run_spaces
    wine_cmd reg add "$marker_key" /v Instalado /d 'E:\Juegos\DemoMB\' /f >/dev/null

    local value n=0
    for value in 'C:' 'xyz'; do
        n=$((n + 1))
        wine_cmd reg add "$marker_key" /v Instalado /d "$value" /f >/dev/null
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
    rm -f "$dosdevices/z:"
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
    ln -sfn "$z_target" "$dosdevices/z:"
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
    local log=$work/e-events.log
    rm -f "$log"
    python3 "$here/watch-dirs.py" "$e" "$log" &
    watcher=$!
    local _
    for _ in $(seq 100); do
        [ -s "$log" ] && break
        sleep 0.02
    done
    [ -s "$log" ] || { fail "the directory watch did not start"; kill "$watcher"; watcher=; }

    robot directory_refused.txt
    [ -n "$watcher" ] && kill "$watcher" && wait "$watcher" 2>/dev/null
    watcher=
    expect_entries "$e" Juegos
    expect_entries "$e/Juegos" DemoMB
    [ -f "$e/Juegos/DemoMB" ] || fail "Juegos\\DemoMB is no longer the file"
    # Nuevo was made for Nuevo\Ot|ro and taken away again; nothing else.
    local events
    events=$(tail -n +2 "$log" | tr '\n' ',')
    [ "$events" = "create Nuevo,delete Nuevo," ] || fail "changes in E:\\ were [$events]"

    robot directory_accepted.txt
    # Registered as typed, so with two backslashes at the end.
    wine_cmd reg query "$marker_key" /v Instalado | tr -d '\r' | grep -qE 'REG_SZ +E:\\DemoMB\\\\$' ||
        fail "Instalado is not E:\\DemoMB\\\\ (as typed, with its backslash)"
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
    if ! mount --bind "$cd" "$ro" 2>/dev/null; then
        echo "SKIP: bind mounts are not permitted here"
        return $SKIP
    fi
    mounted+=("$ro")
    if ! mount -o remount,bind,ro "$ro" 2>/dev/null || touch "$ro/.writable" 2>/dev/null; then
        rm -f "$ro/.writable"
        echo "SKIP: the bind mount cannot be made read-only here"
        return $SKIP
    fi
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
    printf 'MZ earlier uninstaller' >"$dexal"
    chmod a-w "$dexal"
    # A Wine process first: the first one after a server start carries out
    # WININIT.INI, as Windows 95 does at its start.
    wine_cmd reg query 'HKCU\Software' >/dev/null 2>&1
    printf '[Rename]\r\nNUL=C:\\windows\\temp\\otro.tmp\r\nNUL=C:\\windows\\Dexal.EXE\r\n' >"$windows/wininit.ini"
    rm -rf "$target"
    map_drive d "$cd"

    robot full_install.txt
    for name in Brumaria.EXE BRUMARIA.ICO Readme.txt DATOS/CONFIG.INI DATOS/NIVELES/NIVEL1.DAT DATOS/NIVELES/NIVEL2.DAT \
        MUSICA/AMBIENTE.WAV MUSICA/INTRO.MID MUSICA/TEMAS/BATALLA.MID MUSICA/TEMAS/BRUMA.MID; do
        cmp -s "$cd/$name" "$target/$name" || fail "$name was not installed as it is on the CD"
    done
    cmp -s "$cd/Texto.txt" "$target/AYUDA.TXT" || fail "Texto.txt was not installed as AYUDA.TXT"
    expect_absent "$target/Texto.txt" "renamed file"
    expect_absent "$target/MUSICA/.indice" "dot-named tree entry"
    (cd "$resource" && find . -type f) | while read -r name; do
        cmp -s "$resource/$name" "$target/$name" || echo "FAIL: $name of Resource.lzh was not unpacked as packed"
        [ "$(stat -c %Y "$target/$name")" = 946728000 ] || echo "FAIL: $name does not carry its stamp 2000-01-01 12:00:00"
    done | grep FAIL && failed=1
    cmp -s "$cd/Dexal.EXE" "$dexal" || fail "the read-only earlier Dexal.EXE was not replaced"
    expect_bytes "$windows/wininit.ini" "$(printf '[Rename]\r\nNUL=C:\\windows\\temp\\otro.tmp\r\n' | od -An -tx1 -v | tr -d ' \n')" \
        "WININIT.INI keeps the other NUL entry only"
    wine_cmd reg query "$marker_key" /v Instalado | tr -d '\r' | grep -qE 'Instalado +REG_SZ +C:\\DemoMB\\$' ||
        fail "Instalado is not C:\\DemoMB\\"
    wine_cmd reg query "$uninstall_key" /v UninstallString | tr -d '\r' |
        grep -qiE 'UninstallString +REG_SZ +C:\\windows\\Dexal.EXE$' || fail "UninstallString is wrong"
    wine_cmd reg query "$uninstall_key" /v DisplayName | tr -d '\r' |
        grep -qE 'DisplayName +REG_SZ +Demo Morvadin Brumaria$' || fail "DisplayName is wrong"

    robot earlier_cancel.txt next_start
    chmod u+w "$dexal" 2>/dev/null
    rm -rf "$target" "$windows/wininit.ini" "$dexal"
}

# Failures along the road are reported and the run still completes and
# registers the installation.
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
    cmp -s "$cd/Brumaria.EXE" "$target/Brumaria.EXE" || fail "Brumaria.EXE was not installed after all"
    cmp -s "$cd/MUSICA/TEMAS/BRUMA.MID" "$target/MUSICA/TEMAS/BRUMA.MID" || fail "the rest of the tree was not installed"
    expect_dir "$target/VACIO/SUB" "empty tree"
    expect_absent "$target/GRAFICOS" "no archive"
    wine_cmd reg query "$marker_key" /v Instalado | grep -qF 'C:\DemoMB\' || fail "the installation was not registered"
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
    if ! mount --bind "$file" "$file" 2>/dev/null; then
        echo "SKIP: bind mounts are not permitted here"
        return $SKIP
    fi
    mounted+=("$file")
    if ! mount -o remount,bind,ro "$file" 2>/dev/null || (printf x >>"$file") 2>/dev/null; then
        echo "SKIP: the bind mount cannot be made read-only here"
        return $SKIP
    fi
    map_drive d "$cd"
    robot readonly_target.txt
    expect_bytes "$file" "$(printf 'icono anterior' | od -An -tx1 -v | tr -d ' \n')" "read-only destination"
    for name in Brumaria.EXE Readme.txt MUSICA/AMBIENTE.WAV; do
        cmp -s "$cd/$name" "$target/$name" || fail "$name was not installed next to the read-only file"
    done
    marker_exists || fail "the installation was not registered"
    umount "$file"
    mounted=()
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

# Pictures of the window for people to look at: a prefix of its own with a
# real (X11) graphics driver under Xvfb; plain wine, since wine-run takes the
# display away.
scenario_screenshots() {
    if ! command -v xvfb-run >/dev/null || ! command -v convert >/dev/null; then
        echo "SKIP: xvfb-run or ImageMagick's convert is missing"
        return $SKIP
    fi
    local template=${WINE_PREFIX_TEMPLATE:-$prefix.template} shots=$build_dir/screenshots
    local own=$work/prefix cd=$work/cd
    [ -d "$template" ] || { fail "no prefix template $template"; return; }
    rm -rf "$own"
    cp -a "$template" "$own" || { fail "cannot copy $template"; return; }
    copy_cd "$cd"
    ln -sfn "$cd" "$own/dosdevices/d:"
    mkdir -p "$shots"
    rm -f "$shots/zelmot-start.png" "$shots/zelmot-drive-step.png" "$work"/*.bmp
    cp "$here/screenshots.txt" "$here/bar.txt" "$work/"
    (
        cd "$work" || exit 1
        # The environment of wine-prefix.sh's wine_env, keeping DISPLAY.
        export WINEPREFIX=$own WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LC_ALL=C.UTF-8
        {
            wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f &&
                wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
                wine reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f
        } </dev/null >"$work/prefix.log" 2>&1 || exit 1
        wineserver -k
        wineserver -w
        # Two robot runs on one display: the pictures, then an installation.
        xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
            run() { wine "$1" --timeout 20 --script "$2\\$3.txt" --cwd "D:\\" -- "D:\\ZELMOT.EXE" >"$3.transcript.cp1252" 2>&1; }
            run "$1" "$2" screenshots; first=$?
            run "$1" "$2" bar; second=$?
            wineserver -k
            [ $first = 0 ] && [ $second = 0 ]' _ "$uirobot" "Z:${work//\//\\}" </dev/null >/dev/null 2>&1
    )
    local status=$? label
    for label in screenshots bar; do
        iconv -f CP1252 -t UTF-8 "$work/$label.transcript.cp1252" >"$work/$label.transcript"
    done
    WINEPREFIX=$own wineserver -w 2>/dev/null
    rm -rf "$own"
    if [ "$status" != 0 ]; then
        fail "a robot run on the display failed"
        cat "$work/screenshots.transcript" "$work/bar.transcript" "$work/prefix.log"
        return
    fi
    check_transcript "$here/screenshots.txt" "$work/screenshots.transcript" screenshots
    check_transcript "$here/bar.txt" "$work/bar.transcript" bar
    # The bar in the recorded installation: it fills from the left, never
    # shrinks, and ends exactly full.
    /usr/bin/python3 "$here/../../../scripts/progress-frames.py" --check "$work"/bar-*.bmp >"$work/bar.fills" ||
        { cat "$work/bar.fills"; fail "the progress bar was not drawn as it should be"; }
    local name
    for name in start drive-step; do
        if [ ! -s "$work/$name.bmp" ]; then
            fail "no screenshot $name.bmp"
            continue
        fi
        convert "$work/$name.bmp" "$shots/zelmot-$name.png" || fail "cannot convert $name.bmp"
        echo "screenshot: $shots/zelmot-$name.png ($(identify -format '%wx%h' "$shots/zelmot-$name.png"))"
    done
    # The recording: frames numbered from 001, each of the window's size.
    [ -s "$work/frame-001.bmp" ] && [ -s "$work/frame-002.bmp" ] || fail "the recording wrote fewer than two frames"
    [ "$(identify -format '%wx%h' "$work/frame-001.bmp")" = "$(identify -format '%wx%h' "$work/start.bmp")" ] ||
        fail "a recorded frame is not the window's size"
}

# ---- main -------------------------------------------------------------------

declare -F "scenario_$scenario" >/dev/null || { echo "zelmot-e2e.sh: no scenario $scenario" >&2; exit 2; }
[ -f "$cd_dir/ZELMOT.EXE" ] || { echo "zelmot-e2e.sh: no ZELMOT.EXE in $cd_dir" >&2; exit 2; }
# A run that was killed may have left its read-only mount behind.
while read -r stale; do
    umount "$stale"
done < <(findmnt -rn -o TARGET | grep -F "$work/")
rm -rf "$work"
mkdir -p "$work"
trap cleanup EXIT
trap 'exit 1' INT TERM
reset_prefix
# The screenshots have a prefix of their own.
[ "$scenario" = screenshots ] || ensure_cd_drive_type
t0=${EPOCHREALTIME/[.,]/}
"scenario_$scenario"
result=$?
t1=${EPOCHREALTIME/[.,]/}
printf 'scenario %s: %d.%02d s\n' "$scenario" $(((t1 - t0) / 1000000)) $(((t1 - t0) / 10000 % 100))
[ "$result" = "$SKIP" ] && [ "$failed" = 0 ] && exit $SKIP
[ "$failed" = 0 ] && [ "$result" = 0 ] && { echo "passed: $scenario"; exit 0; }
exit 1
