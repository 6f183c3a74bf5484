#!/usr/bin/env python3
"""Draws Orvanta's icons and writes them as Windows .ico files.

    python3 tools/make_icons.py OUTDIR             writes app.ico and the toolbar icons
    python3 tools/make_icons.py --preview OUT.png  writes a sheet for inspecting them

Every icon is built from a few geometric shapes, rasterised with
supersampling for anti-aliased edges and stored as 32-bit BGRA images
(with the classic 1-bit AND mask) inside a standard ICO container.
Each file holds the icon drawn afresh at every size it is shown at, so
that no scale of the display gets a picture stretched by the system: the
program icon at 16, 20, 24, 32, 48 and 64 pixels, the toolbar icons at
20, 25, 30 and 40 pixels (100, 125, 150 and 200 %).
Standard library only; the output is byte-for-byte reproducible.
"""

import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 8  # samples per pixel along each axis
APP_SIZES = (16, 20, 24, 32, 48, 64)
TOOLBAR_SIZES = (20, 25, 30, 40)  # 20 pixels at 100 %, like every layout value

# ---------------------------------------------------------------- palette

INK = (0x55, 0x62, 0x73)  # outlines and neutral glyphs
INK_SOFT = (0x8A, 0x97, 0xA6)  # secondary neutral strokes
PAPER = (0xFF, 0xFF, 0xFF)
PAPER_SHADE = (0xC9, 0xD1, 0xDB)
ACCENT = (0x1E, 0x7C, 0xE0)  # brand blue
ACCENT_DARK = (0x0F, 0x4C, 0x9A)
ACCENT_TINT = (0xD4, 0xE6, 0xFB)  # background of a pressed toggle
SKY = (0x8C, 0xC8, 0xF5)
HILL = (0x3F, 0xA3, 0x5B)
SUN = (0xFF, 0xB4, 0x1F)
RED = (0xE5, 0x48, 0x3C)
AMBER = (0xE8, 0x8A, 0x12)
BLACK = (0x1E, 0x23, 0x2B)


def grey_of(rgb):
    """The grey with the same perceived brightness as rgb."""
    y = round(0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2])
    return (y, y, y)


# ---------------------------------------------------------------- shapes
# A shape is an inside-test on a point plus a bounding box (x0, y0, x1, y1)
# in pixel units; y grows downwards. Angles are in degrees, counter-clockwise
# as seen on screen, 0 pointing right.


class Shape:
    def __init__(self, test, box):
        self.test, self.box = test, box

    def __or__(self, other):
        a, b = self.box, other.box
        return Shape(lambda x, y: self.test(x, y) or other.test(x, y),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        a, b = self.box, other.box
        return Shape(lambda x, y: self.test(x, y) and other.test(x, y),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, other):
        return Shape(lambda x, y: self.test(x, y) and not other.test(x, y), self.box)


def rect(x0, y0, x1, y1):
    return Shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1))


def rrect(x0, y0, x1, y1, r):
    def test(x, y):
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return x0 <= x < x1 and y0 <= y < y1 and dx * dx + dy * dy <= r * r
    return Shape(test, (x0, y0, x1, y1))


def rrect_outline(x0, y0, x1, y1, r, w):
    """A stroke of width w lying just inside the rounded rectangle."""
    return rrect(x0, y0, x1, y1, r) - rrect(x0 + w, y0 + w, x1 - w, y1 - w, max(r - w, 0))


def circle(cx, cy, r):
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                 (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, w):
    """A stroke of width w centred on the circle of radius r."""
    return circle(cx, cy, r + w / 2) - circle(cx, cy, r - w / 2)


def polygon(*pts):
    def test(x, y):  # even-odd rule
        inside = False
        for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return inside
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return Shape(test, (min(xs), min(ys), max(xs), max(ys)))


def line(*pts, w):
    """A polyline of width w with round caps and joins."""
    def seg_test(ax, ay, bx, by):
        vx, vy = bx - ax, by - ay
        ll = vx * vx + vy * vy or 1.0
        def test(x, y):
            t = min(1.0, max(0.0, ((x - ax) * vx + (y - ay) * vy) / ll))
            return (x - ax - t * vx) ** 2 + (y - ay - t * vy) ** 2 <= w * w / 4
        return Shape(test, (min(ax, bx) - w, min(ay, by) - w, max(ax, bx) + w, max(ay, by) + w))
    shape = None
    for a, b in zip(pts, pts[1:]):
        s = seg_test(*a, *b)
        shape = s if shape is None else shape | s
    return shape


