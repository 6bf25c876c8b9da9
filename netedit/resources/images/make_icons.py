#!/usr/bin/env python3
"""Draws the action and layer icons: 24 x 24 RGBA PNGs in one flat style (1.2 px dark outlines, 2 px
lines, the palette below; roads grey, nodes blue, connections orange, detectors light blue). Run from
any directory; writes next to itself."""

import math
import os
import sys

sys.dont_write_bytecode = True  # no cache folder in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

from pngdraw import (WHITE, arc_points, arrow_head, circle, dashed, dilate, ellipse,  # noqa: E402
                     polygon, rect, rect_outline, rgba, ring, rounded_rect, stroke, union)
import pngdraw  # noqa: E402

SIZE = 24

INK = rgba(45, 52, 64)
ROAD = rgba(112, 118, 128)
BLUE = rgba(30, 120, 220)
SKY = rgba(114, 188, 210)
GREEN = rgba(30, 160, 60)
RED = rgba(215, 40, 40)
ORANGE = rgba(235, 125, 0)
YELLOW = rgba(255, 200, 40)
TEAL = rgba(20, 160, 155)
PAPER = rgba(250, 250, 250)
PALE = rgba(205, 210, 216)
HALO = rgba(255, 255, 255, 230)  # keeps dark lines visible on a dark toolbar
FILL = rgba(255, 205, 110)
ZONE = rgba(175, 236, 232)

LINE = 2.0
OUTLINE = 1.2


# Building blocks.

def haloed(prims, r=1.0):
    return [(dilate(union([t for t, _ in prims]), r), HALO)] + prims


def dot(cx, cy, r=3.2, fill=BLUE):
    return [(circle(cx, cy, r), fill), (ring(cx, cy, r, OUTLINE), INK)]


def plus(cx, cy, arm=3.6):
    arms = [[(cx, cy - arm), (cx, cy + arm)], [(cx - arm, cy), (cx + arm, cy)]]
    return [(stroke(a, 4.4), WHITE) for a in arms] + [(stroke(a, 2.4), GREEN) for a in arms]


def arrow_line(points, colour, width=LINE, head=5.0):
    """A polyline ending in a filled head at its last point."""
    (ax, ay), (bx, by) = points[-2], points[-1]
    d = (bx - ax, by - ay)
    n = math.hypot(*d)
    shortened = points[:-1] + [(bx - d[0] / n * head * 0.6, by - d[1] / n * head * 0.6)]
    return [(stroke(shortened, width), colour), (arrow_head((bx, by), d, head, head), colour)]


def road(points, width=8.0):
    return [(stroke(points, width + OUTLINE), INK), (stroke(points, width), ROAD)]


def hroad(y0, y1, x0=0.6, x1=23.4):
    return [(rect(x0, y0, x1 - x0, y1 - y0), ROAD),
            (stroke([(x0, y0), (x1, y0)], OUTLINE), INK), (stroke([(x0, y1), (x1, y1)], OUTLINE), INK)]


def vroad(x0, x1, y0=0.6, y1=23.4):
    return [(rect(x0, y0, x1 - x0, y1 - y0), ROAD),
            (stroke([(x0, y0), (x0, y1)], OUTLINE), INK), (stroke([(x1, y0), (x1, y1)], OUTLINE), INK)]


def loop(x, y, w, h, fill=SKY):
    return [(rect(x, y, w, h), fill), (rect_outline(x, y, w, h, OUTLINE), INK)]


def marker(x, y, half=1.9):
    return [(rect(x - half, y - half, 2 * half, 2 * half), WHITE),
            (rect_outline(x - half, y - half, 2 * half, 2 * half, 1.0), INK)]


def siren(cx, base):
    """A rotating beacon: a red dome on a dark base with rays."""
    prims = haloed([(rect(cx - 5, base - 1.8, 10, 2.2), INK)])
    prims.append((polygon([(cx - 3.8, base - 1.8)] + arc_points(cx, base - 5.2, 3.8, 180, 0, 12)
                          + [(cx + 3.8, base - 1.8)]), RED))
    for a in (150, 90, 30):
        c, s = math.cos(math.radians(a)), math.sin(math.radians(a))
        prims.append((stroke([(cx + 6.0 * c, base - 5.2 - 6.0 * s), (cx + 8.0 * c, base - 5.2 - 8.0 * s)], 1.5), RED))
    return prims


def footprint(cx, cy, angle):
    return [(ellipse(cx, cy, 1.5, 2.6, angle), INK)]


