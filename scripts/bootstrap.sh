#!/bin/bash
# Installs the Debian 12 packages that the builds and the tests need, leaving
# alone what is already installed. Run as root (or with sudo available).
#
# Wine is the 64-bit one only: the 32-bit programs are built, never run here,
# so neither wine32 nor the i386 architecture is wanted.
set -euo pipefail

packages=(
    cmake g++ googletest python3
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine64 wine xvfb xauth imagemagick
    lhasa jlha-utils p7zip-full xorriso valgrind clang libclang-rt-14-dev
    python3-pil python3-numpy fonts-dejavu-core fonts-liberation
)

# The packages of the list that dpkg does not have installed.
missing_packages() {
    local status
    status=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${packages[@]}" 2>/dev/null || true)
    for p in "${packages[@]}"; do
        grep -qx "$p installed" <<<"$status" || echo "$p"
    done
}

# The Windows 95 build compiles its runtime from Debian's mingw-w64 source
# package (scripts/fetch-mingw-crt.sh), which needs deb-src lines.
deb_src=/etc/apt/sources.list.d/debian-src.sources
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d; then
    echo "bootstrap: enabling Debian's source packages ($deb_src)"
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" tee "$deb_src" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    "${as_root[@]}" apt-get update -q
fi

mapfile -t missing < <(missing_packages)

if [ ${#missing[@]} -eq 0 ]; then
    echo "bootstrap: all ${#packages[@]} packages are installed"
    exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "bootstrap: run as root to install packages" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
# Recommended packages come along (Wine's X11 libraries and fonts are among
# them); wine32, also recommended, has no candidate without i386 and is skipped.
"${sudo[@]}" apt-get install -y -q "${missing[@]}" </dev/null

mapfile -t missing < <(missing_packages)
if [ ${#missing[@]} -gt 0 ]; then
    echo "bootstrap: still not installed: ${missing[*]}" >&2
    exit 1
fi
[ -d /usr/src/googletest ] || { echo "bootstrap: /usr/src/googletest is missing" >&2; exit 1; }
echo "bootstrap: done"
