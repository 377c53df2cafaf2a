#!/bin/bash
# The stand-in sound driver (qrbdivd.sys) in a Wine prefix.
#
#   qrbdivd.sh install SYS   installs SYS in the prefix of $WINE_TEST_PREFIX
#                            as the kernel service "qrbdivd", started with
#                            every Wine session, and starts it now
#
# Sourced (by tests/e2e/lib.sh) it only defines the functions; they run Wine
# through the function wine_cmd, which the sourcing script provides.
#
# Its configuration is its service key; qrbdivd_defaults_reg prints the
# lines of a REGEDIT4 file that give the test bed's sound card: one wave
# device, a Sound Blaster 16 (port 220, IRQ 5, DMA 1 and 5), that the driver
# identifies.

qrbdivd_service='HKLM\System\CurrentControlSet\Services\qrbdivd'
qrbdivd_wave_key='HKLM\System\CurrentControlSet\Control\MediaResources\wave'

# qrbdivd_running: the service runs in the prefix's current session.
qrbdivd_running() {
    wine_cmd sc query qrbdivd 2>/dev/null | tr -d '\r' | grep -q 'STATE *: 4 *RUNNING'
}

# qrbdivd_install PREFIX SYS
qrbdivd_install() {
    local prefix=$1 sys=$2 target n
    target=$prefix/drive_c/windows/system32/drivers/qrbdivd.sys
    [ -f "$sys" ] || { echo "qrbdivd: no driver $sys" >&2; return 1; }
    # A running driver keeps its file mapped: a new one takes its place by
    # rename, never by being written over.
    if ! cmp -s "$sys" "$target"; then
        cp "$sys" "$target.new" && mv -f "$target.new" "$target" || return 1
    fi
    if ! wine_cmd reg query "$qrbdivd_service" /v ImagePath >/dev/null 2>&1; then
        wine_cmd sc create qrbdivd type= kernel start= auto \
            binPath= 'C:\windows\system32\drivers\qrbdivd.sys' >/dev/null 2>&1 ||
            { echo "qrbdivd: sc create failed" >&2; return 1; }
    fi
    for n in 1 2 3; do
        qrbdivd_running && return 0
        wine_cmd sc start qrbdivd >/dev/null 2>&1
    done
    qrbdivd_running || { echo "qrbdivd: the driver does not start" >&2; return 1; }
}

# The test bed's sound card (REGEDIT4 lines, CR LF): the wave key with one
# device and the driver answering for it, everything else cleared.
qrbdivd_defaults_reg() {
    local service=${qrbdivd_service/#HKLM\\/HKEY_LOCAL_MACHINE\\} wave=${qrbdivd_wave_key/#HKLM\\/HKEY_LOCAL_MACHINE\\} n
    printf '\r\n[-%s]\r\n' "$wave"
    printf '\r\n[%s\\0000]\r\n"Active"="1"\r\n"DeviceID"="0xe015"\r\n"Driver"="SB16.DRV"\r\n' "$wave"
    printf '"Description"="Sound Blaster 16"\r\n'
    printf '\r\n[%s]\r\n"AttachReply"=dword:00000000\r\n"AttachFails"=dword:00000000\r\n' "$service"
    printf '"DetachFails"=dword:00000000\r\n"FillRecord"=dword:00000000\r\n"Device0"="sb16.drv 0xe015 0x220 1 5 5"\r\n'
    for n in 1 2 3 4 5 6 7; do
        printf '"Device%d"=-\r\n' "$n"
    done
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -uo pipefail
    here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
    wine_cmd() {
        WINE_RUN_KEEP_ARGS=1 "$here/../../../scripts/wine-run" "$@" </dev/null
    }
    case "${1:-}" in
        install)
            [ $# -eq 2 ] || { echo "usage: qrbdivd.sh install SYS" >&2; exit 2; }
            qrbdivd_install "${WINE_TEST_PREFIX:?WINE_TEST_PREFIX names the prefix}" "$2" &&
                echo "qrbdivd: running in $WINE_TEST_PREFIX"
            ;;
        *) echo "usage: qrbdivd.sh install SYS" >&2; exit 2 ;;
    esac
fi