def on_circle(cx, cy, r, a):
    return (cx + r * math.cos(math.radians(a)), cy - r * math.sin(math.radians(a)))


def arc(cx, cy, r, a0, a1, w):
    """Stroke of width w along the circle from angle a0 counter-clockwise to a1."""
    span = (a1 - a0) % 360 or 360

    def test(x, y):
        ang = math.degrees(math.atan2(cy - y, x - cx))
        return abs(math.hypot(x - cx, y - cy) - r) <= w / 2 and (ang - a0) % 360 <= span
    band = Shape(test, (cx - r - w, cy - r - w, cx + r + w, cy + r + w))
    return band | circle(*on_circle(cx, cy, r, a0), w / 2) | circle(*on_circle(cx, cy, r, a1), w / 2)


def arrow_arc(cx, cy, r, a0, a1, w, head):
    """Arc from a0 to a1 (counter-clockwise if a1 > a0, else clockwise) ending in
    an arrowhead of the given length whose tip lies at angle a1."""
    sign = 1 if a1 > a0 else -1
    back = math.degrees(head / r) * sign  # where the arrowhead's base sits
    base_a = a1 - back
    bx, by = on_circle(cx, cy, r, base_a)
    tx, ty = on_circle(cx, cy, r, a1)
    nx, ny = (bx - cx) / r, (by - cy) / r  # outward normal at the base
    half = head * 0.95
    tip = polygon((bx + nx * half, by + ny * half), (bx - nx * half, by - ny * half), (tx, ty))
    # The shaft runs a little into the head so the two join without a gap.
    lo, hi = sorted((a0, base_a + back * 0.3))
    return arc(cx, cy, r, lo, hi, w) | tip


# ---------------------------------------------------------------- raster


class Canvas:
    """Premultiplied RGBA floats; shapes are composited with source-over.
    Shapes are given in the units of a design square of side `design` (the
    size by default), which fills the canvas whatever its size in pixels."""

    def __init__(self, size, design=None):
        self.size = size
        self.k = size / (design or size)  # pixels per design unit
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, shape, rgb, opacity=1.0):
        n, k = SUPERSAMPLE, self.k
        offsets = [(i + 0.5) / n for i in range(n)]
        x0, y0, x1, y1 = (v * k for v in shape.box)
        for py in range(max(0, math.floor(y0)), min(self.size, math.ceil(y1) + 1)):
            for px in range(max(0, math.floor(x0)), min(self.size, math.ceil(x1) + 1)):
                hits = sum(shape.test((px + ox) / k, (py + oy) / k)
                           for oy in offsets for ox in offsets)
                if hits:
                    a = opacity * hits / (n * n)
                    p = self.px[py * self.size + px]
                    for c in range(3):
                        p[c] = rgb[c] / 255 * a + p[c] * (1 - a)
                    p[3] = a + p[3] * (1 - a)

    def rgba(self):
        """Rows top to bottom of straight-alpha (r, g, b, a) byte tuples."""
        out = []
        for y in range(self.size):
            row = []
            for p in self.px[y * self.size:(y + 1) * self.size]:
                alpha = round(p[3] * 255)
                if alpha == 0:  # fully transparent pixels carry no colour
                    row.append((0, 0, 0, 0))
                else:
                    row.append(tuple(round(min(1.0, p[c] / p[3]) * 255) for c in range(3))
                               + (alpha,))
            out.append(row)
        return out


# ---------------------------------------------------------------- icons
# Toolbar icons are designed on a 20x20 square, inside a margin of 2 (only
# the pressed toggle's tile fills the whole square); strokes are W = 1.5
# wide. At 100 % one unit is one pixel.

W = 1.5


def landscape(c, x0, y0, x1, y1, coloured=True):
    """A small picture: sky, sun and two hills (in greys when not coloured)."""
    sky, sun, hill = (SKY, SUN, HILL) if coloured else (PAPER_SHADE, PAPER, INK_SOFT)
    frame = rect(x0, y0, x1, y1)
    w, h = x1 - x0, y1 - y0
    c.fill(frame, sky)
    c.fill(circle(x0 + w * 0.72, y0 + h * 0.3, h * 0.14), sun)
    c.fill(polygon((x0, y1), (x0 + w * 0.36, y0 + h * 0.4), (x0 + w * 0.72, y1)), hill)
    c.fill(polygon((x0 + w * 0.42, y1), (x0 + w * 0.7, y0 + h * 0.62), (x1, y1 - h * 0.1), (x1, y1)),
           hill, 0.75)


