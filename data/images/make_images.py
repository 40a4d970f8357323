#!/usr/bin/env python3
"""Draws the program's pictures: the toolbar strip, the about picture and the program icon.

Python 3 standard library only. Shapes are signed distance functions painted in order, so
every picture is reproducible from this file:

    python3 data/images/make_images.py [OUTPUT_DIR]

writes toolbar.bmp (24-bit, twelve 32 x 32 buttons on magenta, in toolbar order),
about.png (560 x 299) and icons/hicolor/<N>x<N>/apps/quorfwupdate.png for N in 16-256.
"""
import math
import os
import struct
import sys
import zlib

MAGENTA = (255, 0, 255)


# ---- shapes: each returns (signed distance, bounding box) in picture units ----------------

class Shape:
    def __init__(self, sdf, box):
        self.sdf = sdf
        self.box = box  # x0, y0, x1, y1


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def rect(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def sdf(x, y):
        dx, dy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(dx, 0), max(dy, 0))
        return outside + min(max(dx, dy), 0) - radius
    return Shape(sdf, (x0, y0, x1, y1))


def segment(ax, ay, bx, by, width):
    def sdf(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - vx * t, py - vy * t) - width / 2
    w = width / 2
    return Shape(sdf, (min(ax, bx) - w, min(ay, by) - w, max(ax, bx) + w, max(ay, by) + w))


def arc(cx, cy, r, width, start_deg, end_deg, stretch=1.0):
    """A ring piece from start to end angle, clockwise on screen (0 = right, 90 = down);
    stretch > 1 makes it an upright oval (approximately, which is enough for a picture)."""
    span = (end_deg - start_deg) % 360 or 360
    ends = [(cx + r * math.cos(math.radians(a)), cy + stretch * r * math.sin(math.radians(a)))
            for a in (start_deg, start_deg + span)]

    def sdf(x, y):
        dy = (y - cy) / stretch
        angle = (math.degrees(math.atan2(dy, x - cx)) - start_deg) % 360
        if angle <= span:
            return abs(math.hypot(x - cx, dy) - r) - width / 2
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - width / 2
    e = r + width / 2
    return Shape(sdf, (cx - e, cy - e * stretch, cx + e, cy + e * stretch))


def fingerprint(cx, cy, unit, width, colour, rings=4):
    """Upright oval ridges, open at the bottom, each a little differently, with a core loop."""
    layers = [Layer(arc(cx, cy, unit * 0.9, width, 160, 20, 1.5), colour)]
    gaps = [(150, 60), (135, 45), (125, 70), (115, 40)]
    for i, (start, end) in enumerate(gaps[:rings]):
        layers.append(Layer(arc(cx, cy + unit * 0.3 * (i + 1), unit * (i + 2), width, start, end, 1.3), colour))
    return layers


def polygon(points):
    def sdf(x, y):
        d = min((x - px) ** 2 + (y - py) ** 2 for px, py in points)
        sign = 1.0
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[i - 1]
            ex, ey, wx, wy = bx - ax, by - ay, x - ax, y - ay
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            d = min(d, (wx - ex * t) ** 2 + (wy - ey * t) ** 2)
            c1, c2, c3 = y >= ay, y < by, ex * wy > ey * wx
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                sign = -sign
        return sign * math.sqrt(d)
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(sdf, (min(xs), min(ys), max(xs), max(ys)))


def arrow(direction, cx, cy, length, shaft, head):
    """An arrow centred on (cx, cy) pointing 'down', 'up', 'right' or 'left'."""
    h = length / 2
    hw, sw = head / 2, shaft / 2
    tip = h - head * 0.9
    pts = [(-sw, -h), (sw, -h), (sw, tip), (hw, tip), (0, h), (-hw, tip), (-sw, tip)]  # pointing down
    rot = {'down': (1, 0, 0, 1), 'up': (1, 0, 0, -1), 'right': (0, 1, 1, 0), 'left': (0, -1, -1, 0)}[direction]
    a, b, c, d = rot
    return polygon([(cx + a * x + b * y, cy + c * x + d * y) for x, y in pts])


# ---- rendering -------------------------------------------------------------------------

class Layer:
    def __init__(self, shape, fill, outline=None, outline_width=1.0):
        self.shape, self.fill, self.outline, self.outline_width = shape, fill, outline, outline_width


def sample(layers, x, y, background):
    colour = background
    for layer in layers:
        x0, y0, x1, y1 = layer.shape.box
        ow = layer.outline_width if layer.outline else 0
        if x < x0 - ow or x > x1 + ow or y < y0 - ow or y > y1 + ow:
            continue
        d = layer.shape.sdf(x, y)
        if d < 0:
            colour = layer.fill
        elif layer.outline and d < ow:
            colour = layer.outline
    return colour


