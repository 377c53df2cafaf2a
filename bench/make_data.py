#!/usr/bin/env python3
"""Writes a reproducible set of files into DIR.

    make_data.py DIR [game|text]

game (the default) is a mix of game-like files, about 30 MB; text is about
20 MB of text files only (the texto/ kinds below, plus tables), which packs
into long runs of short matches.

The same seed gives the same bytes on every run, except for the executables,
which are copied from this machine (ELF programs and MinGW DLLs, cut to a
size cap) and so depend on what is installed.

    graficos/  8-bit BMP pictures: smooth gradients, tiled maps, noisy skies,
               sprite sheets on a flat background
    sonido/    8-bit mono PCM WAV at 22050 Hz: tones, noise, silence, mixes
    texto/     Spanish-like prose, dialogue scripts and configuration lists
    prog/      real executables and libraries
    datos/     incompressible (random) blocks
"""
import glob
import math
import os
import random
import struct
import sys

SEED = 19950824


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# --- pictures -----------------------------------------------------------

def bmp(width, height, rows, palette):
    """8-bit BMP, bottom-up; rows yields each row's width bytes, top row first."""
    stride = (width + 3) & ~3
    pad = bytes(stride - width)
    body = b"".join(bytes(row) + pad for row in reversed(list(rows)))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(body), 2835, 2835, 256, 0)
    return head + info + pal + body


