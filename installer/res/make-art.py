#!/usr/bin/python3
"""Draws the installer's small resources, 16-colour as Windows 95 shows them:
Zelmot.ico (icon 128: 32 x 32 and 16 x 16) and the drive buttons
PrevDrive.bmp (bitmap 131) and NextDrive.bmp (bitmap 130), each 16 x 48 with
three 16 x 16 states stacked from the top: normal, focused, pressed.
Deterministic: run it again and the files come out byte for byte the same."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "art"))
from vga16 import BLACK, DARKYELLOW, GREY, NAVY, PURPLE, SILVER, WHITE, YELLOW, bmp_4bpp, ico  # noqa: E402

def button(arrow_left, state):
    """One 16 x 16 arrow button; state 0 normal, 1 focused, 2 pressed."""
    p = [[SILVER] * 16 for _ in range(16)]
    light, dark = (GREY, WHITE) if state == 2 else (WHITE, GREY)
    for i in range(16):
        p[0][i] = p[i][0] = light
        p[15][i] = p[i][15] = BLACK
        if i < 15:
            p[14][i] = p[i][14] = dark
    p[15][15] = BLACK
    if state == 1:  # focus: a gold ring inside the bevel
        for i in range(2, 13):
            p[2][i] = p[12][i] = p[i][2] = p[i][12] = DARKYELLOW
    shift = 1 if state == 2 else 0
    for k in range(4):  # a solid triangle, 4 columns wide, 7 rows high
        x = (5 + k if arrow_left else 10 - k) + shift
        for y in range(7 - k, 8 + k):
            p[y + shift][x] = BLACK
    return p


def drive_bitmap(arrow_left):
    rows = []
    for state in range(3):
        rows += button(arrow_left, state)
    return bmp_4bpp(rows)


def icon_image(size):
    """A misty tower under a moon on navy."""
    s = size / 32.0
    p = [[NAVY] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            dx, dy = x - 22 * s, y - 9 * s
            if dx * dx + dy * dy <= (6 * s) ** 2:
                p[y][x] = YELLOW if dx * dx + dy * dy <= (4.5 * s) ** 2 else WHITE
            if y >= 25 * s:
                p[y][x] = PURPLE if (x + y) % 3 else GREY
            if 9 * s <= x < 16 * s and y >= 11 * s:
                p[y][x] = BLACK
            if 7 * s <= x < 18 * s and 9 * s <= y < 12 * s and int((x - 7 * s) / (2 * s)) % 2 == 0:
                p[y][x] = BLACK
            if 11 * s <= x < 14 * s and 15 * s <= y < 18 * s:
                p[y][x] = YELLOW
    return p


def main():
    outputs = {
        "Zelmot.ico": ico([icon_image(32), icon_image(16)]),
        "PrevDrive.bmp": drive_bitmap(True),
        "NextDrive.bmp": drive_bitmap(False),
    }
    for name, data in outputs.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
        print("wrote", name, len(data), "bytes")


if __name__ == "__main__":
    main()
