#!/usr/bin/env python3
"""Draws the toolbar strip of the file and folder windows: one 32x32 "leave" icon
(an open door with an arrow going out) on magenta, which the program treats as
transparent. Run it to rebuild jobs_toolbar.png."""
from icon_strip import Strip

strip = Strip(32, 32)
put, rect = strip.put, strip.rect


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

strip.save("jobs_toolbar.png")
