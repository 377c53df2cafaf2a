# shellcheck shell=bash
# Whether this machine runs 32-bit x86 code: some kernels are built or booted
# without it, and the 32-bit Wine then cannot start at all.
#
#   runs_32bit_code    true when a 32-bit executable runs here
#   use_32bit_code     whether to run the release's 32-bit programs: the
#                      same, unless RUNS_32BIT_CODE=no (or yes) answers; the
#                      end-to-end tests, test.sh and sample.sh play a machine
#                      that refuses 32-bit code with it (bootstrap.sh goes by
#                      the probe alone, so that a play never removes wine32)
#
# The probe is the smallest static i386 ELF program: _exit(42) through int 0x80.

runs_32bit_code() {
    local probe status
    [ "$(uname -m)" = x86_64 ] || [ "$(uname -m)" = i686 ] || return 1
    probe=$(mktemp) || return 1
    # ELF header (52 bytes), one program header (32), code (12): load at
    # 0x08048000, enter at 0x08048054.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >"$probe"
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
    printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

use_32bit_code() {
    case "${RUNS_32BIT_CODE:-}" in
        yes) return 0 ;;
        no) return 1 ;;
        *) runs_32bit_code ;;
    esac
}
