#!/usr/bin/env python3
"""Draws the programs' icons and writes them into each program's resources folder.

    python3 tools/draw_icons.py

Each program gets app.ico (icon group 128: a 32 x 32 and a 16 x 16 image, 16 colours each) and
PNG copies app-32.png and app-16.png for the desktop's icon theme. The pictures are pixel art
kept below as character grids, one per size: at 16 x 16 a scaled-down 32 x 32 picture turns to
mush, so the small one is drawn for its size. Standard library only, so any python3 runs it.
"""

import pathlib
import struct
import sys
import zlib

# The standard 16-colour palette (red, green, blue). 16-colour icons name their colours by index
# into it, so every viewer shows them the same.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Grid character -> palette index; '.' is transparent.
INK = {
    'K': 0,   # black: outlines
    'm': 1,   # maroon
    'g': 2,   # green
    'n': 4,   # navy
    'S': 7,   # silver
    'G': 8,   # gray
    'r': 9,   # red
    'L': 10,  # lime
    'y': 11,  # yellow
    'b': 12,  # blue
    'c': 14,  # aqua
    'W': 15,  # white
}
TRANSPARENT = '.'

# quillet: a sealed envelope, its flap folded down to a red seal.
ENVELOPE_32 = """
................................
................................
................................
................................
................................
................................
................................
..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..
..KGGWWWWWWWWWWWWWWWWWWWWWWGGK..
..KWWGGWWWWWWWWWWWWWWWWWWGGWWK..
..KWWWWGGWWWWWWWWWWWWWWGGWWWWK..
..KWWWWWWGGWWWWWWWWWWGGWWWWWWK..
..KWWWWWWWWGGWWWWWWGGWWWWWWWWK..
..KWWWWWWWWWWGmrrmGWWWWWWWWWWK..
..KWWWWWWWWWWmrWrrmWWWWWWWWWWK..
..KWWWWWWWWWWmrrrrmWWWWWWWWWWK..
..KWWWWWWWWWWWmrrmWWWWWWWWWWWK..
..KWWWWWWWWWWWWmmWWWWWWWWWWWWK..
..KWWWWWWWWWWWWWWWWWWWWWWWWWWK..
..KWWWWWWWWWWWWWWWWWWWWWWWWWWK..
..KWWWWWWWWWSWWWWWWWWSWWWWWWWK..
..KWWWWWWWWSWWWWWWWWWWSWWWWWWK..
..KWWWWWWSSWWWWWWWWWWWWSSWWWWK..
..KWWWWSSWWWWWWWWWWWWWWWWSSWWK..
..KWWSSWWWWWWWWWWWWWWWWWWWWSSK..
..KSSSSSSSSSSSSSSSSSSSSSSSSSSK..
..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..
................................
................................
................................
................................
................................
"""

ENVELOPE_16 = """
................
................
................
KKKKKKKKKKKKKKKK
KGWWWWWWWWWWWWGK
KWGGWWWWWWWWGGWK
KWWWGGWWWWGGWWWK
KWWWWWGrrGWWWWWK
KWWWWWWrrWWWWWWK
KWWWWWWWWWWWWWWK
KWWWSWWWWWWSWWWK
KWSSWWWWWWWWSSWK
KSSSSSSSSSSSSSSK
KKKKKKKKKKKKKKKK
................
................
"""

# dorrin: a telephone handset with signal waves going out from it.
HANDSET_32 = """
................................
..................bbb...........
....................bbb.........
......................bb........
.......................bb.......
......KKKKKK............bb......
.....KgLLLggK...bb.......bb.....
....KgLggggggK...bbb.....bb.....
....KgLggggggK.....bb.....bb....
....KgLggggggK......bb....bb....
....KgLggggggK......bb....bb....
....KgLggggggK.......bb...bb....
....KgLggggggK.......bb.........
....KgLgggggK...................
....KgLggggK....................
.....KgLgggK....................
.....KgLggggK...................
.....KggLggggK..................
......KgLggggK..................
......KggLggggK......KKKKK......
.......KggLggggKK...KgLLLgK.....
........KggLLggggKKKgggggggK....
.........KgggLLgggggggggggggK...
..........KggggLLLLLggggggggK...
...........KggggggggggggggggK...
............KgggggggggggggggK...
.............KKgggggggggggggK...
...............KKggggggggggK....
.................KKKKgggggK.....
.....................KKKKK......
................................
................................
"""

