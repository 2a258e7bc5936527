#!/usr/bin/env python3
"""Draws the controller's icons and writes them as .ico files (32x32 and
16x16, 32-bit colour with alpha).  Run it again after changing a picture:

    python3 controller/res/make_icons.py controller/res

Each picture is a function from a point (x, y in 0..1, y downwards) to a
colour (r, g, b, a) or None; edges are smoothed by sampling 4x4 points per
pixel.
"""
import math
import os
import struct
import sys

GREEN = (46, 160, 67, 255)
GREY = (128, 134, 140, 255)
YELLOW = (240, 190, 30, 255)
RED = (200, 50, 50, 255)
WHITE = (255, 255, 255, 255)
BLACK = (30, 30, 30, 255)
OUTLINE = (60, 60, 60, 255)


def in_disc(x, y, r=0.46):
    return (x - 0.5) ** 2 + (y - 0.5) ** 2 <= r * r


def in_ring(x, y):
    d = math.hypot(x - 0.5, y - 0.5)
    return 0.42 <= d <= 0.47


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def running(x, y):
    """A green disc with a white 'play' triangle: the server runs."""
    if in_ring(x, y):
        return OUTLINE
    if not in_disc(x, y):
        return None
    if in_triangle(x, y, (0.38, 0.27), (0.38, 0.73), (0.76, 0.5)):
        return WHITE
    return GREEN


def idle(x, y):
    """A grey disc with two white bars: paused, starting or stopped."""
    if in_ring(x, y):
        return OUTLINE
    if not in_disc(x, y):
        return None
    if 0.28 <= y <= 0.72 and (0.32 <= x <= 0.44 or 0.56 <= x <= 0.68):
        return WHITE
    return GREY


def warning(x, y):
    """A yellow triangle with a black exclamation mark: not reachable."""
    a, b, c = (0.5, 0.04), (0.97, 0.94), (0.03, 0.94)
    if not in_triangle(x, y, a, b, c):
        return None
    if 0.45 <= x <= 0.55 and (0.32 <= y <= 0.68 or 0.75 <= y <= 0.86):
        return BLACK
    if not in_triangle(x, y, (0.5, 0.12), (0.9, 0.89), (0.1, 0.89)):
        return OUTLINE
    return YELLOW


def unregistered(x, y):
    """A red disc with a white cross: no user is registered."""
    if in_ring(x, y):
        return OUTLINE
    if not in_disc(x, y):
        return None
    u, v = x - 0.5, y - 0.5
    if abs(u - v) <= 0.09 and abs(u) <= 0.22 or abs(u + v) <= 0.09 and abs(u) <= 0.22:
        return WHITE
    return RED


def render(picture, size):
    """Rows of BGRA pixels, top row first."""
    n = 4
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    c = picture((px + (sx + 0.5) / n) / size,
                                (py + (sy + 0.5) / n) / size)
                    if c is None:
                        continue
                    alpha = c[3] / 255.0
                    for i in range(3):
                        acc[i] += c[i] * alpha
                    acc[3] += alpha
            count = n * n
            a = acc[3] / count
            if a > 0:
                r, g, b = (acc[i] / acc[3] for i in range(3))
            else:
                r = g = b = 0
            row.append((round(b), round(g), round(r), round(a * 255)))
        rows.append(row)
    return rows


def icon_image(picture, size):
    """One image of an .ico: a BITMAPINFOHEADER, the pixels bottom-up and
    the AND mask (set where fully transparent, for old displays)."""
    rows = render(picture, size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0,
                         0, 0, 0)
    pixels = b''.join(bytes(p) for row in reversed(rows) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + pixels + mask


def write_icon(path, picture, sizes=(32, 16)):
    images = [icon_image(picture, s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32,
                           len(image), offset)
        offset += len(image)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(__file__)
    for name, picture in (('running', running), ('idle', idle),
                          ('warning', warning),
                          ('unregistered', unregistered)):
        write_icon(os.path.join(folder, name + '.ico'), picture)


if __name__ == '__main__':
    main()
