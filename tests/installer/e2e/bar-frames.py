#!/usr/bin/python3
"""Checks the install window's progress bar in recorded frames.

    bar-frames.py FRAME...

The bar is control 1003 of the window (16, 375; 186 x 15 in the client area)
shrunk by three pixels on every side, painted in RGB 239, 165, 0. In every
frame the painted part must be a block from the bar's left edge, full height;
it must never shrink from one frame to the next; in the last frame the whole
bar is painted. The window has a border of the same width on every side and
no caption, so the client area starts (width - 640) / 2 pixels in.
"""
import sys

import numpy as np
from PIL import Image

BAR = (239, 165, 0)
LEFT, TOP, WIDTH, HEIGHT = 16 + 3, 375 + 3, 186 - 6, 15 - 6
CLIENT_WIDTH = 640


def fill(path):
    """Painted columns of the bar from its left edge; None when not a block."""
    rgb = np.asarray(Image.open(path).convert("RGB"))
    border = (rgb.shape[1] - CLIENT_WIDTH) // 2
    area = rgb[border + TOP:border + TOP + HEIGHT, border + LEFT:border + LEFT + WIDTH]
    painted = (area[:, :, 0] == BAR[0]) & (area[:, :, 1] == BAR[1]) & (area[:, :, 2] == BAR[2])
    columns = painted.all(axis=0)
    width = int(np.argmin(columns)) if not columns.all() else WIDTH
    if painted[:, width:].any():
        return None
    return width


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    widths = []
    for path in sys.argv[1:]:
        width = fill(path)
        if width is None:
            print("%s: the bar's painted part is not a block from its left edge" % path)
            return 1
        widths.append(width)
    print("bar widths:", " ".join(map(str, widths)), "of", WIDTH)
    if any(b < a for a, b in zip(widths, widths[1:])):
        print("the bar shrank between frames")
        return 1
    if widths[-1] != WIDTH:
        print("the bar is not full at the end")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
