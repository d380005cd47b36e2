#!/usr/bin/env python3
"""Writes the editor panel's nine title-bar button glyphs as 8 x 8, 16-colour Windows bitmaps."""
import os
import struct
import sys

# The 16 colours of the standard VGA palette, as BMP files store them (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
INK = {'X': 0, 'G': 8, '.': 15}  # black, grey, white

# Top row first. The bottom row stays white: the bottom-left pixel is the colour a button
# leaves out, so every shape keeps clear of it.
GLYPHS = {
    'X': ['XX....XX',
          '.XX..XX.',
          '..XXXX..',
          '...XX...',
          '..XXXX..',
          '.XX..XX.',
          'XX....XX',
          '........'],
    'LEFT': ['XX......',
             'XX......',
             'XX......',
             'XX......',
             'XX......',
             'XX......',
             'XX......',
             '........'],
    'RIGHT': ['......XX',
              '......XX',
              '......XX',
              '......XX',
              '......XX',
              '......XX',
              '......XX',
              '........'],
    'TOP': ['XXXXXXXX',
            'XXXXXXXX',
            '........',
            '........',
            '........',
            '........',
            '........',
            '........'],
    'BOTTOM': ['........',
               '........',
               '........',
               '........',
               '........',
               'XXXXXXXX',
               'XXXXXXXX',
               '........'],
    'FLOAT': ['XXXXXX..',
              'XXXXXXG.',
              'X....XG.',
              'X....XG.',
              'X....XG.',
              'XXXXXXG.',
              '.GGGGGG.',
              '........'],
    'MINIMIZE': ['........',
                 '........',
                 '........',
                 '........',
                 '........',
                 '.XXXXXX.',
                 '.XXXXXX.',
                 '........'],
    'MAXIMIZE': ['..XXXXXX',
                 '..XXXXXX',
                 'XXXXXX.X',
                 'XXXXXX.X',
                 'X....XXX',
                 'X....X..',
                 'XXXXXX..',
                 '........'],
    'HELP': ['..XXXX..',
             '.XX..XX.',
             '.....XX.',
             '....XX..',
             '...XX...',
             '........',
             '...XX...',
             '........'],
}


def bitmap(rows):
    """A BITMAPINFOHEADER file of 4 bits a pixel, rows stored bottom-up, each padded to 4 bytes."""
    assert len(rows) == 8 and all(len(r) == 8 for r in rows)
    assert rows[7][0] == '.', 'the bottom-left pixel is the transparent white'
    pixels = b''
    for row in reversed(rows):
        line = bytes((INK[row[i]] << 4) | INK[row[i + 1]] for i in range(0, 8, 2))
        pixels += line  # 8 pixels are exactly 4 bytes: no padding
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, 8, 8, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + palette + pixels


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), 'glyphs')
    os.makedirs(out, exist_ok=True)
    for name, rows in GLYPHS.items():
        with open(os.path.join(out, 'EDITOR_INTEGRATION_PANEL_BTN_%s.bmp' % name), 'wb') as f:
            f.write(bitmap(rows))


if __name__ == '__main__':
    main()
