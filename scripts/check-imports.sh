#!/bin/bash
# Checks that the Windows 95 deliverables can be loaded by Windows 95.
# (x86_64-w64-mingw32-objdump reads 32- and 64-bit images alike.)
#
#   check-imports.sh [--exports LIST] BUILD_DIR|FILE...
#
# For every .exe and .dll of the build tree (CMake's own probes aside), or for
# the files named, it prints the imported DLLs and functions and fails when
#   - the file is not a 32-bit x86 PE image (pei-i386),
#   - its subsystem or OS version is not exactly 4.0 (Windows 95 refuses a
#     higher one; a lower one would run it in a compatibility mode),
#   - it imports a DLL that is neither one of the deliverables nor listed in
#     LIST (default: tests/win95-exports.txt), the system DLLs every
#     Windows 95 has (a MinGW runtime DLL means it is not statically linked;
#     msvcrt.dll is not part of the first Windows 95),
#   - it imports a function, or an ordinal, that LIST does not name under
#     that DLL: the loader would refuse the program.
set -uo pipefail

root=$(dirname "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")")
exports_list=$root/tests/win95-exports.txt
objdump=${OBJDUMP:-}

usage() {
    echo "usage: check-imports.sh [--exports LIST] BUILD_DIR|FILE..." >&2
    exit 2
}

while [ $# -gt 0 ]; do
    case "$1" in
        --exports) [ $# -ge 2 ] || usage; exports_list=$2; shift 2 ;;
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
[ -r "$exports_list" ] || { echo "check-imports: cannot read $exports_list" >&2; exit 2; }

# "dll name" -> 1 for every listed export; "dll" -> 1 for every listed DLL
# (lower case).
declare -A exported=() win95_dlls=()
section=''
while read -r line _; do
    case "$line" in
        '' | '#'*) continue ;;
        '['*']') section=${line#[}; section=${section%]}; section=${section,,}; win95_dlls[$section]=1 ;;
        *) [ -n "$section" ] && exported["$section $line"]=1 ;;
    esac
done <"$exports_list"

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
        /^MajorOSystemVersion/ { osmajor = $2 }
        /^MinorOSystemVersion/ { print "os", osmajor, $2 }
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
    format='' subsystem='' os='' dll='' names=''
    while read -r kind a b; do
        case "$kind" in
            format) format=$a ;;
            subsystem) subsystem="$a.$b"; [ "$subsystem" = 4.0 ] || fail "subsystem version $subsystem: Windows 95 needs 4.0" ;;
            os) os="$a.$b"; [ "$os" = 4.0 ] || fail "OS version $os: Windows 95 needs 4.0" ;;
            dll)
                flush
                dll=$a
                lower=${a,,}
                known=''
                if [ -n "${win95_dlls[$lower]:-}" ]; then
                    known=list
                elif [[ "$own_dlls" == *" $lower "* ]]; then
                    known=own
                else
                    case "$lower" in
                        lib*) fail "imports the MinGW runtime DLL $a: not statically linked" ;;
                        *) fail "imports $a, which Windows 95 does not ship" ;;
                    esac
                fi
                ;;
            import)
                names+=" $b"
                if [ "$known" = list ] && [ -z "${exported["$lower $b"]:-}" ]; then
                    fail "imports $a!$b, which is not among Windows 95's exports of $a"
                fi
                ;;
        esac
    done <<<"$report"
    flush
    echo "  format $format, subsystem version ${subsystem:-?}, OS version ${os:-?}"
    [ -n "$subsystem" ] || fail "no subsystem version"
    [ -n "$os" ] || fail "no OS version"
    [ "$format" = pei-i386 ] || fail "file format $format: the Windows 95 build must be PE32 i386"
done

echo "check-imports: ${#files[@]} file(s), $problems problem(s)"
[ "$problems" -eq 0 ]
