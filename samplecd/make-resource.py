#!/usr/bin/env python3
"""Writes the sample CD's resource files (game data stand-ins) into resource/.
The build packs them into the CD's Resource.lzh (tools/master/master.sh).
Deterministic: the same bytes every time."""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SRC = os.path.join(HERE, "resource")


def bmp8(width, height, pixel):
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in
                       ((i, i // 2, 255 - i) for i in range(256)))
    stride = (width + 3) & ~3
    rows = b"".join(bytes(pixel(x, y) for x in range(width)) + b"\0" * (stride - width)
                    for y in range(height))
    offset = 14 + 40 + len(palette)
    return (b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0) +
            palette + rows)


def wav8(seconds, rate, sample):
    data = bytes(sample(i / rate) for i in range(int(seconds * rate)))
    return (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, 1, rate, rate, 1, 8) + b"data" +
            struct.pack("<I", len(data)) + data)


FILES = {
    "GRAFICOS/TITULO.BMP": lambda: bmp8(128, 96, lambda x, y: (x + 2 * y) & 0xFF),
    "GRAFICOS/LOSETAS.BMP": lambda: bmp8(64, 64, lambda x, y: 40 if (x // 8 + y // 8) % 2 else 200),
    "SONIDO/CAMPANA.WAV": lambda: wav8(0.5, 11025, lambda t: int(128 + 100 * math.exp(-4 * t) *
                                                                 math.sin(2 * math.pi * 880 * t))),
    "DATOS/NIVEL1.MAP": lambda: "".join(
        "".join("#" if (x * 7 + y * 3) % 11 == 0 else "." for x in range(40)) + "\r\n"
        for y in range(25)).encode("cp1252"),
    "DATOS/VACIO.DAT": lambda: b"",
    "LEEME.TXT": lambda: ("Demo Morvadin Brumaria\r\n\r\nDatos de la demostración: gráficos, "
                          "sonido y niveles.\r\nPulse ESC para volver al menú.\r\n").encode("cp1252"),
}


def main():
    for name, make in FILES.items():
        path = os.path.join(SRC, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(make())
    print("wrote", SRC)


if __name__ == "__main__":
    sys.exit(main())
