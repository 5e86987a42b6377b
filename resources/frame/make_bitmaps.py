#!/usr/bin/env python3
"""Draws the main window's toolbar strips: 20x20 images in 24-bit BMP files.

    python3 make_bitmaps.py [output folder]

main_toolbar.bmp / main_toolbar_hot.bmp: New, Open, Save, Cut, Copy, Paste, Help.
debug_toolbar.bmp / debug_toolbar_hot.bmp: Go, Step Into, Step Over, Break, Stop,
Toggle Breakpoint, Record, Stop Recording. Normal strips use white as the mask colour, hot strips
RGB(255,128,64); hot images are the same shapes in livelier colours."""
import math
import struct
import sys

S = 20
INK = (48, 52, 70)


def write_bmp(path, width, height, pixel):
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        line += b'\0' * (row - width * 3)
        data += line
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


class Image:
    def __init__(self):
        self.px = [[None] * S for _ in range(S)]

    def put(self, x, y, c):
        if 0 <= x < S and 0 <= y < S:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    def box(self, x0, y0, x1, y1, fill, edge=INK):
        self.rect(x0, y0, x1, y1, edge)
        self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)

    def disc(self, cx, cy, r, c):
        for y in range(S):
            for x in range(S):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def ring(self, cx, cy, r0, r1, c, a0=0, a1=360):
        for y in range(S):
            for x in range(S):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                d = math.hypot(dx, dy)
                a = math.degrees(math.atan2(-dy, dx)) % 360
                inside = a0 <= a <= a1 if a0 <= a1 else (a >= a0 or a <= a1)
                if r0 <= d <= r1 and inside:
                    self.put(x, y, c)

    def polygon(self, points, c):
        for y in range(S):
            for x in range(S):
                if inside(points, x + 0.5, y + 0.5):
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0)) * 2 + 1
        for i in range(steps + 1):
            t = i / steps
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for w in range(width):
                self.put(int(round(x)) + (w if abs(y1 - y0) > abs(x1 - x0) else 0),
                         int(round(y)) + (w if abs(y1 - y0) <= abs(x1 - x0) else 0), c)


def inside(points, x, y):
    result = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def palette(hot):
    if hot:
        return dict(paper=(255, 255, 240), folder=(255, 205, 70), blue=(40, 120, 240), red=(235, 45, 35),
                    green=(30, 185, 70), grey=(200, 200, 210), steel=(120, 130, 150), brown=(190, 130, 60))
    return dict(paper=(248, 248, 248), folder=(232, 188, 70), blue=(45, 95, 185), red=(195, 45, 40),
                green=(40, 150, 70), grey=(190, 190, 198), steel=(110, 115, 130), brown=(165, 115, 60))


def page(img, p, x0=4, y0=2, x1=16, y1=18):
    img.box(x0, y0, x1, y1, p['paper'])
    # Folded corner.
    for i in range(4):
        for j in range(4 - i):
            img.put(x1 - 1 - j, y0 + i, None)
        img.put(x1 - 4 + i, y0 + i, INK)
    img.rect(x1 - 4, y0 + 3, x1, y0 + 4, INK)


