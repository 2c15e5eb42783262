#!/usr/bin/env python3
"""Draws the installer's pictures: the side-band bitmap of the wizard pages
and the icons. Everything is computed from fixed numbers, so running it again
gives the same bytes.

    scripts/make_res_images.py        writes res/sidebar.bmp, res/program.ico,
                                      res/page.ico and sample/src/tremlok.ico
"""
import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

SIDEBAR_W, SIDEBAR_H = 118, 258

# --- the side band: a mountain range at dusk, 64 palette entries ---------

SKY0, SKY_N = 0, 40
SUN0 = 40          # 3 shades, outside in
STAR = 43
FAR0 = 44          # far range: shade, lit, snow shade, snow lit
MID0 = 48          # middle range: same order
NEAR0 = 52         # foreground: 8 shades, top to bottom
GLOW0 = 60         # haze over the horizon: 4 shades


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def ramp(stops, n):
    """n colours along a piecewise linear ramp of (position, colour) stops."""
    out = []
    for k in range(n):
        t = k / (n - 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                out.append(lerp(c0, c1, (t - p0) / (p1 - p0)))
                break
    return out


def sidebar_palette():
    pal = ramp([(0.0, (10, 14, 48)), (0.45, (52, 42, 110)), (0.75, (168, 82, 120)),
                (1.0, (250, 170, 96))], SKY_N)
    pal += [(255, 196, 92), (255, 224, 140), (255, 248, 214)]
    pal += [(236, 236, 255)]
    pal += [(84, 62, 120), (122, 86, 138), (176, 170, 214), (238, 222, 236)]
    pal += [(46, 36, 84), (82, 56, 104), (150, 146, 196), (214, 200, 222)]
    pal += ramp([(0.0, (34, 26, 60)), (1.0, (6, 6, 16))], 8)
    pal += ramp([(0.0, (200, 110, 118)), (1.0, (242, 160, 110))], 4)
    assert len(pal) == 64
    return pal


class Lcg:
    """A small fixed generator, so the picture never depends on a library."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state >> 8

    def unit(self):
        return self.next() / float(1 << 24)


def ridge(width, peaks, seed):
    """Crest heights of a range of peaks, each (x, top y, steepness), with a
    little roughness. Returns the crest y per column and, per column, whether
    the slope there faces the sun on the right."""
    rng = Lcg(seed)
    jitter = [0.0] * width
    level = 0.0
    for x in range(width):
        level = level * 0.6 + (rng.unit() - 0.5) * 2.2
        jitter[x] = level
    crest, lit = [], []
    for x in range(width):
        best, facing = None, False
        for px, py, slope in peaks:
            y = py + slope * abs(x - px)
            if best is None or y < best:
                best, facing = y, x >= px
        crest.append(best + jitter[x])
        lit.append(facing)
    return crest, lit


BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def dithered(base, count, t, x, y):
    """Index into a ramp of count entries at position t (0..1), dithered."""
    f = max(0.0, min(1.0, t)) * (count - 1)
    i = int(f)
    if i < count - 1 and (f - i) * 16 > BAYER[y & 3][x & 3]:
        i += 1
    return base + i


def mountain_pixel(range_, base, x, y, snow_line):
    crest, lit = range_
    snowy = crest[x] < snow_line and y < snow_line + (crest[x] - snow_line) * 0.25
    return base + (2 if snowy else 0) + (1 if lit[x] else 0)


def draw_sidebar():
    w, h = SIDEBAR_W, SIDEBAR_H
    horizon = 170
    sun_x, sun_y, sun_r = 80, 132, 14
    far = ridge(w, [(-6, 112, 0.9), (34, 138, 0.8), (102, 122, 1.0)], 7)
    mid = ridge(w, [(12, 150, 0.7), (60, 128, 1.1), (118, 162, 0.6)], 23)
    near, _ = ridge(w, [(-20, 196, 0.35), (96, 214, 0.3)], 41)
    stars = set()
    rng = Lcg(1999)
    for _ in range(34):
        stars.add((rng.next() % w, rng.next() % 110))
    pix = [[0] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if y >= near[x]:
                pix[y][x] = dithered(NEAR0, 8, (y - near[x]) / 60.0, x, y)
            elif y >= mid[0][x]:
                pix[y][x] = mountain_pixel(mid, MID0, x, y, 146)
            elif y >= far[0][x]:
                pix[y][x] = mountain_pixel(far, FAR0, x, y, 132)
            else:
                d = math.hypot(x - sun_x, y - sun_y)
                if d <= sun_r:
                    pix[y][x] = SUN0 + (2 if d < sun_r * 0.55 else 1 if d < sun_r * 0.85 else 0)
                elif d < sun_r + 14:
                    pix[y][x] = dithered(GLOW0, 4, 1 - (d - sun_r) / 14.0, x, y)
                elif (x, y) in stars:
                    pix[y][x] = STAR
                else:
                    pix[y][x] = dithered(SKY0, SKY_N, y / float(horizon), x, y)
    return pix


def bmp_bytes(pix, pal):
    h, w = len(pix), len(pix[0])
    stride = (w + 3) & ~3
    bits = b"".join(bytes(pix[y]) + b"\0" * (stride - w) for y in range(h - 1, -1, -1))
    palette = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in pal)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(bits), 2835, 2835,
                       len(pal), len(pal))
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return head + info + palette + bits


# --- icons: 16 colours, 32x32 and 16x16 ----------------------------------

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, GREEN, NAVY, PURPLE, SILVER, GREY = 0, 2, 4, 5, 7, 8
LIME, YELLOW, BLUE, CYAN, WHITE = 10, 11, 12, 14, 15
CLEAR = None


def emblem(u, v):
    """The Tremlok badge at unit coordinates: a snowy peak against the sky."""
    d = math.hypot(u - 0.5, v - 0.5)
    if d > 0.49:
        return CLEAR
    if d > 0.43:
        return NAVY
    peak_u, peak_v, foot = 0.38, 0.17, 0.78
    spread = (v - peak_v) * 0.62
    if v >= foot:
        return GREEN
    if peak_v <= v and abs(u - peak_u) <= spread:
        snow = v < 0.36
        if u >= peak_u:
            return WHITE if snow else GREY
        return SILVER if snow else PURPLE
    if abs(u - 0.76) <= (v - 0.44) * 0.8:
        return SILVER if u >= 0.76 else GREY
    if math.hypot(u - 0.72, v - 0.28) < 0.11:
        return YELLOW
    return BLUE if v < 0.56 else CYAN


def installer_emblem(u, v):
    """The badge with a down arrow in its lower right: the setup program."""
    au, av = u - 0.74, v - 0.70
    inside_shaft = abs(au) <= 0.08 and -0.26 <= av <= 0.02
    inside_head = 0.0 <= av <= 0.25 and abs(au) <= 0.24 - av
    if inside_shaft or inside_head:
        return LIME
    edge = 0.05
    if ((abs(au) <= 0.08 + edge and -0.26 - edge <= av <= 0.02)
            or (-edge <= av <= 0.25 + edge and abs(au) <= 0.24 - av + edge * 1.6)):
        return BLACK
    return emblem(u, v)


def icon_image(shape, size):
    pix = []
    for y in range(size):
        row = []
        for x in range(size):
            row.append(shape((x + 0.5) / size, (y + 0.5) / size))
        pix.append(row)
    return pix


def icon_dib(pix):
    size = len(pix)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in range(size - 1, -1, -1):
        row = pix[y]
        nib = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is CLEAR:
                mask[x // 8] |= 0x80 >> (x % 8)
                c = 0
            nib[x // 2] |= c << (0 if x % 2 else 4)
        xor_rows.append(bytes(nib))
        and_rows.append(bytes(mask))
    bits = b"".join(xor_rows) + b"".join(and_rows)
    palette = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(bits), 0, 0, 0, 0)
    return info + palette + bits


def ico_bytes(shape):
    images = [icon_dib(icon_image(shape, s)) for s in (32, 16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", s, s, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def write(path, data):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)
    print("wrote", path, len(data), "bytes")


def main():
    write("res/sidebar.bmp", bmp_bytes(draw_sidebar(), sidebar_palette()))
    write("res/program.ico", ico_bytes(installer_emblem))
    write("res/page.ico", ico_bytes(emblem))
    write("sample/src/tremlok.ico", ico_bytes(emblem))
    return 0


if __name__ == "__main__":
    sys.exit(main())
