"""16-colour pictures as Windows 95 shows them: the VGA palette, 4-bit
bitmaps and icons. The art scripts of the programs draw with it; their output
is deterministic, byte for byte."""
import struct

# The standard 16-colour VGA palette, (r, g, b).
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARKRED, DARKGREEN, DARKYELLOW, NAVY, PURPLE, TEAL, SILVER, GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(16)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)


def rows_4bpp(pixels, width):
    """Bottom-up rows of 4-bit pixels padded to 4 bytes."""
    stride = ((width * 4 + 31) // 32) * 4
    out = b""
    for row in reversed(pixels):
        packed = bytes((row[x] << 4) | (row[x + 1] if x + 1 < width else 0) for x in range(0, width, 2))
        out += packed + b"\0" * (stride - len(packed))
    return out


def bmp_4bpp(pixels):
    width, height = len(pixels[0]), len(pixels)
    data = rows_4bpp(pixels, width)
    offset = 14 + 40 + 64
    return (b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 0, 0, 16, 0) +
            palette_bytes() + data)


def mask_rows(pixels, transparent):
    """Bottom-up rows of the AND mask: 1 where the desktop shows through."""
    size = len(pixels)
    stride = ((size + 31) // 32) * 4
    out = b""
    for row in reversed(pixels):
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (1 if row[x] == transparent else 0)
        bits <<= stride * 8 - size
        out += bits.to_bytes(stride, "big")
    return out


def ico(images, transparent=None):
    """An icon file of square 16-colour images; pixels of the colour
    transparent (none by default) let the desktop show through."""
    header = struct.pack("<HHH", 0, 1, len(images))
    bodies = b""
    entries = b""
    offset = 6 + 16 * len(images)
    for pixels in images:
        size = len(pixels)
        mask = mask_rows(pixels, transparent)
        # Transparent pixels are black in the colour image: the mask lets the
        # background through and the XOR with 0 leaves it as it is.
        pixels = [[0 if c == transparent else c for c in row] for row in pixels]
        body = (struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, 0, 0, 0, 16, 0) +
                palette_bytes() + rows_4bpp(pixels, size) + mask)
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(body), offset + len(bodies))
        bodies += body
    return header + entries + bodies


def write_icon(path, draw, transparent=None):
    """Writes the icon file at path with draw(size)'s 32 x 32 and 16 x 16
    images, as a program's icon group 101 holds them."""
    with open(path, "wb") as f:
        f.write(ico([draw(32), draw(16)], transparent))
    print("wrote", path)
