"""Anti-aliased drawing of small RGBA PNGs with the Python standard library alone.

A picture is a list of (coverage test, colour) pairs painted in order over a transparent square; a
coverage test takes a sample point (x, y) in pixel units, (0, 0) being the top left corner of the
top left pixel. Each pixel is sampled SUB x SUB times."""

import math
import struct
import zlib

SUB = 4  # samples per pixel and axis

BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)


def rgba(r, g, b, a=255):
    return (r, g, b, a)


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
    """A polyline with round caps and joins."""
    segs = list(zip(points, points[1:]))
    if closed:
        segs.append((points[-1], points[0]))
    half = width / 2.0

    def inside(x, y):
        return any(seg_dist(x, y, a, b) <= half for a, b in segs)
    return inside


def dashed(points, width, dash, gap, closed=False):
    """A polyline cut into dashes of length dash, gap apart, measured along the whole line."""
    pts = list(points) + ([points[0]] if closed else [])
    pieces = []
    current = [pts[0]]
    pos = 0.0       # along the dash pattern
    drawing = True
    for (ax, ay), (bx, by) in zip(pts, pts[1:]):
        length = math.hypot(bx - ax, by - ay)
        done = 0.0
        while done < length - 1e-9:
            left = (dash if drawing else gap) - pos
            step = min(left, length - done)
            done += step
            pos += step
            p = (ax + (bx - ax) * done / length, ay + (by - ay) * done / length)
            if drawing:
                current.append(p)
            if pos >= (dash if drawing else gap) - 1e-9:
                if drawing:
                    pieces.append(current)
                drawing = not drawing
                pos = 0.0
                current = [p]
    if drawing and len(current) > 1:
        pieces.append(current)
    tests = [stroke(piece, width) for piece in pieces]
    return lambda x, y: any(t(x, y) for t in tests)


def arc_points(cx, cy, r, start, end, steps=24):
    """Points of a circular arc; angles in degrees, counter-clockwise on screen (y down)."""
    return [(cx + r * math.cos(math.radians(a)), cy - r * math.sin(math.radians(a)))
            for a in (start + (end - start) * i / steps for i in range(steps + 1))]


def arrow_head(tip, direction, length, width):
    """A filled triangle whose tip is at tip, pointing along direction (dx, dy)."""
    dx, dy = direction
    n = math.hypot(dx, dy)
    dx, dy = dx / n, dy / n
    bx, by = tip[0] - dx * length, tip[1] - dy * length
    return polygon([tip, (bx - dy * width / 2, by + dx * width / 2), (bx + dy * width / 2, by - dx * width / 2)])


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry, angle=0.0):
    c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0
    return inside


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


def rect_outline(x, y, w, h, width):
    return stroke([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], width, closed=True)


def rounded_rect(x, y, w, h, r):
    def inside(x2, y2):
        if not (x <= x2 <= x + w and y <= y2 <= y + h):
            return False
        cx = min(max(x2, x + r), x + w - r)
        cy = min(max(y2, y + r), y + h - r)
        return (x2 - cx) ** 2 + (y2 - cy) ** 2 <= r * r
    return inside


def union(tests):
    return lambda x, y: any(t(x, y) for t in tests)


def dilate(test, r, steps=16):
    """The test grown by r in every direction (a halo around it)."""
    offsets = [(r * math.cos(2 * math.pi * k / steps), r * math.sin(2 * math.pi * k / steps)) for k in range(steps)]
    return lambda x, y: test(x, y) or any(test(x + dx, y + dy) for dx, dy in offsets)


def render(prims, size):
    img = []
    for py in range(size):
        row = []
        for px in range(size):
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


def encode_png(img):
    height, width = len(img), len(img[0])
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in img)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    return png


def write_png(path, img):
    with open(path, "wb") as f:
        f.write(encode_png(img))
