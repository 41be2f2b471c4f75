#!/usr/bin/env python3
"""Draws the program's icon set and its hand cursor, writing resources/ files.

The icon is a small timeline page: a white sheet, a pale green bar and two arrow
callouts, one hanging below and one standing above. The cursor is a pointing hand.
Only the standard library is used; shapes are rasterised with 4x4 supersampling.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")


def blend(dst, src):
    sr, sg, sb, sa = src
    dr, dg, db, da = dst
    a = sa / 255.0
    oa = a + da / 255.0 * (1 - a)
    if oa == 0:
        return (0, 0, 0, 0)
    def ch(s, d):
        return int(round((s * a + d * (da / 255.0) * (1 - a)) / oa))
    return (ch(sr, dr), ch(sg, dg), ch(sb, db), int(round(oa * 255)))


def inside_polygon(x, y, pts):
    inside = False
    n = len(pts)
    for i in range(n):
        x1, y1 = pts[i]
        x2, y2 = pts[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            xi = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
            if xi > x:
                inside = not inside
    return inside


def raster(size, shapes):
    """shapes: list of (polygon in unit coordinates 0..1, rgba). Returns rows of rgba."""
    img = [[(0, 0, 0, 0)] * size for _ in range(size)]
    sub = 4
    for poly, color in shapes:
        pts = [(px * size, py * size) for px, py in poly]
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        for y in range(max(0, int(min(ys))), min(size, int(max(ys)) + 1)):
            for x in range(max(0, int(min(xs))), min(size, int(max(xs)) + 1)):
                hits = 0
                for sy in range(sub):
                    for sx in range(sub):
                        if inside_polygon(x + (sx + 0.5) / sub, y + (sy + 0.5) / sub, pts):
                            hits += 1
                if hits:
                    r, g, b, a = color
                    img[y][x] = blend(img[y][x], (r, g, b, a * hits // (sub * sub)))
    return img


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def up_callout(x, y, w, h):
    hc = x + w / 2
    return [(x, y + h * 0.35), (hc - w * 0.12, y + h * 0.35), (hc - w * 0.12, y + h * 0.22),
            (hc - w * 0.25, y + h * 0.22), (hc, y), (hc + w * 0.25, y + h * 0.22),
            (hc + w * 0.12, y + h * 0.22), (hc + w * 0.12, y + h * 0.35), (x + w, y + h * 0.35),
            (x + w, y + h), (x, y + h)]


def down_callout(x, y, w, h):
    return [(px, 2 * y + h - py) for px, py in up_callout(x, y, w, h)]


def icon_shapes():
    sheet = (255, 255, 255, 255)
    edge = (60, 70, 90, 255)
    green = (204, 255, 204, 255)
    blue = (68, 114, 196, 255)
    ink = (40, 40, 40, 255)
    return [
        (rect(0.04, 0.12, 0.96, 0.88), edge),
        (rect(0.07, 0.15, 0.93, 0.85), sheet),
        (rect(0.30, 0.20, 0.70, 0.26), ink),
        (rect(0.10, 0.47, 0.90, 0.55), edge),
        (rect(0.11, 0.48, 0.89, 0.54), green),
        (up_callout(0.16, 0.55, 0.26, 0.26), blue),
        (down_callout(0.58, 0.21, 0.26, 0.26), blue),
    ]


def hand_shapes():
    black = (0, 0, 0, 255)
    white = (255, 255, 255, 255)
    s = 1 / 32.0
    def r(x0, y0, x1, y1):
        return rect(x0 * s, y0 * s, x1 * s, y1 * s)
    shapes = []
    # outline first, then the white fill one pixel in
    parts = [(9, 1, 14, 16), (14, 8, 18, 17), (18, 9, 22, 17), (22, 10, 26, 18),
             (6, 14, 9, 20), (9, 16, 26, 26), (11, 26, 24, 30)]
    for x0, y0, x1, y1 in parts:
        shapes.append((r(x0 - 1, y0 - 1, x1 + 1, y1 + 1), black))
    for x0, y0, x1, y1 in parts:
        shapes.append((r(x0, y0, x1, y1), white))
    return shapes


def png(img):
    size = len(img)
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in img)
    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def cur(img, hot_x, hot_y):
    size = len(img)
    # 32-bit BGRA DIB, bottom-up, with an AND mask; height doubled as icon DIBs require.
    xor = b"".join(bytes((px[2], px[1], px[0], px[3])) for row in reversed(img) for px in row)
    row_bytes = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(img):
        bits = 0
        out = bytearray(row_bytes)
        for x, px in enumerate(row):
            if px[3] == 0:
                out[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(out)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    dib = header + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, hot_x, hot_y, len(dib), 6 + 16)
    return directory + entry + dib


def main():
    for size in (32, 48, 128, 256):
        with open(os.path.join(OUT, "icons", "loomchart-%d.png" % size), "wb") as f:
            f.write(png(raster(size, icon_shapes())))
    with open(os.path.join(OUT, "HAND-M.CUR"), "wb") as f:
        f.write(cur(raster(32, hand_shapes()), 11, 1))


if __name__ == "__main__":
    main()
