#!/usr/bin/python3
"""Paints the installer's background picture, Brumaria.BMP: a castle above a
sea of mist at dusk, the title in bevelled gold, and the dark panels on which
the installer paints its values, each with its caption.

The installer's window is exactly this picture (640 x 480) and paints over it
at fixed client pixels, so the panel geometry below mirrors those positions.
Output: an uncompressed 8-bit BMP, bottom-up, 256-entry colour table that
holds exact black, white and the progress gold RGB(239,165,0), pixels right
after the colour table (offset 14 + 40 + 1024).

Deterministic: fixed seeds, no clock, same bytes on every run.

    /usr/bin/python3 samplecd/picture/make-picture.py [--preview FILE.png] [--out FILE.BMP]

Needs python3-pil, python3-numpy, fonts-dejavu-core and fonts-liberation.
"""
import argparse
import os
import struct
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(os.path.dirname(HERE), "Brumaria.BMP")

W, H = 640, 480
SS = 4  # supersampling factor for shapes and letters

DEJAVU = "/usr/share/fonts/truetype/dejavu/"
LIBERATION = "/usr/share/fonts/truetype/liberation/"
TITLE_FONT = LIBERATION + "LiberationSerif-Bold.ttf"
CAPTION_FONT = DEJAVU + "DejaVuSans-Bold.ttf"
SMALL_FONT = DEJAVU + "DejaVuSans.ttf"
ARIAL_LIKE = LIBERATION + "LiberationSans-Regular.ttf"  # metrics of Arial

# Colours the installer asks for by value (palette-relative), so the colour
# table must hold them exactly.
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
PROGRESS_GOLD = (239, 165, 0)

# Where the installer paints (client pixels = picture pixels).
DRIVE_PREV = (18, 266, 15, 15)      # owner-drawn arrow buttons
DRIVE_NEXT = (51, 266, 15, 15)
DRIVE_TEXT = (35, 266)              # "C:"
FREE_TEXT = (73, 266)               # "1023.99 Mb libres", redrawn up to x 227
DIR_EDIT = (231, 265, 162, 14)      # white edit control
SIZE_TEXT = (275, 321)              # "12.34 Mb", redrawn in (271,321)-(395,337)
SOUND_BOX = (16, 346, 13, 13)       # check box
SOUND_LABEL = (42, 345)             # "Autodetectar Tarjeta de Sonido"
PROGRESS = (16, 375, 186, 15)       # frame outlined in PROGRESS_GOLD
BUTTONS = ((231, 374, 73, 21, "Instalar"), (323, 374, 73, 21, "Cancelar"))


# ---------------------------------------------------------------- helpers

def font(path, size):
    return ImageFont.truetype(path, size)


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3 - 2 * t)


def lerp(a, b, t):
    """Blends image a toward colour or image b by the alpha array t."""
    t = np.asarray(t, dtype=np.float64)
    if t.ndim == 2:
        t = t[..., None]
    return a + (np.asarray(b, dtype=np.float64) - a) * t


def gradient(y, stops):
    """Colour ramp: stops are (position, (r, g, b)) in ascending order."""
    pos = np.array([s[0] for s in stops])
    cols = np.array([s[1] for s in stops], dtype=np.float64)
    return np.stack([np.interp(y, pos, cols[:, c]) for c in range(3)], axis=-1)


