#!/bin/bash
# End-to-end tests of the sound configuration: the audio setup program
# AUDSETUP.EXE and the installer's sound step (ZELMOT.EXE), both from the
# sample CD as drive D:, with the stand-in sound driver (qrbdivd) and the wave
# devices of each scenario, driven by the UI robot. What the programs wrote
# is checked byte for byte.
#
#   sound-e2e.sh SCENARIO UIROBOT CD_DIR WINE_RUN BUILD_DIR
#
# How a scenario runs and how the prefix is reset (the test bed's sound card
# among it): tests/e2e/lib.sh. Here the installer's keys, its installation
# in C:\DemoMB and the audio setup program's directories are reset as well.
set -uo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=tests/e2e/lib.sh
source "$here/../../e2e/lib.sh"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Demo Morvadin Brumaria'
target=$prefix/drive_c/DemoMB
sonido=$prefix/drive_c/Sonido
e2e_program='D:\AUDSETUP.EXE'
e2e_cwd='C:\Sonido'
e2e_keys=('HKCU\Software\Quelvar Multimedia' "$uninstall_key")
e2e_copies=("$prefix/drive_c/windows/Dexal.EXE")

e2e_reset() {
    rm -rf "$target" "$sonido" "$prefix/drive_c/qrbset.cfg"
    rm -rf "$prefix/drive_c/Largo"
}

# ---- the sound card -----------------------------------------------------------

# no_wave_key: Windows knows no wave device.
no_wave_key() {
    reg_delete "$qrbdivd_wave_key"
}

# wave_device SUBKEY DRIVER DEVICEID DESCRIPTION [ACTIVE]: one installed
# wave device.
wave_device() {
    local key="$qrbdivd_wave_key\\$1"
    reg_set "$key" Active "${5:-1}"
    reg_set "$key" DeviceID "$3"
    reg_set "$key" Driver "$2"
    reg_set "$key" Description "$4"
}

# driver_knows "NAME ID PORT DMA IRQ DMA2"...: the devices the driver
# identifies, replacing the test bed's.
driver_knows() {
    local n=0 device
    for device in "$@"; do
        reg_set "$qrbdivd_service" "Device$n" "$device"
        n=$((n + 1))
    done
}

# The bytes, as hex, of the library writer's text for NAME IRQ DMA PORT ID
# (no line end after the last line), and of the card-table writer's.
library_hex() {
    printf '[DIGITAL]\r\nDeviceName  = %s\r\nDeviceIRQ   = %s\r\nDeviceDMA   = %s\r\nDevicePort  = 0x%s\r\nDeviceID    = %s' \
        "$@" | od -An -tx1 -v | tr -d ' \n'
}

card_hex() {
    printf '\r\n[DIGITAL]\r\nDeviceName  = %s\r\nDeviceIRQ   = %s\r\nDeviceDMA   = %s\r\nDevicePort  = 0x%s\r\nDeviceID    = %s\r\n' \
        "$@" | od -An -tx1 -v | tr -d ' \n'
}

# The installer's closing line end.
crlf=0d0a

# The stand-in driver's count of open handles, for the robot's expect-dword.
driver_clients="$qrbdivd_service\\Clients"

# Wave devices of which none counts: one inactive (that the driver would
# identify, with a port) and one the driver rejects. The library's first
# search answers "no more devices", its index already past both.
none_accepted() {
    no_wave_key
    driver_knows 'sb16.drv 0xe015 0x220 1 5 5'
    wave_device 0000 SB16.DRV 0xe015 'Inactivo' 0
    wave_device 0001 OTRO.DRV 0x9999 'Rechazado'
}

# Nine devices that the driver identifies, "Tarjeta 1" to "Tarjeta 9"; the
# eighth has port 2a0, IRQ 12, DMA 6 and 7, ID 0xe0ff, and the ninth is
# identified as the first.
nine_devices() {
    local n
    no_wave_key
    for n in 1 2 3 4 5 6 7 8 9; do
        wave_device "000$n" "D$(((n - 1) % 8 + 1)).DRV" 0x1 "Tarjeta $n"
    done
    driver_knows 'd1.drv 0xe001 0x210 1 5 1' 'd2.drv 0xe002 0x220 1 5 1' 'd3.drv 0xe003 0x230 1 5 1' \
        'd4.drv 0xe004 0x240 1 5 1' 'd5.drv 0xe005 0x250 1 5 1' 'd6.drv 0xe006 0x260 1 5 1' \
        'd7.drv 0xe007 0x270 1 5 1' 'd8.drv 0xe0ff 0x2a0 6 12 7'
}

