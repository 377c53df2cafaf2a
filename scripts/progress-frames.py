#!/usr/bin/python3
"""How full the install window's progress bar is in pictures of the window.

    progress-frames.py [--check] FRAME...

The bar is control 1003 (16, 375; 186 x 15 in the client area) shrunk by
three pixels on every side, painted in RGB 239, 165, 0. The window has a
border of the same width on every side and no caption, so the client area
starts (width - 640) / 2 pixels in. Prints one line per frame: the per cent
of the bar painted, and the frame's name.

With --check the frames are one installation in order: the painted part must
be a block from the bar's left edge, full height, in every frame; it must
never shrink; and in the last frame the whole bar is painted. Exit status 1
when not.
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
    args = sys.argv[1:]
    check = bool(args) and args[0] == "--check"
    frames = args[1:] if check else args
    if not frames:
        sys.exit(__doc__)
    widths = []
    for path in frames:
        width = fill(path)
        if width is None:
            print("%s: the bar's painted part is not a block from its left edge" % path)
            return 1
        widths.append(width)
        print("%5.1f %s" % (width * 100.0 / WIDTH, path))
    if check:
        if any(b < a for a, b in zip(widths, widths[1:])):
            print("the bar shrank between frames")
            return 1
        if widths[-1] != WIDTH:
            print("the bar is not full at the end")
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
