#!/usr/bin/env python3
"""Draws the main window's toolbar strip: three 32x32 icons side by side on magenta,
which the program treats as transparent. Run it to rebuild main_toolbar.png."""
from icon_strip import MAGENTA, Strip

strip = Strip(96, 32)
put, rect = strip.put, strip.rect


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

strip.save("main_toolbar.png")
