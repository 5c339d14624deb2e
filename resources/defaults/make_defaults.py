#!/usr/bin/env python3
"""Draws the engine's eight default files: our own art, in the kinds and
exact sizes the engine relies on.

  defaultcur.pixmap    64 x 64 mouse cursor                     16911 bytes
  defaultskin.pixmap   256 x 256 GUI skin sheet                 262671 bytes
  defaulticon.pixmap   128 x 128 window icon                    66063 bytes
  defaultpfx.pixmap    256 x 256 particle texture               262671 bytes
  defaultskin.object   the skin's elements, text with CR LF     4569 bytes
  logo.png             128 x 128 RGBA, the engine's logo         8755 bytes
  logo_mozilla.png     128 x 128 grey + alpha, script engine     8163 bytes
  logo_newton.png      128 x 128 grey + alpha, physics           9020 bytes

A pixmap is "PIXMAPB", width and height as little-endian u32, 512 zero
bytes, then the pixels row by row, 4 bytes each: blue, green, red, alpha.
The PNG files are padded to their sizes with a tEXt comment chunk.

The skin sheet's top-left 2 x 2 texels are opaque white (outlines, boxes and
the caret are drawn with them, modulated by their colour); the particle
texture is opaque white in its centre, fading outwards.

Run from anywhere: python3 make_defaults.py [output folder]
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ----------------------------------------------------------------- canvas


class Canvas:
    """RGBA floats in 0..1, drawn with 4 x 4 supersampled coverage."""

    SAMPLES = 4

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def blend(self, x, y, color, coverage):
        if coverage <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        r, g, b, a = color
        a *= coverage
        p = self.px[y * self.width + x]
        out_a = a + p[3] * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = (c * a + p[i] * p[3] * (1 - a)) / out_a
        p[3] = out_a

    def put(self, x, y, color):
        self.px[y * self.width + x] = list(color)

    def fill(self, inside, color, box=None):
        """inside(x, y) -> bool at sample points; box limits the pixels."""
        x0, y0, x1, y1 = box if box else (0, 0, self.width, self.height)
        n = self.SAMPLES
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                hits = 0
                for sy in range(n):
                    for sx in range(n):
                        if inside(x + (sx + 0.5) / n, y + (sy + 0.5) / n):
                            hits += 1
                if hits:
                    self.blend(x, y, color, hits / (n * n))

    def rect(self, x0, y0, x1, y1, color):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.blend(x, y, color, 1.0)

    def round_rect(self, x0, y0, x1, y1, radius, color):
        def inside(x, y):
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius and x0 <= x <= x1 and y0 <= y <= y1

        self.fill(inside, color, (int(x0), int(y0), int(math.ceil(x1)), int(math.ceil(y1))))

    def frame(self, x0, y0, x1, y1, radius, border, fill_color, border_color):
        self.round_rect(x0, y0, x1, y1, radius, border_color)
        self.round_rect(x0 + border, y0 + border, x1 - border, y1 - border, max(0, radius - border), fill_color)

    def circle(self, cx, cy, r, color):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, color,
                  (int(cx - r) - 1, int(cy - r) - 1, int(cx + r) + 2, int(cy + r) + 2))

    def ring(self, cx, cy, r_out, r_in, color, gap=None):
        """gap: (start, end) angles in degrees left open, clockwise on screen
        from the +x axis; start > end wraps through 0."""

        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            if not (r_in * r_in <= d <= r_out * r_out):
                return False
            if gap:
                angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
                if gap[0] <= gap[1]:
                    return not (gap[0] <= angle <= gap[1])
                return not (angle >= gap[0] or angle <= gap[1])
            return True

        self.fill(inside, color, (int(cx - r_out) - 1, int(cy - r_out) - 1, int(cx + r_out) + 2, int(cy + r_out) + 2))

    def polygon(self, points, color):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit

        self.fill(inside, color, (int(min(xs)) - 1, int(min(ys)) - 1, int(max(xs)) + 2, int(max(ys)) + 2))

    def line(self, x0, y0, x1, y1, width, color):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            px, py = x0 + t * dx, y0 + t * dy
            return (x - px) ** 2 + (y - py) ** 2 <= half * half

        self.fill(inside, color, (int(min(x0, x1) - half) - 1, int(min(y0, y1) - half) - 1,
                                  int(max(x0, x1) + half) + 2, int(max(y0, y1) + half) + 2))

    def vertical_gradient(self, x0, y0, x1, y1, top, bottom, mask=None):
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            color = tuple(top[i] + (bottom[i] - top[i]) * t for i in range(4))
            for x in range(x0, x1):
                if mask is None or mask(x, y):
                    self.blend(x, y, color, 1.0)

    def bytes_of(self, order):
        out = bytearray()
        for p in self.px:
            values = [int(round(max(0.0, min(1.0, c)) * 255)) for c in p]
            # Fully transparent texels carry no colour.
            if values[3] == 0:
                values = [0, 0, 0, 0]
            out.extend(values[i] for i in order)
        return bytes(out)


def rgb(hex_text, alpha=1.0):
    v = int(hex_text, 16)
    return ((v >> 16 & 255) / 255, (v >> 8 & 255) / 255, (v & 255) / 255, alpha)


WHITE = (1.0, 1.0, 1.0, 1.0)
BLACK = (0.0, 0.0, 0.0, 1.0)

# ---------------------------------------------------------------- formats


def pixmap(canvas):
    header = b"PIXMAPB" + struct.pack("<II", canvas.width, canvas.height) + bytes(512)
    return header + canvas.bytes_of((2, 1, 0, 3))  # blue, green, red, alpha


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(canvas, grey, size):
    """An 8-bit PNG (RGBA, or grey with alpha) padded to exactly size bytes."""
    if grey:
        # Grey is the luminance of the drawn colour; alpha as drawn.
        raw_pixels = bytearray()
        for p in canvas.px:
            lum = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]
            a = int(round(max(0.0, min(1.0, p[3])) * 255))
            raw_pixels.extend((int(round(max(0.0, min(1.0, lum)) * 255)) if a else 0, a))
        stride, color_type = canvas.width * 2, 4
    else:
        raw_pixels = canvas.bytes_of((0, 1, 2, 3))
        stride, color_type = canvas.width * 4, 6
    rows = bytearray()
    for y in range(canvas.height):
        rows.append(0)  # no filter
        rows.extend(raw_pixels[y * stride:(y + 1) * stride])
    ihdr = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, color_type, 0, 0, 0)
    body = b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + png_chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    end = png_chunk(b"IEND", b"")
    keyword = b"Comment\x00"
    room = size - len(body) - len(end) - 12 - len(keyword)
    if room < 0:
        raise SystemExit("%d bytes over the size %d" % (-room, size))
    note = b"Corvane engine default art, drawn by make_defaults.py. "
    text = (note * (room // len(note) + 1))[:room]
    data = body + png_chunk(b"tEXt", keyword + text) + end
    assert len(data) == size
    return data


# ----------------------------------------------------------------- cursor


# The engine draws the cursor 64 x 64 centred on (8, 18) from the pointer,
# so the picture's point (24, 14) lies on the pointer: the arrow's tip.
CURSOR_TIP = (24, 14)


def draw_cursor():
    c = Canvas(64, 64)
    arrow = [(0, 0), (0, 36), (9, 28), (15, 42), (21, 39.5), (15, 26), (26, 26)]
    inner = [(1.6, 3.6), (1.6, 32.2), (9.6, 25.0), (15.9, 39.4), (18.9, 38.1), (12.7, 24.3), (22.2, 24.3)]

    def at_tip(points):
        return [(CURSOR_TIP[0] + x, CURSOR_TIP[1] + y) for x, y in points]

    # A black outline one pixel wide around a white arrow.
    c.polygon(at_tip(arrow), BLACK)
    c.polygon(at_tip(inner), WHITE)
    return c


# ------------------------------------------------------------------- skin

# name: (left, top, right, bottom), margins (left, top, right, bottom) or None
SKIN = [
    ("empty", (4, 0, 12, 8), None),
    ("form", (0, 16, 64, 80), (10, 24, 10, 8)),
    ("widget", (64, 16, 96, 48), (6, 6, 6, 6)),
    ("button", (96, 16, 160, 48), (8, 8, 8, 8)),
    ("edit", (64, 48, 96, 80), (6, 6, 6, 6)),
    ("list", (0, 80, 64, 144), (6, 6, 6, 6)),
    ("item", (64, 80, 128, 104), (4, 4, 4, 4)),
    ("selection", (64, 104, 128, 128), (4, 4, 4, 4)),
    ("buttonhot", (96, 48, 160, 80), (8, 8, 8, 8)),
    ("dropdown", (160, 16, 224, 48), (8, 8, 24, 8)),
    ("dropdownhot", (160, 48, 224, 80), (8, 8, 24, 8)),
    ("dropdownglyph", (128, 144, 144, 160), None),
    ("closebtn", (144, 144, 160, 160), None),
    ("closebtnhot", (160, 144, 176, 160), None),
    ("flipbtn", (176, 144, 192, 160), None),
    ("flipbtnhot", (192, 144, 208, 160), None),
    ("uncheck", (208, 144, 224, 160), (3, 3, 3, 3)),
    ("check", (224, 144, 240, 160), (3, 3, 3, 3)),
    # The track bar's: without them it would draw the whole sheet.
    ("track", (128, 96, 192, 104), (4, 3, 4, 3)),
    ("thumb", (240, 144, 250, 160), None),
]

SKIN_SIZE = 4569


def draw_skin():
    c = Canvas(256, 256)
    for y in range(2):
        for x in range(2):
            c.put(x, y, WHITE)
    rects = {name: r for name, r, _ in SKIN}

    def button(r, top, bottom, border):
        x0, y0, x1, y1 = r
        c.round_rect(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 6, border)
        c.vertical_gradient(x0 + 2, y0 + 2, x1 - 2, y1 - 2, top, bottom,
                            lambda x, y: _in_round(x + 0.5, y + 0.5, x0 + 2, y0 + 2, x1 - 2, y1 - 2, 4))

    # form: a window with a title bar
    x0, y0, x1, y1 = rects["form"]
    c.frame(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 8, 2, rgb("232b36", 0.94), rgb("8fa3bf"))
    c.vertical_gradient(x0 + 3, y0 + 3, x1 - 3, y0 + 22, rgb("4b6c9c"), rgb("2f4a70"),
                        lambda x, y: _in_round(x + 0.5, y + 0.5, x0 + 2.5, y0 + 2.5, x1 - 2.5, y1 - 2.5, 6))
    c.rect(x0 + 3, y0 + 22, x1 - 3, y0 + 23, rgb("8fa3bf", 0.7))
    # widget: a plain panel
    x0, y0, x1, y1 = rects["widget"]
    c.frame(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 5, 1.5, rgb("333d4b", 0.92), rgb("6f819a"))
    # buttons
    button(rects["button"], rgb("5b82b8"), rgb("35557f"), rgb("1d2a3b"))
    button(rects["buttonhot"], rgb("7aa2d6"), rgb("4a70a3"), rgb("d9e6f5"))
    # edit and list: sunken fields
    for name in ("edit", "list"):
        x0, y0, x1, y1 = rects[name]
        c.frame(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 4, 1.5, rgb("151a21", 0.96), rgb("7d8ea6"))
        c.rect(x0 + 3, y0 + 2, x1 - 3, y0 + 3, rgb("000000", 0.35))
    # item and selection
    x0, y0, x1, y1 = rects["item"]
    c.round_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 3, rgb("ffffff", 0.06))
    x0, y0, x1, y1 = rects["selection"]
    c.frame(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 3, 1, rgb("e3a33b", 0.55), rgb("ffd27a", 0.9))
    # dropdowns: a button with a separated glyph field on the right
    for name, top, bottom, border in (("dropdown", rgb("4b6a94"), rgb("2f4766"), rgb("1d2a3b")),
                                      ("dropdownhot", rgb("6a8cbc"), rgb("43628d"), rgb("d9e6f5"))):
        button(rects[name], top, bottom, border)
        x0, y0, x1, y1 = rects[name]
        c.rect(x1 - 24, y0 + 5, x1 - 23, y1 - 5, rgb("0f1722", 0.8))
        c.rect(x1 - 23, y0 + 5, x1 - 22, y1 - 5, rgb("ffffff", 0.25))
    # the dropdown glyph: a white triangle pointing down
    x0, y0, _, _ = rects["dropdownglyph"]
    c.polygon([(x0 + 3, y0 + 5.5), (x0 + 13, y0 + 5.5), (x0 + 8, y0 + 11.5)], WHITE)
    # close buttons: a cross
    for name, back in (("closebtn", rgb("8a2f2f")), ("closebtnhot", rgb("d04545"))):
        x0, y0, x1, y1 = rects[name]
        c.round_rect(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 3, back)
        c.line(x0 + 4.5, y0 + 4.5, x1 - 4.5, y1 - 4.5, 2, WHITE)
        c.line(x1 - 4.5, y0 + 4.5, x0 + 4.5, y1 - 4.5, 2, WHITE)
    # flip buttons: two stacked chevrons
    for name, back in (("flipbtn", rgb("3d5a80")), ("flipbtnhot", rgb("5d86bb"))):
        x0, y0, x1, y1 = rects[name]
        c.round_rect(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 3, back)
        c.polygon([(x0 + 4, y0 + 7), (x0 + 12, y0 + 7), (x0 + 8, y0 + 3)], WHITE)
        c.polygon([(x0 + 4, y0 + 9), (x0 + 12, y0 + 9), (x0 + 8, y0 + 13)], WHITE)
    # check boxes
    for name in ("uncheck", "check"):
        x0, y0, x1, y1 = rects[name]
        c.frame(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 2.5, 1.5, rgb("151a21"), rgb("9fb0c8"))
        if name == "check":
            c.line(x0 + 4, y0 + 8.5, x0 + 7, y0 + 11.5, 2.2, rgb("ffd27a"))
            c.line(x0 + 7, y0 + 11.5, x0 + 12.5, y0 + 4.5, 2.2, rgb("ffd27a"))
    # track bar: a sunken groove and a knob like the buttons
    x0, y0, x1, y1 = rects["track"]
    c.frame(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 3, 1, rgb("151a21", 0.96), rgb("7d8ea6"))
    x0, y0, x1, y1 = rects["thumb"]
    c.round_rect(x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 3, rgb("d9e6f5"))
    c.vertical_gradient(x0 + 1, y0 + 1, x1 - 1, y1 - 1, rgb("7aa2d6"), rgb("35557f"),
                        lambda x, y: _in_round(x + 0.5, y + 0.5, x0 + 1.5, y0 + 1.5, x1 - 1.5, y1 - 1.5, 2))
    # "empty" stays transparent on purpose.
    return c


def _in_round(x, y, x0, y0, x1, y1, radius):
    cx = min(max(x, x0 + radius), x1 - radius)
    cy = min(max(y, y0 + radius), y1 - radius)
    return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def skin_object():
    lines = ["object defSkin: Skin"]
    for name, rect, margins in SKIN:
        lines.append("  object %s: SkinElement" % name)
        for side, value in zip(("Left", "Top", "Right", "Bottom"), rect):
            lines.append("    pixmap.rect.%s = %d" % (side, value))
        if margins:
            for side, value in zip(("Left", "Top", "Right", "Bottom"), margins):
                lines.append("    pixmap.margins.%s = %d" % (side, value))
        lines.append("  end")
    lines.append("end")
    text = "\r\n".join(lines) + "\r\n"
    data = text.encode("ascii")
    if len(data) != SKIN_SIZE:
        raise SystemExit("the skin object is %d bytes, not %d" % (len(data), SKIN_SIZE))
    return data


# ------------------------------------------------------------------- icon


def draw_icon():
    c = Canvas(128, 128)
    c.round_rect(4, 4, 124, 124, 26, rgb("1f2b3d"))
    c.vertical_gradient(8, 8, 120, 120, rgb("35557f", 0.9), rgb("16202e", 0.9),
                        lambda x, y: _in_round(x + 0.5, y + 0.5, 8, 8, 120, 120, 22))
    # a "C" ring open to the right with a diamond at its heart
    c.ring(64, 64, 42, 28, rgb("e3a33b"), gap=(328, 32))
    c.polygon([(64, 48), (80, 64), (64, 80), (48, 64)], rgb("f4f1e8"))
    return c


# ------------------------------------------------------------------ particle


def draw_particle():
    c = Canvas(256, 256)
    radius = 127.0
    for y in range(256):
        for x in range(256):
            d = math.hypot(x + 0.5 - 128, y + 0.5 - 128) / radius
            if d < 1:
                fade = (1 - d) ** 2 * (1 + 2 * d)  # smooth, 1 at the centre, 0 at the rim
                c.put(x, y, (1.0, 1.0, 1.0, min(1.0, fade * 1.0)))
    return c


# ------------------------------------------------------------------- logos


def draw_engine_logo():
    c = Canvas(128, 128)
    c.circle(64, 64, 60, rgb("1f2b3d"))
    c.ring(64, 64, 60, 55, rgb("8fa3bf"))
    c.ring(64, 64, 44, 31, rgb("e3a33b"), gap=(325, 35))
    c.polygon([(64, 47), (81, 64), (64, 81), (47, 64)], rgb("f4f1e8"))
    c.polygon([(64, 55), (73, 64), (64, 73), (55, 64)], rgb("3d5a80"))
    return c


def draw_script_logo():
    """The script engine's slot: a pair of braces, our own drawing."""
    c = Canvas(128, 128)
    c.round_rect(6, 6, 122, 122, 20, rgb("303030"))
    grey = rgb("e8e8e8")
    for side in (-1, 1):
        cx = 64 + side * 30
        # a brace: two arcs and a point in the middle
        c.line(cx, 30, cx, 56, 7, grey)
        c.line(cx, 72, cx, 98, 7, grey)
        c.line(cx, 56, cx + side * 10, 64, 7, grey)
        c.line(cx + side * 10, 64, cx, 72, 7, grey)
        c.line(cx, 30, cx - side * 8, 24, 7, grey)
        c.line(cx, 98, cx - side * 8, 104, 7, grey)
    c.circle(64, 64, 6, rgb("a0a0a0"))
    return c


