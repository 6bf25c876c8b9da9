#!/usr/bin/env python3
"""Draws the item cursors: 32 x 32 RGBA PNGs, an arrow whose tip is the hot spot (0, 0) and a
pictogram of the object kind at the lower right. Run from any directory; writes next to itself."""

import math
import os
import struct
import zlib

SIZE = 32
SUB = 4  # samples per pixel and axis

BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
GREY = (128, 128, 132, 255)
DARK = (40, 40, 40, 255)


def rgba(r, g, b, a=255):
    return (r, g, b, a)


# Primitives: each returns a coverage test for a sample point (x, y) in pixel units.

def polygon(points):
    def inside(x, y):
        c = False
        n = len(points)
        for i in range(n):
            x1, y1 = points[i]
            x2, y2 = points[(i + 1) % n]
            if (y1 > y) != (y2 > y):
                t = (y - y1) / (y2 - y1)
                if x < x1 + t * (x2 - x1):
                    c = not c
        return c
    return inside


def seg_dist(x, y, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
    px, py = ax + t * dx, ay + t * dy
    return math.hypot(x - px, y - py)


def stroke(points, width, closed=False):
    segs = list(zip(points, points[1:]))
    if closed:
        segs.append((points[-1], points[0]))
    half = width / 2.0

    def inside(x, y):
        return any(seg_dist(x, y, a, b) <= half for a, b in segs)
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2.0


def pie(cx, cy, r, start, span):
    def inside(x, y):
        dx, dy = x - cx, cy - y
        if dx * dx + dy * dy > r * r:
            return False
        a = math.degrees(math.atan2(dy, dx)) % 360
        return (a - start) % 360 <= span
    return inside


def rect(x, y, w, h):
    return polygon([(x, y), (x + w, y), (x + w, y + h), (x, y + h)])


ARROW = [(0.0, 0.0), (0.0, 13.0), (3.2, 10.0), (5.6, 15.0), (7.6, 14.1), (5.3, 9.3), (9.6, 9.3)]


def arrow():
    return [(stroke(ARROW, 2.0, closed=True), WHITE), (polygon(ARROW), BLACK)]


def render(prims):
    img = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            n = SUB * SUB
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    cr = cg = cb = ca = 0.0
                    for test, col in prims:
                        if test(x, y):
                            al = col[3] / 255.0
                            cr = col[0] * al + cr * (1 - al)
                            cg = col[1] * al + cg * (1 - al)
                            cb = col[2] * al + cb * (1 - al)
                            ca = al + ca * (1 - al)
                    acc[0] += cr
                    acc[1] += cg
                    acc[2] += cb
                    acc[3] += ca
            r, g, b, a = (v / n for v in acc)
            if a > 0:
                row.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                row.append((0, 0, 0, 0))
        img.append(row)
    return img


def write_png(path, img):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in img)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# Pictograms, drawn in the square (14, 14) .. (31, 31).

def node():
    return [(circle(23, 23, 6.5), DARK), (circle(23, 23, 5.0), rgba(160, 160, 164))]


def junction():
    band = rgba(100, 100, 104)
    return [(rect(20, 14, 7, 17), band), (rect(14, 19.5, 17, 7), band),
            (rect(18.5, 18, 10, 10), rgba(0, 200, 0)), (stroke([(18.5, 18), (28.5, 18), (28.5, 28), (18.5, 28)], 1.2, True), DARK)]


def point():
    blue = rgba(0, 170, 255)
    return [(stroke([(23, 15), (23, 31)], 1.2), DARK), (stroke([(15, 23), (31, 23)], 1.2), DARK),
            (circle(23, 23, 4.5), blue), (ring(23, 23, 4.5, 1.2), DARK)]


def edge():
    road = rgba(60, 60, 60)
    return [(stroke([(15, 30), (30, 15)], 9.0), road),
            (stroke([(18, 27), (21, 24)], 1.4), WHITE), (stroke([(24, 21), (27, 18)], 1.4), WHITE)]


def lane():
    return [(stroke([(15, 30), (30, 15)], 6.0), rgba(60, 60, 60)),
            (stroke([(18, 27), (27, 18)], 1.6), rgba(255, 220, 0)),
            (polygon([(28.5, 16.5), (23, 18), (27, 22)]), rgba(255, 220, 0))]