def render(layers, width, height, scale=1.0, background=MAGENTA, supersample=1):
    """Rows of (r, g, b) or, with background None, (r, g, b, a)."""
    rows = []
    n = supersample
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / scale
                    y = (py + (sy + 0.5) / n) / scale
                    c = sample(layers, x, y, background)
                    if c is None:
                        continue
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
                    acc[3] += 1
            if background is None:
                if acc[3] == 0:
                    row.append((0, 0, 0, 0))
                else:
                    k = acc[3]
                    row.append((acc[0] // k, acc[1] // k, acc[2] // k, 255 * k // (n * n)))
            else:
                k = n * n
                row.append((acc[0] // k, acc[1] // k, acc[2] // k))
        rows.append(row)
    return rows


# ---- file writers ----------------------------------------------------------------------

def write_bmp24(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        pixels += line
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + pixels)


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    alpha = len(rows[0][0]) == 4
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
    ihdr = struct.pack('>IIBBBBB', width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
                + chunk(b'IEND', b''))


# ---- the twelve toolbar buttons (32 x 32 units each) ------------------------------------

INK = (38, 48, 64)
BLUE = (42, 111, 208)
LIGHT_BLUE = (170, 210, 245)
GREEN = (46, 160, 67)
ORANGE = (230, 140, 30)
RED = (200, 50, 40)
WHITE = (250, 250, 250)
PAPER = (245, 245, 238)
GRAY = (150, 155, 165)
DARK_GRAY = (80, 85, 95)
BROWN = (140, 90, 50)
TEAL = (30, 150, 140)


def sheet():
    return [Layer(polygon([(7, 3), (21, 3), (26, 8), (26, 29), (7, 29)]), PAPER, INK),
            Layer(polygon([(21, 3), (21, 8), (26, 8)]), GRAY, INK)]


def floppy():
    return [Layer(polygon([(4, 4), (24, 4), (28, 8), (28, 28), (4, 28)]), BLUE, INK),
            Layer(rect(9, 4, 22, 12), GRAY, INK),
            Layer(rect(17, 5.5, 20, 10.5), DARK_GRAY),
            Layer(rect(8, 17, 24, 28), WHITE, INK)]


def button_scan():
    return [Layer(circle(13, 13, 7.5), LIGHT_BLUE),
            Layer(arc(13, 13, 8.5, 3.5, 0, 360), DARK_GRAY, INK),
            Layer(segment(19.5, 19.5, 27, 27, 5), BROWN, INK),
            Layer(arc(13, 13, 4.5, 1.5, 200, 260), WHITE)]


def button_update():
    layers = [Layer(rect(7, 15, 25, 29, 1.5), DARK_GRAY, INK)]
    for y in (18, 22, 26):
        layers.append(Layer(segment(3, y, 7, y, 1.6), GRAY))
        layers.append(Layer(segment(25, y, 29, y, 1.6), GRAY))
    layers.append(Layer(circle(11, 25, 1.2), GRAY))
    layers.append(Layer(arrow('down', 16, 11, 18, 5, 12), GREEN, INK))
    return layers


def button_download():
    return [Layer(polygon([(3, 18), (7, 18), (7, 24), (25, 24), (25, 18), (29, 18), (29, 29), (3, 29)]), GRAY, INK),
            Layer(arrow('down', 16, 12, 20, 5, 13), BLUE, INK)]


def button_versions():
    layers = sheet()
    for i, colour in enumerate((GREEN, BLUE, ORANGE, RED)):
        y = 11 + i * 5
        layers.append(Layer(rect(10, y - 1.5, 13, y + 1.5), colour))
        layers.append(Layer(segment(15, y, 23, y, 1.6), INK))
    return layers


def button_help():
    return [Layer(circle(16, 16, 13), BLUE, INK),
            Layer(arc(16, 12, 5, 3.5, 180, 60), WHITE),
            Layer(segment(18.5, 16.3, 16, 18.5, 3.5), WHITE),
            Layer(segment(16, 18.5, 16, 20.5, 3.5), WHITE),
            Layer(circle(16, 25, 2.1), WHITE)]


def button_about():
    return [Layer(circle(16, 16, 13), TEAL, INK),
            Layer(circle(16, 9.5, 2.3), WHITE),
            Layer(rect(13.5, 13.5, 18.5, 25, 0.8), WHITE)]


def button_exit():
    return [Layer(rect(4, 3, 18, 29), BROWN, INK),
            Layer(rect(7, 6, 15, 29), (40, 30, 25)),
            Layer(polygon([(7, 6), (13, 9), (13, 29), (7, 29)]), (185, 130, 80), INK),
            Layer(arrow('right', 22, 16, 15, 4, 10), RED, INK)]


def button_backup():
    return floppy() + [Layer(arrow('down', 16, 21, 12, 3.5, 8), GREEN, INK)]


def button_restore():
    return floppy() + [Layer(arrow('up', 16, 21.5, 12, 3.5, 8), ORANGE, INK)]


def button_export():
    layers = sheet()
    for y in (11, 15, 19, 23):
        layers.append(Layer(segment(10, y, 22, y, 1.3), GRAY))
    layers.append(Layer(segment(15, 9, 15, 25, 1.3), GRAY))
    layers.append(Layer(arrow('right', 22, 21, 14, 4, 9), GREEN, INK))
    return layers


def button_wiegand():
    return [Layer(rect(2, 9, 24, 26, 2), PAPER, INK),
            Layer(rect(2.5, 12, 23.5, 15.5), INK),
            Layer(rect(5, 19, 13, 23, 0.5), ORANGE),
            Layer(arc(22, 8, 3.5, 1.8, 300, 60), BLUE),
            Layer(arc(22, 8, 6.5, 1.8, 300, 60), BLUE),
            Layer(arc(22, 8, 9.5, 1.8, 300, 60), BLUE)]


def button_device_firmware():
    layers = [Layer(rect(3, 1.5, 29, 30.5, 7), (245, 235, 220), INK)]
    return layers + fingerprint(16, 15.5, 2.6, 1.5, BROWN, rings=3)


BUTTONS = [button_scan, button_update, button_download, button_versions, button_help, button_about,
           button_exit, button_backup, button_restore, button_export, button_wiegand, button_device_firmware]


def toolbar_strip():
    rows = [[] for _ in range(32)]
    for make in BUTTONS:
        for y, row in enumerate(render(make(), 32, 32)):
            rows[y].extend(row)
    return rows


# ---- the about picture (560 x 299) -------------------------------------------------------

GLYPHS = {
    'q': ['.....', '.....', '.####', '#...#', '#...#', '#...#', '.####', '....#', '....#'],
    'u': ['.....', '.....', '#...#', '#...#', '#...#', '#..##', '.##.#', '.....', '.....'],
    'o': ['.....', '.....', '.###.', '#...#', '#...#', '#...#', '.###.', '.....', '.....'],
    'r': ['.....', '.....', '#.##.', '##..#', '#....', '#....', '#....', '.....', '.....'],
    'F': ['#####', '#....', '#....', '####.', '#....', '#....', '#....', '.....', '.....'],
    'W': ['#...#', '#...#', '#...#', '#.#.#', '#.#.#', '##.##', '#...#', '.....', '.....'],
    'p': ['.....', '.....', '####.', '#...#', '#...#', '#...#', '####.', '#....', '#....'],
    'd': ['....#', '....#', '.####', '#...#', '#...#', '#...#', '.####', '.....', '.....'],
    'a': ['.....', '.....', '.###.', '....#', '.####', '#...#', '.####', '.....', '.....'],
    't': ['.#...', '.#...', '####.', '.#...', '.#...', '.#..#', '..##.', '.....', '.....'],
    'e': ['.....', '.....', '.###.', '#...#', '#####', '#....', '.###.', '.....', '.....'],
}


def title_layers(text, x, y, cell, colour):
    layers = []
    for i, ch in enumerate(text):
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit == '#':
                    x0 = x + (i * 6 + col) * cell
                    y0 = y + row * cell
                    layers.append(Layer(rect(x0, y0, x0 + cell, y0 + cell), colour))
    return layers


def about_layers():
    deep = (24, 52, 96)
    layers = [Layer(rect(0, 0, 560, 150), deep),
              Layer(rect(0, 150, 560, 299), (236, 241, 247)),
              Layer(rect(0, 150, 560, 154), (90, 150, 215))]
    # The bus: one control unit and four modules on one line.
    layers.append(Layer(segment(70, 118, 500, 118, 3), (150, 190, 235)))
    layers.append(Layer(rect(40, 100, 100, 136, 5), (60, 110, 180), (200, 220, 245), 2))
    for i in range(4):
        layers.append(Layer(rect(52 + i * 11, 124, 58 + i * 11, 130, 1), (120, 230, 140)))
    for i in range(4):
        cx = 190 + i * 95
        layers.append(Layer(circle(cx, 118, 17), (245, 235, 220), (200, 220, 245), 2))
        layers += fingerprint(cx, 114, 2.6, 1.7, (140, 90, 50), rings=3)
    title = 'quorFWupdate'
    cell = 6
    width = (len(title) * 6 - 1) * cell
    layers += title_layers(title, (560 - width) / 2, 22, cell, (250, 250, 250))
    return layers


# ---- the program icon (drawn in 256 units) -----------------------------------------------

def icon_layers():
    layers = [Layer(rect(8, 8, 248, 248, 44), (24, 52, 96), (12, 26, 48), 6)]
    layers += fingerprint(118, 112, 16, 10, (240, 244, 250))
    layers.append(Layer(circle(190, 190, 50), GREEN, (12, 26, 48), 6))
    layers.append(Layer(arrow('up', 190, 190, 64, 20, 48), WHITE))
    return layers


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    write_bmp24(os.path.join(out, 'toolbar.bmp'), toolbar_strip())
    write_png(os.path.join(out, 'about.png'), render(about_layers(), 560, 299, background=(0, 0, 0), supersample=2))
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        folder = os.path.join(out, 'icons', 'hicolor', '%dx%d' % (size, size), 'apps')
        os.makedirs(folder, exist_ok=True)
        n = 4 if size <= 64 else 2
        write_png(os.path.join(folder, 'quorfwupdate.png'),
                  render(icon_layers(), size, size, scale=size / 256.0, background=None, supersample=n))


if __name__ == '__main__':
    main()
