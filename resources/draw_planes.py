#!/usr/bin/env python3
"""Draws the palette's four plane pictures (PLANE_L, PLANE_TL, PLANE_TR, PLANE_R) as PNG files,
and the program's icon (orbelle.ico) in the same style.

Each picture is 113 x 110 pixels, RGBA, with white and grey anti-aliased lines on opaque black: a
small isometric axis cross, one long axis line through it, and the plane as a parallelogram.
"R" is the mirror image of "L", "TR" that of "TL".

The icon is an isometric cube drawn the same way, at 16, 20, 24, 32, 40, 48, 64 and 256 pixels:
uncompressed 32-bit images up to 48 pixels (what title bars, the taskbar and Alt+Tab load, read
without an image decoder), PNG above.

Usage: python3 draw_planes.py [output folder]   (default: the folder of this script)
Needs nothing but the Python 3 standard library.
"""

import math
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 113, 110
WHITE = (255, 255, 255)
LIGHT_GREY = (176, 176, 176)
GREY = (128, 128, 128)

COS30, SIN30 = math.cos(math.radians(30)), 0.5
RISING = (COS30, -SIN30)   # towards the upper right (screen y grows downwards)
FALLING = (COS30, SIN30)   # towards the lower right
UP = (0.0, -1.0)


def along(point, direction, length):
    return (point[0] + direction[0] * length, point[1] + direction[1] * length)


def distance_to_segment(px, py, a, b):
    ax, ay = a
    dx, dy = b[0] - ax, b[1] - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


class Canvas:
    def __init__(self, width=WIDTH, height=HEIGHT):
        self.width, self.height = width, height
        self.pixels = [[(0.0, 0.0, 0.0) for _ in range(width)] for _ in range(height)]

    def line(self, a, b, color, width):
        """A line with round ends; coverage falls off over one pixel at its edge."""
        half = width / 2
        x0 = int(max(0, min(a[0], b[0]) - half - 1))
        x1 = int(min(self.width - 1, max(a[0], b[0]) + half + 1))
        y0 = int(max(0, min(a[1], b[1]) - half - 1))
        y1 = int(min(self.height - 1, max(a[1], b[1]) + half + 1))
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                coverage = max(0.0, min(1.0, half + 0.5 - distance_to_segment(x + 0.5, y + 0.5, a, b)))
                if coverage > 0:
                    old = self.pixels[y][x]
                    self.pixels[y][x] = tuple(o * (1 - coverage) + c * coverage for o, c in zip(old, color))

    def polygon(self, corners, color, width):
        for i, corner in enumerate(corners):
            self.line(corner, corners[(i + 1) % len(corners)], color, width)

    def rgba_rows(self):
        return [bytes(v for (r, g, b) in row for v in (round(r), round(g), round(b), 255))
                for row in self.pixels]

    def bgra_rows(self):
        return [bytes(v for (r, g, b) in row for v in (round(b), round(g), round(r), 255))
                for row in self.pixels]


def axis_cross(canvas, center):
    """The small isometric axis cross: arms up, to the lower left and to the lower right."""
    for direction in (UP, (-COS30, SIN30), (COS30, SIN30)):
        canvas.line(center, along(center, direction, 13), LIGHT_GREY, 2)


def long_axis(canvas, center, direction):
    """The long axis line through the cross, from one edge of the picture to the other."""
    canvas.line(along(center, direction, -120), along(center, direction, 120), GREY, 1.6)


def draw_l():
    """An upright plane whose top and bottom edges rise to the right, on a rising axis line."""
    canvas = Canvas()
    center = (30.0, 82.0)
    long_axis(canvas, center, RISING)
    bottom_left = along(center, RISING, 16)
    bottom_right = along(bottom_left, RISING, 50)
    canvas.polygon([bottom_left, bottom_right, along(bottom_right, UP, 42), along(bottom_left, UP, 42)],
                   WHITE, 3)
    axis_cross(canvas, center)
    return canvas


