#!/bin/bash
# Installs the Debian 12 packages that the builds and the tests need, leaving
# alone what is already installed. Run as root (or with sudo available).
#
# The 32-bit Wine (wine32 from Debian's i386 architecture) comes too where
# this machine runs 32-bit code, so that the release's own 32-bit programs run
# in the tests. Where the kernel refuses 32-bit code, a wine32 that is
# installed could never start, and Debian's wine script would still pick it:
# it is removed, and Wine is the 64-bit one only.
set -euo pipefail

here=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# shellcheck source=probe-32bit.sh
source "$here/probe-32bit.sh"

packages=(
    cmake g++ googletest python3
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine64 wine xvfb xauth imagemagick
    lhasa jlha-utils p7zip-full xorriso valgrind clang libclang-rt-14-dev
    python3-pil python3-numpy fonts-dejavu-core fonts-liberation shellcheck
    # What a minimal Debian lacks and the scripts use: the shellcheck test
    # lists the files through git, the main job finds processes with pgrep,
    # the runtime's sources come as a .tar.bz2.
    git procps bzip2
)

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive

installed() {
    dpkg-query -W -f='${db:Status-Status}\n' "$1" 2>/dev/null | grep -qx installed
}

if runs_32bit_code; then
    packages+=(wine32:i386)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "bootstrap: adding the i386 architecture for the 32-bit Wine"
        "${sudo[@]}" dpkg --add-architecture i386
        "${sudo[@]}" apt-get update -q
    fi
elif installed wine32:i386; then
    echo "bootstrap: this machine does not run 32-bit code: removing wine32, which could not start"
    "${sudo[@]}" apt-get remove -y -q wine32:i386 libwine:i386 </dev/null
fi

# The packages of the list that dpkg does not have installed, each asked for
# alone (a name with its architecture, wine32:i386, is one dpkg-query
# prints without it).
missing_packages() {
    local p
    for p in "${packages[@]}"; do
        installed "$p" || echo "$p"
    done
}

# The Windows 95 build compiles its runtime from Debian's mingw-w64 source
# package (scripts/fetch-mingw-crt.sh), which needs deb-src lines.
deb_src=/etc/apt/sources.list.d/debian-src.sources
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d; then
    echo "bootstrap: enabling Debian's source packages ($deb_src)"
    "${sudo[@]}" tee "$deb_src" >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    "${sudo[@]}" apt-get update -q
fi

mapfile -t missing < <(missing_packages)

if [ ${#missing[@]} -eq 0 ]; then
    echo "bootstrap: all ${#packages[@]} packages are installed"
    exit 0
fi

echo "bootstrap: installing ${missing[*]}"
if [ ${#sudo[@]} -gt 0 ] && ! command -v sudo >/dev/null; then
    echo "bootstrap: run as root to install packages" >&2
    exit 1
fi
"${sudo[@]}" apt-get update -q
# Recommended packages come along (Wine's X11 libraries and fonts are among
# them); wine32, also recommended, has no candidate without i386 and is then
# skipped.
"${sudo[@]}" apt-get install -y -q "${missing[@]}" </dev/null

mapfile -t missing < <(missing_packages)
if [ ${#missing[@]} -gt 0 ]; then
    echo "bootstrap: still not installed: ${missing[*]}" >&2
    exit 1
fi
[ -d /usr/src/googletest ] || { echo "bootstrap: /usr/src/googletest is missing" >&2; exit 1; }
echo "bootstrap: done"
