#!/usr/bin/python3
"""Draws Escrano.ico, the video setup launcher's icon (group 101: 32 x 32 and
16 x 16, 16 colours), which its Program Manager item "Setup Video" shows: a
monitor whose screen holds the demo's misty tower. Deterministic, byte for
byte."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "art"))
from vga16 import BLACK, CYAN, GREY, NAVY, SILVER, TEAL, WHITE, write_icon  # noqa: E402


def icon_image(size):
    s = size / 32.0
    # Teal marks what is transparent around the monitor.
    p = [[TEAL] * size for _ in range(size)]

    def box(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                p[y][x] = colour

    # Cabinet, its shadowed edges, the stand and the foot.
    box(2, 3, 30, 24, SILVER)
    box(2, 23, 30, 24, GREY)
    box(29, 3, 30, 24, GREY)
    box(2, 3, 30, 4, WHITE)
    box(13, 24, 19, 27, GREY)
    box(8, 27, 24, 30, SILVER)
    box(8, 29, 24, 30, GREY)
    # The screen: night, mist at the bottom, the tower with its battlements.
    box(5, 6, 27, 21, NAVY)
    for y in range(int(17 * s), int(21 * s)):
        for x in range(int(5 * s), int(27 * s)):
            if (x + y) % 3:
                p[y][x] = GREY
    box(14, 10, 18, 21, BLACK)
    for i in range(3):
        box(13 + 2 * i, 8, 14 + 2 * i, 10, BLACK)
    # A lit window of the tower.
    box(15, 12, 17, 14, CYAN)
    # A black outline keeps the monitor apart from a grey desktop.
    inside = [[c != TEAL for c in row] for row in p]
    for y in range(size):
        for x in range(size):
            edge = any(not (0 <= y + dy < size and 0 <= x + dx < size and inside[y + dy][x + dx])
                       for dy, dx in ((-1, 0), (1, 0), (0, -1), (0, 1)))
            if inside[y][x] and edge:
                p[y][x] = BLACK
    return p


def main():
    write_icon(os.path.join(HERE, "Escrano.ico"), icon_image, transparent=TEAL)


if __name__ == "__main__":
    main()