def noise(rng, shape, cells):
    """Smooth value noise in 0..1: a cells-sized random grid resized bicubically."""
    h, w = shape
    ch, cw = cells
    grid = rng.random((ch + 3, cw + 3)).astype(np.float32)
    img = Image.fromarray(grid, mode="F")
    big = img.resize((w * (cw + 3) // cw, h * (ch + 3) // ch), Image.BICUBIC)
    arr = np.asarray(big, dtype=np.float64)
    oy = (arr.shape[0] - h) // 2
    ox = (arr.shape[1] - w) // 2
    return np.clip(arr[oy:oy + h, ox:ox + w], 0.0, 1.0)


def fbm(seed, shape, cells, octaves=5, gain=0.5):
    rng = np.random.default_rng(seed)
    total = np.zeros(shape)
    amp, norm = 1.0, 0.0
    ch, cw = cells
    for _ in range(octaves):
        total += amp * noise(rng, shape, (max(1, ch), max(1, cw)))
        norm += amp
        amp *= gain
        ch, cw = ch * 2, cw * 2
    return total / norm


def fbm1d(seed, n, cells, octaves=6, gain=0.55):
    return fbm(seed, (1, n), (1, cells), octaves, gain)[0]


def shape_mask(draw_fn):
    """Antialiased coverage (0..1) of whatever draw_fn draws in 255 on a
    supersampled canvas; draw_fn gets the ImageDraw and the scale."""
    img = Image.new("L", (W * SS, H * SS), 0)
    draw_fn(ImageDraw.Draw(img), SS)
    return np.asarray(img.reduce(SS), dtype=np.float64) / 255.0


def text_mask(text, fnt, xy, anchor="la"):
    img = Image.new("L", (W, H), 0)
    ImageDraw.Draw(img).text(xy, text, font=fnt, fill=255, anchor=anchor)
    return np.asarray(img, dtype=np.float64) / 255.0


def blur(mask, radius):
    img = Image.fromarray(np.uint8(np.clip(mask, 0, 1) * 255), mode="L")
    return np.asarray(img.filter(ImageFilter.GaussianBlur(radius)), dtype=np.float64) / 255.0


# ---------------------------------------------------------------- landscape

HORIZON = 262


def paint_sky():
    y = np.arange(H, dtype=np.float64)[:, None].repeat(W, axis=1)
    sky = gradient(y / HORIZON, [
        (0.00, (10, 9, 28)),
        (0.30, (32, 24, 60)),
        (0.58, (78, 46, 88)),
        (0.80, (150, 82, 86)),
        (0.95, (206, 128, 84)),
        (1.10, (222, 150, 96)),
    ])
    # Stars, faint, only high up.
    rng = np.random.default_rng(1997)
    for _ in range(140):
        sx, sy = int(rng.integers(0, W)), int(rng.integers(0, 150))
        b = rng.random() * (1.0 - sy / 150.0)
        sky[sy, sx] = lerp(sky[sy, sx], (230, 225, 255), 0.25 + 0.6 * b)
    return sky


MOON = (548, 122, 34)


def paint_moon(img):
    mx, my, r = MOON
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float64)
    d = np.hypot(xx - mx, yy - my)
    glow = np.exp(-np.maximum(d - r, 0) / 70.0)
    img = img + glow[..., None] * np.array([70, 52, 58]) * 0.9
    halo = np.exp(-np.maximum(d - r, 0) / 14.0)
    img = img + halo[..., None] * np.array([60, 55, 50])
    disc = np.clip(r + 0.5 - d, 0, 1)
    maria = fbm(7, (H, W), (6, 8), 4)
    tone = 0.86 + 0.18 * smoothstep(0.35, 0.65, maria)
    moon = np.stack([244 * tone, 236 * tone, 206 * tone], axis=-1)
    return lerp(img, moon, disc)


def paint_clouds(img):
    n = fbm(11, (H, W), (3, 2), 6, 0.55)
    streak = fbm(12, (H, W), (20, 3), 4, 0.5)
    dens = smoothstep(0.50, 0.72, n * 0.75 + streak * 0.35)
    y = np.arange(H, dtype=np.float64)[:, None]
    band = smoothstep(10, 60, y) * (1 - smoothstep(190, 235, y))
    mx, my, _ = MOON
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float64)
    lit = np.exp(-np.hypot(xx - mx, (yy - my) * 1.6) / 110.0)
    warm = smoothstep(80, 220, y)
    col = gradient(warm, [(0, (26, 20, 44)), (1, (92, 52, 70))])
    col = lerp(col, (176, 150, 160), lit * 0.7)
    return lerp(img, col, dens * band * 0.85)


