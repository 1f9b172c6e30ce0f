#!/usr/bin/env python3
"""Makes cover.jpg, the picture that carries a saved coded text.

The file must be exactly 120,904 bytes, 960 x 320 pixels, a baseline JPEG with an
Exif segment followed by an XMP segment whose packet begins at byte 234, and byte
2218 must fall inside an element name of that packet (a coded text is spliced in
there). The pixels are drawn here; ImageMagick's convert only compresses them.

    python3 resources/cover/make_cover.py [--out FILE]

Needs python3 and ImageMagick (Debian package imagemagick). The drawing is
deterministic; the compressed bytes follow the installed JPEG library.
"""

import argparse
import math
import os
import random
import struct
import subprocess
import sys
import tempfile

WIDTH, HEIGHT = 960, 320
TOTAL_SIZE = 120904
SPLIT = 2218  # the coded text goes in before this byte
XMP_PACKET_START = 234
XMP_HEADER = b"http://ns.adobe.com/xap/1.0/\x00"
XMP_MAX_PACKET = 65535 - 2 - len(XMP_HEADER)
SPLIT_ELEMENT = "velt:SceneNotes"


# --- the picture: a lake between mountains at dusk ------------------------------------

def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(lerp(x, y, t) for x, y in zip(c1, c2))


def ridge(x, seed, base, amplitude, roughness):
    """Height of a mountain line at column x: a sum of detuned sines."""
    h = amplitude * 0.9 * math.sin(x / 900.0 * 2 * math.pi + seed * 2.9)
    freq, amp = 1.0 / (240.0 + 70.0 * seed), amplitude
    for octave in range(6):
        phase = seed * 1.7 + octave * 2.3
        h += amp * math.sin(x * freq * 2 * math.pi + phase) * (1.0 if octave % 2 == 0 else 0.8)
        h += amp * 0.5 * abs(math.sin(x * freq * 3.1 * math.pi + phase * 1.3))
        freq *= 2.05
        amp *= roughness
    return base - h


SKY_STOPS = [
    (0.00, (22, 30, 74)),
    (0.35, (70, 62, 128)),
    (0.62, (176, 96, 120)),
    (0.82, (244, 150, 96)),
    (1.00, (255, 206, 140)),
]
HORIZON = 232  # water line
SUN = (640.0, 104.0, 24.0)  # x, y, radius
LAYERS = [  # base line, amplitude, roughness, colour near top, colour at foot
    (150, 30, 0.55, (120, 84, 140), (168, 112, 150)),
    (176, 26, 0.52, (78, 58, 112), (112, 76, 128)),
    (204, 22, 0.50, (44, 38, 78), (62, 52, 96)),
    (228, 14, 0.45, (22, 26, 48), (30, 34, 60)),
]


