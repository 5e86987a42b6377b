#!/usr/bin/env python3
"""Draws the Window Explorer's images: the finder icon (147, 16 and 32 pixels, and an
empty variant shown while the finder is dragged), the finder cursor (130) and the four
16-pixel button bitmaps (135 keep on top, 137 use MSAA, 148 refresh, 149 show invisible).
Button bitmaps are 24-bit on the 3D grey (192,192,192), which LR_LOADMAP3DCOLORS maps to
the button face; the icon and the cursor are 32-bit with alpha.
Run from this folder: python3 make_images.py"""
import math, struct

GREY = (192, 192, 192)
NAVY = (24, 52, 120)
RED = (210, 40, 30)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREEN = (30, 140, 60)
BLUE = (40, 100, 210)

class Canvas:
    """RGBA pixels drawn by 4x4 supersampled coverage, so edges stay clean when small."""
    SS = 4

    def __init__(self, size, background=None):
        self.size = size
        bg = (background + (255,)) if background else (0, 0, 0, 0)
        self.px = [[list(bg) for _ in range(size)] for _ in range(size)]

    def shape(self, inside, colour, alpha=255):
        n = self.SS
        for y in range(self.size):
            for x in range(self.size):
                hits = sum(1 for sy in range(n) for sx in range(n)
                           if inside(x + (sx + 0.5) / n, y + (sy + 0.5) / n))
                if hits:
                    self.blend(x, y, colour, alpha * hits / (n * n))

    def blend(self, x, y, colour, a):
        p = self.px[y][x]
        a /= 255.0
        out_a = a + p[3] / 255.0 * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            p[i] = round((colour[i] * a + p[i] * (p[3] / 255.0) * (1 - a)) / out_a)
        p[3] = round(out_a * 255)

    def rect(self, x0, y0, x1, y1, colour, alpha=255):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour, alpha)

    def ring(self, cx, cy, r_out, r_in, colour):
        self.shape(lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out, colour)

    def disc(self, cx, cy, r, colour):
        self.ring(cx, cy, r, 0, colour)

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            px, py = x0 + t * dx - x, y0 + t * dy - y
            return px * px + py * py <= (width / 2.0) ** 2
        self.shape(inside, colour)

    def polygon(self, points, colour):
        def inside(x, y):
            c = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        self.shape(inside, colour)


def finder(size, empty):
    c = Canvas(size)
    s = size / 32.0
    mid = size / 2.0
    # A window frame with a target in it: the thing you drag onto other windows.
    c.rect(1 * s, 3 * s, 31 * s, 29 * s, WHITE)
    c.rect(1 * s, 3 * s, 31 * s, 8 * s, NAVY)
    for x0, x1, y0, y1 in ((1, 31, 3, 4), (1, 31, 28, 29), (1, 2, 3, 29), (30, 31, 3, 29)):
        c.rect(x0 * s, y0 * s, x1 * s, y1 * s, NAVY)
    if not empty:
        cy = 18 * s
        c.ring(mid, cy, 8.5 * s, 6.5 * s if size > 16 else 6.0 * s, RED)
        w = max(1.0, 1.5 * s)
        c.line(mid, cy - 10 * s, mid, cy - 3 * s, w, BLACK)
        c.line(mid, cy + 3 * s, mid, cy + 10 * s, w, BLACK)
        c.line(mid - 10 * s, cy, mid - 3 * s, cy, w, BLACK)
        c.line(mid + 3 * s, cy, mid + 10 * s, cy, w, BLACK)
        c.disc(mid, cy, 1.6 * s if size > 16 else 1.2, RED)
    return c


def cursor():
    # Crosshair with a ring; white halo so it shows on dark and light windows alike.
    c = Canvas(32)
    cx = cy = 15.5
    for colour, grow in ((WHITE, 1.4), (BLACK, 0.0)):
        c.ring(cx, cy, 9.0 + grow, 7.4 - grow, colour)
        w = 1.2 + 2 * grow
        c.line(cx, 2, cx, 11, w, colour)
        c.line(cx, 20, cx, 29, w, colour)
        c.line(2, cy, 11, cy, w, colour)
        c.line(20, cy, 29, cy, w, colour)
    c.disc(cx, cy, 1.3, RED)
    return c