def ridge(seed, base, amp, cells, octaves=6):
    return base - amp * fbm1d(seed, W, cells, octaves)


def paint_layer(img, top, colour_top, colour_bottom, fade=40.0, rim=None):
    """A landmass whose outline is top[x]; colour from its edge downwards."""
    y = np.arange(H, dtype=np.float64)[:, None]
    inside = np.clip(y - top[None, :] + 0.5, 0, 1)
    depth = np.clip((y - top[None, :]) / fade, 0, 1)
    col = gradient(depth, [(0, colour_top), (1, colour_bottom)])
    if rim is not None:
        edge = np.clip(1 - (y - top[None, :]) / 2.5, 0, 1) * inside
        col = lerp(col, rim, edge * 0.6)
    return lerp(img, col, inside)


def paint_mist(img, y0, y1, seed, colour, strength, cells=(6, 3)):
    y = np.arange(H, dtype=np.float64)[:, None]
    n = fbm(seed, (H, W), cells, 5, 0.55)
    band = smoothstep(y0, (y0 + y1) / 2, y) * (1 - smoothstep((y0 + y1) / 2, y1, y))
    a = band * smoothstep(0.30, 0.70, n) * strength
    return lerp(img, colour, a)


def jagged(points, seed, step=3.0, rough=2.2):
    """Points along the polyline every few pixels, pushed sideways at random."""
    rng = np.random.default_rng(seed)
    out = []
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        n = max(1, int(np.hypot(x1 - x0, y1 - y0) / step))
        nx, ny = -(y1 - y0), (x1 - x0)
        norm = np.hypot(nx, ny)
        for i in range(n):
            t = i / n
            j = (rng.random() - 0.5) * 2 * rough
            out.append((x0 + (x1 - x0) * t + nx / norm * j, y0 + (y1 - y0) * t + ny / norm * j))
    out.append(points[-1])
    return out


def castle_shapes(d, s):
    def P(pts):
        d.polygon([(x * s, y * s) for x, y in pts], fill=255)

    def R(x0, y0, x1, y1):
        d.rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=255)

    def merlons(x0, x1, y, w=4, h=4):
        x = x0
        while x + w <= x1:
            R(x, y - h, x + w, y)
            x += 2 * w

    # The crag: a rough outline through these points.
    P(jagged([(404, 480), (418, 420), (432, 372), (446, 336), (458, 300), (470, 276),
              (486, 258), (503, 246), (530, 240), (560, 242), (584, 252), (600, 266),
              (614, 290), (626, 318), (640, 334)], 61) + [(640, 480)])
    # Curtain wall with merlons.
    R(470, 214, 612, 262)
    merlons(470, 612, 214)
    # Keep.
    R(512, 150, 556, 248)
    merlons(512, 556, 150, 5, 5)
    # Tall watchtower with a spire.
    R(478, 122, 498, 250)
    P([(475, 124), (488, 78), (501, 124)])
    R(487, 66, 489, 80)
    # Right tower with a spire.
    R(582, 170, 600, 252)
    P([(579, 172), (591, 136), (603, 172)])
    # Small turret on the keep.
    R(540, 132, 550, 152)
    P([(538, 134), (545, 114), (552, 134)])
    # Left outwork.
    R(452, 244, 474, 282)
    merlons(452, 474, 244, 3, 3)


CASTLE_WINDOWS = [(486, 140, 2, 4), (486, 168, 2, 4), (490, 196, 2, 3),
                  (522, 172, 2, 4), (532, 172, 2, 4), (527, 200, 3, 5),
                  (544, 140, 2, 3), (590, 190, 2, 4), (503, 226, 2, 3),
                  (566, 226, 2, 3), (460, 258, 2, 3)]


