#!/usr/bin/env python3
"""Draws the program icon (resources/quorlix.ico): a blue rounded square
with a white "Q", in 16, 32 and 48 pixels, 32-bit with alpha.

    python3 resources/make_icon.py resources/quorlix.ico
"""
import math
import struct
import sys

SAMPLES = 4  # supersampling per axis


def coverage(size, x, y):
    """Colour (r, g, b, a) of one pixel, averaged over SAMPLES x SAMPLES."""
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            u = (x + (sx + 0.5) / SAMPLES) / size  # 0..1
            v = (y + (sy + 0.5) / SAMPLES) / size
            r, g, b, a = sample(u, v)
            acc[0] += r * a
            acc[1] += g * a
            acc[2] += b * a
            acc[3] += a
    n = SAMPLES * SAMPLES
    alpha = acc[3] / n
    if alpha == 0:
        return (0, 0, 0, 0)
    return tuple(int(round(c / acc[3] * 255)) for c in acc[:3]) + (int(round(alpha * 255)),)


def sample(u, v):
    # Rounded square with a vertical gradient.
    margin, radius = 0.04, 0.2
    dx = max(abs(u - 0.5) - (0.5 - margin - radius), 0)
    dy = max(abs(v - 0.5) - (0.5 - margin - radius), 0)
    if math.hypot(dx, dy) > radius:
        return (0, 0, 0, 0)
    top, bottom = (0.20, 0.50, 0.90), (0.05, 0.25, 0.60)
    base = tuple(t + (b - t) * v for t, b in zip(top, bottom))
    # The "Q": a ring and a tail towards the lower right.
    d = math.hypot(u - 0.48, v - 0.46)
    ring = 0.19 <= d <= 0.31
    t = ((u - 0.55) + (v - 0.58)) / 2
    tail_x, tail_y = 0.55 + t, 0.58 + t
    tail = 0 <= t <= 0.22 and math.hypot(u - tail_x, v - tail_y) <= 0.06
    if ring or tail:
        return (1.0, 1.0, 1.0, 1.0)
    return base + (1.0,)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(size):
            r, g, b, a = coverage(size, x, y)
            row += bytes((b, g, r, a))
        rows.append(row)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + b"\0" * (mask_row * size)


def main(path):
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "quorlix.ico")
