#!/usr/bin/env python3
"""Draws the window icon, 64 x 64 pixels in 24-bit colour, and writes it as expscale.ico.

A teal tile holding three list lines and an amber arrow pointing up: a list of values being
scaled. Edges are smoothed by sampling each pixel 4 x 4 times; the tile's rounded corners are
cut out by the icon's mask. Run it again after changing the design and commit both files.
"""
import struct
import sys

SIZE = 64
SAMPLES = 4
TILE = (0x1F, 0x6F, 0x8B)
TILE_EDGE = (0x15, 0x4E, 0x63)
LINE = (0xF4, 0xF7, 0xF8)
ARROW = (0xF5, 0xB0, 0x29)


def in_rounded_square(x, y, inset, radius):
    lo, hi = inset, SIZE - inset
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_bar(x, y, left, top, width, height):
    return left <= x <= left + width and top <= y <= top + height


def in_arrow(x, y):
    # A head from (48, 10) down to y = 28, 28 wide, over a shaft 10 wide down to y = 54.
    if 10 <= y <= 28:
        half = (y - 10) * 14 / 18
        return abs(x - 48) <= half
    return 28 <= y <= 54 and abs(x - 48) <= 5


def colour_at(x, y):
    if in_arrow(x, y):
        return ARROW
    for top in (16, 29, 42):
        if in_bar(x, y, 9, top, 24, 6):
            return LINE
    if not in_rounded_square(x, y, 3, 10):
        return TILE_EDGE
    return TILE


def pixel(px, py):
    total = [0, 0, 0]
    inside = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = px + (sx + 0.5) / SAMPLES
            y = py + (sy + 0.5) / SAMPLES
            if not in_rounded_square(x, y, 1, 12):
                continue
            inside += 1
            for i, c in enumerate(colour_at(x, y)):
                total[i] += c
    if inside * 2 < SAMPLES * SAMPLES:
        return None  # transparent
    return tuple(round(t / inside) for t in total)


def icon_bytes():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom-up
        for p in row:
            r, g, b = p if p else (0, 0, 0)
            colour += bytes((b, g, r))
        bits = 0
        for x, p in enumerate(row):
            if p is None:
                bits |= 1 << (SIZE - 1 - x)
        mask += bits.to_bytes(SIZE // 8, "big")
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "expscale.ico"
    with open(out, "wb") as f:
        f.write(icon_bytes())