def paint_castle(img):
    m = shape_mask(castle_shapes)
    y = np.arange(H, dtype=np.float64)[:, None].repeat(W, axis=1)
    col = gradient(y, [(60, (26, 20, 42)), (260, (20, 16, 32)), (480, (10, 8, 16))])
    rock = fbm(51, (H, W), (30, 12), 4, 0.6)
    crack = fbm(52, (H, W), (6, 40), 3, 0.5)
    on_rock = smoothstep(250, 275, y)  # the crag below the walls
    col = col * (0.85 + on_rock * (0.45 * rock - 0.2) - on_rock * 0.35 *
                 smoothstep(0.55, 0.7, crack))[..., None]
    # Moonlit rim on the outline, strongest near the moon.
    gx = np.zeros_like(m)
    gx[:, 1:] = m[:, :-1] - m[:, 1:]
    gy = np.zeros_like(m)
    gy[1:, :] = m[:-1, :] - m[1:, :]
    rim = np.clip(np.abs(gx) * 0.5 + np.clip(gy, 0, 1) * 0.7, 0, 1)
    mx, my, _ = MOON
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float64)
    near = np.exp(-np.hypot(xx - mx, yy - my) / 90.0)
    col = lerp(col, (120, 96, 120), rim * near)
    img = lerp(img, col, m)
    # Lit windows with a warm glow.
    lit = np.zeros((H, W))
    for x, yw, w, h in CASTLE_WINDOWS:
        lit[yw:yw + h, x:x + w] = 1.0
    glow = blur(lit, 3.0) * 2.2
    img = lerp(img, (255, 150, 60), np.clip(glow, 0, 0.6))
    img = lerp(img, (255, 214, 120), lit)
    return img


def tree(d, s, x, base, height, seed):
    """A bare, crooked tree as thick strokes."""
    rng = np.random.default_rng(seed)

    def branch(x0, y0, ang, length, width, depth):
        x1 = x0 + np.cos(ang) * length
        y1 = y0 - np.sin(ang) * length
        d.line([(x0 * s, y0 * s), (x1 * s, y1 * s)], fill=255, width=max(1, int(width * s)))
        if depth == 0 or length < 4:
            return
        for k in range(2 + int(rng.integers(0, 2))):
            na = ang + (rng.random() - 0.5) * 1.5
            branch(x1, y1, na, length * (0.55 + 0.2 * rng.random()), width * 0.65, depth - 1)

    branch(x, base, np.pi / 2 + (rng.random() - 0.5) * 0.3, height * 0.45, height / 14.0, 5)


def paint_foreground(img):
    # Foreground hills in the lower band, very dark, then mist over their feet.
    hills = ridge(41, 430, 46, 3, 6)
    img = paint_layer(img, hills, (24, 18, 34), (8, 6, 14), 40)

    def trees(d, s):
        tree(d, s, 420, 482, 150, 5)
        tree(d, s, 630, 486, 120, 6)
        tree(d, s, 24, 486, 90, 8)
    m = shape_mask(trees)
    img = lerp(img, (8, 6, 12), m)
    return img


def paint_landscape():
    img = paint_sky()
    img = paint_clouds(img)
    img = paint_moon(img)
    far = ridge(21, HORIZON + 4, 56, 4, 7)
    img = paint_layer(img, far, (108, 74, 110), (136, 98, 124), 30, rim=(200, 140, 120))
    img = paint_mist(img, 220, 300, 31, (196, 150, 150), 0.55, (5, 2))
    mid = ridge(22, 318, 60, 3, 7)
    img = paint_layer(img, mid, (58, 40, 72), (86, 66, 100), 60, rim=(150, 110, 130))
    img = paint_mist(img, 270, 380, 32, (170, 140, 166), 0.65, (6, 3))
    img = paint_castle(img)
    img = paint_mist(img, 320, 430, 33, (150, 128, 158), 0.7, (7, 3))
    y = np.arange(H, dtype=np.float64)[:, None].repeat(W, axis=1)
    img = lerp(img, (120, 104, 136), smoothstep(300, 450, y) * 0.35)
    img = paint_mist(img, 360, 470, 35, (160, 140, 170), 0.6, (4, 2))
    img = paint_foreground(img)
    img = paint_mist(img, 420, 500, 34, (110, 96, 128), 0.55, (8, 4))
    return img


