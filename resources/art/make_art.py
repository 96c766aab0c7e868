#!/usr/bin/env python3
"""Draws the window icon and the three mascot frames as PNG files beside this script.

Run it again after changing the drawing; the PNGs are committed so that a build needs no Python.
"""
import math
import struct
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent


def write_png(path, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + b"".join(struct.pack("4B", *p) for p in row) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    path.write_bytes(png)


CLEAR = (0, 0, 0, 0)


def canvas(size, fill=CLEAR):
    return [[fill for _ in range(size)] for _ in range(size)]


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x + 0.5 - cx) / rx) ** 2 + ((y + 0.5 - cy) / ry) ** 2 <= 1.0


# ---- the mascot: a white rabbit's head, pink inner ears, red tongue ----
WHITE = (255, 255, 255, 255)
OUTLINE = (90, 90, 100, 255)
PINK = (246, 160, 180, 255)
RED = (220, 20, 40, 255)
DARK = (40, 30, 40, 255)
SHADE = (225, 225, 232, 255)


def rabbit(eyes):
    img = canvas(32)
    head = lambda x, y: in_ellipse(x, y, 16, 21, 11, 9.5)
    ear_l = lambda x, y: in_ellipse(x, y, 10.5, 8.5, 3.6, 8.5)
    ear_r = lambda x, y: in_ellipse(x, y, 21.5, 8.5, 3.6, 8.5)
    for y in range(32):
        for x in range(32):
            if head(x, y) or ear_l(x, y) or ear_r(x, y):
                img[y][x] = WHITE
    for y in range(32):  # inner ears
        for x in range(32):
            if in_ellipse(x, y, 10.5, 9, 1.6, 6) or in_ellipse(x, y, 21.5, 9, 1.6, 6):
                img[y][x] = PINK
    for y in range(32):  # a soft shade on the lower cheeks
        for x in range(32):
            if head(x, y) and y >= 27 and img[y][x] == WHITE:
                img[y][x] = SHADE
    outline = []
    for y in range(32):
        for x in range(32):
            if img[y][x] != CLEAR:
                near = [(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
                if any(not (0 <= nx < 32 and 0 <= ny < 32) or img[ny][nx] == CLEAR for nx, ny in near):
                    outline.append((x, y))
    for x, y in outline:
        img[y][x] = OUTLINE
    # nose, mouth and tongue
    for x, y in ((15, 23), (16, 23), (15, 24), (16, 24)):
        img[y][x] = PINK
    for x, y in ((14, 26), (17, 26), (15, 26), (16, 26)):
        img[y][x] = DARK
    for x, y in ((15, 27), (16, 27), (15, 28), (16, 28)):
        img[y][x] = RED
    # eyes
    for cx in (11, 19):
        if eyes == "open":
            for dy in range(3):
                for dx in range(3):
                    img[18 + dy][cx + dx] = RED
            img[18][cx] = WHITE  # a glint
            img[19][cx + 1] = DARK
        elif eyes == "closed":
            for dx in range(3):
                img[20][cx + dx] = DARK
            img[19][cx] = DARK
            img[19][cx + 2] = DARK
        else:  # half shut: the lid covers the upper half
            for dx in range(3):
                img[19][cx + dx] = DARK
                img[20][cx + dx] = RED
            img[20][cx + 1] = DARK
    return img


# ---- the icon: a heap of cyan cubes, some breaking away, on white in a green frame ----
GREEN = (0, 150, 60, 255)
PAPER = (255, 255, 255, 255)
TOP = (150, 245, 250, 255)
LEFT = (0, 200, 215, 255)
RIGHT = (0, 140, 160, 255)
EDGE = (0, 90, 110, 255)


def inside(px, py, poly):
    """Even-odd test of a point against a polygon."""
    hit = False
    for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def fill(img, poly, colour):
    for y in range(len(img)):
        for x in range(len(img)):
            if inside(x + 0.5, y + 0.5, poly):
                img[y][x] = colour


def line(img, a, b, colour):
    steps = int(max(abs(b[0] - a[0]), abs(b[1] - a[1]))) + 1
    for i in range(steps + 1):
        x = round(a[0] + (b[0] - a[0]) * i / steps - 0.5)
        y = round(a[1] + (b[1] - a[1]) * i / steps - 0.5)
        if 0 <= x < len(img) and 0 <= y < len(img):
            img[y][x] = colour


def cube_faces(ox, oy, s):
    """An isometric cube whose top corner is at (ox, oy); s is half its width: its three faces,
    its outline and its three inner edges."""
    h = s / 2
    top = [(ox, oy), (ox + s, oy + h), (ox, oy + 2 * h), (ox - s, oy + h)]
    left = [(ox - s, oy + h), (ox, oy + 2 * h), (ox, oy + 2 * h + s), (ox - s, oy + h + s)]
    right = [(ox + s, oy + h), (ox, oy + 2 * h), (ox, oy + 2 * h + s), (ox + s, oy + h + s)]
    outline = [(ox, oy), (ox + s, oy + h), (ox + s, oy + h + s), (ox, oy + 2 * h + s),
               (ox - s, oy + h + s), (ox - s, oy + h)]
    inner = [((ox - s, oy + h), (ox, oy + 2 * h)), ((ox + s, oy + h), (ox, oy + 2 * h)),
             ((ox, oy + 2 * h), (ox, oy + 2 * h + s))]
    return (top, TOP), (left, LEFT), (right, RIGHT), outline, inner


# Back rows first, so that nearer cubes cover them; then three breaking away from the heap. In
# units of a 64-unit square.
HEAP = [(32, 14, 8), (24, 22, 8), (40, 22, 8), (16, 30, 8), (32, 30, 8), (48, 30, 8), (8, 38, 8),
        (24, 38, 8), (40, 38, 8), (56, 38, 8), (50, 8, 5), (58, 16, 3), (42, 6, 3)]
FRAME = 4  # the green frame's width, in the same units


def icon(size=64):
    k = size / 64
    img = canvas(size, PAPER)
    frame = max(1, round(FRAME * k))
    for i in range(size):
        for w in range(frame):
            img[w][i] = img[size - 1 - w][i] = img[i][w] = img[i][size - 1 - w] = GREEN
    for x, y, s in HEAP:
        *faces, outline, inner = cube_faces(x * k, y * k, s * k)
        for poly, colour in faces:
            fill(img, poly, colour)
        for a, b in list(zip(outline, outline[1:] + outline[:1])) + inner:
            line(img, a, b, EDGE)
    return img


def icon_svg():
    """The same drawing as scalable vector graphics."""
    def colour(c):
        return "#%02x%02x%02x" % c[:3]

    def points(poly):
        return " ".join("%g,%g" % p for p in poly)

    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">',
             '<rect x="%g" y="%g" width="%g" height="%g" fill="%s" stroke="%s" stroke-width="%g"/>'
             % (FRAME / 2, FRAME / 2, 64 - FRAME, 64 - FRAME, colour(PAPER), colour(GREEN), FRAME)]
    for x, y, s in HEAP:
        *faces, outline, inner = cube_faces(x, y, s)
        for poly, fill_colour in faces:
            parts.append('<polygon points="%s" fill="%s"/>' % (points(poly), colour(fill_colour)))
        parts.append('<polygon points="%s" fill="none" stroke="%s" stroke-width="1"/>'
                     % (points(outline), colour(EDGE)))
        for a, b in inner:
            parts.append('<line x1="%g" y1="%g" x2="%g" y2="%g" stroke="%s" stroke-width="1"/>'
                         % (*a, *b, colour(EDGE)))
    parts.append("</svg>\n")
    return "\n".join(parts)


if __name__ == "__main__":
    write_png(HERE / "icon64.png", icon())
    for size in (16, 32, 48, 64, 128, 256):
        write_png(HERE / ("qingyan-%d.png" % size), icon(size))
    (HERE / "qingyan.svg").write_text(icon_svg())
    for name, eyes in (("duvo1.png", "open"), ("duvo2.png", "closed"), ("duvo3.png", "half")):
        write_png(HERE / name, rabbit(eyes))