def bus_stop(cx, top, bottom):
    """The German stop sign: a green H on a yellow disc."""
    r = 5.2
    cy = top + r
    h = [[(cx - 1.9, cy - 2.6), (cx - 1.9, cy + 2.6)], [(cx + 1.9, cy - 2.6), (cx + 1.9, cy + 2.6)],
         [(cx - 1.9, cy), (cx + 1.9, cy)]]
    return (haloed([(stroke([(cx, cy), (cx, bottom)], LINE), INK), (rect(cx - 3, bottom - 1, 6, 1.6), INK)])
            + [(circle(cx, cy, r), YELLOW), (ring(cx, cy, r, 1.4), GREEN)]
            + [(stroke(s, 1.4), GREEN) for s in h])


def zone(points, dash=3.0, gap=2.0):
    return [(polygon(points), ZONE), (dashed(points, 1.8, dash, gap, closed=True), TEAL)]


def percent(x, y, s=1.0):
    return haloed([(ring(x + 1.3 * s, y + 1.3 * s, 1.2 * s, 1.1), INK),
                   (ring(x + 5.2 * s, y + 5.2 * s, 1.2 * s, 1.1), INK),
                   (stroke([(x + 5.8 * s, y), (x + 0.7 * s, y + 6.5 * s)], 1.3), INK)])


def page(x, y, w, h, fold=3.5):
    pts = [(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)]
    prims = [(polygon(pts), PAPER), (stroke(pts, OUTLINE, True), INK),
             (stroke([(x + w - fold, y), (x + w - fold, y + fold), (x + w, y + fold)], 1.0), INK)]
    for i in range(3):
        ly = y + fold + 2.2 + i * 2.6
        if ly < y + h - 1.5:
            prims.append((stroke([(x + 2.2, ly), (x + w - 2.2, ly)], 1.0), PALE))
    return prims


# Actions.

def create_od_matrix():
    x0, y0, n, c = 2.5, 3.5, 4, 4.75
    prims = [(rect(x0, y0, n * c, n * c), PAPER), (rect(x0, y0, n * c, c), SKY), (rect(x0, y0, c, n * c), SKY),
             (rect(x0 + 2 * c, y0 + 2 * c, c, c), YELLOW), (rect(x0 + 3 * c, y0 + c, c, c), YELLOW)]
    for i in range(1, n):
        prims.append((stroke([(x0 + i * c, y0), (x0 + i * c, y0 + n * c)], 1.0), INK))
        prims.append((stroke([(x0, y0 + i * c), (x0 + n * c, y0 + i * c)], 1.0), INK))
    prims.append((rect_outline(x0, y0, n * c, n * c, OUTLINE), INK))
    return prims


def wireframe():
    outline = [(8, 1), (8, 8), (1, 8), (1, 16), (8, 16), (8, 23), (16, 23), (16, 16), (23, 16), (23, 8),
               (16, 8), (16, 1)]
    edges = [stroke(outline[i:i + 3], OUTLINE) for i in range(0, 12, 3)]
    return (haloed([(e, INK) for e in edges])
            + [(stroke([(12, 1), (12, 23)], OUTLINE), BLUE), (stroke([(1, 12), (23, 12)], OUTLINE), BLUE)]
            + dot(12, 12, 1.8))


def add_node():
    return dot(10, 10, 6.0) + plus(18, 18)


def add_point():
    cx, cy, r = 12, 9, 6.5
    t = math.degrees(math.acos(r / (22 - cy)))
    outline = arc_points(cx, cy, r, -90 + t, 270 - t, 32) + [(cx, 22.5)]
    return [(polygon(outline), RED), (stroke(outline, OUTLINE, True), INK),
            (circle(cx, cy, 2.5), WHITE), (ring(cx, cy, 2.5, 1.0), INK)]


def add_edge():
    return haloed(arrow_line([(5, 19), (17.2, 6.8)], INK, head=6.0)) + dot(4, 20) + dot(20, 4)


def add_edge_group():
    return (arrow_line([(2, 8), (22, 8)], BLUE, 2.4, 6.0) + arrow_line([(22, 16), (2, 16)], BLUE, 2.4, 6.0)
            + [(dashed([(1, 12), (23, 12)], 1.0, 2.0, 2.0), INK)])


def add_junction():
    return (vroad(8, 16) + hroad(8, 16)
            + [(rect(8.6, 8.6, 6.8, 6.8), rgba(0, 190, 60)), (rect_outline(8, 8, 8, 8, OUTLINE), INK)])


def add_conn():
    arc = arc_points(21, 21, 12, 180, 90, 20)
    return (vroad(5.5, 12.5, 13, 23.4) + hroad(5.5, 12.5, 13, 23.4)
            + arrow_line([(9, 23.4)] + arc[1:-2] + [(23, 9)], ORANGE, 2.4, 6.0))


def add_dt():
    return vroad(6, 18) + [(dashed([(12, 0.6), (12, 23.4)], 1.0, 2.5, 2.0), WHITE)] + loop(3.5, 8.5, 17, 7)