# ---------------------------------------------------------------- title

GOLD_RAMP = [
    (0.00, (255, 246, 196)),
    (0.22, (248, 214, 120)),
    (0.48, (214, 150, 40)),
    (0.52, (130, 72, 14)),
    (0.60, (196, 128, 30)),
    (0.85, (246, 200, 96)),
    (1.00, (255, 232, 150)),
]


def gold_text(img, text, fnt, centre_x, top, glow=True):
    """Bevelled gold letters: dark outline, drop shadow, lit from the upper left."""
    big = ImageFont.truetype(fnt.path, fnt.size * SS)
    canvas = Image.new("L", (W * SS, H * SS), 0)
    dr = ImageDraw.Draw(canvas)
    dr.text((centre_x * SS, top * SS), text, font=big, fill=255, anchor="ma")
    x0, y0, x1, y1 = [v / SS for v in canvas.getbbox()]
    outline_big = canvas.filter(ImageFilter.MaxFilter(2 * SS + 1))
    soft_big = canvas.filter(ImageFilter.GaussianBlur(SS * 1.6))
    mask = np.asarray(canvas.reduce(SS), dtype=np.float64) / 255.0
    outline = np.asarray(outline_big.reduce(SS), dtype=np.float64) / 255.0
    soft = np.asarray(soft_big, dtype=np.float64) / 255.0
    gy, gx = np.gradient(soft)
    light = np.array([-0.6, -0.8])  # from the upper left (x, y)
    shade_big = -(gx * light[0] + gy * light[1]) * SS * 4.0
    shade = np.asarray(Image.fromarray(shade_big.astype(np.float32), mode="F")
                       .resize((W, H), Image.BOX), dtype=np.float64)
    y = np.arange(H, dtype=np.float64)[:, None].repeat(W, axis=1)
    t = (y - y0) / max(1.0, (y1 - y0))
    fill = gradient(t, GOLD_RAMP)
    fill = fill * (1.0 + 0.9 * np.clip(shade, -0.6, 0.6))[..., None]
    fill = lerp(fill, (255, 255, 235), np.clip(shade - 0.35, 0, 1) * 1.4)
    fill = np.clip(fill, 0, 255)
    if glow:
        halo = blur(outline, 6)
        img = lerp(img, (255, 170, 70), halo * 0.22)
    shadow = np.roll(np.roll(blur(outline, 1.5), 3, axis=0), 3, axis=1)
    img = lerp(img, (0, 0, 0), shadow * 0.75)
    img = lerp(img, (44, 22, 4), outline)
    img = lerp(img, fill, mask)
    return img


