#!/usr/bin/env python3
"""Draws plan pictures of the bomber sample (27damage.dat) for the views' "Background Picture...".

    python3 samples/make_plan_pictures.py OUTPUT_FOLDER

27plan-top.png: seen from above, right wing on the right, nose up; 80 ft wide, its centre at
x 0, y -15 (the top view mirrors it). 27plan-side.png: seen from the right, turned a quarter to the
left so that the nose points up and the top is on the left, as the side view draws z across and
y up; 22 ft wide, its centre at y -15, z 0 (not mirrored). Both are 20 pixels a foot.
"""

import pathlib
import struct
import sys
import zlib

FEET_PER_PICTURE_PIXEL = 1 / 20
PAPER, INK, FILL = (250, 248, 240), (20, 40, 110), (170, 200, 235)


class Sheet:
    """A picture of `width` x `height` feet, u across to the right and v up, centred on (0, vc)."""

    def __init__(self, width, height, v_centre):
        self.w, self.h = round(width / FEET_PER_PICTURE_PIXEL), round(height / FEET_PER_PICTURE_PIXEL)
        self.v_centre = v_centre
        self.rows = [bytearray(PAPER * self.w) for _ in range(self.h)]

    def pixel(self, u, v):
        return (self.w / 2 + u / FEET_PER_PICTURE_PIXEL,
                self.h / 2 - (v - self.v_centre) / FEET_PER_PICTURE_PIXEL)

    def put(self, x, y, colour):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.rows[y][3 * x:3 * x + 3] = bytes(colour)

    def polygon(self, points, fill=FILL):
        corners = [self.pixel(u, v) for u, v in points]
        for y in range(self.h):
            centre = y + 0.5
            crossings = sorted(x1 + (centre - y1) * (x2 - x1) / (y2 - y1)
                               for (x1, y1), (x2, y2) in zip(corners, corners[1:] + corners[:1])
                               if (y1 <= centre) != (y2 <= centre))
            for left, right in zip(crossings[0::2], crossings[1::2]):
                for x in range(round(left), round(right)):
                    self.put(x, y, fill)
        for start, end in zip(corners, corners[1:] + corners[:1]):
            self.line(start, end)

    def line(self, start, end, half_width=1):
        steps = int(max(abs(end[0] - start[0]), abs(end[1] - start[1]))) + 1
        for i in range(steps + 1):
            x = round(start[0] + (end[0] - start[0]) * i / steps)
            y = round(start[1] + (end[1] - start[1]) * i / steps)
            for dy in range(-half_width, half_width + 1):
                for dx in range(-half_width, half_width + 1):
                    self.put(x + dx, y + dy, INK)

    def save(self, path):
        raw = b"".join(b"\0" + bytes(row) for row in self.rows)

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        path.write_bytes(b"\x89PNG\r\n\x1a\n" +
                         chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)) +
                         chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def mirrored(points):
    return [(-u, v) for u, v in reversed(points)]


def top_plan():
    sheet = Sheet(80, 50, -15)
    wing = [(2, 4.5), (39, 3), (39, -3.5), (2, -5)]  # the biplane's two wings lie over each other
    sheet.polygon(wing)
    sheet.polygon(mirrored(wing))
    sheet.polygon([(0.5, -31.5), (9, -32), (9, -35.5), (8, -36.8), (0.5, -36.8)])
    sheet.polygon(mirrored([(0.5, -31.5), (9, -32), (9, -35.5), (8, -36.8), (0.5, -36.8)]))
    for side in (1, -1):
        sheet.polygon([(side * u, v) for u, v in
                       [(9.2, -3.5), (11.8, -3.5), (12.2, 6.5), (10.5, 7.8), (8.8, 6.5)]])
        sheet.polygon([(side * 5.3, 8.1), (side * 15.7, 8.1), (side * 15.7, 8.5), (side * 5.3, 8.5)])
    half = [(1.2, 8.8), (2.2, 5), (2.2, -10), (1.2, -30), (0.4, -38.4)]
    sheet.polygon(half + mirrored(half))
    sheet.polygon([(1.2, 1), (1.2, 4), (-1.2, 4), (-1.2, 1)], fill=(120, 160, 210))
    return sheet


def side_plan():
    # u = -z (the top of the aircraft on the left), v = y (the nose up).
    sheet = Sheet(22, 50, -15)
    turned = lambda points: [(-z, y) for y, z in points]
    sheet.polygon(turned([(9, -0.5), (8, 2), (4, 3.6), (0, 2.8), (-30, 2), (-38.5, 1.8),
                          (-38.5, 0.5), (-30, -1.5), (-10, -3.8), (5, -3.8), (8.5, -2.5)]))
    sheet.polygon(turned([(-33.8, 2), (-36.5, 9), (-38.6, 9), (-38.6, 2)]))
    sheet.polygon(turned([(-31.6, 1.8), (-36.6, 1.8), (-36.6, 2.3), (-31.6, 2.3)]))
    for z_low, z_high in ((-3.6, -3.1), (4.8, 5.4)):
        sheet.polygon(turned([(4, z_low), (4, z_high), (-4.5, z_high), (-4.5, z_low)]))
    for y in (-3, 3):
        sheet.line(sheet.pixel(3.1, y), sheet.pixel(-4.8, y))
    sheet.polygon(turned([(7.5, -2.4), (7.5, 2.6), (-3.5, 1.6), (-3.5, -1.4)]))
    sheet.polygon(turned([(5.5, -9.8), (5.5, -6.2), (1.5, -6.2), (1.5, -9.8)]))
    return sheet


if __name__ == "__main__":
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    top_plan().save(folder / "27plan-top.png")
    side_plan().save(folder / "27plan-side.png")