def app_small(n=16):
    # Hand-placed on the pixel grid so the tray icon stays crisp: at 16
    # pixels as drawn, at other small sizes with the corner marks' edges
    # rounded to whole pixels.
    c = Canvas(n)
    u = n / 16
    m, arm, t = round(2 * u), round(3 * u), max(1, round(u))  # margin, arm length, stroke
    c.fill(rrect(0, 0, n, n, 3.5 * u), ACCENT)
    for x, y, sx, sy in ((m, m, 1, 1), (n - m, m, -1, 1), (m, n - m, 1, -1), (n - m, n - m, -1, -1)):
        c.fill(rect(min(x, x + arm * sx), min(y, y + t * sy), max(x, x + arm * sx), max(y, y + t * sy)),
               PAPER)
        c.fill(rect(min(x, x + t * sx), min(y, y + arm * sy), max(x, x + t * sx), max(y, y + arm * sy)),
               PAPER)
    c.fill(circle(n / 2, n / 2, 3.6 * u), PAPER)
    c.fill(circle(n / 2, n / 2, 2.1 * u), ACCENT_DARK)
    return c


def app_large(n=64):
    c = Canvas(n, 64)
    c.fill(rrect(2, 2, 62, 62, 13), ACCENT)
    for sx, sy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        x, y = 32 - sx * 19, 32 - sy * 19
        c.fill(line((x, y + sy * 9), (x, y), (x + sx * 9, y), w=5), PAPER)
    c.fill(circle(32, 32, 12.5), PAPER)
    c.fill(circle(32, 32, 8.5), ACCENT_DARK)
    c.fill(circle(29, 29, 2.6), PAPER, 0.9)
    return c


def fit(active, n=20):
    c = Canvas(n, 20)
    if active:  # pressed toggle: tinted tile with an accent border
        c.fill(rrect(0, 0, 20, 20, 3.5), ACCENT_TINT)
        c.fill(rrect_outline(0, 0, 20, 20, 3.5, 1), ACCENT)
    edge = ACCENT if active else INK
    c.fill(rect(2, 5, 12, 18), PAPER)
    landscape(c, 3.5, 8.5, 10.5, 14.5, coloured=active)
    c.fill(rrect_outline(2, 5, 12, 18, 0.5, W), edge)
    c.fill(arrow_arc(11.5, 9, 6, 125, -5, W, 2.8), edge)
    return c


def printers(n=20):
    c = Canvas(n, 20)
    c.fill(rect(5, 2, 15, 8), PAPER)
    c.fill(rrect_outline(5, 2, 15, 9, 0.5, W), INK)
    c.fill(rrect(2, 7, 18, 15, 2), INK)
    c.fill(circle(15, 10, 0.9), SUN)
    c.fill(rect(5, 12, 15, 18), PAPER)
    c.fill(rrect_outline(5, 11.5, 15, 18.5, 0.5, W), INK)
    c.fill(rect(7, 14.5, 13, 15.5), INK_SOFT)
    return c


def rotate(n=20):
    c = Canvas(n, 20)
    c.fill(rect(7, 9, 18, 18), PAPER)
    c.fill(rrect_outline(7, 9, 18, 18, 1, W), INK)
    c.fill(arrow_arc(10, 10, 6.5, 0, 180, W, 2.8), ACCENT)
    return c


def grey(n=20):
    # Left half: a colour ramp through the palette; right half: its greys.
    c = Canvas(n, 20)
    disc = circle(10, 10, 8)
    stops = [RED, SUN, HILL, ACCENT]
    # One pixel row at a time, so the bands never leave seams; each takes
    # the colour at its middle (in design units).
    for py in range(math.floor(2 * c.k), math.ceil(18 * c.k)):
        top, bottom = py / c.k, (py + 1) / c.k
        t = min(max((top + bottom) / 2 - 2.5, 0) / 15, 1) * (len(stops) - 1)
        i = min(int(t), len(stops) - 2)
        rgb = tuple(round(a + (b - a) * (t - i)) for a, b in zip(stops[i], stops[i + 1]))
        c.fill(disc & rect(2, top, 10, bottom), rgb)
        c.fill(disc & rect(10, top, 18, bottom), grey_of(rgb))
    c.fill(ring(10, 10, 8 - W / 2, W), INK)
    return c