def paint_title(img):
    title = font(TITLE_FONT, 64)
    img = gold_text(img, "Morvadin", title, 214, 30)
    img = gold_text(img, "Brumaria", title, 226, 100)
    # "DEMO" between two gold rules above the name.
    demo = font(CAPTION_FONT, 13)
    img = gold_text(img, "D E M O", demo, 214, 12, glow=False)
    rules = ((132, 180), (248, 296))

    def rule_edges(d, s):
        for x0, x1 in rules:
            d.rectangle([x0 * s - s, 17 * s, x1 * s + s, 21 * s], fill=255)

    def rule_lines(d, s):
        for x0, x1 in rules:
            d.rectangle([x0 * s, 18 * s, x1 * s, 19 * s + s // 2], fill=255)
    img = lerp(img, (40, 20, 4), shape_mask(rule_edges))
    img = lerp(img, (236, 186, 90), shape_mask(rule_lines))
    return img


# ---------------------------------------------------------------- panels

PANEL_FILL = np.array([14, 12, 24], dtype=np.float64)
WELL_FILL = np.array([6, 5, 12], dtype=np.float64)
FRAME_LIGHT = (214, 168, 90)
FRAME_MID = (150, 104, 44)
FRAME_DARK = (58, 34, 10)
CAPTION = (238, 200, 120)


def darken_panel(img, x0, y0, x1, y1, fill=PANEL_FILL, keep=0.12):
    """Replaces the area by a dark tint keeping a trace of the art behind."""
    region = img[y0:y1, x0:x1]
    img[y0:y1, x0:x1] = fill + region * keep
    return img


def bevel(img, x0, y0, x1, y1, raised=True, width=2):
    """A gold frame, lit from the upper left, around (x0,y0)-(x1,y1) exclusive."""
    hi, lo = (FRAME_LIGHT, FRAME_DARK) if raised else (FRAME_DARK, FRAME_LIGHT)
    for i in range(width):
        a, b, c, d = x0 + i, y0 + i, x1 - 1 - i, y1 - 1 - i
        img[b, a:c + 1] = hi
        img[b:d + 1, a] = hi
        img[d, a:c + 1] = lo
        img[b:d + 1, c] = lo
    return img


def panel(img, x0, y0, x1, y1):
    """Dark stone panel with a black edge, a mid-gold band and a bevel."""
    img = darken_panel(img, x0, y0, x1, y1)
    img[y0, x0:x1] = BLACK
    img[y1 - 1, x0:x1] = BLACK
    img[y0:y1, x0] = BLACK
    img[y0:y1, x1 - 1] = BLACK
    img = bevel(img, x0 + 1, y0 + 1, x1 - 1, y1 - 1, raised=True, width=1)
    for i in (2,):
        img[y0 + i, x0 + i:x1 - i] = FRAME_MID
        img[y1 - 1 - i, x0 + i:x1 - i] = FRAME_MID
        img[y0 + i:y1 - i, x0 + i] = FRAME_MID
        img[y0 + i:y1 - i, x1 - 1 - i] = FRAME_MID
    img = bevel(img, x0 + 3, y0 + 3, x1 - 3, y1 - 3, raised=False, width=1)
    return img


def well(img, x0, y0, x1, y1):
    """A sunken dark field for a painted value."""
    img = darken_panel(img, x0, y0, x1, y1, WELL_FILL, 0.0)
    img[y0, x0:x1] = FRAME_DARK
    img[y0:y1, x0] = FRAME_DARK
    img[y1 - 1, x0:x1] = FRAME_MID
    img[y0:y1, x1 - 1] = FRAME_MID
    return img


def caption(img, text, xy, fnt, anchor="la", colour=CAPTION):
    m = text_mask(text, fnt, xy, anchor)
    sh = np.roll(np.roll(m, 1, axis=0), 1, axis=1)
    img = lerp(img, (0, 0, 0), sh * 0.9)
    return lerp(img, colour, m)


def divider(img, x, y0, y1):
    img[y0:y1, x] = FRAME_DARK
    img[y0:y1, x + 1] = FRAME_MID
    return img


def paint_panels(img):
    cap = font(CAPTION_FONT, 11)
    # Destination: drive on the left, directory on the right.
    img = panel(img, 8, 238, 404, 292)
    img = divider(img, 225, 244, 287)
    img = caption(img, "Unidad de destino", (18, 247), cap)
    img = caption(img, "Directorio de instalación", (231, 247), cap)
    img = well(img, 15, 263, 222, 284)                  # arrows, drive and free space
    img = well(img, 229, 263, 395, 281)                 # around the edit control

    # Sound card and required size; the captions share the baseline of the
    # size text painted at y 321.
    img = panel(img, 8, 308, 404, 416)
    img = caption(img, "Tarjeta de sonido", (18, 323), cap)
    img = caption(img, "Espacio requerido:", (267, 323), cap, anchor="ra")
    img = well(img, 271, 318, 396, 339)                 # required size
    img = well(img, 14, 343, 236, 363)                  # check box and its label

    # Progress, captioned underneath (the sound label sits right above it).
    img = well(img, 13, 372, 205, 393)
    img = caption(img, "Progreso de la instalación", (18, 398), cap)
    return img


def paint_credit(img):
    small = font(SMALL_FONT, 10)
    return caption(img, "© 1997 Quelvar Multimedia", (12, 462), small,
                   colour=(170, 150, 170))


# ---------------------------------------------------------------- output

def quantise(rgb):
    """8-bit picture: 253 colours chosen for the art plus the three exact ones."""
    src = Image.fromarray(np.uint8(np.clip(np.rint(rgb), 0, 255)), mode="RGB")
    fixed = (BLACK, PROGRESS_GOLD, WHITE)
    # Median cut may pick the fixed colours too; ask for more until there are
    # 253 others.
    colours = []
    for n in range(253, 257):
        art = src.quantize(colors=n, method=Image.Quantize.MEDIANCUT, kmeans=2,
                           dither=Image.Dither.NONE)
        pal = art.getpalette()[:n * 3]
        colours = sorted({tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)} - set(fixed))
        if len(colours) >= 253:
            break
    colours = colours[:253] + [BLACK] * (253 - len(colours))
    colours.sort(key=lambda c: (c[0] * 299 + c[1] * 587 + c[2] * 114, c))
    table = [BLACK] + colours + [PROGRESS_GOLD, WHITE]
    flat = [v for c in table for v in c]
    pimg = Image.new("P", (1, 1))
    pimg.putpalette(flat)
    out = src.quantize(palette=pimg, dither=Image.Dither.FLOYDSTEINBERG)
    return out, table


def write_bmp(path, pimg, table):
    w, h = pimg.size
    stride = (w + 3) & ~3
    px = pimg.tobytes()
    rows = b"".join(px[y * w:(y + 1) * w] + b"\0" * (stride - w) for y in range(h - 1, -1, -1))
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in table)
    assert len(colours) == 1024
    offset = 14 + 40 + 1024
    data = (b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) +
            struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(rows), 2835, 2835, 256, 0) +
            colours + rows)
    with open(path, "wb") as f:
        f.write(data)


