#!/usr/bin/env python3
"""Draws the bookmark pop-up's own pictures and writes them as PNG.

    tools/make_popup_images.py [RES_DIR]

RES_DIR defaults to the res/ directory beside tools/. Writes
  1920X1080/i_ok_done_allow.png         the Go button's icon (check mark, 40x40)
  images/1920X1080/sm_thumbnail_blank.png  the picture shown when a bookmark has
                                        no usable thumbnail (352x199)
  edje/images/rounded_12.png            white rounded square (radius 12) that the
                                        layout tints and stretches for panel and button
Shapes are described by distance functions and sampled 4x4 per pixel, so the
edges come out anti-aliased without any imaging library.
"""
import math
import os
import struct
import sys
import zlib

SS = 4  # samples per pixel edge


def write_png(path, width, height, rgba_rows):
    raw = b"".join(b"\x00" + bytes(row) for row in rgba_rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def render(width, height, layers, background):
    """layers: list of (coverage(x, y) -> bool, (r, g, b, a)), painted in order."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    fx = x + (sx + 0.5) / SS
                    fy = y + (sy + 0.5) / SS
                    r, g, b, a = background(fx, fy)
                    for inside, (lr, lg, lb, la) in layers:
                        if inside(fx, fy):
                            k = la / 255.0
                            r = r * (1 - k) + lr * k
                            g = g * (1 - k) + lg * k
                            b = b * (1 - k) + lb * k
                            a = a + (255 - a) * k
                    # premultiply while averaging so that transparent samples carry no colour
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            if alpha > 0:
                row += [round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(alpha)]
            else:
                row += [0, 0, 0, 0]
        rows.append(row)
    return rows


def button_icon():
    size = 40
    c = size / 2.0
    white = (255, 255, 255, 255)
    ring = (lambda x, y: abs(math.hypot(x - c, y - c) - 17.0) <= 1.6, white)
    check = (lambda x, y: min(seg_dist(x, y, 11.5, 20.5, 17.5, 26.5), seg_dist(x, y, 17.5, 26.5, 29.0, 14.0)) <= 2.2,
             white)
    return size, size, render(size, size, [ring, check], lambda x, y: (255, 255, 255, 0))


def blank_thumbnail():
    w, h = 352, 199

    def background(x, y):
        # Dark slate, a little lighter towards the centre, like an empty screen.
        d = math.hypot((x - w / 2) / w, (y - h / 2) / h)
        k = max(0.0, 1.0 - d * 1.6)
        return (28 + 22 * k, 34 + 24 * k, 44 + 28 * k, 255)

    grey = (120, 132, 150, 255)
    cx, cy = w / 2, h / 2
    # A framed picture glyph: frame, sun and two hills.
    fw, fh = 84, 60
    x0, y0, x1, y1 = cx - fw / 2, cy - fh / 2, cx + fw / 2, cy + fh / 2

    def frame(x, y):
        inside_outer = x0 - 2.5 <= x <= x1 + 2.5 and y0 - 2.5 <= y <= y1 + 2.5
        inside_inner = x0 + 2.5 <= x <= x1 - 2.5 and y0 + 2.5 <= y <= y1 - 2.5
        return inside_outer and not inside_inner

    def sun(x, y):
        return math.hypot(x - (x0 + 20), y - (y0 + 18)) <= 7.5

    def hills(x, y):
        if not (x0 + 2.5 <= x <= x1 - 2.5 and y <= y1 - 2.5):
            return False
        big = y >= (y1 - 8) - max(0.0, 30 - abs(x - (cx + 10)) * 0.9)
        small = y >= (y1 - 8) - max(0.0, 18 - abs(x - (cx - 18)) * 0.9)
        return (big or small) and y >= y0 + 20

    border = (lambda x, y: x < 1 or y < 1 or x > w - 1 or y > h - 1, (70, 80, 96, 255))
    return w, h, render(w, h, [border, (frame, grey), (sun, grey), (hills, grey)], background)


def rounded_square():
    size, radius = 32, 12.0

    def inside(x, y):
        # distance to the rounded rectangle's core
        qx = max(abs(x - size / 2) - (size / 2 - radius), 0.0)
        qy = max(abs(y - size / 2) - (size / 2 - radius), 0.0)
        return math.hypot(qx, qy) <= radius

    return size, size, render(size, size, [(inside, (255, 255, 255, 255))], lambda x, y: (255, 255, 255, 0))


def main():
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    w, h, rows = button_icon()
    write_png(os.path.join(res, "1920X1080", "i_ok_done_allow.png"), w, h, rows)
    w, h, rows = blank_thumbnail()
    write_png(os.path.join(res, "images", "1920X1080", "sm_thumbnail_blank.png"), w, h, rows)
    w, h, rows = rounded_square()
    write_png(os.path.join(res, "edje", "images", "rounded_12.png"), w, h, rows)


if __name__ == "__main__":
    main()