def negative(n=20):
    c = Canvas(n, 20)
    c.fill(circle(10, 10, 8), PAPER)
    c.fill(circle(10, 10, 8) & rect(10, 0, 20, 20), BLACK)
    c.fill(ring(10, 10, 8 - W / 2, W), INK)
    return c


def restore(n=20):
    c = Canvas(n, 20)
    c.fill(arrow_arc(10.5, 10, 7, -125, 190, W, 2.8), AMBER)
    c.fill(line((10.5, 6), (10.5, 10), (13, 12), w=W), INK)
    return c


TOOLBAR = [
    ("fit_off", lambda n: fit(False, n)),
    ("fit_on", lambda n: fit(True, n)),
    ("printers", printers),
    ("rotate", rotate),
    ("grey", grey),
    ("negative", negative),
    ("restore", restore),
]


def all_icons():
    """{file stem: [Canvas, ...]} in a fixed order, smallest image first."""
    # The small design up to 24 pixels, the detailed one from 32.
    icons = {"app": [app_small(n) if n <= 24 else app_large(n) for n in APP_SIZES]}
    for name, draw in TOOLBAR:
        icons[name] = [draw(n) for n in TOOLBAR_SIZES]
    return icons


# ---------------------------------------------------------------- writers


def ico_bytes(canvases):
    """A classic ICO: each image is a 32-bit BGRA DIB plus a 1-bit AND mask."""
    images = []
    for cv in canvases:
        n, rows = cv.size, cv.rgba()
        mask_stride = (n + 31) // 32 * 4
        color, mask = bytearray(), bytearray()
        for row in reversed(rows):  # DIBs are stored bottom-up
            bits = bytearray(mask_stride)
            for x, (r, g, b, a) in enumerate(row):
                color += bytes((b, g, r, a))
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0,
                             len(color) + len(mask), 0, 0, 0, 0)
        images.append((n, header + color + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def png_bytes(width, height, rows):
    """An 8-bit RGB PNG from rows of (r, g, b) tuples."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview(path):
    """The program icon and the toolbar icons at 100 % zoomed 8x, then every image of every icon
    at 1x, one line per size, on a light and a dark panel."""
    drawn = all_icons()
    icons = [cv for images in drawn.values() for cv in images]
    zoom, gap = 8, 16
    rows = [  # (scale, canvases) per line of the sheet
        (zoom, [cv for cv in drawn["app"] if cv.size in (16, 64)]),
        (zoom, [images[0] for name, images in drawn.items() if name != "app"]),
    ] + [(1, [cv for cv in icons if cv.size == n]) for n in sorted({cv.size for cv in icons})]
    panel_w = gap + max(sum(cv.size * s + gap for cv in line) for s, line in rows)
    panel_h = gap + sum(s * max(cv.size for cv in line) + gap for s, line in rows)
    pixels = []
    for bg in ((0xF3, 0xF3, 0xF3), (0x20, 0x20, 0x20)):
        panel = [[bg] * panel_w for _ in range(panel_h)]
        y0 = gap
        for scale, line in rows:
            x0 = gap
            for cv in line:
                for y, src in enumerate(cv.rgba()):
                    for x, (r, g, b, a) in enumerate(src):
                        px = tuple((v * a + k * (255 - a) + 127) // 255 for v, k in zip((r, g, b), bg))
                        for dy in range(scale):
                            panel[y0 + y * scale + dy][x0 + x * scale:x0 + (x + 1) * scale] = [px] * scale
                x0 += cv.size * scale + gap
            y0 += scale * max(cv.size for cv in line) + gap
        pixels = [a + b for a, b in zip(pixels, panel)] if pixels else panel
    with open(path, "wb") as f:
        f.write(png_bytes(2 * panel_w, panel_h, pixels))


def main(argv):
    if len(argv) == 3 and argv[1] == "--preview":
        preview(argv[2])
    elif len(argv) == 2 and not argv[1].startswith("-"):
        os.makedirs(argv[1], exist_ok=True)
        for name, canvases in all_icons().items():
            with open(os.path.join(argv[1], name + ".ico"), "wb") as f:
                f.write(ico_bytes(canvases))
    else:
        sys.exit("usage: make_icons.py OUTDIR | --preview OUT.png")


if __name__ == "__main__":
    main(sys.argv)