# What the sound device dialog shows for nine_devices, with the eighth
# chosen and its smaller DMA picked.
eighth_of_nine=('expect-items 1038 "Tarjeta 1|Tarjeta 2|Tarjeta 3|Tarjeta 4|Tarjeta 5|Tarjeta 6|Tarjeta 7|Tarjeta 8"'
    'select 1038 "Tarjeta 8"' 'expect-text 1041 2A0' 'expect-text 1040 12' 'expect-items 1039 "7|6"'
    'select 1039 6' 'press IDOK')

# ---- the audio setup program ----------------------------------------------------

# audsetup LABEL LINES...: the audio setup program in C:\Sonido, its sound
# device dialog answered with LINES.
audsetup() {
    local label=$1 script=$work/$1.txt
    shift
    {
        echo 'wait-title "Driver QRB"'
        printf '%s\n' "$@"
        echo 'expect-exit 0'
        echo '#= result: passed'
    } >"$script"
    robot "$script" "$label"
}

# ---- the installer ---------------------------------------------------------------

# A copy of the CD as D: whose list installs one small file.
light_cd() {
    copy_cd "$work/cd"
    rm -f "$work/cd/Longitud.dat"
    printf 'F Readme.txt\r\n' >"$work/cd/INST_100.NFO"
    map_drive d "$work/cd"
}

