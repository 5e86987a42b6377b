#!/usr/bin/env python3
"""Draws the toolbar strips of the frame test application (20x20 images, 24-bit BMP).
Normal strips have a white mask colour, hot strips RGB(255,128,64)."""
import struct, sys

S = 20

def bmp(path, width, height, pixel):
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
    open(path, 'wb').write(header + info + data)

def rect(img, x0, y0, x1, y1, c):
    for y in range(y0, y1):
        for x in range(x0, x1):
            img[y][x] = c

def frame(img, x0, y0, x1, y1, c):
    rect(img, x0, y0, x1, y0 + 1, c); rect(img, x0, y1 - 1, x1, y1, c)
    rect(img, x0, y0, x0 + 1, y1, c); rect(img, x1 - 1, y0, x1, y1, c)

DARK = (40, 40, 60)

def page(img, fill):
    rect(img, 4, 2, 15, 18, fill); frame(img, 4, 2, 15, 18, DARK)
    for i in range(4): img[2 + i][11 + i] = DARK

def glyphs(hot):
    paper = (255, 255, 230) if hot else (245, 245, 245)
    yellow = (255, 210, 60) if hot else (225, 185, 60)
    blue = (60, 120, 230) if hot else (50, 90, 170)
    red = (230, 50, 40) if hot else (180, 50, 40)
    green = (40, 180, 60) if hot else (40, 140, 60)
    out = []
    def new():
        img = blank(); page(img, paper); rect(img, 14, 12, 19, 14, yellow); rect(img, 15, 10, 17, 17, yellow); return img
    def open_():
        img = blank(); rect(img, 2, 6, 17, 16, yellow); frame(img, 2, 6, 17, 16, DARK); rect(img, 2, 4, 8, 6, yellow); frame(img, 2, 4, 8, 7, DARK); return img
    def save():
        img = blank(); rect(img, 3, 3, 17, 17, blue); frame(img, 3, 3, 17, 17, DARK); rect(img, 6, 3, 14, 9, paper); rect(img, 6, 12, 14, 17, (200, 200, 200)); return img
    def cut():
        img = blank()
        for i in range(10):
            img[2 + i][6 + i // 3] = DARK; img[2 + i][13 - i // 3] = DARK
        frame(img, 3, 12, 8, 18, red); frame(img, 11, 12, 16, 18, red); return img
    def copy():
        img = blank(); rect(img, 3, 2, 12, 13, paper); frame(img, 3, 2, 12, 13, DARK); rect(img, 8, 7, 17, 18, paper); frame(img, 8, 7, 17, 18, DARK)
        for y in (10, 12, 14): rect(img, 10, y, 15, y + 1, blue)
        return img
    def paste():
        img = blank(); rect(img, 3, 4, 15, 18, (170, 120, 60)); frame(img, 3, 4, 15, 18, DARK); rect(img, 6, 2, 12, 5, (200, 200, 200)); rect(img, 9, 9, 18, 19, paper); frame(img, 9, 9, 18, 19, DARK); return img
    def help_():
        img = blank()
        for y in range(S):
            for x in range(S):
                if (x - 9.5) ** 2 + (y - 9.5) ** 2 <= 64: img[y][x] = blue
        for (x, y) in [(8,5),(9,5),(10,5),(11,5),(7,6),(12,6),(12,7),(11,8),(10,9),(9,10),(9,11),(9,14),(10,14),(9,15),(10,15)]:
            img[y][x] = (255, 255, 255)
        return img
    def panes():
        img = blank(); rect(img, 2, 3, 18, 17, paper); frame(img, 2, 3, 18, 17, DARK); rect(img, 2, 3, 18, 6, blue); rect(img, 2, 12, 18, 13, DARK); rect(img, 10, 6, 11, 12, DARK); return img
    def run():
        img = blank()
        for y in range(4, 17):
            w = 7 - abs(y - 10)
            rect(img, 5, y, 6 + 2 * w, y + 1, green)
        return img
    return [new(), open_(), save(), cut(), copy(), paste(), help_(), panes(), run()], None

def blank():
    return [[None] * S for _ in range(S)]

def strip(path, hot):
    imgs, _ = glyphs(hot)
    mask = (255, 128, 64) if hot else (255, 255, 255)
    def pixel(x, y):
        c = imgs[x // S][y][x % S]
        return c if c is not None else mask
    bmp(path, S * len(imgs), S, pixel)

out = sys.argv[1] if len(sys.argv) > 1 else '.'
strip(out + '/toolbar.bmp', False)
strip(out + '/toolbar_hot.bmp', True)