def ramp_palette(r):
    a = [r.randrange(256) for _ in range(3)]
    b = [r.randrange(256) for _ in range(3)]
    return [tuple(a[c] + (b[c] - a[c]) * i // 255 for c in range(3)) for i in range(256)]


def gradient(r, w, h):
    fx, fy = r.uniform(0.1, 0.5), r.uniform(0.1, 0.5)
    for y in range(h):
        base = y * fy
        yield [int(base + x * fx) & 255 for x in range(w)]


def noisy_sky(r, w, h):
    for y in range(h):
        level = 40 + y * 180 // h
        noise = r.randbytes(w)
        yield [min(255, level + (n & 7)) for n in noise]


def tiled_map(r, w, h):
    tiles = [[bytes(r.randrange(256) for _ in range(16)) if r.random() < 0.3
              else bytes([r.randrange(256)] * 8 + [r.randrange(256)] * 8)
              for _ in range(16)] for _ in range(12)]
    grid = [[r.randrange(len(tiles)) for _ in range(w // 16 + 1)] for _ in range(h // 16 + 1)]
    for y in range(h):
        row = b"".join(tiles[t][y % 16] for t in grid[y // 16])
        yield row[:w]


def sprite_sheet(r, w, h):
    rows = [bytearray(w) for _ in range(h)]
    for _ in range(60):
        cx, cy, rad = r.randrange(w), r.randrange(h), r.randrange(6, 30)
        color = r.randrange(1, 256)
        for y in range(max(0, cy - rad), min(h, cy + rad)):
            half = int(math.sqrt(rad * rad - (y - cy) ** 2))
            for x in range(max(0, cx - half), min(w, cx + half)):
                rows[y][x] = (color + (x - cx) // 4) & 255
    return rows


def pictures(r, out):
    kinds = [gradient, noisy_sky, tiled_map, sprite_sheet]
    sizes = [(640, 480), (800, 600), (320, 200), (640, 400)]
    for i in range(36):
        w, h = sizes[i % len(sizes)]
        kind = kinds[i % len(kinds)]
        write(os.path.join(out, "graficos", "pic%02d_%s.bmp" % (i, kind.__name__)),
              bmp(w, h, kind(r, w, h), ramp_palette(r)))


# --- sound --------------------------------------------------------------

RATE = 22050


def wav(samples):
    data = bytes(samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE, 1, 8)
    return (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<I", 16) + fmt +
            b"data" + struct.pack("<I", len(data)) + data)


def tone(r, n):
    freqs = [r.choice([110, 220, 330, 440, 523, 659, 880]) for _ in range(3)]
    out = bytearray(n)
    for i in range(n):
        env = min(1.0, i / 2000) * max(0.0, 1 - i / n)
        s = sum(math.sin(2 * math.pi * f * i / RATE) for f in freqs) / 3
        out[i] = 128 + int(100 * env * s)
    return out


def noise(r, n):
    return bytes(128 + (b - 128) * (n - i) // n // 2 for i, b in enumerate(r.randbytes(n)))


def silence(r, n):
    return bytes([128]) * n


def sounds(r, out):
    parts = [tone, noise, silence]
    for i in range(12):
        n = r.randrange(RATE * 10, RATE * 40)
        samples = bytearray()
        while len(samples) < n:
            samples += r.choice(parts)(r, min(n - len(samples), r.randrange(RATE // 4, RATE * 3)))
        write(os.path.join(out, "sonido", "snd%02d.wav" % i), wav(samples))


# --- text ---------------------------------------------------------------

WORDS = ("el la los las de del que y a en un una por con para como pero más muy sin sobre "
         "entre hasta desde cuando donde mientras también siempre nunca ahora después antes "
         "castillo dragón espada escudo mago bruja caballero princesa reino aldea bosque "
         "montaña río puente torre mazmorra tesoro llave puerta camino noche día sol luna "
         "fuego agua tierra viento sombra luz oro plata hierro poción hechizo batalla "
         "enemigo amigo viajero posada mercader guardia rey reina capitán soldado "
         "caminar correr luchar buscar encontrar abrir cerrar hablar decir mirar volver "
         "grande pequeño oscuro antiguo nuevo viejo valiente extraño peligroso").split()


def sentence(r):
    words = [r.choice(WORDS) for _ in range(r.randrange(4, 16))]
    words[0] = words[0].capitalize()
    return " ".join(words) + r.choice([".", ".", ".", "?", "!", "..."])


def prose(r, size):
    out = []
    n = 0
    while n < size:
        para = " ".join(sentence(r) for _ in range(r.randrange(2, 8))) + "\r\n\r\n"
        out.append(para)
        n += len(para)
    return "".join(out)


def script(r, size):
    names = ["BRUMARIA", "MORVADIN", "GUARDIA", "MERCADER", "NARRADOR"]
    out = []
    n = 0
    while n < size:
        line = "%s: %s\r\n" % (r.choice(names), sentence(r))
        if r.random() < 0.1:
            line = "[ESCENA %d]\r\n" % r.randrange(1, 99)
        out.append(line)
        n += len(line)
    return "".join(out)


def config(r, size):
    out = []
    n = 0
    while n < size:
        line = "objeto%04d=%d,%d,%d ; %s\r\n" % (r.randrange(10000), r.randrange(640), r.randrange(480),
                                               r.randrange(16), r.choice(WORDS))
        out.append(line)
        n += len(line)
    return "".join(out)


def texts(r, out):
    makers = [prose, script, config]
    for i in range(15):
        text = makers[i % 3](r, r.randrange(150000, 400000))
        write(os.path.join(out, "texto", "txt%02d_%s.txt" % (i, makers[i % 3].__name__)),
              text.encode("cp1252"))


# --- executables and random data ----------------------------------------

# ELF and PE files by turns; the first match of each pattern is taken.
PROGRAM_PATTERNS = [
    "/usr/bin/bash", "/usr/lib/gcc/x86_64-w64-mingw32/*/libgomp-1.dll",
    "/usr/bin/perl", "/usr/lib/gcc/x86_64-w64-mingw32/*/libstdc++-6.dll",
    "/usr/bin/gdb", "/usr/lib/gcc/i686-w64-mingw32/*/libstdc++-6.dll",
    "/usr/bin/cmake", "/usr/bin/make", "/usr/bin/tar",
]
PROGRAM_CAP = 1200000
PROGRAM_TOTAL = 6500000


def programs(out):
    total = 0
    for pattern in PROGRAM_PATTERNS:
        for path in sorted(glob.glob(pattern))[:1]:
            if total >= PROGRAM_TOTAL:
                return
            with open(path, "rb") as f:
                data = f.read(PROGRAM_CAP)
            name = path.strip("/").replace("/", "_").replace("*", "")
            write(os.path.join(out, "prog", name[-40:]), data)
            total += len(data)


def incompressible(r, out):
    for i in range(6):
        write(os.path.join(out, "datos", "blob%02d.dat" % i), r.randbytes(r.randrange(300000, 700000)))


def table(r, size):
    out = ["codigo;nombre;precio;cantidad;zona\r\n"]
    n = 0
    while n < size:
        line = "%06d;%s %s;%d.%02d;%d;%s\r\n" % (r.randrange(1000000), r.choice(WORDS), r.choice(WORDS),
                                              r.randrange(500), r.randrange(100), r.randrange(1, 999),
                                              r.choice(WORDS).upper())
        out.append(line)
        n += len(line)
    return "".join(out)


def text_set(r, out):
    makers = [prose, script, config, table]
    total, i = 0, 0
    while total < TEXT_TOTAL:
        maker = makers[i % len(makers)]
        text = maker(r, r.randrange(200000, 600000)).encode("cp1252")
        write(os.path.join(out, "texto", "doc%03d_%s.txt" % (i, maker.__name__)), text)
        total += len(text)
        i += 1


TEXT_TOTAL = 20000000


def main():
    if len(sys.argv) not in (2, 3) or sys.argv[2:] not in ([], ["game"], ["text"]):
        sys.exit("usage: make_data.py DIR [game|text]")
    out = sys.argv[1]
    r = random.Random(SEED)
    if sys.argv[2:] == ["text"]:
        text_set(r, out)
        return
    pictures(r, out)
    sounds(r, out)
    texts(r, out)
    incompressible(r, out)
    programs(out)


if __name__ == "__main__":
    main()