def stopline():
    return [(rect(19, 14, 9, 17), rgba(60, 60, 60)), (rect(17, 20, 13, 3.5), WHITE),
            (stroke([(17, 20), (30, 20), (30, 23.5), (17, 23.5)], 1.0, True), DARK)]


def crosswalk():
    prims = [(rect(14, 17, 17, 12), rgba(60, 60, 60))]
    for i in range(4):
        prims.append((rect(15.5 + i * 4, 18.5, 2.2, 9), WHITE))
    return prims


def connection():
    pts = [(16 + 12 * math.sin(a), 30 - 12 * (1 - math.cos(a))) for a in [i * math.pi / 24 for i in range(13)]]
    col = rgba(230, 120, 0)
    return [(stroke(pts, 2.2), col), (polygon([(30.5, 18), (25, 14.5), (25, 21.5)]), col)]


def route():
    col = rgba(34, 130, 255)
    pts = [(15, 30), (20, 24), (17, 19), (25, 16)]
    return [(stroke(pts, 2.4), col), (polygon([(31, 14.5), (24.5, 12.5), (26, 19.5)]), col)]


def detector():
    return [(rect(16, 17, 14, 12), rgba(114, 188, 210)), (stroke([(16, 17), (30, 17), (30, 29), (16, 29)], 1.4, True), DARK)]


def edetector():
    return [(pie(16, 30, 15, 10, 70), rgba(255, 16, 16, 200)), (circle(16, 30, 2.2), DARK)]


def dt_group():
    blue = rgba(71, 78, 210)
    prims = []
    for x, y in [(15, 16), (24, 16), (19.5, 24)]:
        prims.append((rect(x, y, 7, 6), blue))
        prims.append((stroke([(x, y), (x + 7, y), (x + 7, y + 6), (x, y + 6)], 1.0, True), DARK))
    return prims


def composite_dt():
    blue = rgba(71, 78, 210)
    return [(stroke([(19, 22), (27, 26)], 1.6), DARK),
            (rect(14.5, 16, 8, 9), blue), (stroke([(14.5, 16), (22.5, 16), (22.5, 25), (14.5, 25)], 1.0, True), DARK),
            (rect(23, 21, 8, 9), blue), (stroke([(23, 21), (31, 21), (31, 30), (23, 30)], 1.0, True), DARK)]


def pt_stop():
    blue = rgba(89, 183, 237)
    return [(stroke([(23, 22), (23, 31)], 1.6), DARK), (circle(23, 19, 5.5), blue), (ring(23, 19, 5.5, 1.2), DARK),
            (stroke([(21, 16.5), (21, 21.5)], 1.2), WHITE), (stroke([(25, 16.5), (25, 21.5)], 1.2), WHITE),
            (stroke([(21, 19), (25, 19)], 1.2), WHITE)]


def wa():
    pts = [(15, 18), (22, 14.5), (31, 19), (28, 30), (17, 29)]
    prims = [(polygon(pts), rgba(192, 192, 192))]
    prims.append((stroke(pts, 1.2, True), DARK))
    for cx, cy in [(20, 25), (24, 21)]:
        prims.append((circle(cx, cy, 1.4), DARK))
    return prims


def taz():
    pts = [(23 + 7.5 * math.cos(math.radians(a)), 23 + 7.5 * math.sin(math.radians(a))) for a in range(0, 360, 60)]
    return [(polygon(pts), rgba(29, 236, 229, 110)), (stroke(pts, 1.8, True), rgba(20, 160, 155))]


CURSORS = {
    "node_cursor.png": node,
    "junction_cursor.png": junction,
    "point_cursor.png": point,
    "edge_cursor.png": edge,
    "lane_cursor.png": lane,
    "stopline_cursor.png": stopline,
    "crosswalk_cursor.png": crosswalk,
    "connection_cursor.png": connection,
    "route_cursor.png": route,
    "detector_cursor.png": detector,
    "edetector_cursor.png": edetector,
    "dt_group_cursor.png": dt_group,
    "composite_dt_cursor.png": composite_dt,
    "pt_stop_cursor.png": pt_stop,
    "wa_cursor.png": wa,
    "taz_cursor.png": taz,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, picto in CURSORS.items():
        write_png(os.path.join(here, name), render(picto() + arrow()))


if __name__ == "__main__":
    main()
