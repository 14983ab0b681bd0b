#!/usr/bin/env python3
"""Draws the program's icons as PNG files into resources/icons/ (run by hand when the art changes).

Plain Python, no imaging library: every icon is a few shapes, rendered with 4x4 supersampling.
"""
import math
import os
import struct
import zlib

SS = 4


def png(path, size, pixels):
    width, height = size if isinstance(size, tuple) else (size, size)
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in pixels)
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def in_round_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def in_poly(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_ring(x, y, cx, cy, r0, r1):
    d = (x - cx) ** 2 + (y - cy) ** 2
    return r0 * r0 <= d <= r1 * r1


def render(size, layers):
    """layers: list of (test(x, y) in unit coordinates, colour(x, y) -> (r, g, b, a)). A picture that is not
    square (size as (width, height)) is drawn in units of its width, so y runs to height / width."""
    width, height = size if isinstance(size, tuple) else (size, size)
    out = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    x = (px + (sx + 0.5) / SS) / width
                    y = (py + (sy + 0.5) / SS) / width
                    col = (0, 0, 0, 0)
                    for test, colour in layers:
                        if test(x, y):
                            c = colour(x, y)
                            a = c[3] / 255.0
                            col = tuple(col[i] * (1 - a) + c[i] * a for i in range(3)) + (min(255, col[3] + c[3] * (1 - col[3] / 255.0)),)
                    for i in range(4):
                        acc[i] += col[i]
            n = SS * SS
            a = acc[3] / n
            row.append(tuple(int(round(v / n)) for v in acc[:3]) + (int(round(a)),))
        out.append(row)
    return out


def gradient(c0, c1):
    return lambda x, y: tuple(int(c0[i] + (c1[i] - c0[i]) * (x + y) / 2) for i in range(3)) + (255,)


def solid(c, a=255):
    return lambda x, y: tuple(c) + (a,)


BLUE0, BLUE1 = (43, 108, 176), (49, 151, 149)
WHITE = (255, 255, 255)
INK = (45, 55, 72)
ACCENT = (49, 130, 206)


def tile(x, y):
    return in_round_rect(x, y, 0.06, 0.06, 0.94, 0.94, 0.2)


ICONS = {
    # Application: a play triangle turning into arrows, on the product's blue tile.
    128: [(tile, gradient(BLUE0, BLUE1)),
          (lambda x, y: in_poly(x, y, [(0.36, 0.28), (0.36, 0.72), (0.74, 0.5)]), solid(WHITE)),
          (lambda x, y: in_round_rect(x, y, 0.2, 0.8, 0.8, 0.84, 0.02), solid(WHITE, 170))],
    # Add video files: a film frame with a plus.
    160: [(tile, gradient(BLUE0, BLUE1)),
          (lambda x, y: in_round_rect(x, y, 0.22, 0.28, 0.7, 0.72, 0.05) and not in_round_rect(x, y, 0.28, 0.34, 0.64, 0.66, 0.02), solid(WHITE)),
          (lambda x, y: in_circle(x, y, 0.7, 0.7, 0.17), solid((72, 187, 120))),
          (lambda x, y: in_round_rect(x, y, 0.61, 0.68, 0.79, 0.72, 0.01) or in_round_rect(x, y, 0.68, 0.61, 0.72, 0.79, 0.01), solid(WHITE))],
    # Convert: a play triangle and a forward arrow.
    162: [(tile, gradient((221, 107, 32), (214, 158, 46))),
          (lambda x, y: in_poly(x, y, [(0.3, 0.26), (0.3, 0.74), (0.62, 0.5)]), solid(WHITE)),
          (lambda x, y: in_poly(x, y, [(0.58, 0.3), (0.78, 0.5), (0.58, 0.7), (0.58, 0.6), (0.66, 0.5), (0.58, 0.4)]), solid(WHITE, 200))],
    # Settings: a gear.
    165: [(tile, gradient((74, 85, 104), (113, 128, 150))),
          (lambda x, y: (in_ring(x, y, 0.5, 0.5, 0.11, 0.24) or
                         (in_circle(x, y, 0.5, 0.5, 0.3) and (math.atan2(y - 0.5, x - 0.5) * 8 / math.pi) % 2 < 0.9))
           and not in_circle(x, y, 0.5, 0.5, 0.11), solid(WHITE))],
    # Help: a question mark in a ring.
    150: [(lambda x, y: in_circle(x, y, 0.5, 0.5, 0.46), gradient(BLUE0, BLUE1)),
          (lambda x, y: (in_ring(x, y, 0.5, 0.38, 0.09, 0.17) and not (y > 0.38 and x < 0.5)) or
                        in_round_rect(x, y, 0.455, 0.5, 0.545, 0.62, 0.02) or in_circle(x, y, 0.5, 0.74, 0.055), solid(WHITE))],
    # Small list buttons: add, remove, up, down.
    145: [(lambda x, y: in_round_rect(x, y, 0.42, 0.15, 0.58, 0.85, 0.04) or in_round_rect(x, y, 0.15, 0.42, 0.85, 0.58, 0.04), solid((56, 161, 105)))],
    146: [(lambda x, y: in_round_rect(x, y, 0.15, 0.42, 0.85, 0.58, 0.04), solid((229, 62, 62)))],
    147: [(lambda x, y: in_poly(x, y, [(0.5, 0.18), (0.85, 0.6), (0.15, 0.6)]) or in_round_rect(x, y, 0.4, 0.5, 0.6, 0.85, 0.03), solid(ACCENT))],
    148: [(lambda x, y: in_poly(x, y, [(0.5, 0.82), (0.85, 0.4), (0.15, 0.4)]) or in_round_rect(x, y, 0.4, 0.15, 0.6, 0.5, 0.03), solid(ACCENT))],
}

# Tip of the day: a light bulb on the white panel, 40 x 53 (y runs to 1.325).
BULB = (246, 201, 14)
ICONS[138] = [
    (lambda x, y: in_circle(x, y, 0.5, 0.42, 0.3) or in_poly(x, y, [(0.28, 0.6), (0.72, 0.6), (0.64, 0.86), (0.36, 0.86)]),
     gradient((255, 236, 130), BULB)),
    (lambda x, y: in_ring(x, y, 0.5, 0.42, 0.3, 0.34) and y < 0.62, solid((214, 158, 46))),
    (lambda x, y: in_round_rect(x, y, 0.34, 0.88, 0.66, 1.1, 0.04), solid((160, 174, 192))),
    (lambda x, y: in_round_rect(x, y, 0.34, 0.88, 0.66, 1.1, 0.04) and (0.92 <= y <= 0.95 or 1.0 <= y <= 1.03), solid((113, 128, 150))),
    (lambda x, y: in_round_rect(x, y, 0.42, 1.1, 0.58, 1.18, 0.04), solid((74, 85, 104))),
    (lambda x, y: in_ring(x, y, 0.5, 0.42, 0.16, 0.21) and y < 0.42 and x < 0.5, solid(WHITE, 200)),
]
SIZES = {138: (40, 53), 128: 128, 160: 48, 162: 48, 165: 48, 150: 32, 145: 16, 146: 16, 147: 16, 148: 16}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "icons")
    os.makedirs(folder, exist_ok=True)
    for icon_id, layers in ICONS.items():
        size = SIZES[icon_id]
        png(os.path.join(folder, f"{icon_id}.png"), size, render(size, layers))


if __name__ == "__main__":
    main()