def add_edt():
    return vroad(6, 18) + loop(3.5, 14, 17, 6.5) + siren(12, 12.5)


def add_crosswalk():
    prims = hroad(4, 20)
    for i in range(5):
        prims.append((rect(2.5 + i * 4.2, 6, 2.2, 12), WHITE))
    return prims


def walking_area():
    pts = [(2, 7), (10, 2), (22, 5), (21, 20), (6, 22), (1.5, 15)]
    return ([(polygon(pts), PALE), (stroke(pts, OUTLINE, True), INK)]
            + footprint(9, 14, -15) + footprint(14.5, 9, 15))


def nodes_join():
    return (haloed([(stroke([(5.5, 5.5), (14.5, 11.4)], LINE), INK), (stroke([(5.5, 18.5), (14.5, 12.6)], LINE), INK),
                    (arrow_head((14.8, 11.2), (1, 0.65), 4.5, 4.5), INK),
                    (arrow_head((14.8, 12.8), (1, -0.65), 4.5, 4.5), INK)])
            + dot(4, 4.5, 3.0) + dot(4, 19.5, 3.0) + dot(18.5, 12, 4.5))


def add_polygon():
    pts = [(3, 19), (5, 5), (17, 3), (21, 13), (14, 21)]
    prims = [(polygon(pts), FILL), (stroke(pts, 1.4, True), INK)]
    for x, y in pts:
        prims += marker(x, y)
    return prims


def add_pt_stop():
    return bus_stop(12, 1.5, 22.5)


def add_taz():
    pts = [(12 + 10 * math.cos(math.radians(a)), 12 + 9.5 * math.sin(math.radians(a))) for a in range(-90, 270, 60)]
    return zone(pts) + dot(12, 12, 2.2, TEAL)


def create_traffic_state():
    arrows = (arrow_line([(9, 23), (9, 13), (4, 8.5)], INK, LINE, 5.0) + arrow_line([(9, 14), (9, 2.5)], INK, LINE, 5.0)
              + arrow_line([(9, 13), (14, 8.5)], INK, LINE, 5.0))
    return haloed(arrows) + percent(14.5, 14.5, 1.25)


def full_connections_view():
    left = [(10, 23)] + arc_points(0, 23, 10, 0, 90, 12)[1:-1] + [(1.0, 13)]
    right = [(14, 23)] + arc_points(24, 23, 10, 180, 90, 12)[1:-1] + [(23.0, 13)]
    return (arrow_line(left, ORANGE, LINE, 5.0) + arrow_line(right, ORANGE, LINE, 5.0)
            + arrow_line([(12, 23), (12, 1.5)], ORANGE, LINE, 5.0))


def edit_copy():
    return page(2, 2, 13, 16) + page(9, 6, 13, 16)


def edit_paste():
    board = rgba(190, 140, 80)
    return ([(rounded_rect(2.4, 2.9, 17.2, 20.2, 2.6), INK), (rounded_rect(3, 3.5, 16, 19, 2), board),
             (rounded_rect(6.4, 1.2, 9.2, 4.6, 1.4), INK), (rounded_rect(7.4, 2.2, 7.2, 2.6, 0.8), PALE)]
            + page(10, 9, 12.5, 14, 3.0))


# Layers.

def show_geometries():
    tri = [(2, 21), (9, 4), (16, 21)]
    return ([(polygon(tri), FILL), (stroke(tri, 1.4, True), INK)]
            + [(circle(17.5, 8.5, 4.5), rgba(140, 190, 240)), (ring(17.5, 8.5, 4.5, 1.4), INK)])


def show_edgegroups():
    return (hroad(3, 21) + [(dashed([(0.6, 12), (23.4, 12)], 1.2, 3.0, 2.0), WHITE)]
            + arrow_line([(3, 7.5), (20, 7.5)], WHITE, LINE, 5.0)
            + arrow_line([(21, 16.5), (4, 16.5)], WHITE, LINE, 5.0))


def show_edges():
    return road([(3, 21), (21, 3)], 9.0) + arrow_line([(7.5, 16.5), (17, 7)], WHITE, 1.8, 5.0)


def show_lanes():
    prims = vroad(2, 22)
    for x in (8.67, 15.33):
        prims.append((dashed([(x, 0.6), (x, 23.4)], 1.2, 3.0, 2.2), WHITE))
    prims.append((rect(2.6, 0.6, 5.5, 22.8), rgba(30, 120, 220, 90)))
    return prims


def show_ptstops():
    return bus_stop(12, 1.5, 22.5)


