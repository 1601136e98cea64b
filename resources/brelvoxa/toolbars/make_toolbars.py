#!/usr/bin/env python3
"""Draws the tool-bar image strips of the 3D viewer's document frame as PNG files.

Each button is a small drawing on the light grey (192, 192, 192) that the tool bars take as
transparent. Small strips have 16 x 15 images, large ones 32 x 30 (drawn at twice the scale).
Run it in this folder; it rewrites bar141.png .. bar146.png.
"""
import struct
import zlib

GREY = (192, 192, 192)


def png(path, width, height, pixels):
    raw = b"".join(b"\x00" + bytes(c for p in pixels[y * width:(y + 1) * width] for c in p) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


# Glyphs on a 16 x 15 grid: lists of (x0, y0, x1, y1, colour) filled rectangles.
BLUE, RED, GREEN, BLACK, WHITE, YELLOW = (0, 0, 160), (200, 0, 0), (0, 140, 0), (0, 0, 0), (255, 255, 255), (230, 200, 0)
GLYPHS = {
    "view3d": [(2, 9, 13, 12, BLUE), (4, 6, 11, 8, GREEN), (6, 3, 9, 5, RED)],
    "lines": [(1, 2, 14, 12, WHITE), (1, 7, 14, 7, RED), (7, 2, 7, 12, BLUE)],
    "calib": [(1, 6, 14, 8, BLACK), (1, 4, 1, 10, BLACK), (14, 4, 14, 10, BLACK), (5, 5, 5, 9, BLACK), (10, 5, 10, 9, BLACK)],
    "csv": [(2, 1, 13, 13, WHITE), (4, 4, 11, 4, BLACK), (4, 7, 11, 7, BLACK), (4, 10, 11, 10, BLACK)],
    "saveas": [(2, 1, 13, 13, BLUE), (4, 2, 11, 6, WHITE), (5, 9, 10, 13, BLACK)],
    "print": [(4, 1, 11, 5, WHITE), (1, 6, 14, 10, BLACK), (4, 10, 11, 13, WHITE)],
    "split": [(1, 1, 6, 6, RED), (9, 1, 14, 6, GREEN), (1, 8, 6, 13, BLUE), (9, 8, 14, 13, YELLOW)],
    "texture": [(1, 1, 7, 6, RED), (8, 1, 14, 6, GREEN), (1, 7, 7, 13, YELLOW), (8, 7, 14, 13, BLUE)],
    "surface": [(1, 1, 14, 4, RED), (1, 5, 14, 9, GREEN), (1, 10, 14, 13, BLUE)],
    "wire": [(1, 1, 14, 1, BLACK), (1, 13, 14, 13, BLACK), (1, 1, 1, 13, BLACK), (14, 1, 14, 13, BLACK),
             (5, 1, 5, 13, BLACK), (10, 1, 10, 13, BLACK), (1, 5, 14, 5, BLACK), (1, 9, 14, 9, BLACK)],
    "palette": [(1, 2, 3, 12, BLUE), (4, 2, 6, 12, GREEN), (7, 2, 9, 12, YELLOW), (10, 2, 12, 12, RED)],
    "background": [(1, 1, 14, 13, (0, 0, 128)), (5, 5, 10, 9, WHITE)],
    "horizontal": [(1, 2, 14, 12, WHITE), (1, 7, 14, 7, RED)],
    "vertical": [(1, 2, 14, 12, WHITE), (7, 2, 7, 12, RED)],
    "free": [(1, 2, 14, 12, WHITE)] + [(1 + i, 11 - i * 9 // 13, 1 + i, 11 - i * 9 // 13, RED) for i in range(14)],
}
STRIPS = {
    (141, 142): ["view3d", "lines", "calib"],
    (143, 144): ["csv", "saveas", "print", "split", "texture", "surface", "wire", "palette", "background"],
    (145, 146): ["horizontal", "vertical", "free"],
}


def strip(names, scale):
    w, h = 16 * scale, 15 * scale
    width = w * len(names)
    pixels = [GREY] * (width * h)
    for i, name in enumerate(names):
        for x0, y0, x1, y1, colour in GLYPHS[name]:
            for y in range(y0 * scale, (y1 + 1) * scale):
                for x in range(x0 * scale, (x1 + 1) * scale):
                    pixels[y * width + i * w + x] = colour
    return width, h, pixels


# Buttons of the calibration window: zoom in, zoom out, fit, close, set.
CALIB = {6101: "zoomin", 6102: "zoomout", 6103: "fit", 6104: "close", 6105: "set"}
GLYPHS.update({
    "zoomin": [(2, 6, 13, 8, BLACK), (7, 1, 8, 13, BLACK)],
    "zoomout": [(2, 6, 13, 8, BLACK)],
    "fit": [(1, 1, 14, 2, BLUE), (1, 12, 14, 13, BLUE), (1, 1, 2, 13, BLUE), (13, 1, 14, 13, BLUE)],
    "close": [(3, 3, 4, 4, RED), (5, 5, 6, 6, RED), (7, 7, 8, 8, RED), (9, 9, 10, 10, RED), (11, 11, 12, 12, RED),
              (11, 3, 12, 4, RED), (9, 5, 10, 6, RED), (5, 9, 6, 10, RED), (3, 11, 4, 12, RED)],
    "set": [(2, 7, 4, 9, GREEN), (5, 9, 7, 11, GREEN), (8, 6, 10, 8, GREEN), (11, 3, 13, 5, GREEN)],
})
for image_id, name in CALIB.items():
    png("calib%d.png" % image_id, *strip([name], 1))

for (small, large), names in STRIPS.items():
    png("bar%d.png" % small, *strip(names, 1))
    png("bar%d.png" % large, *strip(names, 2))
