#!/bin/bash
# Unpacks the MinGW-w64 runtime's sources (mingw-w64-crt) from Debian's
# source package of the installed mingw-w64, for the Windows 95 build to
# compile its start-up code and C runtime helpers for the 486.
#
#   fetch-mingw-crt.sh DEST
#
# DEST/mingw-w64-crt is left alone when it holds the installed version.
# Needs deb-src lines for Debian in APT's sources (scripts/bootstrap.sh).
set -euo pipefail
dest=${1:?usage: fetch-mingw-crt.sh DEST}
version=$(dpkg-query -W -f='${Version}' mingw-w64-i686-dev)
[ -n "$version" ] || { echo "fetch-mingw-crt: mingw-w64-i686-dev is not installed" >&2; exit 1; }
stamp=$dest/mingw-w64-crt/.debian-version
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ]; then
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! (cd "$work" && apt-get source -qq --download-only "mingw-w64=$version" >/dev/null 2>&1); then
    echo "fetch-mingw-crt: apt-get source mingw-w64=$version failed; enable Debian's deb-src lines (scripts/bootstrap.sh does)" >&2
    exit 1
fi
upstream=${version%-*}
tarball=$(find "$work" -maxdepth 1 -name "mingw-w64_$upstream.orig.tar.*" ! -name "*.asc" | head -n1)
tar -xf "$tarball" -C "$work" --wildcards '*/mingw-w64-crt/*'
rm -rf "$dest/mingw-w64-crt"
mkdir -p "$dest"
mv "$work"/mingw-w64-v*/mingw-w64-crt "$dest/mingw-w64-crt"
echo "$version" >"$stamp"
