#!/usr/bin/env python3
"""Draws the hyperlink's artwork and writes it into res/:
  cursor-130.cur    pointing hand, white with a black outline, hot spot on the finger tip (8, 3)
  cursor-131.cur    the same hand with a no-entry sign at its lower right
  icon-132-32.png,
  icon-132-16.png   a globe beside a web page
All images use the 16-colour palette. Run it again after changing a drawing; the output is
deterministic, so an unchanged drawing leaves the files byte for byte as they were."""
import os
import struct
import sys
import zlib

# The classic 16-colour palette (RGB); indices are used in the drawings below.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARKGREEN, SILVER, GREY, RED, GREEN, BLUE, WHITE = 0, 2, 7, 8, 9, 10, 12, 15
NAVY, TEAL = 4, 6
CLEAR = None


def blank(size):
    return [[CLEAR] * size for _ in range(size)]


def hand():
    """A pointing hand, index finger up; the finger tip is at (8, 3)."""
    rects = [(7, 3, 10, 17),             # index finger
             (11, 10, 14, 17), (15, 11, 18, 18), (19, 13, 21, 19),  # the other fingers, bent
             (7, 16, 21, 25),            # palm
             (3, 15, 6, 19), (4, 19, 7, 21), (5, 21, 7, 23),        # thumb
             (9, 25, 20, 29)]            # wrist
    inside = set()
    for x0, y0, x1, y1 in rects:
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                inside.add((x, y))
    inside -= {(7, 3), (10, 3), (3, 15), (21, 13)}   # round the tips a little
    img = blank(32)
    for (x, y) in inside:
        edge = any((x + dx, y + dy) not in inside for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        img[y][x] = BLACK if edge else WHITE
    # Creases between the bent fingers and along the thumb.
    for x, y0, y1 in ((11, 10, 16), (15, 11, 16), (19, 13, 17)):
        for y in range(y0, y1 + 1):
            img[y][x] = BLACK
    for y in range(17, 20):
        img[y][7] = BLACK
    return img


def no_entry(img, cx, cy, r):
    """A red ring crossed by a bar from upper left to lower right, white inside."""
    for y in range(32):
        for x in range(32):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 <= (r + 0.5) ** 2:
                on_ring = d2 >= (r - 1.6) ** 2
                on_bar = abs((x - cx) - (y - cy)) <= 1 and d2 < (r - 1) ** 2
                img[y][x] = RED if on_ring or on_bar else WHITE
    return img


def web_icon(size):
    """A web page (white sheet with text lines) and, in front of it at the lower left, a globe."""
    s = size / 32.0
    img = blank(size)
    px = lambda v: int(round(v * s))
    # The page.
    x0, y0, x1, y1 = px(12), px(2), px(29), px(27)
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            border = x in (x0, x1) or y in (y0, y1)
            img[y][x] = BLACK if border else WHITE
    for y in range(y0 + max(2, px(4)), y1 - 1, max(2, px(3))):
        for x in range(x0 + max(1, px(3)), x1 - max(1, px(2))):
            img[y][x] = GREY if size > 16 else SILVER
    # The globe: blue sea, green land, black rim, a meridian and the equator.
    cx, cy, r = px(11), px(20), px(10) - 0.5
    for y in range(size):
        for x in range(size):
            dx, dy = x - cx, y - cy
            d2 = dx * dx + dy * dy
            if d2 > (r + 0.5) ** 2:
                continue
            if d2 >= (r - 0.8) ** 2:
                img[y][x] = NAVY
                continue
            land = (dx + 0.6 * dy < -0.2 * r and dy > -0.6 * r) or (dx > 0.25 * r and dy < 0.1 * r and dx - dy < 0.9 * r)
            img[y][x] = GREEN if land else BLUE
            if size > 16 and (abs(dy) < 0.5 or abs(dx) < 0.5):
                img[y][x] = TEAL
    return img


def dib(img):
    """A 4-bit icon/cursor image: header, palette, colour rows, AND mask (both bottom-up)."""
    size = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor = b''
    mask = b''
    row_bytes_mask = ((size + 31) // 32) * 4
    for row in reversed(img):
        line = bytearray()
        for x in range(0, size, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            line.append(hi << 4 | lo)
        while len(line) % 4:
            line.append(0)
        xor += bytes(line)
        bits = bytearray(row_bytes_mask)
        for x, c in enumerate(row):
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + palette + xor + mask


def container(kind, images):
    """ICO (kind 1) or CUR (kind 2): entries carry planes/bits for icons, the hot spot for cursors."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for img, hot in images:
        data = dib(img)
        size = len(img)
        a, b = (1, 4) if kind == 1 else hot
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0, a, b, len(data), offset)
        offset += len(data)
        blobs.append(data)
    return out + b''.join(blobs)


def png(img):
    """The image as an RGBA PNG, transparent where nothing is drawn."""
    size = len(img)
    raw = b''
    for row in img:
        raw += b'\0' + b''.join(bytes(PALETTE[c]) + b'\xff' if c is not None else b'\0\0\0\0' for c in row)
    chunk = lambda kind, data: (struct.pack('>I', len(data)) + kind + data +
                                struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    res = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else res
    files = {
        'cursor-130.cur': container(2, [(hand(), (8, 3))]),
        'cursor-131.cur': container(2, [(no_entry(hand(), 24, 24, 6), (8, 3))]),
        'icon-132-32.png': png(web_icon(32)),
        'icon-132-16.png': png(web_icon(16)),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
