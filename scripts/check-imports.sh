#!/bin/bash
# Checks that the Windows 95 deliverables can be loaded by Windows 95.
# (x86_64-w64-mingw32-objdump reads 32- and 64-bit images alike.)
#
#   check-imports.sh [--missing LIST] BUILD_DIR|FILE...
#
# For every .exe and .dll of the build tree (CMake's own probes aside), or for
# the files named, it prints the imported DLLs and functions and fails when
#   - the file is not a 32-bit x86 PE image (pei-i386),
#   - its subsystem version is above 4.0 (Windows 95 refuses to start it),
#   - it imports a DLL that Windows 95 does not ship and that is not one of
#     the deliverables (a MinGW runtime DLL means it is not statically linked),
#   - it imports a function named in LIST (default: tests/win95-missing-imports.txt),
#     which Windows 95 does not export: the loader would refuse the program.
# Wide-character functions of the system DLLs only get a note: Windows 95
# exports them as stubs that fail when called.
set -uo pipefail

root=$(dirname "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")")
missing_list=$root/tests/win95-missing-imports.txt
objdump=${OBJDUMP:-}

usage() {
    echo "usage: check-imports.sh [--missing LIST] BUILD_DIR|FILE..." >&2
    exit 2
}

while [ $# -gt 0 ]; do
    case "$1" in
        --missing) [ $# -ge 2 ] || usage; missing_list=$2; shift 2 ;;
        -*) usage ;;
        *) break ;;
    esac
done
[ $# -ge 1 ] || usage

if [ -z "$objdump" ]; then
    for tool in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump; do
        command -v "$tool" >/dev/null && { objdump=$tool; break; }
    done
fi
[ -n "$objdump" ] || { echo "check-imports: no MinGW objdump found" >&2; exit 2; }
[ -r "$missing_list" ] || { echo "check-imports: cannot read $missing_list" >&2; exit 2; }

# DLLs that every Windows 95 installation has in its System directory.
# msvcrt.dll is listed because every MinGW program imports it; an early
# Windows 95 may lack it, which the installation set has to allow for.
system_dlls=(advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll lz32.dll
    mpr.dll msacm32.dll msvcrt.dll msvfw32.dll ole32.dll oleaut32.dll shell32.dll
    user32.dll version.dll winmm.dll winspool.drv wsock32.dll)
win95_dlls=" ${system_dlls[*]} "

# Wide-character functions that Windows 95 implements rather than stubs.
wide_list=(ExtTextOutW GetCharWidthW GetTextExtentExPointW GetTextExtentPointW
    GetTextExtentPoint32W MessageBoxW MessageBoxExW TextOutW lstrlenW)
win95_wide=" ${wide_list[*]} "

declare -A missing=()
while read -r name _; do
    case "$name" in '' | '#'*) continue ;; esac
    missing[$name]=1
done <"$missing_list"

files=()
for arg in "$@"; do
    if [ -d "$arg" ]; then
        while IFS= read -r -d '' f; do files+=("$f"); done < <(
            find "$arg" -path '*/CMakeFiles' -prune -o -type f \
                \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)
    else
        files+=("$arg")
    fi
done
if [ ${#files[@]} -eq 0 ]; then
    echo "check-imports: no .exe or .dll in $*" >&2
    exit 1
fi

# The deliverable DLLs may import each other.
own_dlls=" "
for f in "${files[@]}"; do
    case "${f,,}" in *.dll) own_dlls+="$(basename "${f,,}") " ;; esac
done

# objdump -p output to "format F", "subsystem MAJOR MINOR" and "import DLL FUNCTION" lines.
imports_of() {
    "$objdump" -p "$1" | awk '
        /file format/ { print "format", $NF }
        /^MajorSubsystemVersion/ { major = $2 }
        /^MinorSubsystemVersion/ { print "subsystem", major, $2 }
        /^\tDLL Name:/ { dll = $3; print "dll", dll; next }
        dll != "" && /^$/ { dll = ""; next }
        dll != "" && /<none>/ { print "import", dll, "ordinal:" $2; next }
        dll != "" && /^\t[0-9a-f]+\t +[0-9]+  / { print "import", dll, $3 }
    '
}

# Prints the functions gathered for the current DLL, wrapped.
flush() {
    if [ -n "$dll" ]; then
        echo "  $dll:$names" | fold -s -w 100 | sed -e '2,$s/^/      /' -e 's/ *$//'
    fi
    names=''
}

problems=0
fail() {
    echo "  FAIL: $*"
    problems=$((problems + 1))
}

for f in "${files[@]}"; do
    echo "== $f"
    if ! report=$(imports_of "$f") || [ -z "$report" ]; then
        fail "$objdump cannot read it"
        continue
    fi
    format='' subsystem='' dll='' names='' stubs=''
    while read -r kind a b; do
        case "$kind" in
            format) format=$a ;;
            subsystem) subsystem="$a.$b"; [ "$a" -le 4 ] || fail "subsystem version $a.$b: Windows 95 needs 4.0" ;;
            dll)
                flush
                dll=$a
                lower=${a,,}
                if [[ "$win95_dlls$own_dlls" != *" $lower "* ]]; then
                    case "$lower" in
                        lib*) fail "imports the MinGW runtime DLL $a: not statically linked" ;;
                        *) fail "imports $a, which Windows 95 does not ship" ;;
                    esac
                fi
                ;;
            import)
                names+=" $b"
                [ -n "${missing[$b]:-}" ] && fail "imports $a!$b, which Windows 95 lacks"
                if [[ "$b" == *W && "$win95_wide" != *" $b "* && "$win95_dlls" == *" ${a,,} "* ]]; then
                    stubs+=" $b"
                fi
                ;;
        esac
    done <<<"$report"
    flush
    echo "  format $format, subsystem version ${subsystem:-?}"
    [ "$format" = pei-i386 ] || fail "file format $format: the Windows 95 build must be PE32 i386"
    [ -n "$stubs" ] && echo "  note: stubs on Windows 95 (fail when called):$stubs"
done

echo "check-imports: ${#files[@]} file(s), $problems problem(s)"
[ "$problems" -eq 0 ]
