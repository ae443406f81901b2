#!/usr/bin/env python3
"""Draws the window's built-in pictures into resources/.

The pictures are made here rather than taken from anywhere, so that the
repository holds everything it ships. Only the standard library is used:
the scenes are computed pixel by pixel and written as PNG with zlib and
struct. The output is deterministic; run the script again after changing it
and commit the PNG files it writes.

    python3 scripts/make-resources.py [OUTPUT_DIR]
"""

import math
import os
import struct
import sys
import zlib


# --- PNG writing -----------------------------------------------------------

def write_png(path, width, height, rows, alpha=False):
    """rows: a list of bytes objects, each width * (3 or 4) bytes."""
    channels = 4 if alpha else 3
    raw = bytearray()
    for row in rows:
        assert len(row) == width * channels
        raw.append(0)  # filter type 0 (None) for every row
        raw += row

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    colour_type = 6 if alpha else 2
    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


# --- small helpers ---------------------------------------------------------

def clamp(v):
    return 0 if v < 0 else 255 if v > 255 else int(v)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def smoothstep(e0, e1, x):
    t = (x - e0) / (e1 - e0)
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return t * t * (3 - 2 * t)


class Noise:
    """A fixed linear congruential generator: the same pictures every run."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x7FFFFFFF


# --- the preview photographs -----------------------------------------------

def harbour_scene(width, height, seed):
    """A harbour at dusk: sky, low sun, a headland with a lighthouse, the sea
    with the sun's glitter, and a strip of beach at the bottom. Every pixel
    carries a little grain, so no large area has one flat colour."""
    noise = Noise(seed)
    horizon = int(height * 0.56)
    sun_x, sun_y, sun_r = width * 0.34, horizon - height * 0.07, height * 0.055
    sky_top, sky_mid, sky_low = (34, 58, 112), (122, 118, 168), (246, 170, 112)
    sea_far, sea_near = (70, 84, 128), (18, 52, 82)
    rows = []
    # The headland: a ridge along the right part of the horizon.
    ridge = []
    for x in range(width):
        u = x / width
        h = 0.0
        if u > 0.52:
            h = height * (0.05 + 0.07 * smoothstep(0.52, 0.80, u)) * (0.85 + 0.15 * math.sin(u * 37.0))
        ridge.append(horizon - h)
    tower_x, tower_w = width * 0.84, max(6, width * 0.014)
    tower_top = horizon - height * 0.21
    for y in range(height):
        row = bytearray()
        for x in range(width):
            grain = (noise.next() - 0.5) * 10
            if y < horizon:
                t = y / horizon
                c = mix(sky_top, sky_mid, smoothstep(0.0, 0.55, t))
                c = mix(c, sky_low, smoothstep(0.45, 1.0, t))
                d = math.hypot(x - sun_x, y - sun_y)
                glow = math.exp(-d / (height * 0.16)) * 0.55
                c = mix(c, (255, 214, 150), glow)
                if d < sun_r:
                    c = mix((255, 236, 190), (255, 250, 225), 1 - d / sun_r)
                # Thin clouds drifting across the upper sky.
                band = math.sin(y * 0.09 + math.sin(x * 0.011) * 2.2) * math.sin(x * 0.004 + y * 0.01)
                if band > 0.55 and t < 0.7:
                    c = mix(c, (226, 170, 168), (band - 0.55) * 1.3)
                if y >= ridge[x]:
                    c = mix((38, 40, 58), (58, 52, 70), (y - ridge[x]) / max(1.0, horizon - ridge[x]))
                # The lighthouse with its lamp.
                if abs(x - tower_x) < tower_w * (1.0 - 0.3 * (y - tower_top) / (horizon - tower_top)) / 2 + tower_w * 0.3 and y > tower_top:
                    stripe = int((y - tower_top) / (height * 0.035)) % 2
                    c = (232, 226, 214) if stripe == 0 else (176, 52, 48)
                    c = mix(c, (40, 40, 56), 0.35)
                lamp = math.hypot(x - tower_x, y - (tower_top - height * 0.012))
                if lamp < height * 0.03:
                    c = mix(c, (255, 240, 170), (1 - lamp / (height * 0.03)) ** 2)
            else:
                t = (y - horizon) / (height - horizon)
                c = mix(sea_far, sea_near, smoothstep(0.0, 1.0, t))
                c = mix(c, (210, 140, 110), math.exp(-t * 5) * 0.45)
                wave = math.sin(x * (0.05 + 0.25 * (1 - t)) / (1 + 4 * t) + y * 0.9 + math.sin(y * 0.31) * 3)
                c = mix(c, (120, 140, 180), max(0.0, wave) * 0.18 * (1 - t * 0.6))
                spread = width * (0.03 + 0.12 * t)
                beam = math.exp(-((x - sun_x) / spread) ** 2)
                if beam > 0.05 and wave > 0.2:
                    c = mix(c, (255, 214, 150), beam * 0.8 * (1 - t * 0.5))
                beach = height * 0.9 + math.sin(x * 0.012) * height * 0.02
                if y > beach:
                    c = mix((196, 168, 128), (150, 124, 92), (y - beach) / (height - beach))
                    c = mix(c, (235, 235, 230), max(0.0, 1 - (y - beach) / 4.0) * 0.8)
            row += bytes((clamp(c[0] + grain), clamp(c[1] + grain), clamp(c[2] + grain)))
        rows.append(bytes(row))
    # The preview shows the picture with its bottom-left pixel's colour as the
    # transparent colour; a colour that occurs nowhere else keeps the scene
    # whole.
    rows[-1] = bytes((1, 2, 3)) + rows[-1][3:]
    return rows


# --- polygon drawing with coverage, for the small pictures -----------------

class Canvas:
    """RGBA canvas with 4 x 4 supersampled polygon and circle fills."""

    SS = 4

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.px = [[(0, 0, 0, 0) for _ in range(width)] for _ in range(height)]

    def _blend(self, x, y, colour, coverage):
        if coverage <= 0:
            return
        r, g, b, a = self.px[y][x]
        sa = coverage * (colour[3] if len(colour) > 3 else 255) / 255
        da = a / 255
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        mixc = [(colour[i] * sa + (r, g, b)[i] * da * (1 - sa)) / oa for i in range(3)]
        self.px[y][x] = (clamp(mixc[0]), clamp(mixc[1]), clamp(mixc[2]), clamp(oa * 255))

    def fill(self, shape, colour):
        """shape(px, py) -> bool at sample points; colour may be a function
        of (x, y) giving RGB or RGBA."""
        ss = self.SS
        for y in range(self.height):
            for x in range(self.width):
                hits = 0
                for sy in range(ss):
                    for sx in range(ss):
                        if shape(x + (sx + 0.5) / ss, y + (sy + 0.5) / ss):
                            hits += 1
                if hits:
                    c = colour(x, y) if callable(colour) else colour
                    self._blend(x, y, c, hits / (ss * ss))

    def rows(self):
        return [bytes(v for p in row for v in p) for row in self.px]


def polygon(points):
    def inside(px, py):
        n, hit = len(points), False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def rounded_rect(x0, y0, x1, y1, r):
    def inside(px, py):
        cx = min(max(px, x0 + r), x1 - r)
        cy = min(max(py, y0 + r), y1 - r)
        return x0 <= px <= x1 and y0 <= py <= y1 and (px - cx) ** 2 + (py - cy) ** 2 <= r * r
    return inside


def bird(scale, ox, oy):
    """A kestrel in flight, wings spread, as one polygon in a 100 x 100 box."""
    pts = [(50, 30), (56, 36), (70, 30), (96, 22), (80, 40), (62, 46), (58, 60), (64, 80),
           (50, 72), (36, 80), (42, 60), (38, 46), (20, 40), (4, 22), (30, 30), (44, 36)]
    return polygon([(ox + x * scale / 100, oy + y * scale / 100) for x, y in pts])


def app_icon(size):
    c = Canvas(size, size)
    s = size / 256
    top, bottom = (40, 86, 170), (14, 32, 84)
    c.fill(rounded_rect(8 * s, 8 * s, 248 * s, 248 * s, 44 * s),
           lambda x, y: mix(top, bottom, y / size) + (255,))
    c.fill(bird(190 * s, 33 * s, 6 * s), (250, 250, 246))
    # A subtitle bar: white text strokes with a black outline, as on a DVD.
    c.fill(rounded_rect(40 * s, 182 * s, 216 * s, 222 * s, 8 * s), (0, 0, 0, 200))
    for x0, x1 in ((52, 96), (104, 150), (158, 204)):
        c.fill(rounded_rect(x0 * s, 196 * s, x1 * s, 208 * s, 5 * s), (255, 255, 255))
    return c.rows()


def logo(width, height):
    c = Canvas(width, height)
    c.fill(lambda px, py: (px - height / 2) ** 2 + (py - height / 2) ** 2 <= (height / 2 - 1) ** 2,
           lambda x, y: mix((236, 140, 60), (180, 70, 30), y / height) + (255,))
    c.fill(bird(height * 0.9, height * 0.05, height * 0.08), (255, 250, 240))
    # Three bars to the right: the three drawing colours of a subtitle.
    for i, col in enumerate(((255, 255, 255), (128, 128, 128), (0, 0, 0))):
        y0 = height * (0.28 + 0.17 * i)
        c.fill(rounded_rect(height * 1.1, y0, width - 4, y0 + height * 0.12, height * 0.05), col)
    return c.rows()


def heart(size):
    c = Canvas(size, size)

    def inside(px, py):
        x = (px - size / 2) / (size * 0.42)
        y = -(py - size * 0.55) / (size * 0.42)
        return (x * x + y * y - 1) ** 3 - x * x * y ** 3 <= 0

    c.fill(inside, lambda x, y: mix((240, 80, 90), (180, 20, 40), y / size) + (255,))
    return c.rows()


def colour_example():
    """70 x 70: the fifteen standard colours in a 5 x 3 grid, and below them
    a line of white text strokes with a black outline and grey edge on the
    frame blue, the way a subtitle is drawn."""
    standard = [(0, 0, 0), (128, 128, 128), (255, 255, 255), (128, 0, 0), (0, 128, 0),
                (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
                (255, 0, 0), (0, 255, 0), (255, 255, 0), (255, 0, 255), (0, 255, 255)]
    rows = []
    for y in range(70):
        row = bytearray()
        for x in range(70):
            if y < 42:
                cell = standard[(y // 14) * 5 + x // 14]
                edge = x % 14 == 13 or y % 14 == 13
                c = (64, 64, 64) if edge else cell
            else:
                c = (0, 0, 255)
                if 48 <= y <= 64 and 6 <= x <= 63:
                    # Letter-like strokes: text core, outline ring, antialias rim.
                    inner = 52 <= y <= 60 and (x - 6) % 12 < 7 and 10 <= x <= 60
                    ring = 50 <= y <= 62 and (x - 6) % 12 < 9 and 8 <= x <= 62
                    rim = (x - 6) % 12 < 10
                    c = (255, 255, 255) if inner else (0, 0, 0) if ring else (128, 128, 128) if rim else c
            row += bytes(c)
        rows.append(bytes(row))
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "PreviewPal720x576.png"), 720, 576, harbour_scene(720, 576, 1971))
    write_png(os.path.join(out, "PreviewNtsc720x480.png"), 720, 480, harbour_scene(720, 480, 1953))
    write_png(os.path.join(out, "colors.png"), 70, 70, colour_example())
    write_png(os.path.join(out, "kestrelpix.png"), 256, 256, app_icon(256), alpha=True)
    write_png(os.path.join(out, "logo.png"), 200, 72, logo(200, 72), alpha=True)
    write_png(os.path.join(out, "donate.png"), 48, 48, heart(48), alpha=True)


if __name__ == "__main__":
    main()
