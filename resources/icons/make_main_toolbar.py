#!/usr/bin/env python3
"""Draws the main window's toolbar strip: three 32x32 icons side by side on magenta,
which the program treats as transparent. Run it to rebuild main_toolbar.png."""
import os
import struct
import zlib

W, H = 96, 32
MAGENTA = (255, 0, 255)
px = [[MAGENTA] * W for _ in range(H)]


def put(x, y, c):
    if 0 <= x < W and 0 <= y < H:
        px[y][x] = c


def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(x, y, c)


def disc(cx, cy, r, c):
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                put(x, y, c)


def envelope(ox, body, flap):
    rect(ox + 3, 9, ox + 28, 26, (40, 40, 40))
    rect(ox + 4, 10, ox + 27, 25, body)
    for i in range(12):  # the flap's two edges
        put(ox + 4 + i, 10 + i * 8 // 12, flap)
        put(ox + 27 - i, 10 + i * 8 // 12, flap)


def arrow(ox, colour, up):
    # a fat arrow in the upper right corner of the icon
    for i in range(6):
        y = (2 + i) if up else (13 - i)
        rect(ox + 23 - i, y, ox + 23 + i, y, colour)
    rect(ox + 21, 8 if up else 2, ox + 25, 13 if up else 8, colour)


# 1: sending - envelope with a green arrow going out
envelope(0, (255, 255, 230), (120, 120, 120))
arrow(0, (0, 150, 0), True)
# 2: reception - envelope with a blue arrow coming in
envelope(32, (230, 240, 255), (120, 120, 120))
arrow(32, (0, 70, 200), False)
# 3: key - a golden key lying diagonally
gold, dark = (230, 180, 20), (120, 80, 0)
disc(64 + 10, 11, 8, dark)
disc(64 + 10, 11, 6, gold)
disc(64 + 10, 11, 2, MAGENTA)
for i in range(16):
    rect(64 + 14 + i, 15 + i, 64 + 16 + i, 16 + i, gold)
rect(64 + 22, 24, 64 + 24, 27, gold)
rect(64 + 26, 28, 64 + 28, 30, gold)

raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in px)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "main_toolbar.png"), "wb") as f:
    f.write(png)
