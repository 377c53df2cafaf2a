#!/bin/bash
# PARDEV.dll exports exactly the names of its export list, undecorated (no
# leading underscore, no @N), in the 32-bit and the 64-bit build alike.
#
#   check-exports.sh DLL DEF
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: check-exports.sh DLL DEF" >&2; exit 2; }
dll=$1 def=$2
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v i686-w64-mingw32-objdump) ||
    { echo "check-exports: no MinGW objdump" >&2; exit 2; }

want=$(awk '/^EXPORTS/ { on = 1; next } on && NF && $1 !~ /^;/ { print $1 }' "$def" | LC_ALL=C sort)
got=$("$objdump" -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
    on && /^\t\[/ { print $NF; next } on { exit }' | LC_ALL=C sort)
echo "exports of $dll: ${got//$'\n'/ }"
if [ -z "$want" ] || [ "$got" != "$want" ]; then
    echo "check-exports: expected exactly: ${want//$'\n'/ }"
    exit 1
fi
echo "check-exports: $(wc -w <<<"$got") names, as listed in $(basename "$def")"
