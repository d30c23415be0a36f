#!/usr/bin/env python3
"""Turns the pictures drawn as text in resources/ into the program's icons and cursors:
icons/NAME.txt into icons/NAME.ico and cursors/NNN.txt into cursors/NNN.cur, and writes
cursors/digest.h beside the cursors: resources/cursors.rc includes it, so the build's
dependency scan compiles every script that names the cursors again when one of them changes.
A file is only rewritten when its bytes change, so the resource scripts rebuild only for real
changes.

An icon's text holds one or more pictures, each a square of rows, one character per pixel:
'.' clear, and a letter for each of the 16 standard colours (see COLOURS). Every other line
is a comment and ends a picture. The .ico file holds one image of 16 colours (4 bits per
pixel) with its transparency mask per picture, so that Windows picks the one drawn for the
size it asks for.

A cursor's picture is 32 rows of 32 characters: '.' clear, '#' black, 'o' white; the hotspot
is the one pixel written '+' (clear), '@' (black) or 'O' (white). Every other line is a
comment. The .cur file holds the picture as a monochrome image with its transparency mask at
each of the system's cursor sizes (SIZES), drawn from the same picture, the hotspot scaled
with it.

usage: make_images.py SOURCE_DIR OUTPUT_DIR (resources/ and its build folder)
"""
import hashlib
import os
import struct
import sys

# Icons: letter -> palette index; the palette is the 16 standard VGA colours in this order.
COLOURS = 'krgynptsdRGYBMCw'
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# Cursors.
DRAWN = 32
SIZES = (32, 48, 64)  # the nominal cursor at 100, 150 and 200 % (and larger pointer sizes)
HOTSPOTS = {'+': '.', '@': '#', 'O': 'o'}
# character -> (AND mask bit, XOR bit)
PIXELS = {'.': (1, 0), '#': (0, 0), 'o': (0, 1)}


def padded(data):
    return data + b'\0' * (-len(data) % 4)  # rows end on 32-bit boundaries


def one_bit_rows(rows, bit):
    """Bottom-up rows, one bit per pixel (bit of its character), most significant bit first."""
    data = b''
    for row in reversed(rows):
        bits = 0
        for c in row:
            bits = (bits << 1) | bit(c)
        bits <<= -len(row) % 8
        data += padded(bits.to_bytes((len(row) + 7) // 8, 'big'))
    return data


def bitmap_image(size, bits_per_pixel, palette, pixels, mask):
    """A square image as the icon and cursor files hold it: its height counts both bitmaps."""
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, bits_per_pixel, 0,
                         len(pixels) + len(mask), 0, 0, len(palette) // 4, 0)
    return header + palette + pixels + mask


def image_file(kind, entries):
    """An .ico (kind 1) or .cur (kind 2) file. Each entry is the image's size, its colour count,
    the directory's two words (planes and bits per pixel of an icon, a cursor's hotspot) and
    the image."""
    directory = struct.pack('<HHH', 0, kind, len(entries))
    offset = len(directory) + 16 * len(entries)
    head = b''
    for size, colours, first, second, image in entries:
        head += struct.pack('<BBBBHHII', size, size, colours, 0, first, second, len(image), offset)
        offset += len(image)
    return directory + head + b''.join(image for *_, image in entries)


def read_icon(path):
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


def icon_image(rows):
    size = len(rows)
    colour_rows = b''
    for row in reversed(rows):  # bottom-up
        indices = [0 if c == '.' else COLOURS.index(c) for c in row]
        colour_rows += padded(bytes((indices[i] << 4) | indices[i + 1]
                                    for i in range(0, size, 2)))
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return bitmap_image(size, 4, palette, colour_rows, one_bit_rows(rows, lambda c: c == '.'))


def icon_file(path):
    pictures = read_icon(path)
    return image_file(1, [(len(rows), 16, 1, 4, icon_image(rows)) for rows in pictures])


def read_cursor(path):
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


def cursor_image(rows):
    # Two palette entries, black then white.
    return bitmap_image(len(rows), 1, bytes([0, 0, 0, 0, 255, 255, 255, 0]),
                        one_bit_rows(rows, lambda c: PIXELS[c][1]),
                        one_bit_rows(rows, lambda c: PIXELS[c][0]))


def cursor_file(path):
    rows, hotspot = read_cursor(path)
    entries = []
    for size in SIZES:
        # The hotspot at the first pixel that stands for the drawn one alone.
        x, y = ((c * size + DRAWN - 1) // DRAWN for c in hotspot)
        entries.append((size, 2, x, y, cursor_image(scaled(rows, size))))
    return image_file(2, entries)


def write_if_changed(path, data):
    if os.path.exists(path) and open(path, 'rb').read() == data:
        return
    with open(path, 'wb') as f:
        f.write(data)


def make(source, output, kind, extension, file_of):
    """Every picture of source/kind as output/kind/NAME.extension; the names and contents."""
    folder, target = os.path.join(source, kind), os.path.join(output, kind)
    os.makedirs(target, exist_ok=True)
    names = sorted(n for n in os.listdir(folder) if n.endswith('.txt'))
    if not names:
        sys.exit(f'{folder}: no {kind[:-1]} pictures')
    made = []
    for name in names:
        data = file_of(os.path.join(folder, name))
        made.append((name[:-4] + extension, data))
        write_if_changed(os.path.join(target, made[-1][0]), data)
    return made


def main():
    source, output = sys.argv[1], sys.argv[2]
    make(source, output, 'icons', '.ico', icon_file)
    digest = '// Made by scripts/make_images.py: one line per cursor file and its contents.\n'
    for cursor, data in make(source, output, 'cursors', '.cur', cursor_file):
        digest += f'// {cursor} {hashlib.sha1(data).hexdigest()}\n'
    write_if_changed(os.path.join(output, 'cursors', 'digest.h'), digest.encode())


main()
