#!/usr/bin/python3
"""Draws Audsetup.ico, the audio setup program's icon (group 101: 32 x 32
and 16 x 16, 16 colours), which its "Setup Audio" item shows: a loudspeaker
sending three sound waves, on teal. Deterministic, byte for byte."""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "art"))
from vga16 import BLACK, GREY, SILVER, TEAL, WHITE, YELLOW, write_icon  # noqa: E402


def icon_image(size):
    s = size / 32.0
    p = [[TEAL] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            cx, cy = x + 0.5, y + 0.5
            # The magnet: a box on the left.
            if 4 * s <= cx < 10 * s and 12 * s <= cy < 20 * s:
                p[y][x] = GREY
            # The cone: widening to the right.
            if 10 * s <= cx < 17 * s and abs(cy - 16 * s) < 4 * s + (cx - 10 * s):
                p[y][x] = SILVER
            # Three arcs around the cone's mouth.
            r = math.hypot(cx - 14 * s, cy - 16 * s)
            angle = abs(math.atan2(cy - 16 * s, cx - 14 * s))
            for radius in (7, 11, 15):
                if abs(r - radius * s) < max(0.75, 1.1 * s) and angle < 0.8 and cx > 17 * s:
                    p[y][x] = YELLOW
    # Outline of box and cone in black for contrast.
    out = [row[:] for row in p]
    for y in range(size):
        for x in range(size):
            if p[y][x] in (GREY, SILVER):
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if 0 <= nx < size and 0 <= ny < size and p[ny][nx] == TEAL:
                        out[ny][nx] = BLACK
    # A highlight on the cone.
    for x in range(int(11 * s), int(15 * s)):
        y = int(13 * s)
        if out[y][x] == SILVER:
            out[y][x] = WHITE
    return out


def main():
    write_icon(os.path.join(HERE, "Audsetup.ico"), icon_image)


if __name__ == "__main__":
    main()