def show_marking():
    shaft = [(7, 23.4), (7, 11), (13.5, 11)]
    return (vroad(1.5, 22.5) + [(stroke([(15, 0.6), (15, 23.4)], 1.2), WHITE)]
            + arrow_line([(7, 23.4), (7, 4)], WHITE, 1.8, 4.5) + arrow_line(shaft, WHITE, 1.8, 4.5)
            + [(dashed([(19, 0.6), (19, 23.4)], 1.0, 2.5, 2.0), YELLOW)])


def show_nodes():
    return (haloed([(stroke([(5, 18), (12, 6), (19, 17)], 1.4), INK), (stroke([(5, 18), (19, 17)], 1.4), INK)])
            + dot(5, 18, 3.6) + dot(12, 6, 3.6) + dot(19, 17, 3.6))


def show_connections():
    arc = arc_points(22, 22, 12, 180, 90, 20)
    return (arrow_line([(10, 23)] + arc[1:-2] + [(22.5, 10)], ORANGE, 2.4, 6.0)
            + arrow_line([(4, 23), (4, 2)], ORANGE, 2.4, 6.0))


def show_crosswalks():
    prims = vroad(4, 20)
    for i in range(5):
        prims.append((rect(6, 2.5 + i * 4.2, 12, 2.2), WHITE))
    return prims


def show_stoplines():
    return (vroad(5, 19) + [(dashed([(12, 14), (12, 23.4)], 1.0, 2.5, 2.0), WHITE)]
            + [(rect(5.6, 9.5, 12.8, 3.2), WHITE)] + arrow_line([(8.5, 23), (8.5, 15.5)], WHITE, 1.5, 4.0))


def show_routes():
    pts = [(3, 21), (9, 14), (6, 8), (13, 4.5), (21, 4)]
    return dot(3.5, 20.5, 2.8) + [(stroke(pts[:-1] + [(18.5, 4.1)], 2.4), BLUE),
                                  (arrow_head((22.5, 4), (1, 0), 6.0, 6.0), BLUE)]


def show_emergencydetectors():
    return siren(12, 18) + haloed([(rect(3, 19, 18, 3), INK)])


def show_detectors():
    return vroad(5, 19) + loop(3, 7, 18, 10)


def show_detectorgroups():
    prims = []
    for x, y in [(1.5, 2.5), (12.5, 2.5), (7, 13.5)]:
        prims += loop(x, y, 10, 8)
    return prims


def show_compositedetectors():
    return haloed([(stroke([(7, 8), (17, 16)], LINE), INK)]) + loop(1.5, 3, 10, 9) + loop(12.5, 12, 10, 9)


def show_tazs():
    return zone([(3, 6), (13, 2), (21.5, 7), (20, 18), (10, 22), (2.5, 16)])


def show_markers():
    pts = [(3, 18), (9, 6), (16, 16), (21, 5)]
    prims = haloed([(stroke(pts, 1.4), INK)])
    for x, y in pts:
        prims += marker(x, y, 2.4)
    return prims


ICONS = {
    "create_od_matrix.png": create_od_matrix,
    "wireframe.png": wireframe,
    "add_node.png": add_node,
    "add_point.png": add_point,
    "add_edge.png": add_edge,
    "add_edge_group.png": add_edge_group,
    "add_junction.png": add_junction,
    "add_conn.png": add_conn,
    "add_dt.png": add_dt,
    "add_edt.png": add_edt,
    "add_crosswalk.png": add_crosswalk,
    "add_wa.png": walking_area,
    "nodes_join.png": nodes_join,
    "add_polygon.png": add_polygon,
    "add_pt_stop.png": add_pt_stop,
    "add_taz.png": add_taz,
    "create_traffic_state.png": create_traffic_state,
    "full_connections_view.png": full_connections_view,
    "edit-copy.png": edit_copy,
    "edit-paste.png": edit_paste,
    # "show_" + the layer's name in lower case (Networkg::layer*).
    "show_geometries.png": show_geometries,
    "show_edgegroups.png": show_edgegroups,
    "show_edges.png": show_edges,
    "show_lanes.png": show_lanes,
    "show_ptstops.png": show_ptstops,
    "show_marking.png": show_marking,
    "show_nodes.png": show_nodes,
    "show_connections.png": show_connections,
    "show_crosswalks.png": show_crosswalks,
    "show_stoplines.png": show_stoplines,
    "show_routes.png": show_routes,
    "show_emergencydetectors.png": show_emergencydetectors,
    "show_detectors.png": show_detectors,
    "show_detectorgroups.png": show_detectorgroups,
    "show_compositedetectors.png": show_compositedetectors,
    "show_tazs.png": show_tazs,
    "show_markers.png": show_markers,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    only = set(sys.argv[1:])
    for name, draw in ICONS.items():
        if not only or name in only:
            pngdraw.write_png(os.path.join(here, name), pngdraw.render(draw(), SIZE))


if __name__ == "__main__":
    main()
