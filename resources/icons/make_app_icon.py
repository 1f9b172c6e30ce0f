#!/usr/bin/env python3
"""Draws Velt's program icon, velt-<size>.png, for the window and the desktop's icon theme.

The icon is a code grid on a dark tile with one pair of cells lit: the first character
of a coded pair in the plain character's column, the second in its row. Each size is drawn
for itself: small sizes get fewer, pixel-aligned cells and thicker gaps, so that the grid
stays a grid instead of a grey blur. Run it to rebuild the PNGs beside it; velt.svg is the
256 px drawing written out by hand as the scalable icon: change the two together."""
import os
import struct
import zlib

TILE_TOP, TILE_BOTTOM = (38, 70, 120), (18, 36, 70)
EDGE = (10, 20, 40)
CELL = (220, 230, 245)
LIT = (245, 185, 30)
PAIR_ROW, PAIR_COLUMN = (90, 200, 120), (90, 200, 120)

# size: (cells per side, margin, corner radius, gap between cells, samples per pixel side)
LAYOUT = {
    16: (3, 0, 3, 1, 1),
    32: (4, 1, 5, 2, 4),
    48: (5, 2, 8, 2, 4),
    64: (6, 3, 10, 2, 4),
    128: (8, 6, 20, 4, 4),
    256: (8, 12, 40, 8, 4),
}


def inside_rounded(x, y, x0, y0, x1, y1, r):
    if x < x0 or x >= x1 or y < y0 or y >= y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def draw(size):
    cells, margin, radius, gap, ss = LAYOUT[size]
    tile = (margin, margin, size - margin, size - margin)
    inner = size - 2 * margin
    # Cells start and end on whole pixels; what is left over is split around the grid.
    pitch = (inner - gap) // cells
    grid = pitch * cells - gap
    origin = margin + (inner - grid) // 2
    lit_row, lit_column = cells // 2, cells // 2 - 1
    first, second = (cells - 1, lit_column), (lit_row, cells - 1)

    def cell_colour(row, column):
        if (row, column) in (first, second):
            return LIT
        if row == lit_row or column == lit_column:
            return PAIR_ROW if row == lit_row else PAIR_COLUMN
        return CELL

    def colour_at(x, y):
        """The colour and opacity at one sample point."""
        if not inside_rounded(x, y, *tile, radius):
            return None
        edge = max(1, size // 64)
        if not inside_rounded(x, y, tile[0] + edge, tile[1] + edge, tile[2] - edge, tile[3] - edge,
                              max(0, radius - edge)):
            return EDGE
        gx, gy = x - origin, y - origin
        if 0 <= gx < grid and 0 <= gy < grid:
            column, row = int(gx // pitch), int(gy // pitch)
            if gx - column * pitch < pitch - gap and gy - row * pitch < pitch - gap:
                return cell_colour(row, column)
        t = (y - margin) / max(1, inner)
        return tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))

    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(ss):
                for sx in range(ss):
                    c = colour_at(px + (sx + 0.5) / ss, py + (sy + 0.5) / ss)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered == 0:
                row += bytes(4)
            else:
                row += bytes(round(v / covered) for v in total) + bytes([round(255 * covered / (ss * ss))])
        rows.append(b"\x00" + bytes(row))
    return png(size, b"".join(rows))


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(size, raw):
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


here = os.path.dirname(os.path.abspath(__file__))
for size in LAYOUT:
    with open(os.path.join(here, f"velt-{size}.png"), "wb") as f:
        f.write(draw(size))
