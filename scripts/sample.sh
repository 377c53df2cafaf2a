#!/bin/bash
# The main job on the bundled sample CD. For now: the CD's "Resource.lzh" is
# listed, tested and unpacked by the archive tool, natively and as the Windows
# program under Wine (into C:\DemoMB of a fresh Windows 95 prefix), and the two
# results are compared file by file.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

bash scripts/bootstrap.sh
jobs=$(nproc)
for preset in native win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target lzhtool -j"$jobs" >/dev/null
done

archive=$PWD/samplecd/Resource.lzh
out=$PWD/build/sample
rm -rf "$out/native"
mkdir -p "$out/native"

echo
echo "== $archive"
build/native/tools/lzhtool/lzhtool l "$archive"
echo
echo "== test"
build/native/tools/lzhtool/lzhtool t "$archive"
echo
echo "== extract (native) into $out/native"
build/native/tools/lzhtool/lzhtool x "$archive" "$out/native"

echo
echo "== extract (Windows program under Wine) into C:\\DemoMB"
prefix=$out/wine-prefix
bash scripts/wine-prefix.sh setup "$prefix" >/dev/null
trap 'bash scripts/wine-prefix.sh cleanup "$prefix" >/dev/null' EXIT
installed=$prefix/drive_c/DemoMB
mkdir -p "$installed"
WINE_TEST_PREFIX=$prefix WINE_RUN_KEEP_ARGS=1 scripts/wine-run build/win64/tools/lzhtool/lzhtool.exe \
    x "Z:${archive//\//\\}" 'C:\DemoMB'

echo
echo "== C:\\DemoMB ($installed)"
(cd "$installed" && find . -type f -printf '%10s  %TY-%Tm-%Td %TH:%TM  %P\n' | sort -k4)
if diff -r "$out/native" "$installed" >/dev/null; then
    echo "native and Windows extractions are identical"
else
    echo "native and Windows extractions differ:" >&2
    diff -r "$out/native" "$installed" >&2 || true
    exit 1
fi