HANDSET_16 = """
........bb......
..KKKK....b.....
.KgLLgK....b....
.KLggggK.b..b...
.KLggggK..b.b...
.KLgggK...b.b...
.KLgggK.........
..KLggK.........
..KgLggK.KKKKK..
...KgLggKgLLggK.
....KgLLggggggK.
.....KggLLggggK.
......KgggggggK.
.......KKKgggK..
..........KKK...
................
"""

ART = {
    'quillet': {32: ENVELOPE_32, 16: ENVELOPE_16},
    'dorrin': {32: HANDSET_32, 16: HANDSET_16},
}


def parse_grid(text, size):
    """Rows of palette indices (None: transparent), top row first."""
    rows = [line for line in text.strip('\n').split('\n')]
    if len(rows) != size or any(len(row) != size for row in rows):
        raise ValueError(f'a {size} x {size} picture needs {size} rows of {size} characters')
    grid = []
    for row in rows:
        pixels = []
        for char in row:
            if char == TRANSPARENT:
                pixels.append(None)
            elif char in INK:
                pixels.append(INK[char])
            else:
                raise ValueError(f'unknown colour {char!r}')
        grid.append(pixels)
    return grid


def padded(row_bytes):
    """Bitmap rows run to a multiple of four bytes."""
    return row_bytes + bytes(-len(row_bytes) % 4)


def ico_image(grid):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colour bitmap, 1-bit AND mask."""
    size = len(grid)
    colour_rows = []
    mask_rows = []
    # Bitmaps are stored bottom row first.
    for pixels in reversed(grid):
        colour = bytearray()
        for x in range(0, size, 2):
            high, low = (p if p is not None else 0 for p in pixels[x:x + 2])
            colour.append(high << 4 | low)
        mask = bytearray((size + 7) // 8)
        for x, p in enumerate(pixels):
            if p is None:
                mask[x // 8] |= 0x80 >> (x % 8)
        colour_rows.append(padded(bytes(colour)))
        mask_rows.append(padded(bytes(mask)))
    bits = b''.join(colour_rows) + b''.join(mask_rows)
    # The height counts the colour bitmap and the mask together.
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0, len(bits), 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', blue, green, red, 0) for red, green, blue in PALETTE)
    return header + palette + bits


def ico_file(grids):
    """An icon group file: directory, one entry per image, then the images, largest first."""
    images = [ico_image(grid) for grid in grids]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b''
    for grid, image in zip(grids, images):
        size = len(grid)
        entries += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + entries + b''.join(images)


def png_file(grid):
    """A truecolour PNG with alpha, so the transparent pixels stay transparent."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    size = len(grid)
    raw = bytearray()
    for pixels in grid:
        raw.append(0)  # filter: none
        for p in pixels:
            raw += bytes(4) if p is None else bytes(PALETTE[p]) + b'\xff'
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    for program, sizes in ART.items():
        folder = root / program / 'resources'
        folder.mkdir(parents=True, exist_ok=True)
        grids = {size: parse_grid(text, size) for size, text in sizes.items()}
        (folder / 'app.ico').write_bytes(ico_file([grids[32], grids[16]]))
        for size, grid in grids.items():
            (folder / f'app-{size}.png').write_bytes(png_file(grid))
        print(f'{program}: {folder.relative_to(root)}/app.ico, app-32.png, app-16.png')
    return 0


if __name__ == '__main__':
    sys.exit(main())
