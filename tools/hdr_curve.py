#!/usr/bin/env python3
"""The curve that turns the picture of a monitor composed in scRGB into the 8-bit sRGB picture
of a capture (docs/hdr-captures.md), in plain Python: the end-to-end tests check the program's
captures of a simulated HDR monitor against it, and run as a script it draws the figure of the
documentation.

Usage: hdr_curve.py OUT.svg
"""
import sys

ROLL_OFF = 3.0  # at 1 + ROLL_OFF times SDR white, a colour is halfway to white
LUMINANCE = (0.2126, 0.7152, 0.0722)


def encode(x):
    """The sRGB curve of a linear value in 0..1, times 255."""
    return 255 * (12.92 * x if x <= 0.0031308 else 1.055 * x ** (1 / 2.4) - 0.055)


def to_srgb8(red, green, blue, white):
    """An scRGB colour (1.0 = 80 nits) on a monitor whose SDR white is `white`, as the capture
    shows it: (red, green, blue) in 0..255."""
    c = [v / white for v in (red, green, blue)]
    if all(0 <= v <= 1 for v in c):  # SDR content
        return tuple(round(encode(v)) for v in c)
    lowest = min(c)
    if lowest < 0:  # outside the gamut: towards the grey of the same luminance
        y = sum(k * v for k, v in zip(LUMINANCE, c))
        c = [y + y / (y - lowest) * (v - y) for v in c] if y > 0 else [0, 0, 0]
    top = max(max(c), 1)
    towards_white = (top - 1) / (top - 1 + ROLL_OFF)  # brighter than SDR white
    codes = [encode(min(max(v / top, 0), 1)) for v in c]
    return tuple(int(code + towards_white * (255 - code) + 0.5) for code in codes)


def plot(path):
    """Output codes against brightness, 0 to 10 times SDR white: a grey, and the three channels
    of an orange that goes towards white without turning yellow."""
    width, height, left, bottom, right, top = 640, 360, 60, 310, 620, 20
    most = 10.0

    def x_of(times):
        return left + (right - left) * times / most

    def y_of(code):
        return bottom - (bottom - top) * code / 255

    def line(colour, of_times, dash=""):
        points = " ".join(f"{x_of(t / 20):.1f},{y_of(of_times(t / 20)):.1f}"
                          for t in range(int(most * 20) + 1))
        return (f'<polyline fill="none" stroke="{colour}" stroke-width="2" {dash}'
                f'points="{points}"/>')

    orange = (1.0, 0.35, 0.05)
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
             f'font-family="sans-serif" font-size="12">',
             f'<rect width="{width}" height="{height}" fill="white"/>',
             f'<line x1="{left}" y1="{bottom}" x2="{right}" y2="{bottom}" stroke="black"/>',
             f'<line x1="{left}" y1="{bottom}" x2="{left}" y2="{top}" stroke="black"/>',
             f'<line x1="{x_of(1)}" y1="{bottom}" x2="{x_of(1)}" y2="{top}" stroke="#aaa" '
             'stroke-dasharray="4 4"/>',
             f'<text x="{x_of(1) + 4}" y="{top + 12}">SDR white</text>']
    for times in range(0, 11, 2):
        parts.append(f'<text x="{x_of(times)}" y="{bottom + 16}" text-anchor="middle">'
                     f'{times}</text>')
    for code in (0, 64, 128, 192, 255):
        parts.append(f'<text x="{left - 6}" y="{y_of(code) + 4}" text-anchor="end">{code}</text>')
    parts.append(f'<text x="{(left + right) / 2}" y="{height - 6}" text-anchor="middle">'
                 'brightness, times SDR white</text>')
    parts.append(f'<text x="14" y="{(top + bottom) / 2}" text-anchor="middle" '
                 f'transform="rotate(-90 14 {(top + bottom) / 2})">code in the capture</text>')
    parts.append(line("#555", lambda t: to_srgb8(t, t, t, 1)[0]))
    for channel, colour in enumerate(("#d02000", "#e08000", "#c0a000")):
        parts.append(line(colour, lambda t, c=channel: to_srgb8(*(v * t for v in orange), 1)[c],
                          'stroke-dasharray="6 3" '))
    parts.append(f'<text x="{x_of(6)}" y="{y_of(150)}">grey</text>')
    parts.append(f'<text x="{x_of(6)}" y="{y_of(100)}" fill="#d02000">orange: red, green, '
                 'blue</text>')
    parts.append("</svg>")
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(parts) + "\n")


if __name__ == "__main__":
    plot(sys.argv[1])