# install LABEL [untick] [LINES...]: the installer installs into C:\DemoMB;
# "untick" clears the autodetection box first; LINES answer the sound
# device dialog, which must come, or, without LINES, must not. By the
# success message the sound step has let go of the driver (it has no open
# handle left).
install() {
    local label=$1 untick='' script=$work/$1.txt
    shift
    [ "${1:-}" = untick ] && { untick=1; shift; }
    {
        echo 'wait-title "Demo Morvadin Brumaria"'
        [ -n "$untick" ] && echo 'press 2001'
        echo 'press IDOK'
        if [ $# -gt 0 ]; then
            echo 'wait-title "Driver QRB"'
            printf '%s\n' "$@"
            echo 'expect-closed'
        fi
        echo 'expect-box "instalado con"'
        echo "expect-dword $driver_clients 0"
        echo 'press IDOK'
        echo 'expect-exit 0'
        echo '#= result: passed'
        [ $# -eq 0 ] && echo '#! "Driver QRB"'
    } >"$script"
    rm -rf "$target"
    reg_delete 'HKCU\Software\Quelvar Multimedia'
    e2e_program='D:\ZELMOT.EXE' e2e_cwd='D:\' robot "$script" "$label"
}

# ---- scenarios: the audio setup program -------------------------------------

# Card-table mode without the wave key: the 19 cards, each card's lists
# (refilled with the card, "N/A" when it has none), the choices written
# with the card-table writer into the current directory.
scenario_audsetup_card_table() {
    copy_cd "$work/cd"
    map_drive d "$work/cd"
    mkdir -p "$sonido"
    no_wave_key
    robot audsetup_card_table.txt
    expect_bytes "$sonido/qrbset.cfg" "$(card_hex 'NewMedia .WAVJammer' -1 -1 e80 0xe02b)" "WAVJammer"
    printf 'anterior\r\n' >"$sonido/qrbset.cfg"
    robot audsetup_row2.txt
    expect_bytes "$sonido/qrbset.cfg" "$(card_hex 'Sound Blaster 16/AWE32' 5 1 220 0xe015)" "row 2, replacing a file"
    rm -f "$sonido/qrbset.cfg"
    robot audsetup_escape.txt
    expect_absent "$sonido/qrbset.cfg" "Escape"
}

# Detected mode: the found devices with their port (upper-case) and IRQ, the
# larger DMA offered first, a second DMA of -1 left out; the chosen DMA
# written through the library, with no line end after the last line.
scenario_audsetup_detected() {
    copy_cd "$work/cd"
    map_drive d "$work/cd"
    mkdir -p "$sonido"
    wave_device 0001 WSS.DRV 0xe00b 'Windows Sound System'
    wave_device 0002 ULTRA.DRV 0xe023 'Gravis UltraSound'
    wave_device 0003 SB16.DRV 0xe015 'Inactivo' 0
    driver_knows 'sb16.drv 0xe015 0x220 1 5 5' 'wss.drv 0xe00b 0xe80 3 7 3' 'ultra.drv 0xe023 0x240 1 11 -1'
    robot audsetup_detected.txt
    expect_bytes "$sonido/qrbset.cfg" "$(library_hex 'Sound Blaster 16' 5 1 220 0xe015)" "detected, DMA 1 chosen"
    robot audsetup_detected_gravis.txt
    expect_bytes "$sonido/qrbset.cfg" "$(library_hex 'Gravis UltraSound' 11 1 240 0xe023)" "second DMA of -1"
}

# A first device whose port is 0, an empty wave key, and subkeys all
# inactive or rejected: the card table.
scenario_audsetup_no_usable_device() {
    copy_cd "$work/cd"
    map_drive d "$work/cd"
    mkdir -p "$sonido"
    driver_knows 'sb16.drv 0xe015 0 1 5 5'
    robot audsetup_card_mode.txt audsetup_port_zero
    expect_bytes "$sonido/qrbset.cfg" "$(card_hex 'Sound Blaster' 2 1 210 0xe000)" "port 0"
    rm -f "$sonido/qrbset.cfg"
    no_wave_key
    wine_cmd reg add "$qrbdivd_wave_key" /f >/dev/null
    robot audsetup_card_mode.txt audsetup_empty_wave_key
    expect_bytes "$sonido/qrbset.cfg" "$(card_hex 'Sound Blaster' 2 1 210 0xe000)" "empty wave key"
    rm -f "$sonido/qrbset.cfg"
    none_accepted
    robot audsetup_card_mode.txt audsetup_none_accepted
    expect_bytes "$sonido/qrbset.cfg" "$(card_hex 'Sound Blaster' 2 1 210 0xe000)" "no device accepted"
}

# Started from a directory without write access, or from one whose path does
# not fit the program's 256-byte buffer: accepting writes nothing anywhere
# and says nothing.
scenario_audsetup_cannot_write() {
    local cd=$work/cd ro=$sonido long
    copy_cd "$cd"
    map_drive d "$cd"
    mkdir -p "$work/sonido" "$ro"
    mount_readonly "$work/sonido" "$ro" || return
    robot audsetup_accept.txt audsetup_readonly
    expect_entries "$work/sonido"
    unmount_all

    # C:\Largo\ and directories of 40 characters: 257 characters in all.
    long='Largo'
    while [ ${#long} -lt 240 ]; do
        long="$long\\$(printf 'd%.0s' $(seq 39))"
    done
    long="$long\\$(printf 'e%.0s' $(seq $((253 - ${#long}))))"
    [ $((3 + ${#long})) = 257 ] || { fail "the long directory has $((3 + ${#long})) characters"; return; }
    mkdir -p "$prefix/drive_c/${long//\\//}"
    e2e_cwd="C:\\$long" robot audsetup_accept.txt audsetup_long_directory
    expect_entries "$prefix/drive_c/${long//\\//}"
    expect_absent "$prefix/drive_c/qrbset.cfg" "long directory"
}

# ---- scenarios: the installer's sound step -----------------------------------

# The box ticked: the library writes from the first device with the larger
# DMA, without a dialog, and the installer closes the last line. A second
# DMA of -1 is no channel: the DMA stays.
scenario_install_autodetect() {
    light_cd
    install autodetect
    grep -q 'button 2001 "" checked' "$work/autodetect.transcript" || fail "the autodetection box was not ticked"
    expect_bytes "$target/qrbset.cfg" "$(library_hex 'Sound Blaster 16' 5 5 220 0xe015)$crlf" "autodetected"
    driver_knows 'sb16.drv 0xe015 0x220 1 5 -1'
    install autodetect_no_second_dma
    expect_bytes "$target/qrbset.cfg" "$(library_hex 'Sound Blaster 16' 5 1 220 0xe015)$crlf" "second DMA -1"
}

# No device (no wave key, an empty one, none accepted, no driver): the box
# stays ticked, the run shows the card table, and nothing is added after the
# card-table writer; dismissed, nothing is written at all.
scenario_install_no_device() {
    light_cd
    no_wave_key
    install no_wave_key 'select 1038 "Sound Blaster Pro"' 'select 1039 3' 'select 1045 10' 'press IDOK'
    grep -q 'button 2001 "" checked' "$work/no_wave_key.transcript" || fail "the autodetection box was not ticked"
    expect_bytes "$target/qrbset.cfg" "$(card_hex 'Sound Blaster Pro' 10 3 220 0xe001)" "no wave key"

    wine_cmd reg add "$qrbdivd_wave_key" /f >/dev/null
    install empty_wave_key 'key escape'
    expect_absent "$target/qrbset.cfg" "empty wave key, dismissed"

    none_accepted
    install none_accepted 'expect-state 1044 visible' 'select 1038 "Gravis UltraSound"' 'select 1044 240' \
        'select 1039 5' 'select 1045 11' 'press IDOK'
    expect_bytes "$target/qrbset.cfg" "$(card_hex 'Gravis UltraSound' 11 5 240 0xe023)" "no device accepted"

    wine_cmd reg add "$qrbdivd_service" /v AttachReply /t REG_DWORD /d 2 /f >/dev/null
    install driver_refuses 'press IDOK'
    expect_bytes "$target/qrbset.cfg" "$(card_hex 'Sound Blaster' 2 1 210 0xe000)" "the driver refuses"
}

# A first device whose port is 0: the box starts unticked and the run shows
# the card table; after its writer the installer's line end leaves an empty
# line.
scenario_install_port_zero() {
    light_cd
    driver_knows 'sb16.drv 0xe015 0 1 5 5'
    install port_zero 'expect-state 1044 visible' 'select 1038 "Sound Blaster 16/AWE32"' 'select 1045 5' \
        'press IDOK'
    grep -q 'button 2001 "" checked' "$work/port_zero.transcript" && fail "the autodetection box was ticked"
    expect_bytes "$target/qrbset.cfg" "$(card_hex 'Sound Blaster 16/AWE32' 5 0 220 0xe015)$crlf" "port 0"
}

# The box cleared by the user: the dialog in detected mode, while the
# installer holds the library's one handle on the driver; the chosen DMA
# written through the library and the line closed; dismissed with Escape,
# the file is only the installer's line end.
scenario_install_dialog() {
    light_cd
    install detected untick "expect-dword $driver_clients 1" 'expect-items 1039 "5|1"' 'expect-text 1041 220' \
        'select 1039 1' 'press IDOK'
    expect_bytes "$target/qrbset.cfg" "$(library_hex 'Sound Blaster 16' 5 1 220 0xe015)$crlf" "detected"
    install dismissed untick 'key escape'
    expect_bytes "$target/qrbset.cfg" "$crlf" "dismissed"
}

# ---- scenarios: both programs ---------------------------------------------------

# Nine devices: both dialogs list the first eight, and the eighth chosen is
# written with its own numbers (the installer closing the last line).
scenario_eight_of_nine() {
    light_cd
    mkdir -p "$sonido"
    nine_devices
    audsetup audsetup_eighth "${eighth_of_nine[@]}"
    expect_bytes "$sonido/qrbset.cfg" "$(library_hex 'Tarjeta 8' 12 6 2a0 0xe0ff)" "audio setup, the eighth"
    install install_eighth untick "${eighth_of_nine[@]}"
    expect_bytes "$target/qrbset.cfg" "$(library_hex 'Tarjeta 8' 12 6 2a0 0xe0ff)$crlf" "installer, the eighth"
}

e2e_main "$@"
