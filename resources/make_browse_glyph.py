#!/usr/bin/env python3
"""Writes the file-name boxes' browse-button picture, a 16 x 16 folder as a 24-bit bitmap file,
into every "Glyph.Data = { ... }" block of the form files named on the command line (by default
QVBriskCfg.dfm beside this script). The block holds the form stream's bitmap data: a 32-bit
length (822), then the bitmap file, 32 bytes to a line as form files keep binary data."""
import os
import re
import struct
import sys

# The bottom-left pixel is the transparent colour, as buttons take it.
PALETTE = {
    ".": (255, 0, 255),
    "K": (0, 0, 0),
    "D": (128, 128, 0),
    "Y": (255, 255, 0),
    "W": (255, 255, 255),
}
FOLDER = [
    "................",
    "................",
    "................",
    "..KKKKK.........",
    ".KWYWYWK........",
    ".KYWYWYWKKKKKKK.",
    ".KWYYYYYYYYYYDK.",
    ".KYYYYYYYYYYYDK.",
    ".KWYYYYYYYYYYDK.",
    ".KYYYYYYYYYYYDK.",
    ".KWYYYYYYYYYYDK.",
    ".KYYYYYYYYYYYDK.",
    ".KDDDDDDDDDDDDK.",
    "..KKKKKKKKKKKK..",
    "................",
    "................",
]


def bitmap_file():
    width, height = 16, 16
    row_size = (width * 3 + 3) // 4 * 4
    pixels = b""
    for row in reversed(FOLDER):  # bottom-up, blue-green-red
        line = b"".join(bytes((b, g, r)) for r, g, b in (PALETTE[c] for c in row))
        pixels += line + b"\0" * (row_size - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    offset = 14 + len(info)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + pixels


def data_block(indent):
    data = bitmap_file()
    data = struct.pack("<I", len(data)) + data
    hexed = data.hex().upper()
    lines = [hexed[i:i + 64] for i in range(0, len(hexed), 64)]
    return "Glyph.Data = {\r\n" + "\r\n".join(indent + "  " + line for line in lines) + "}"


def main(paths):
    for path in paths:
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
        text, count = re.subn(r"(?m)^( *)Glyph\.Data = \{[^}]*\}",
                              lambda m: m.group(1) + data_block(m.group(1)), text)
        with open(path, "wb") as f:
            f.write(text.encode("latin-1"))
        print(f"{path}: {count} picture(s) written")


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    main(sys.argv[1:] or [os.path.join(here, "QVBriskCfg.dfm")])