def pin():
    c = Canvas(16, GREY)
    c.line(3, 13, 7.5, 8.5, 1.3, BLACK)                         # the needle
    c.polygon([(6, 5), (11, 10), (9.5, 11.5), (4.5, 6.5)], RED)  # the head's collar
    c.polygon([(8, 3.5), (12.5, 8), (14.5, 6), (10, 1.5)], RED)
    c.line(8.5, 5, 11, 7.5, 2.6, RED)
    c.line(10, 1.5, 14.5, 6, 1.0, (120, 20, 15))
    return c


def accessible():
    # A tree of objects: one parent, two children, linked.
    c = Canvas(16, GREY)
    c.line(4, 4, 4, 12.5, 1.0, BLACK)
    c.line(4, 8, 9, 8, 1.0, BLACK)
    c.line(4, 12.5, 9, 12.5, 1.0, BLACK)
    c.rect(1, 1, 8, 6, BLUE)
    c.rect(1.5, 1.5, 7.5, 2.5, WHITE, 160)
    c.rect(9, 6, 15, 10, GREEN)
    c.rect(9, 10.5, 15, 14.5, GREEN)
    return c


def refresh():
    c = Canvas(16, GREY)
    c.ring(8, 8.5, 6.0, 4.0, GREEN)
    c.rect(8, 0, 16, 8.5, GREY)                                 # open the circle
    c.polygon([(8, 0.5), (13.5, 4.5), (8, 8.5)], GREEN)        # the arrow head
    return c


def eye():
    c = Canvas(16, GREY)
    def almond(x, y, r):
        return ((x - 8) / 7.3) ** 2 + ((y - 8) / 4.2) ** 2 <= r
    c.shape(lambda x, y: almond(x, y, 1.0) and not almond(x, y, 0.55), BLACK)
    c.shape(lambda x, y: almond(x, y, 0.55), WHITE)
    c.disc(8, 8, 2.8, BLUE)
    c.disc(8, 8, 1.3, BLACK)
    c.line(2.5, 13.5, 13.5, 2.5, 1.3, (170, 30, 30))            # "hidden things too"
    return c


def write_bmp(path, canvas):
    n = canvas.size
    row = (n * 3 + 3) & ~3
    data = bytearray()
    for y in range(n - 1, -1, -1):
        line = bytearray()
        for x in range(n):
            r, g, b, a = canvas.px[y][x]
            line += bytes((b, g, r))
        data += line + b'\0' * (row - n * 3)
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, n, n, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    open(path, 'wb').write(header + info + data)


def dib32(canvas):
    """A 32-bit DIB with its AND mask, as icon and cursor files hold them."""
    n = canvas.size
    xor = bytearray()
    for y in range(n - 1, -1, -1):
        for x in range(n):
            r, g, b, a = canvas.px[y][x]
            xor += bytes((b, g, r, a))
    mask_row = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in range(n - 1, -1, -1):
        bits = bytearray(mask_row)
        for x in range(n):
            if canvas.px[y][x][3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def write_icon_file(path, canvases, kind, hotspot=(0, 0)):
    images = [dib32(c) for c in canvases]
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        n = c.size
        if kind == 1:
            planes, bits = 1, 32
        else:
            planes, bits = hotspot
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, planes, bits, len(img), offset)
        offset += len(img)
    open(path, 'wb').write(out + b''.join(images))


if __name__ == '__main__':
    write_icon_file('finder.ico', [finder(32, False), finder(16, False)], 1)
    write_icon_file('finder_empty.ico', [finder(32, True), finder(16, True)], 1)
    write_icon_file('finder.cur', [cursor()], 2, hotspot=(15, 15))
    write_bmp('keepontop.bmp', pin())
    write_bmp('usemsaa.bmp', accessible())
    write_bmp('refresh.bmp', refresh())
    write_bmp('showinvisible.bmp', eye())