def main_images(hot):
    p = palette(hot)
    out = []

    img = Image()  # New: a blank page with a spark.
    page(img, p, 3, 2, 15, 18)
    for y in (8, 11, 14):
        img.rect(5, y, 12, y + 1, p['grey'])
    img.polygon([(15, 10), (16.5, 13), (19.5, 14), (16.5, 15), (15, 18), (13.5, 15), (10.5, 14), (13.5, 13)], p['folder'])
    out.append(img)

    img = Image()  # Open: a folder.
    img.box(1, 4, 8, 7, p['folder'])
    img.box(1, 6, 16, 17, p['folder'])
    img.polygon([(4, 9), (19.5, 9), (16, 17), (1, 17)], INK)
    img.polygon([(5, 10), (18, 10), (15.2, 16), (2.5, 16)], p['folder'])
    out.append(img)

    img = Image()  # Save: a disk.
    img.box(2, 2, 18, 18, p['blue'])
    img.box(5, 2, 15, 9, p['paper'])
    img.rect(12, 3, 14, 8, p['steel'])
    img.box(5, 12, 15, 18, p['grey'])
    out.append(img)

    img = Image()  # Cut: scissors.
    img.line(6, 2, 12, 12, INK, 2)
    img.line(13, 2, 7, 12, INK, 2)
    img.ring(6, 15, 1.6, 3.2, p['red'])
    img.ring(14, 15, 1.6, 3.2, p['red'])
    out.append(img)

    img = Image()  # Copy: two pages.
    img.box(2, 2, 12, 14, p['paper'])
    for y in (5, 8, 11):
        img.rect(4, y, 10, y + 1, p['grey'])
    img.box(8, 6, 18, 18, p['paper'])
    for y in (9, 12, 15):
        img.rect(10, y, 16, y + 1, p['blue'])
    out.append(img)

    img = Image()  # Paste: a clipboard with a page.
    img.box(2, 3, 15, 19, p['brown'])
    img.box(5, 1, 12, 5, p['grey'])
    img.box(8, 8, 18, 19, p['paper'])
    for y in (11, 14):
        img.rect(10, y, 16, y + 1, p['blue'])
    out.append(img)

    img = Image()  # Help: a question mark in a blue disc.
    img.disc(10, 10, 8.6, INK)
    img.disc(10, 10, 7.6, p['blue'])
    white = (255, 255, 255)
    img.ring(10, 7.5, 2.2, 3.6, white, 330, 200)
    img.rect(9, 10, 11, 13, white)
    img.rect(9, 14, 11, 16, white)
    out.append(img)
    return out


def debug_images(hot):
    p = palette(hot)
    out = []

    img = Image()  # Go: a play triangle.
    img.polygon([(4, 2), (17, 10), (4, 18)], INK)
    img.polygon([(5.2, 4.2), (15, 10), (5.2, 15.8)], p['green'])
    out.append(img)

    img = Image()  # Step Into: an arrow down into braces.
    for x in (2, 16):
        img.rect(x, 11, x + 2, 18, INK)
    img.rect(2, 17, 18, 19, INK)
    img.rect(9, 1, 11, 10, p['blue'])
    img.polygon([(5, 8), (15, 8), (10, 14)], p['blue'])
    out.append(img)

    img = Image()  # Step Over: an arc over a line.
    img.rect(2, 17, 18, 19, INK)
    img.ring(10, 12, 5, 7, p['blue'], 0, 180)
    img.polygon([(13, 11), (19.5, 11), (16.25, 15.5)], p['blue'])
    img.rect(9, 13, 11, 15, INK)
    out.append(img)

    img = Image()  # Break: pause bars.
    img.box(4, 3, 9, 17, p['blue'])
    img.box(11, 3, 16, 17, p['blue'])
    out.append(img)

    img = Image()  # Stop: a square.
    img.box(3, 3, 17, 17, p['red'])
    out.append(img)

    img = Image()  # Toggle Breakpoint: a red dot.
    img.disc(10, 10, 7, INK)
    img.disc(10, 10, 6, p['red'])
    img.disc(8, 8, 1.6, (255, 170, 160))
    out.append(img)

    img = Image()  # Record: a red dot on a tape.
    img.box(1, 4, 19, 16, p['grey'])
    img.disc(10, 10, 4.6, INK)
    img.disc(10, 10, 3.6, p['red'])
    out.append(img)

    img = Image()  # Stop Recording: a square on the same tape.
    img.box(1, 4, 19, 16, p['grey'])
    img.box(6, 6, 14, 14, INK)
    out.append(img)
    return out


def strip(path, images, hot):
    mask = (255, 128, 64) if hot else (255, 255, 255)

    def pixel(x, y):
        c = images[x // S].px[y][x % S]
        return mask if c is None else c
    write_bmp(path, S * len(images), S, pixel)


if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    strip(out + '/main_toolbar.bmp', main_images(False), False)
    strip(out + '/main_toolbar_hot.bmp', main_images(True), True)
    strip(out + '/debug_toolbar.bmp', debug_images(False), False)
    strip(out + '/debug_toolbar_hot.bmp', debug_images(True), True)
