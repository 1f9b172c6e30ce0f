#!/usr/bin/env python3
"""Draws the toolbar strip of the file and folder windows: one 32x32 "leave" icon
(an open door with an arrow going out) on magenta, which the program treats as
transparent. Run it to rebuild jobs_toolbar.png."""
import os
import struct
import zlib

W, H = 32, 32
MAGENTA = (255, 0, 255)
px = [[MAGENTA] * W for _ in range(H)]


def put(x, y, c):
    if 0 <= x < W and 0 <= y < H:
        px[y][x] = c


def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(x, y, c)


# the door frame and the dark room behind it
rect(3, 3, 18, 29, (90, 60, 30))
rect(5, 5, 16, 29, (40, 40, 50))
# the door leaf, swung open towards the viewer
for i in range(9):
    rect(5 + i, 5 + i // 3, 5 + i, 29 - i // 3, (190, 130, 60))
put(12, 17, (250, 220, 80))
put(12, 18, (250, 220, 80))
# a red arrow leaving to the right
red = (210, 30, 30)
rect(16, 15, 24, 18, red)
for i in range(6):
    rect(25 + i, 11 + i, 25 + i, 22 - i, red)

raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in px)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "jobs_toolbar.png"), "wb") as f:
    f.write(png)
