#!/usr/bin/env python3
"""Draws the Adnoria client's three built-in button pictures (the web app's close
mark, 50 x 50 pixels, and the browser's back and forward arrows, 54 x 54 pixels) and
prints each as Base64 text of a PNG file, for src/ads/adnoria/ADNIntrinsicImages.cpp.
Pure Python: every pixel is the coverage of 4 x 4 samples."""
import base64
import math
import struct
import zlib

SAMPLES = 4


def png(width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def coverage(x, y, inside):
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                hits += 1
    return hits / (SAMPLES * SAMPLES)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def close_mark(x, y):
    c = 25.0
    ring = coverage(x, y, lambda u, v: math.hypot(u - c, v - c) <= 22)
    disc = coverage(x, y, lambda u, v: math.hypot(u - c, v - c) <= 18.5)
    cross = coverage(x, y, lambda u, v: min(segment_distance(u, v, 17, 17, 33, 33),
                                            segment_distance(u, v, 33, 17, 17, 33)) <= 2.6)
    # White ring, dark disc, white cross.
    white = max(ring - disc, cross)
    dark = disc * (1 - cross)
    alpha = min(1.0, white + dark)
    level = 255 if alpha == 0 else round(255 * white / alpha)
    return (level, level, level, round(255 * alpha))


def arrow(pointing_left):
    def pixel(x, y):
        def inside(u, v):
            if not pointing_left:
                u = 54 - u
            # A triangle from (15, 27) to (39, 13) and (39, 41).
            return u >= 15 and u <= 39 and abs(v - 27) <= (u - 15) * 14 / 24
        a = coverage(x, y, inside)
        return (255, 255, 255, round(255 * a))
    return pixel


for name, width, pixel in (("closeButton", 50, close_mark), ("browserBackButton", 54, arrow(True)),
                           ("browserForwardButton", 54, arrow(False))):
    print(name)
    print(base64.b64encode(png(width, width, pixel)).decode())
