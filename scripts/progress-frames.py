#!/usr/bin/python3
"""How full the install window's progress bar is in each frame of a recording.

    progress-frames.py BEFORE AFTER FRAME...

BEFORE is a picture of the window before the install run, AFTER one taken
when it is over (its bar full). The bar is painted in RGB 239, 165, 0: the
pixels of that colour in AFTER that are not in BEFORE are the bar's area,
and a frame's fill is the share of that area it has painted. Prints one line
per frame: the per cent filled and the frame's name.
"""
import sys

import numpy as np
from PIL import Image

BAR = (239, 165, 0)


def bar_pixels(path):
    rgb = np.asarray(Image.open(path).convert("RGB"))
    return (rgb[:, :, 0] == BAR[0]) & (rgb[:, :, 1] == BAR[1]) & (rgb[:, :, 2] == BAR[2])


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    before, after = bar_pixels(sys.argv[1]), bar_pixels(sys.argv[2])
    if before.shape != after.shape:
        sys.exit("progress-frames.py: BEFORE and AFTER differ in size")
    area = after & ~before
    if not area.any():
        sys.exit("progress-frames.py: AFTER shows no more bar than BEFORE")
    for path in sys.argv[3:]:
        frame = bar_pixels(path)
        filled = (frame & area).sum() * 100.0 / area.sum() if frame.shape == area.shape else 0.0
        print("%5.1f %s" % (filled, path))


if __name__ == "__main__":
    main()
