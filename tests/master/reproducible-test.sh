#!/bin/bash
# The same sources give the same disc: a second build of the release, made
# from scratch in a directory of its own (another path, no compiler cache),
# masters an image that is byte for byte the build's own.
#
#   reproducible-test.sh SOURCE_DIR IMAGE
#
# Prints the size of every program on both discs; on a difference, the
# programs that differ and the first differing bytes.
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: reproducible-test.sh SOURCE_DIR IMAGE" >&2; exit 2; }
source_dir=$1
image=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT

[ -f "$image" ] || { echo "FAIL: no image $image"; exit 1; }
build=$work/second-build
echo "== a second release build in $build"
if ! {
    env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER \
        cmake -S "$source_dir" -B "$build" --preset win32 -DBUILD_TESTING=OFF >"$work/build.log" 2>&1 &&
        cmake --build "$build" --target disc -j "$(nproc)" >>"$work/build.log" 2>&1
}; then
    tail -n 30 "$work/build.log"
    echo "FAIL: the second build failed"
    exit 1
fi

for exe in "$(dirname "$image")"/disc/*.EXE "$(dirname "$image")"/disc/*.dll "$(dirname "$image")"/disc/*.exe; do
    [ -f "$exe" ] || continue
    other=$build/disc/$(basename "$exe")
    printf '%-14s %8d bytes   second build: %8s bytes\n' "$(basename "$exe")" "$(stat -c %s "$exe")" \
        "$(stat -c %s "$other" 2>/dev/null || echo none)"
done
if cmp -s "$image" "$build/$(basename "$image")"; then
    echo "PASS: $(basename "$image") is the same, $(stat -c %s "$image") bytes"
    exit 0
fi
echo "FAIL: the second build's $(basename "$image") differs"
for exe in "$(dirname "$image")"/disc/*; do
    [ -f "$exe" ] || continue
    cmp "$exe" "$build/disc/$(basename "$exe")" 2>&1 | head -n 1
    cmp -l "$exe" "$build/disc/$(basename "$exe")" 2>/dev/null | head -n 5
done
exit 1
