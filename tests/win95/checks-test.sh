#!/bin/bash
# The Windows 95 checks refuse what they are there to refuse: small images
# built with the toolchain's defaults (Pentium Pro code, msvcrt.dll, 6.0
# versions) fail both checks with the function and the import named, and
# mastering refuses a tree holding one before writing anything.
#
#   checks-test.sh SOURCE_DIR
set -uo pipefail
root=${1:?usage: checks-test.sh SOURCE_DIR}
cc=i686-w64-mingw32-gcc-win32
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect DESCRIPTION PATTERN OUTPUT
    if grep -qE -- "$2" <<<"$3"; then echo "ok: $1"; else echo "FAILED: $1 (no '$2')"; echo "$3" | head -20; failures=$((failures + 1)); fi
}

cat >"$work/pick.c" <<'C'
#include <windows.h>
__attribute__((noinline)) int Smaller(int a, int b) { return a < b ? a : b; }
__attribute__((noinline)) unsigned CpuSignature(void) { unsigned a = 1, b, c, d; __asm__ volatile("cpuid" : "+a"(a), "=b"(b), "=c"(c), "=d"(d)); return a; }
int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) { return Smaller(s, 3) + (int)CpuSignature() + (int)GetTickCount(); }
C
mkdir -p "$work/cd" "$work/maps"
"$cc" -O2 -march=pentiumpro -mwindows -s -o "$work/cd/PICK.EXE" "$work/pick.c" \
    -Wl,-Map,"$work/maps/PICK.EXE.map" -Wl,--major-subsystem-version,6,--minor-subsystem-version,0 || { echo "cannot build the test image"; exit 1; }

out=$(python3 "$root/scripts/check-486.py" --maps "$work/maps" "$work/cd" 2>&1); status=$?
expect "check-486 fails on Pentium Pro code" '^check-486: 1 image\(s\), 1 with' "$out"
[ $status -ne 0 ] || { echo "FAILED: check-486 exit status 0"; failures=$((failures + 1)); }
expect "a conditional move is named with its function (stripped image, map)" 'cmov[a-z]* at 0x[0-9a-f]+ in _?Smaller' "$out"
expect "CPUID without the ID-bit test is refused" 'cpuid at 0x[0-9a-f]+ in _?CpuSignature' "$out"

out=$(bash "$root/scripts/check-imports.sh" "$work/cd" 2>&1); status=$?
[ $status -ne 0 ] || { echo "FAILED: check-imports exit status 0"; failures=$((failures + 1)); }
expect "msvcrt.dll is refused" 'imports msvcrt.dll, which Windows 95 does not ship' "$out"
expect "a subsystem version above 4.0 is refused" 'subsystem version [5-9]\.[0-9]+: Windows 95 needs 4.0' "$out"

# An image of i486 code without CPUID and with the 4.0 versions passes the
# 486 check.
cat >"$work/clean.c" <<'C'
int Smaller(int a, int b) { return a < b ? a : b; }
C
"$cc" -O2 -march=i486 -c -o "$work/clean.o" "$work/clean.c"
mkdir -p "$work/clean"
"$cc" -nostdlib -shared -s -o "$work/clean/CLEAN.DLL" "$work/clean.o" -Wl,-Map,"$work/maps/CLEAN.DLL.map" -Wl,-e,_Smaller \
    -Wl,--subsystem,windows:4.0,--major-os-version,4,--minor-os-version,0
out=$(python3 "$root/scripts/check-486.py" --maps "$work/maps" "$work/clean" 2>&1)
expect "i486 code passes" '^check-486: 1 image\(s\), 0 with' "$out"
out=$(bash "$root/scripts/check-imports.sh" "$work/clean" 2>&1)
expect "an image importing nothing, versions 4.0, passes" 'check-imports: 1 file\(s\), 0 problem' "$out"

# Mastering stops before the size file writer (false here) and the image.
out=$(bash "$root/tools/master/master.sh" disc /bin/false "$work/cd" "$work/disc" "$work/DISC.ISO" --windows95 "$work/maps" 2>&1); status=$?
[ $status -ne 0 ] || { echo "FAILED: mastering went on"; failures=$((failures + 1)); }
expect "mastering names the image and the instruction" "PICK.EXE: cmov" "$out"
expect "mastering says why it stops" 'not mastering .*486 with Windows 95' "$out"
{ [ ! -e "$work/DISC.ISO" ] && [ ! -e "$work/disc" ]; } || { echo "FAILED: mastering wrote something"; failures=$((failures + 1)); }

[ $failures -eq 0 ] && echo "checks-test: all passed"
exit $((failures > 0))