def check_bmp(path):
    """Reads the file back and checks what the installer relies on."""
    with open(path, "rb") as f:
        data = f.read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, w, h, planes, bits, comp, image_size, _, _, used,
     _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert magic == b"BM" and size == len(data), "file header"
    assert (hsize, w, h, planes, bits, comp) == (40, W, H, 1, 8, 0), "info header"
    assert used in (0, 256) and offset == 14 + 40 + 1024, "colour table"
    assert image_size == W * H and len(data) == offset + W * H, "pixel size"
    table = [tuple(data[54 + 4 * i:57 + 4 * i][::-1]) for i in range(256)]
    return {name: table.index(c) for name, c in
            (("black", BLACK), ("white", WHITE), ("progress gold", PROGRESS_GOLD))}


def paint():
    img = paint_landscape()
    img = paint_title(img)
    img = paint_panels(img)
    img = paint_credit(img)
    return img


# ---------------------------------------------------------------- preview

def sunken_box(d, x, y, w, h):
    d.rectangle([x, y, x + w - 1, y + h - 1], fill=(255, 255, 255))
    d.line([(x, y), (x + w - 1, y)], fill=(128, 128, 128))
    d.line([(x, y), (x, y + h - 1)], fill=(128, 128, 128))
    d.line([(x + 1, y + 1), (x + w - 2, y + 1)], fill=(0, 0, 0))
    d.line([(x + 1, y + 1), (x + 1, y + h - 2)], fill=(0, 0, 0))
    d.line([(x, y + h - 1), (x + w - 1, y + h - 1)], fill=(255, 255, 255))
    d.line([(x + w - 1, y), (x + w - 1, y + h - 1)], fill=(255, 255, 255))


