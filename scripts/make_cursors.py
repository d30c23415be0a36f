#!/usr/bin/env python3
"""Turns the cursors drawn as text (resources/cursors/NNN.txt) into NNN.cur files, and
writes digest.h beside them: resources/cursors.rc includes it, so the build's dependency
scan compiles every script that names the cursors again when one of them changes.

A picture is 32 rows of 32 characters: '.' clear, '#' black, 'o' white; the hotspot is the
one pixel written '+' (clear), '@' (black) or 'O' (white). Every other line is a comment.
The .cur file holds one 32 x 32 monochrome image with its transparency mask. A file is only
rewritten when its bytes change, so the resource scripts rebuild only for real changes.

usage: make_cursors.py SOURCE_DIR OUTPUT_DIR
"""
import hashlib
import os
import struct
import sys

SIZE = 32
# character -> (AND mask bit, XOR bit, is hotspot)
PIXELS = {
    '.': (1, 0, False), '#': (0, 0, False), 'o': (0, 1, False),
    '+': (1, 0, True), '@': (0, 0, True), 'O': (0, 1, True),
}


def read_picture(path):
    rows = [line.rstrip('\n') for line in open(path, encoding='utf-8')]
    rows = [r for r in rows if len(r) == SIZE and all(c in PIXELS for c in r)]
    if len(rows) != SIZE:
        sys.exit(f'{path}: {len(rows)} picture rows of {SIZE} pixels, expected {SIZE}')
    hotspots = [(x, y) for y, r in enumerate(rows) for x, c in enumerate(r) if PIXELS[c][2]]
    if len(hotspots) != 1:
        sys.exit(f'{path}: {len(hotspots)} hotspots, expected exactly one')
    return rows, hotspots[0]


def bitmap_rows(rows, which):
    """Bottom-up rows, one bit per pixel, most significant bit first."""
    data = b''
    for row in reversed(rows):
        bits = 0
        for c in row:
            bits = (bits << 1) | PIXELS[c][which]
        data += bits.to_bytes(SIZE // 8, 'big')
    return data


def cursor_file(rows, hotspot):
    xor_bits = bitmap_rows(rows, 1)
    and_bits = bitmap_rows(rows, 0)
    # The image's height counts both bitmaps; two palette entries, black then white.
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 1, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + xor_bits + and_bits
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, hotspot[0], hotspot[1], len(image),
                        len(directory) + 16)
    return directory + entry + image


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
