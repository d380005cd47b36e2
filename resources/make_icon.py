#!/usr/bin/env python3
"""Writes the package's icon, MAINICON.ico: one 32 x 32 image in the 16 colours of the standard palette.

make_icon.py [OUT] [CAP]: CAP is the palette index of the key cap's face (blue, 12, by default);
the tests' localized resource module has the same icon with a red cap (9)."""
import os
import struct
import sys

SIZE = 32

# The 16-colour palette every display shows alike, as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREY, GREY, WHITE, NAVY, TEAL, BLUE = 0, 8, 7, 15, 4, 6, 12

# A key cap seen from above, with a sound wave rising from it; '.' is transparent.
ART = [
    "................................",
    "......................y.........",
    "..................y....y........",
    "..............y....y....y.......",
    "...............y....y....y......",
    "...............y....y....y......",
    "..............y....y....y.......",
    "..................y....y........",
    "......................y.........",
    "................................",
    "....KKKKKKKKKKKKKKKKKKKKKKKK....",
    "...KWWWWWWWWWWWWWWWWWWWWWWWWK...",
    "...KWggggggggggggggggggggggdK...",
    "...KWggggggggggggggggggggggdK...",
    "...KWggggnnnnnnnnnnnnnngggddK...",
    "...KWggggnbbbbbbbbbbbbngggddK...",
    "...KWggggnbbWWbbbbbbbbngggddK...",
    "...KWggggnbbWWbbbbbbbbngggddK...",
    "...KWggggnbbbbbbbbbbbbngggddK...",
    "...KWggggnbbbbbbbbbbbbngggddK...",
    "...KWggggnbbbbbbbbbbbbngggddK...",
    "...KWggggnbbbbbbbbbbbbngggddK...",
    "...KWggggnnnnnnnnnnnnnngggddK...",
    "...KWggggggggggggggggggggggdK...",
    "...KWgggggggggggggggggggggddK...",
    "...KWdddddddddddddddddddddddK...",
    "...KddddddddddddddddddddddddK...",
    "....KKKKKKKKKKKKKKKKKKKKKKKK....",
    "................................",
    "................................",
    "................................",
    "................................",
]
def icon_bytes(cap=BLUE):
    ink = {"K": BLACK, "W": WHITE, "g": GREY, "d": DARK_GREY, "n": NAVY, "b": cap, "y": TEAL}
    rows = [row.ljust(SIZE, ".")[:SIZE] for row in ART]
    # The image is stored bottom-up: 4 bits a pixel, then a 1-bit AND mask (1 = transparent).
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        pixels = [ink.get(c, BLACK) for c in row]
        for x in range(0, SIZE, 2):
            xor.append(pixels[x] << 4 | pixels[x + 1])
        bits = 0
        for x, c in enumerate(row):
            if c == ".":
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "MAINICON.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes(int(sys.argv[2]) if len(sys.argv) > 2 else BLUE))


if __name__ == "__main__":
    main()