def draw_tl():
    """A lying plane at the upper left of the cross, on a rising axis line."""
    canvas = Canvas()
    center = (80.0, 84.0)
    long_axis(canvas, center, RISING)
    # A rhombus with its edges along the two horizontal isometric directions, its middle up and
    # to the left of the cross.
    middle = (center[0] - 34, center[1] - 36)
    half_width, half_height = 40 * COS30, 40 * SIN30
    canvas.polygon([(middle[0], middle[1] + half_height), (middle[0] - half_width, middle[1]),
                    (middle[0], middle[1] - half_height), (middle[0] + half_width, middle[1])],
                   WHITE, 3)
    axis_cross(canvas, center)
    return canvas


def draw_cube(size):
    """The icon: an isometric cube seen from above, its outline white, its three inner edges light
    grey, on opaque black."""
    canvas = Canvas(size, size)
    edge = 0.40 * size
    # The vertical edges on pixel centres, so that they stay sharp at the small sizes.
    center = (size // 2 + 0.5, size / 2)
    width = max(1.0, size / 15)
    corners = [along(center, direction, edge) for direction in
               (UP, RISING, (COS30, SIN30), (0.0, 1.0), (-COS30, SIN30), (-COS30, -SIN30))]
    for corner in (corners[1], corners[3], corners[5]):  # up left, up right and down
        canvas.line(center, corner, LIGHT_GREY, width)
    canvas.polygon(corners, WHITE, width)
    return canvas


def mirrored(canvas):
    result = Canvas()
    result.pixels = [list(reversed(row)) for row in canvas.pixels]
    return result


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(kind, row, previous, bpp=4):
    out = bytearray()
    for i, value in enumerate(row):
        left = row[i - bpp] if i >= bpp else 0
        up = previous[i]
        up_left = previous[i - bpp] if i >= bpp else 0
        predictor = (0, left, up, (left + up) // 2, paeth(left, up, up_left))[kind]
        out.append((value - predictor) & 0xFF)
    return out


def png_bytes(rows):
    """RGBA 8-bit, non-interlaced; each row with the filter that leaves the smallest residue."""
    raw = bytearray()
    previous = bytes(len(rows[0]))
    for row in rows:
        candidates = [filter_row(kind, row, previous) for kind in range(5)]
        kind = min(range(5), key=lambda k: sum(v if v < 128 else 256 - v for v in candidates[k]))
        raw.append(kind)
        raw += candidates[kind]
        previous = row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", len(rows[0]) // 4, len(rows), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
LARGEST_BITMAP_ENTRY = 48


def bitmap_entry(canvas):
    """An icon image as Windows stores it: a BITMAPINFOHEADER of twice the height (the colours,
    then the transparency mask), rows bottom-up, 32-bit BGRA, and an all-opaque 1-bit mask."""
    size = canvas.width
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = b"".join(reversed(canvas.bgra_rows()))
    mask_row = ((size + 31) // 32) * 4
    return header + colours + bytes(mask_row * size)


def ico_bytes(sizes=ICON_SIZES):
    images = []
    for size in sizes:
        canvas = draw_cube(size)
        images.append(bitmap_entry(canvas) if size <= LARGEST_BITMAP_ENTRY
                      else png_bytes(canvas.rgba_rows()))
    directory = struct.pack("<HHH", 0, 1, len(sizes))
    offset = len(directory) + 16 * len(sizes)
    for size, image in zip(sizes, images):
        side = 0 if size >= 256 else size  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def main():
    if len(sys.argv) > 2:
        sys.exit("usage: draw_planes.py [output folder]")
    folder = sys.argv[1] if len(sys.argv) == 2 else os.path.dirname(os.path.abspath(__file__))
    if not os.path.isdir(folder):
        sys.exit(f"draw_planes.py: the output folder {folder!r} does not exist; create it or name another")
    l_plane, tl_plane = draw_l(), draw_tl()
    pictures = {"PLANE_L": l_plane, "PLANE_R": mirrored(l_plane), "PLANE_TL": tl_plane,
                "PLANE_TR": mirrored(tl_plane)}
    for name, canvas in pictures.items():
        path = os.path.join(folder, name + ".png")
        with open(path, "wb") as out:
            out.write(png_bytes(canvas.rgba_rows()))
        print(f"wrote {path}")
    path = os.path.join(folder, "orbelle.ico")
    with open(path, "wb") as out:
        out.write(ico_bytes())
    print(f"wrote {path}")


if __name__ == "__main__":
    main()
