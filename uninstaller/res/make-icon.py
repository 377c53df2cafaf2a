#!/usr/bin/python3
"""Draws Dexal.ico, the uninstaller's icon (group 101: 32 x 32 and 16 x 16,
16 colours), which its Program Manager item shows: the demo's misty tower
on navy, crossed out in red. Deterministic, byte for byte."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "art"))
from vga16 import BLACK, GREY, NAVY, PURPLE, RED, write_icon  # noqa: E402


def icon_image(size):
    s = size / 32.0
    p = [[NAVY] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if y >= 25 * s:
                p[y][x] = PURPLE if (x + y) % 3 else GREY
            if 12 * s <= x < 20 * s and y >= 10 * s:
                p[y][x] = BLACK
            if 10 * s <= x < 22 * s and 7 * s <= y < 10 * s and int((x - 10 * s) / (2 * s)) % 2 == 0:
                p[y][x] = BLACK
            # The cross: two strokes three pixels wide at 32 x 32.
            for d in (x - y, x + y - (size - 1)):
                if abs(d) <= max(1, 1.5 * s) and 3 * s <= x < size - 3 * s:
                    p[y][x] = RED
    return p


def main():
    write_icon(os.path.join(HERE, "Dexal.ico"), icon_image)


if __name__ == "__main__":
    main()
