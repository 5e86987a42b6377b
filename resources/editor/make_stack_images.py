#!/usr/bin/env python3
"""Draws the five 16-pixel marker images (stackimages.bmp): 0 unused, 1 current line,
2 enabled breakpoint, 3 disabled breakpoint, 4 selected call-stack frame. White is the
transparent mask colour."""
import struct, sys

W, H, N = 16, 16, 5
WHITE = (255, 255, 255)
pixels = [[WHITE] * (W * N) for _ in range(H)]

def put(image, x, y, colour):
    if 0 <= x < W and 0 <= y < H:
        pixels[y][image * W + x] = colour

def arrow(image, fill, edge):
    # A right-pointing arrow: a shaft and a triangular head.
    for y in range(H):
        for x in range(W):
            inside_shaft = 2 <= x <= 8 and 5 <= y <= 10
            inside_head = 8 <= x <= 14 and abs(y - 7.5) <= (14 - x) * 0.9 + 0.5
            if inside_shaft or inside_head:
                put(image, x, y, fill)
    for y in range(H):
        for x in range(W):
            if pixels[y][image * W + x] == fill:
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if not (0 <= nx < W and 0 <= ny < H) or pixels[ny][image * W + nx] == WHITE:
                        put(image, x, y, edge)
                        break

def disc(image, fill, edge, hollow):
    for y in range(H):
        for x in range(W):
            d = ((x - 7.5) ** 2 + (y - 7.5) ** 2) ** 0.5
            if d <= 6.5:
                put(image, x, y, edge if d > 5.3 or hollow and d > 3.8 else (WHITE if hollow else fill))

# Colours are (blue, green, red), the byte order of a BMP.
arrow(1, (0, 230, 255), (0, 80, 120))      # yellow arrow
disc(2, (30, 30, 220), (0, 0, 140), False)  # red disc
disc(3, (30, 30, 220), (0, 0, 140), True)   # red ring
arrow(4, (60, 180, 60), (0, 90, 0))         # green arrow

row = W * N * 3
pad = (4 - row % 4) % 4
data = b''.join(
    b''.join(bytes(c) for c in pixels[y]) + b'\0' * pad  # the tuples are stored as B, G, R
    for y in reversed(range(H)))
header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54)
info = struct.pack('<IiiHHIIiiII', 40, W * N, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
with open(sys.argv[1] if len(sys.argv) > 1 else 'stackimages.bmp', 'wb') as f:
    f.write(header + info + data)
