#!/usr/bin/env python3
"""Turns the icons drawn as text (resources/icons/NAME.txt) into NAME.ico files.

A file holds one or more pictures, each a square of rows, one character per pixel: '.'
clear, and a letter for each of the 16 standard colours (see COLOURS). Every other line is
a comment and ends a picture. The .ico file holds one image of 16 colours (4 bits per pixel)
with its transparency mask per picture, so that Windows picks the one drawn for the size it
asks for. A file is only rewritten when its bytes change.

usage: make_icons.py SOURCE_DIR OUTPUT_DIR
"""
import os
import struct
import sys

# letter -> palette index; the palette is the 16 standard VGA colours in this order.
COLOURS = 'krgynptsdRGYBMCw'
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

def read_pictures(path):
    pictures, rows = [], []
    for line in open(path, encoding='utf-8'):
        row = line.rstrip('\n')
        if row and all(c == '.' or c in COLOURS for c in row):
            rows.append(row)
        elif rows:
            pictures.append(rows)
            rows = []
    if rows:
        pictures.append(rows)
    sizes = [len(rows) for rows in pictures]
    if not pictures or any(len(r) != len(rows) for rows in pictures for r in rows) or \
            any(size % 2 for size in sizes) or len(set(sizes)) != len(sizes):
        sys.exit(f'{path}: expected square pictures of different, even sizes')
    return pictures


def padded(data):
    return data + b'\0' * (-len(data) % 4)  # rows end on 32-bit boundaries


def icon_image(rows):
    size = len(rows)
    colour_rows = b''
    mask_rows = b''
    for row in reversed(rows):  # bottom-up
        indices = [0 if c == '.' else COLOURS.index(c) for c in row]
        colour_rows += padded(bytes((indices[i] << 4) | indices[i + 1]
                                    for i in range(0, size, 2)))
        bits = 0
        for c in row:
            bits = (bits << 1) | (c == '.')
        bits <<= -size % 8
        mask_rows += padded(bits.to_bytes((size + 7) // 8, 'big'))
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 16, 0)
    return header + palette + colour_rows + mask_rows


def icon_file(pictures):
    images = [icon_image(rows) for rows in pictures]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b''
    for rows, image in zip(pictures, images):
        entries += struct.pack('<BBBBHHII', len(rows), len(rows), 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + entries + b''.join(images)


def main():
    source, output = sys.argv[1], sys.argv[2]
    os.makedirs(output, exist_ok=True)
    names = sorted(n for n in os.listdir(source) if n.endswith('.txt'))
    if not names:
        sys.exit(f'{source}: no icon pictures')
    for name in names:
        data = icon_file(read_pictures(os.path.join(source, name)))
        target = os.path.join(output, name[:-4] + '.ico')
        if os.path.exists(target) and open(target, 'rb').read() == data:
            continue
        with open(target, 'wb') as f:
            f.write(data)


main()