def raised_button(d, x, y, w, h, text=None, fnt=None, arrow=0):
    d.rectangle([x, y, x + w - 1, y + h - 1], fill=(192, 192, 192))
    d.line([(x, y), (x + w - 2, y)], fill=(255, 255, 255))
    d.line([(x, y), (x, y + h - 2)], fill=(255, 255, 255))
    d.line([(x, y + h - 1), (x + w - 1, y + h - 1)], fill=(0, 0, 0))
    d.line([(x + w - 1, y), (x + w - 1, y + h - 1)], fill=(0, 0, 0))
    d.line([(x + 1, y + h - 2), (x + w - 2, y + h - 2)], fill=(128, 128, 128))
    d.line([(x + w - 2, y + 1), (x + w - 2, y + h - 2)], fill=(128, 128, 128))
    if text:
        d.text((x + w // 2, y + h // 2), text, font=fnt, fill=(0, 0, 0), anchor="mm")
    if arrow:
        cx, cy = x + w // 2, y + h // 2
        pts = [(cx - 2, cy - 4), (cx - 2, cy + 4), (cx + 2, cy)] if arrow > 0 else \
              [(cx + 2, cy - 4), (cx + 2, cy + 4), (cx - 2, cy)]
        d.polygon(pts, fill=(0, 0, 0))


def write_preview(path, pimg):
    im = pimg.convert("RGB")
    d = ImageDraw.Draw(im)
    # Arial at a 14-pixel cell height has a 13-pixel em.
    arial = font(ARIAL_LIKE, 13)
    white = (255, 255, 255)
    raised_button(d, *DRIVE_PREV, arrow=-1)
    raised_button(d, *DRIVE_NEXT, arrow=1)
    d.text(DRIVE_TEXT, "C:", font=arial, fill=white)
    d.text(FREE_TEXT, "1023.99 Mb libres", font=arial, fill=white)
    x, y, w, h = DIR_EDIT
    d.rectangle([x, y, x + w - 1, y + h - 1], fill=white)
    d.text((x + 2, y), "DemoMB", font=arial, fill=(0, 0, 0))
    d.text(SIZE_TEXT, "12.34 Mb", font=arial, fill=white)
    sunken_box(d, *SOUND_BOX)
    bx, by = SOUND_BOX[:2]
    d.line([(bx + 3, by + 6), (bx + 5, by + 8), (bx + 9, by + 4)], fill=(0, 0, 0), width=2)
    d.text(SOUND_LABEL, "Autodetectar Tarjeta de Sonido", font=arial, fill=white)
    x, y, w, h = PROGRESS
    d.rectangle([x, y, x + w - 1, y + h - 1], outline=PROGRESS_GOLD)
    bw = (w - 6) // 2
    d.rectangle([x + 3, y + 3, x + 3 + bw - 1, y + h - 4], fill=PROGRESS_GOLD)
    for bx, by, bw, bh, text in BUTTONS:
        raised_button(d, bx, by, bw, bh, text, arial)
    im.save(path)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=DEFAULT_OUT, help="BMP to write (default: %(default)s)")
    ap.add_argument("--preview", help="also write a PNG with sample values painted over")
    args = ap.parse_args()
    pimg, table = quantise(paint())
    write_bmp(args.out, pimg, table)
    indices = check_bmp(args.out)
    print("wrote %s (%s)" % (args.out, ", ".join("%s at %d" % kv for kv in indices.items())))
    if args.preview:
        write_preview(args.preview, pimg)
    return 0


if __name__ == "__main__":
    sys.exit(main())
