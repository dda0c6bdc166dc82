#!/usr/bin/env python3
"""Writes the dialogs' window icon: a page of text under a magnifying glass,
as a 16-colour .ico with a 32x32 and a 16x16 image.
    make_icon.py OUT.ico

Written out by hand: Pillow's icon writer has no 4-bit frames, and its
palette frames come with a mask that leaves no pixel transparent; it keeps
transparency only in 32-bit or PNG frames, another and larger icon."""
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, SILVER, WHITE, BLUE = 0, 4, 8, 7, 15, 12
TRANSPARENT = None


def draw(size):
    """The picture as rows of palette indexes (None: transparent), top row first."""
    s = size / 32.0
    pixels = [[TRANSPARENT] * size for _ in range(size)]
    # The page, with lines of text.
    left, top, right, bottom = int(3 * s), int(2 * s), int(22 * s), int(28 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            pixels[y][x] = BLACK if edge else WHITE
    for y in range(int(6 * s), int(25 * s), max(2, int(4 * s))):
        for x in range(left + max(1, int(3 * s)), right - max(1, int(2 * s))):
            pixels[y][x] = GREY
    # The glass: a ring over the page, light inside, and its handle.
    cx, cy, radius = 18 * s, 15 * s, 8 * s
    ring = max(1.0, 2 * s)
    for y in range(size):
        for x in range(size):
            d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
            if d <= radius - ring:
                pixels[y][x] = SILVER if pixels[y][x] in (WHITE, TRANSPARENT) else BLUE
            elif d <= radius:
                pixels[y][x] = NAVY
    for i in range(int(9 * s)):
        for w in range(max(1, int(3 * s))):
            x, y = int(cx + 5.5 * s) + i + w - 1, int(cy + 5.5 * s) + i
            if 0 <= x < size and 0 <= y < size:
                pixels[y][x] = BLACK
    return pixels


def image(size):
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    colour_row = (size // 2 + 3) // 4 * 4
    mask_row = (size // 8 + 3) // 4 * 4
    colours, mask = b"", b""
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        nibbles = [0 if p is None else p for p in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        colours += packed.ljust(colour_row, b"\0")
        bits = 0
        bitmask = b""
        for i, p in enumerate(row):
            bits = (bits << 1) | (1 if p is None else 0)
            if i % 8 == 7:
                bitmask += bytes([bits])
                bits = 0
        mask += bitmask.ljust(mask_row, b"\0")
    return header + palette + colours + mask


def main():
    images = [(32, image(32)), (16, image(16))]
    offset = 6 + 16 * len(images)
    data = struct.pack("<HHH", 0, 1, len(images))
    for size, body in images:
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    data += b"".join(body for _, body in images)
    with open(sys.argv[1], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
