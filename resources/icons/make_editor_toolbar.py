#!/usr/bin/env python3
"""Draws the editor's toolbar strip: four 32x32 icons side by side on magenta (save, print,
erase, exit), which the program treats as transparent. Run it to rebuild editor_toolbar.png."""
from icon_strip import MAGENTA, Strip

strip = Strip(128, 32)
put, rect = strip.put, strip.rect


def frame(x0, y0, x1, y1, fill, edge):
    rect(x0, y0, x1, y1, edge)
    rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)


def line(x0, y0, x1, y1, c, width=1):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i // steps
        y = y0 + (y1 - y0) * i // steps
        rect(x, y, x + width - 1, y + width - 1, c)


DARK = (40, 40, 40)
GREY = (150, 150, 150)
WHITE = (255, 255, 255)

# 1: save - a blue floppy disk
frame(3, 3, 28, 28, (40, 90, 180), DARK)
frame(8, 4, 23, 13, WHITE, DARK)
rect(18, 6, 21, 11, (40, 90, 180))
frame(7, 18, 24, 27, (220, 220, 220), DARK)
for y in (21, 24):
    rect(9, y, 22, y, GREY)

# 2: print - a printer with a sheet coming out
ox = 32
frame(ox + 9, 2, ox + 22, 12, WHITE, DARK)
for y in (5, 8):
    rect(ox + 11, y, ox + 20, y, GREY)
frame(ox + 3, 11, ox + 28, 23, (190, 190, 190), DARK)
rect(ox + 23, 14, ox + 25, 15, (0, 170, 0))
frame(ox + 8, 19, ox + 23, 29, WHITE, DARK)
for y in (22, 25):
    rect(ox + 10, y, ox + 21, y, GREY)

# 3: erase - a sheet with a red cross over it
ox = 64
frame(ox + 6, 2, ox + 24, 29, WHITE, DARK)
for y in range(6, 27, 4):
    rect(ox + 9, y, ox + 21, y, GREY)
line(ox + 4, 6, ox + 24, 26, (210, 0, 0), 3)
line(ox + 24, 6, ox + 4, 26, (210, 0, 0), 3)

# 4: exit - an open door with a green arrow leaving it
ox = 96
frame(ox + 3, 2, ox + 17, 29, (150, 100, 50), DARK)
rect(ox + 5, 4, ox + 15, 27, (60, 40, 20))
for i in range(9):  # the door leaf, opened towards the viewer
    rect(ox + 5 + i // 2, 4 + i // 3, ox + 6 + i // 2, 27 - i // 3, (190, 130, 70))
rect(ox + 14, 15, ox + 26, 18, (0, 150, 0))
for i in range(6):
    rect(ox + 25 - i, 11 + i, ox + 25 - i, 22 - i, (0, 150, 0))
    rect(ox + 26 + i // 2, 11 + i, ox + 26 + i // 2, 22 - i, MAGENTA)
for i in range(6):
    rect(ox + 24 + i, 11 + i, ox + 24 + i, 22 - i, (0, 150, 0))

strip.save("editor_toolbar.png")
