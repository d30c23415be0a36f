#!/usr/bin/env python3
"""Turns the cursors drawn as text (resources/cursors/NNN.txt) into NNN.cur files, and
writes digest.h beside them: resources/cursors.rc includes it, so the build's dependency
scan compiles every script that names the cursors again when one of them changes.

A picture is 32 rows of 32 characters: '.' clear, '#' black, 'o' white; the hotspot is the
one pixel written '+' (clear), '@' (black) or 'O' (white). Every other line is a comment.
The .cur file holds the picture as a monochrome image with its transparency mask at each
of the system's cursor sizes (SIZES), drawn from the same picture, the hotspot scaled with
it. A file is only rewritten when its bytes change, so the resource scripts rebuild only
for real changes.

usage: make_cursors.py SOURCE_DIR OUTPUT_DIR
"""
import hashlib
import os
import struct
import sys

DRAWN = 32
SIZES = (32, 48, 64)  # the nominal cursor at 100, 150 and 200 % (and larger pointer sizes)
HOTSPOTS = {'+': '.', '@': '#', 'O': 'o'}
# character -> (AND mask bit, XOR bit)
PIXELS = {'.': (1, 0), '#': (0, 0), 'o': (0, 1)}


def read_picture(path):
    rows = [line.rstrip('\n') for line in open(path, encoding='utf-8')]
    rows = [r for r in rows if len(r) == DRAWN and all(c in PIXELS or c in HOTSPOTS for c in r)]
    if len(rows) != DRAWN:
        sys.exit(f'{path}: {len(rows)} picture rows of {DRAWN} pixels, expected {DRAWN}')
    hotspots = [(x, y) for y, r in enumerate(rows) for x, c in enumerate(r) if c in HOTSPOTS]
    if len(hotspots) != 1:
        sys.exit(f'{path}: {len(hotspots)} hotspots, expected exactly one')
    return [''.join(HOTSPOTS.get(c, c) for c in r) for r in rows], hotspots[0]


def covered(x, size):
    """The drawn pixels that pixel x of a picture of size covers, in one direction."""
    return range(x * DRAWN // size, ((x + 1) * DRAWN - 1) // size + 1)


def scaled(rows, size):
    """The picture at size. A pixel that stands for one drawn pixel takes its colour. One
    shared by several is black if any is, so that strokes keep their weight, and white if
    all are; where white meets clear it is white only beside black, so that outlines stay
    one pixel wide and unbroken."""
    kinds = [[{rows[v][u] for v in covered(y, size) for u in covered(x, size)}
              for x in range(size)] for y in range(size)]
    black = [['#' in k for k in row] for row in kinds]

    def beside_black(x, y):
        return any(0 <= x + dx < size and 0 <= y + dy < size and black[y + dy][x + dx]
                   for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))

    def pixel(x, y, k):
        if black[y][x]:
            return '#'
        if k == {'o'} or ('o' in k and beside_black(x, y)):
            return 'o'
        return '.'
    return [''.join(pixel(x, y, k) for x, k in enumerate(row)) for y, row in enumerate(kinds)]


def bitmap_rows(rows, which):
    """Bottom-up rows, one bit per pixel, most significant bit first, each row ending on a
    32-bit boundary."""
    data = b''
    for row in reversed(rows):
        bits = 0
        for c in row:
            bits = (bits << 1) | PIXELS[c][which]
        width = len(row) // 8
        data += bits.to_bytes(width, 'big') + bytes(-width % 4)
    return data


def cursor_image(rows):
    size = len(rows)
    xor_bits = bitmap_rows(rows, 1)
    and_bits = bitmap_rows(rows, 0)
    # The image's height counts both bitmaps; two palette entries, black then white.
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 1, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    return header + palette + xor_bits + and_bits


def cursor_file(rows, hotspot):
    images = [cursor_image(scaled(rows, size)) for size in SIZES]
    directory = struct.pack('<HHH', 0, 2, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b''
    for size, image in zip(SIZES, images):
        # The hotspot at the first pixel that stands for the drawn one alone.
        x, y = ((c * size + DRAWN - 1) // DRAWN for c in hotspot)
        entries += struct.pack('<BBBBHHII', size, size, 2, 0, x, y, len(image), offset)
        offset += len(image)
    return directory + entries + b''.join(images)


def write_if_changed(path, data):
    if os.path.exists(path) and open(path, 'rb').read() == data:
        return
    with open(path, 'wb') as f:
        f.write(data)


def main():
    source, output = sys.argv[1], sys.argv[2]
    os.makedirs(output, exist_ok=True)
    names = sorted(n for n in os.listdir(source) if n.endswith('.txt'))
    if not names:
        sys.exit(f'{source}: no cursor pictures')
    digest = '// Made by scripts/make_cursors.py: one line per cursor file and its contents.\n'
    for name in names:
        data = cursor_file(*read_picture(os.path.join(source, name)))
        cursor = name[:-4] + '.cur'
        write_if_changed(os.path.join(output, cursor), data)
        digest += f'// {cursor} {hashlib.sha1(data).hexdigest()}\n'
    write_if_changed(os.path.join(output, 'digest.h'), digest.encode())


main()