def sky(y):
    t = min(max(y / HORIZON, 0.0), 1.0)
    for (t0, c0), (t1, c1) in zip(SKY_STOPS, SKY_STOPS[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return SKY_STOPS[-1][1]


def land_pixel(x, y, heights):
    """Colour of the scene above the water line."""
    colour = sky(y)
    sx, sy, sr = SUN
    d = math.hypot(x - sx, y - sy)
    glow = math.exp(-d / 110.0) * 0.7
    colour = mix(colour, (255, 236, 190), glow)
    if d < sr:
        colour = mix((255, 244, 214), (255, 220, 160), d / sr)
    # a few thin clouds
    band = math.sin(y * 0.21 + math.sin(x * 0.011) * 3.0) * math.sin(x * 0.004 + y * 0.02)
    if y < 150 and band > 0.55:
        colour = mix(colour, (250, 190, 170), (band - 0.55) * 0.9)
    for (base, _, _, top, foot), h in zip(LAYERS, heights):
        if y >= h:
            depth = min((y - h) / 60.0, 1.0)
            colour = mix(top, foot, depth)
            # haze towards the sun side keeps the far ranges soft
            colour = mix(colour, (255, 200, 160), max(0.0, 0.25 - abs(x - sx) / 2400.0))
    return colour


def render():
    rng = random.Random(1320)
    heights = [[ridge(x, i + 1, base, amp, rough) for x in range(WIDTH)]
               for i, (base, amp, rough, _, _) in enumerate(LAYERS)]
    rows = []
    for y in range(HEIGHT):
        row = bytearray()
        for x in range(WIDTH):
            if y < HORIZON:
                c = land_pixel(x, y, [h[x] for h in heights])
            else:
                # the lake mirrors the scene, broken up by ripples and darker with depth
                depth = (y - HORIZON) / (HEIGHT - HORIZON)
                ripple = math.sin(y * 0.9 + math.sin(x * 0.05 + y * 0.3) * 2.0) * (2 + depth * 10)
                mx = min(max(int(x + ripple), 0), WIDTH - 1)
                my = min(max(2 * HORIZON - y - 1, 0), HORIZON - 1)
                c = land_pixel(mx, my, [h[mx] for h in heights])
                c = mix(c, (14, 24, 46), 0.25 + depth * 0.45)
                # the sun's path on the water: short glints, denser near its line
                spread = 18 + depth * 70
                if rng.random() < 0.35 * math.exp(-((x - SUN[0]) / spread) ** 2):
                    c = mix(c, (255, 230, 180), 0.6)
            grain = rng.uniform(-5.0, 5.0)
            row += bytes(min(255, max(0, int(v + grain))) for v in c)
        rows.append(bytes(row))
    return b"".join(rows)


# --- the metadata ---------------------------------------------------------------------

def exif_segment(payload_size):
    """An Exif APP1 whose TIFF block is padded to exactly payload_size bytes."""
    entries0 = []  # (tag, type, count, value bytes)
    description = b"Lake at dusk\x00"
    software = b"Velt cover\x00"
    entries0.append((0x010E, 2, len(description), description))
    entries0.append((0x0112, 3, 1, struct.pack("<HH", 1, 0)))
    entries0.append((0x011A, 5, 1, struct.pack("<II", 72, 1)))
    entries0.append((0x011B, 5, 1, struct.pack("<II", 72, 1)))
    entries0.append((0x0128, 3, 1, struct.pack("<HH", 2, 0)))
    entries0.append((0x0131, 2, len(software), software))
    exif_entries = [
        (0xA001, 3, 1, struct.pack("<HH", 1, 0)),
        (0xA002, 4, 1, struct.pack("<I", WIDTH)),
        (0xA003, 4, 1, struct.pack("<I", HEIGHT)),
    ]

    def ifd(entries, start, extra_pointer=None):
        count = len(entries) + (1 if extra_pointer is not None else 0)
        data_start = start + 2 + count * 12 + 4
        head, data = bytearray(struct.pack("<H", count)), bytearray()
        all_entries = list(entries)
        if extra_pointer is not None:
            all_entries.append((0x8769, 4, 1, struct.pack("<I", extra_pointer)))
        for tag, typ, n, value in sorted(all_entries):
            if len(value) <= 4:
                head += struct.pack("<HHI", tag, typ, n) + value.ljust(4, b"\x00")
            else:
                head += struct.pack("<HHII", tag, typ, n, data_start + len(data))
                data += value
                if len(data) % 2:
                    data += b"\x00"
        head += struct.pack("<I", 0)
        return bytes(head + data)

    ifd0_size = len(ifd(entries0, 8, 0))
    exif_ifd_at = 8 + ifd0_size
    tiff = b"II*\x00" + struct.pack("<I", 8) + ifd(entries0, 8, exif_ifd_at) + ifd(exif_entries, exif_ifd_at)
    if len(tiff) > payload_size:
        sys.exit(f"Exif block of {len(tiff)} bytes does not fit in {payload_size}")
    tiff = tiff.ljust(payload_size, b"\x00")
    body = b"Exif\x00\x00" + tiff
    return b"\xFF\xE1" + struct.pack(">H", len(body) + 2) + body


DESCRIPTION = (
    "A quiet lake at dusk. Four ranges of mountains fade from violet into deep blue "
    "as the sun sinks behind the farthest ridge; thin clouds catch the last warm light "
    "and the water breaks the reflection into ripples and sparks."
)
KEYWORDS = ["lake", "dusk", "mountains", "sunset", "reflection", "landscape", "violet",
            "evening", "calm", "water", "ridge", "clouds", "sky", "horizon", "cover"]


def xmp_packet(size):
    """An XMP packet of exactly `size` bytes whose SPLIT_ELEMENT name covers SPLIT."""
    head = (
        '<?xpacket begin="\ufeff" id="W5M0MpCehiHzreSzNTczkc9d"?>\n'
        '<x:xmpmeta xmlns:x="adobe:ns:meta/">\n'
        ' <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">\n'
        '  <rdf:Description rdf:about=""\n'
        '    xmlns:dc="http://purl.org/dc/elements/1.1/"\n'
        '    xmlns:xmp="http://ns.adobe.com/xap/1.0/"\n'
        '    xmlns:tiff="http://ns.adobe.com/tiff/1.0/"\n'
        '    xmlns:exif="http://ns.adobe.com/exif/1.0/"\n'
        '    xmlns:velt="http://velt.example/ns/cover/1.0/">\n'
        '   <dc:format>image/jpeg</dc:format>\n'
        '   <dc:title><rdf:Alt><rdf:li xml:lang="x-default">Dusk over a mountain lake</rdf:li></rdf:Alt></dc:title>\n'
        f'   <dc:description><rdf:Alt><rdf:li xml:lang="x-default">{DESCRIPTION}</rdf:li></rdf:Alt></dc:description>\n'
        '   <dc:subject><rdf:Bag>\n'
        + "".join(f"     <rdf:li>{k}</rdf:li>\n" for k in KEYWORDS) +
        '   </rdf:Bag></dc:subject>\n'
        '   <xmp:CreatorTool>Velt cover maker</xmp:CreatorTool>\n'
        f'   <tiff:ImageWidth>{WIDTH}</tiff:ImageWidth>\n'
        f'   <tiff:ImageLength>{HEIGHT}</tiff:ImageLength>\n'
        '   <tiff:Orientation>1</tiff:Orientation>\n'
        f'   <exif:PixelXDimension>{WIDTH}</exif:PixelXDimension>\n'
        f'   <exif:PixelYDimension>{HEIGHT}</exif:PixelYDimension>\n'
        '   <exif:ColorSpace>1</exif:ColorSpace>\n'
    ).encode("utf-8")
    notes_text = (" ".join(f"Layer {i + 1}: base {b}, amplitude {a}." for i, (b, a, _, _, _) in enumerate(LAYERS))
                  + " Sun at " + ", ".join(str(int(v)) for v in SUN) + ".")
    tail = (
        f'{notes_text}</{SPLIT_ELEMENT}>\n'
        '  </rdf:Description>\n'
        ' </rdf:RDF>\n'
        '</x:xmpmeta>\n'
    ).encode("utf-8")
    trailer = b'<?xpacket end="w"?>'

    # Indent the split element so that SPLIT lands on the 6th character of its name.
    name_offset = SPLIT - XMP_PACKET_START - 6  # packet offset of '<' + 1
    indent = name_offset - 1 - len(head)
    if indent < 3:
        sys.exit("the XMP head is too long for the split point")
    filler = (b" " * 99 + b"\n") * (indent // 100) + b" " * (indent % 100)
    opening = head + filler + f"<{SPLIT_ELEMENT}>".encode("utf-8")
    assert len(head) + len(filler) + 1 == name_offset

    padding = size - len(opening) - len(tail) - len(trailer)
    if padding < 1:
        sys.exit("no room for the XMP padding")
    pad = (b" " * 99 + b"\n") * (padding // 100) + b" " * (padding % 100)
    packet = opening + tail + pad + trailer
    assert len(packet) == size
    return packet


def xmp_segment(packet):
    body = XMP_HEADER + packet
    return b"\xFF\xE1" + struct.pack(">H", len(body) + 2) + body


# --- the JPEG -------------------------------------------------------------------------

def strip_to_frame(jpeg):
    """The JPEG's tables, frame and scan with every APPn and COM segment removed."""
    assert jpeg[:2] == b"\xFF\xD8", "not a JPEG"
    out, i = bytearray(), 2
    while True:
        marker = jpeg[i + 1]
        length = struct.unpack(">H", jpeg[i + 2:i + 4])[0]
        if marker == 0xC2:
            sys.exit("convert wrote a progressive JPEG")
        if not (0xE0 <= marker <= 0xEF or marker == 0xFE):
            out += jpeg[i:i + 2 + length]
        if marker == 0xDA:  # start of scan: the rest is entropy-coded data and EOI
            return bytes(out + jpeg[i + 2 + length:])
        i += 2 + length


def compress(pixels, quality, workdir):
    ppm = os.path.join(workdir, "cover.ppm")
    jpg = os.path.join(workdir, "cover.jpg")
    if not os.path.exists(ppm):
        with open(ppm, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT) + pixels)
    subprocess.run(["/usr/bin/convert", ppm, "-strip", "-interlace", "none", "-sampling-factor", "4:2:0",
                    "-quality", str(quality), jpg], check=True)
    with open(jpg, "rb") as f:
        return strip_to_frame(f.read())


def main():
    if not os.access("/usr/bin/convert", os.X_OK):
        sys.exit("ImageMagick is missing: apt-get install imagemagick")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "cover.jpg"))
    args = parser.parse_args()

    exif = exif_segment(XMP_PACKET_START - 2 - 4 - len(XMP_HEADER) - 4 - 6)
    assert 2 + len(exif) + 4 + len(XMP_HEADER) == XMP_PACKET_START
    pixels = render()
    with tempfile.TemporaryDirectory() as workdir:
        frame, best = None, None
        for quality in range(98, 40, -1):  # the best quality that leaves room for the XMP head
            frame = compress(pixels, quality, workdir)
            room = TOTAL_SIZE - XMP_PACKET_START - len(frame)
            if SPLIT - XMP_PACKET_START + 600 <= room <= XMP_MAX_PACKET:
                best = quality
                break
        if best is None:
            sys.exit("no quality gives a size that fits")
    packet = xmp_packet(TOTAL_SIZE - XMP_PACKET_START - len(frame))
    data = b"\xFF\xD8" + exif + xmp_segment(packet) + frame
    assert len(data) == TOTAL_SIZE
    assert data[XMP_PACKET_START:XMP_PACKET_START + 9] == b"<?xpacket"
    with open(args.out, "wb") as f:
        f.write(data)
    print(f"{args.out}: {len(data)} bytes, quality {best}, XMP packet {len(packet)} bytes")


if __name__ == "__main__":
    main()
