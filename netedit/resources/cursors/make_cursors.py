#!/usr/bin/env python3
"""Draws the cursors: 32 x 32 RGBA PNGs with a pictogram of the object kind or edit mode at the lower
right. Item cursors and most mode cursors carry an arrow whose tip is the hot spot (0, 0); the cursors
of modes that place a point exactly carry a crosshair centred on pixel (2, 2) instead. Run from any
directory; writes next to itself."""

import math
import os
import sys

sys.dont_write_bytecode = True  # no cache folder in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

from pngdraw import (BLACK, WHITE, circle, pie, polygon, rect, rect_outline,  # noqa: E402
                     rgba, ring, stroke)
import pngdraw  # noqa: E402

SIZE = 32

GREY = (128, 128, 132, 255)
DARK = (40, 40, 40, 255)


ARROW = [(0.0, 0.0), (0.0, 13.0), (3.2, 10.0), (5.6, 15.0), (7.6, 14.1), (5.3, 9.3), (9.6, 9.3)]


def arrow():
    return [(stroke(ARROW, 2.0, closed=True), WHITE), (polygon(ARROW), BLACK)]


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


# Mode cursors: the pictogram of what the mode makes, with a plus when it adds objects.

GREEN = rgba(30, 160, 60)


def plus():
    arms = [(27.5, 9), (27.5, 17)], [(23.5, 13), (31.5, 13)]
    return [(stroke(a, 4.4), WHITE) for a in arms] + [(stroke(a, 2.2), GREEN) for a in arms]


def crosshair():
    """A cross whose lines meet in the middle of pixel (2, 2); the arms run off the top and left."""
    c = 2.5
    arms = [[(c, 0), (c, c + 9)], [(0, c), (c + 9, c)]]
    return [(stroke(a, 3.4), WHITE) for a in arms] + [(stroke(a, 1.2), BLACK) for a in arms]


def join_nodes():
    blue = rgba(30, 120, 220)
    prims = []
    for y in (17, 29):
        prims.append((stroke([(17, y), (24, 23)], 1.6), DARK))
    prims += [(circle(16, 17, 3.0), blue), (ring(16, 17, 3.0, 1.1), DARK),
              (circle(16, 29, 3.0), blue), (ring(16, 29, 3.0, 1.1), DARK),
              (circle(26, 23, 4.5), blue), (ring(26, 23, 4.5, 1.2), DARK)]
    return prims


def polygon_shape():
    pts = [(15, 27), (18, 16), (28, 18), (30, 29)]
    prims = [(polygon(pts), rgba(255, 205, 110)), (stroke(pts, 1.4, True), DARK)]
    for x, y in pts:
        prims += [(rect(x - 1.8, y - 1.8, 3.6, 3.6), WHITE), (rect_outline(x - 1.8, y - 1.8, 3.6, 3.6, 1.0), DARK)]
    return prims


def mid_point():
    a, b = (15, 29.5), (29.5, 21.5)
    m = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
    prims = [(stroke([a, b], 1.6), DARK)]
    for x, y in (a, b):
        prims += [(rect(x - 1.8, y - 1.8, 3.6, 3.6), WHITE), (rect_outline(x - 1.8, y - 1.8, 3.6, 3.6, 1.0), DARK)]
    prims += [(circle(m[0], m[1], 2.8), rgba(255, 190, 40)), (ring(m[0], m[1], 2.8, 1.1), DARK)]
    return prims


def clipboard():
    board = rgba(150, 110, 60)
    return [(rect(16, 16, 13, 15), DARK), (rect(17.2, 17.2, 10.6, 12.6), board),
            (rect(18.8, 19.5, 7.4, 9.5), WHITE), (rect(19.5, 14.5, 6, 3.5), DARK),
            (stroke([(20.3, 22.5), (24.7, 22.5)], 1.0), GREY), (stroke([(20.3, 25.5), (24.7, 25.5)], 1.0), GREY)]


def with_plus(picto):
    return lambda: picto() + plus()


# Name: (pictogram, hot spot).
MODE_CURSORS = {
    "add_node_cursor.png": (with_plus(node), (2, 2)),
    "add_junction_cursor.png": (with_plus(junction), (2, 2)),
    "add_edge_cursor.png": (with_plus(edge), (0, 0)),
    "add_conn_cursor.png": (with_plus(connection), (0, 0)),
    "add_dt_cursor.png": (with_plus(detector), (0, 0)),
    "add_edt_cursor.png": (with_plus(edetector), (0, 0)),
    "join_dt_groups_cursor.png": (composite_dt, (0, 0)),
    "add_crosswalk_cursor.png": (with_plus(crosswalk), (0, 0)),
    "add_wa_cursor.png": (with_plus(wa), (0, 0)),
    "join_nodes_cursor.png": (join_nodes, (2, 2)),
    "add_route.png": (with_plus(route), (0, 0)),
    "add_polygon_cursor.png": (with_plus(polygon_shape), (2, 2)),
    "add_pt_stop_cursor.png": (with_plus(pt_stop), (2, 2)),
    "add_taz_cursor.png": (with_plus(taz), (0, 0)),
    "add_mid_point_cursor.png": (with_plus(mid_point), (2, 2)),
    "paste_cursor.png": (clipboard, (0, 0)),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, picto in CURSORS.items():
        pngdraw.write_png(os.path.join(here, name), pngdraw.render(picto() + arrow(), SIZE))
    for name, (picto, hot) in MODE_CURSORS.items():
        pointer = arrow() if hot == (0, 0) else crosshair()
        pngdraw.write_png(os.path.join(here, name), pngdraw.render(picto() + pointer, SIZE))


if __name__ == "__main__":
    main()