def draw_physics_logo():
    """The physics library's slot: a ball on its orbit, our own drawing."""
    c = Canvas(128, 128)
    c.circle(64, 64, 60, rgb("2a2a2a"))
    c.fill(lambda x, y: 0.80 <= ((x - 64) / 50) ** 2 + ((y - 64) / 22) ** 2 <= 1.0, rgb("c8c8c8"), (8, 36, 120, 92))
    c.circle(64, 64, 18, rgb("f0f0f0"))
    c.circle(58, 58, 6, rgb("ffffff", 0.8))
    c.circle(108, 74, 7, rgb("9a9a9a"))
    c.line(30, 104, 98, 104, 3, rgb("6a6a6a"))
    return c


# -------------------------------------------------------------------- main


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    files = [
        ("defaultcur.pixmap", pixmap(draw_cursor()), 16911),
        ("defaultskin.pixmap", pixmap(draw_skin()), 262671),
        ("defaulticon.pixmap", pixmap(draw_icon()), 66063),
        ("defaultpfx.pixmap", pixmap(draw_particle()), 262671),
        ("defaultskin.object", skin_object(), SKIN_SIZE),
        ("logo.png", png(draw_engine_logo(), False, 8755), 8755),
        ("logo_mozilla.png", png(draw_script_logo(), True, 8163), 8163),
        ("logo_newton.png", png(draw_physics_logo(), True, 9020), 9020),
    ]
    for name, data, size in files:
        assert len(data) == size, (name, len(data), size)
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print("%-20s %7d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
