# shellcheck shell=bash
# Which Wine loader starts the project's Windows processes (sourced).
#
# Debian's wine script takes the 32-bit loader whenever wine32 is installed,
# so that reg, sc and wineboot then run on the 32-bit side of the prefix. The
# 64-bit loader starts 64-bit programs itself and hands 32-bit ones to the
# 32-bit loader (WINELOADER without its "64"), so every process goes through
# it: the same prefix serves both builds, with wine32 installed or not.

if [ -x /usr/lib/wine/wine64 ]; then
    wine_loader=/usr/lib/wine/wine64
else
    wine_loader=$(command -v wine || echo wine)
fi

wine() {
    WINELOADER=$wine_loader "$wine_loader" "$@"
}
