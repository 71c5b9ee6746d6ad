#!/usr/bin/env python3
"""Writes BMP files of every common kind into a folder, each with the pixels an independent
decoder gives for it, for the reader's comparison test (bitmap_variants_test.cpp).

    make_bmp_variants.py [FOLDER]    (default: tests/data/image/variants, which it rewrites)

For each file NAME.bmp it writes NAME.rgba (RGBA, top line first) and one line of FOLDER/manifest:
"NAME WIDTH HEIGHT TOLERANCE ALPHA REFERENCE". TOLERANCE is the largest difference allowed in a
colour channel (1 where Pillow floors 5-bit channels instead of rounding them); ALPHA is 1 when
the file has an alpha channel that the reader must keep; REFERENCE names where the expected
pixels come from:
- pillow: Pillow's decode of a file that ImageMagick, Pillow or this script wrote;
- hand: written out below from the file's bytes, for what neither tool reads correctly (RLE
  delta escapes, unusual masks, header sizes Pillow does not know); "hand+pillow" and
  "hand+imagemagick" where that tool reads the file too and agrees (Pillow floors 5-bit
  channels, ImageMagick widens 4-bit ones by shifting, both within what that explains).
Needs Pillow and ImageMagick's `convert`.
"""

import os
import struct
import subprocess
import sys

from PIL import Image

WIDTH, HEIGHT = 13, 7  # odd width: every depth has row padding


def picture(alpha):
    """A picture whose channels all vary, top line first."""
    image = Image.new("RGBA" if alpha else "RGB", (WIDTH, HEIGHT))
    for y in range(HEIGHT):
        for x in range(WIDTH):
            pixel = ((x * 37 + y * 11) % 256, (x * 5 + y * 41 + 60) % 256,
                     (255 - x * 19 - y * 7) % 256)
            if alpha:
                pixel += ((x * 23 + y * 29 + 5) % 256,)
            image.putpixel((x, y), pixel)
    return image


class Variants:
    def __init__(self, folder):
        self.folder = folder
        self.lines = []

    def path(self, name, suffix=".bmp"):
        return os.path.join(self.folder, name + suffix)

    def add(self, name, rgba, width=WIDTH, height=HEIGHT, tolerance=0, alpha=False,
            reference="pillow"):
        assert len(rgba) == width * height * 4, name
        with open(self.path(name, ".rgba"), "wb") as out:
            out.write(rgba)
        self.lines.append("%s %d %d %d %d %s" % (name, width, height, tolerance, int(alpha),
                                                 reference))

    def pillow(self, name, **kwargs):
        with Image.open(self.path(name)) as image:
            self.add(name, image.convert("RGBA").tobytes(), **kwargs)

    def imagemagick(self, name, source, options, kind="BMP", **kwargs):
        """kind: BMP2 (OS/2 1.x header), BMP3 (40 bytes) or BMP (124 bytes)."""
        subprocess.run(["convert", source] + options + [kind + ":" + self.path(name)],
                       check=True)
        self.pillow(name, **kwargs)

    def write_manifest(self):
        with open(os.path.join(self.folder, "manifest"), "w") as out:
            out.write("\n".join(self.lines) + "\n")


def file_header(size, offset):
    return b"BM" + struct.pack("<IHHI", size, 0, 0, offset)


def info_header(size, width, height, depth, compression=0, colours=0, masks=()):
    """A Windows header of 40, 52, 56, 108 or 124 bytes, or an OS/2 2.x header of 16 or 64."""
    if size == 16:
        return struct.pack("<IiiHH", 16, width, height, 1, depth)
    header = struct.pack("<IiiHHIIiiII", size, width, height, 1, depth, compression, 0, 2835,
                         2835, colours, 0)
    stored = b"".join(struct.pack("<I", m) for m in masks)
    if size > 40:
        header += (stored + bytes(size - 40))[:size - 40]
    return header


def bmp(info, after_header, pixels):
    offset = 14 + len(info) + len(after_header)
    return file_header(offset + len(pixels), offset) + info + after_header + pixels


def scale(value, bits):
    """An n-bit channel to 8 bits, rounded to nearest."""
    top = (1 << bits) - 1
    return (value * 255 * 2 + top) // (2 * top) if bits else 0


def field(pixel, mask):
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    return scale((pixel & mask) >> shift, bin(mask).count("1"))


def masked_file(name, variants, header_size, depth, masks, compression=3, top_down=False,
                masks_after=False):
    """Pixels packed with the given masks from the test picture; expected values by hand."""
    source = picture(alpha=True)
    stride = (WIDTH * depth + 31) // 32 * 4
    rows = []
    expected = [b""] * HEIGHT
    for y in range(HEIGHT):  # y counts from the top line
        row = b""
        line = b""
        for x in range(WIDTH):
            r, g, b, a = source.getpixel((x, y))
            pixel = 0
            for value, mask in zip((r, g, b, a), masks):
                if mask:
                    shift = (mask & -mask).bit_length() - 1
                    top = mask >> shift
                    pixel |= (value * top // 255) << shift
            row += struct.pack("<H" if depth == 16 else "<I", pixel)
            line += bytes(field(pixel, m) for m in masks[:3])
            line += bytes([field(pixel, masks[3]) if len(masks) > 3 and masks[3] else 255])
        rows.append(row + bytes(stride - len(row)))
        expected[y] = line
    stored = rows if top_down else rows[::-1]
    height = -HEIGHT if top_down else HEIGHT
    info = info_header(header_size, WIDTH, height, depth, compression,
                       masks=() if masks_after else masks)
    after = b"".join(struct.pack("<I", m) for m in masks) if masks_after else b""
    with open(variants.path(name), "wb") as out:
        out.write(bmp(info, after, b"".join(stored)))
    has_alpha = len(masks) > 3 and masks[3] != 0
    expected = b"".join(expected)
    reference = "hand"
    try:
        with Image.open(variants.path(name)) as image:
            theirs = image.convert("RGBA").tobytes()
            pillow_alpha = image.mode == "RGBA"
    except Exception:  # Pillow refuses unusual masks; the hand values stand alone
        theirs = None
    if theirs is not None:
        # where Pillow reads the file, the hand values must agree with it (it floors 5-bit
        # channels, so within 1)
        for i, (ours, its) in enumerate(zip(expected, theirs)):
            if i % 4 != 3 or pillow_alpha:
                assert abs(ours - its) <= 1, (name, i, ours, its)
        reference = "hand+pillow"
    variants.add(name, expected, alpha=has_alpha, reference=reference)


def palette_entry(i):
    return (i * 20 % 256, 255 - i * 15 % 256, 40 + i * 7)  # index 0 is not black


def palette_bytes(count, entry_size=4):
    out = b""
    for i in range(count):
        r, g, b = palette_entry(i)
        out += bytes([b, g, r]) + bytes(entry_size - 3)
    return out


def indexed_expectation(rows, width):
    """rows: top line first, each a list of palette indices or None for a pixel left unset."""
    out = b""
    for row in rows:
        assert len(row) == width
        for index in row:
            out += bytes(palette_entry(index)) + b"\xff" if index is not None else b"\0\0\0\xff"
    return out


def rle_files(variants):
    # 8 bits, 7 x 4. Stored bottom-up: row 0 is the last line of the picture.
    data = bytes([
        3, 1,              # row 0: three of index 1
        0, 3, 2, 3, 4, 0,  # absolute: 2, 3, 4 and a padding byte
        0, 0,              # end of line (pixel 6 never set)
        10, 5,             # row 1: a run of ten cut at the right edge
        0, 0,
        0, 2, 2, 1,        # delta: right 2, up 1 (row 2 stays unset)
        2, 6,              # row 3: two of index 6 from x = 2
        0, 2, 1, 0,        # delta: right 1 within the row
        1, 7,              # one of index 7 at x = 5
        0, 1,              # end of bitmap (the rest of row 3 stays unset)
    ])
    info = info_header(40, 7, 4, 8, compression=1, colours=8)
    with open(variants.path("hand-rle8-escapes"), "wb") as out:
        out.write(bmp(info, palette_bytes(8), data))
    _ = None
    variants.add("hand-rle8-escapes", indexed_expectation([
        [_, _, 6, 6, _, 7, _],
        [_] * 7,
        [5] * 7,
        [1, 1, 1, 2, 3, 4, _],
    ], 7), width=7, height=4, reference="hand")

    # 4 bits, 7 x 3
    data = bytes([
        5, 0x12,                # row 0: 1 2 1 2 1
        0, 3, 0x34, 0x50,       # absolute 3 4 5; the 5 falls off the right edge
        0, 0,
        0, 2, 3, 0,             # delta: right 3
        2, 0x67,                # 6 7
        0, 0,
        0, 5, 0x89, 0xAB, 0xC0, 0,  # row 2: absolute 8 9 10 11 12, padded to 16 bits
        0, 1,
    ])
    info = info_header(40, 7, 3, 4, compression=2)
    with open(variants.path("hand-rle4-escapes"), "wb") as out:
        out.write(bmp(info, palette_bytes(16), data))
    variants.add("hand-rle4-escapes", indexed_expectation([
        [8, 9, 10, 11, 12, _, _],
        [_, _, _, 6, 7, _, _],
        [1, 2, 1, 2, 1, 3, 4],
    ], 7), width=7, height=3, reference="hand")


def palette_after_header(variants, name, header_size, depth, colours, reference):
    """Palettes behind headers other than 40 bytes, with fewer colours than the depth allows."""
    entry_size = 3 if header_size == 12 else 4
    stride = (WIDTH * depth + 31) // 32 * 4
    count = colours or (1 << depth)
    rows = []
    indices = []
    for y in range(HEIGHT):
        line = [(x * 3 + y * 5) % count for x in range(WIDTH)]
        indices.append(line)
        bits = "".join(format(i, "0%db" % depth) for i in line)
        bits += "0" * (stride * 8 - len(bits))
        rows.append(int(bits, 2).to_bytes(stride, "big"))
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, WIDTH, HEIGHT, 1, depth)
    else:
        info = info_header(header_size, WIDTH, HEIGHT, depth, colours=colours)
    with open(variants.path(name), "wb") as out:
        out.write(bmp(info, palette_bytes(count, entry_size), b"".join(rows[::-1])))
    if reference == "pillow":
        variants.pillow(name)
        with open(variants.path(name, ".rgba"), "rb") as theirs:
            assert theirs.read() == indexed_expectation(indices, WIDTH), name
    else:
        variants.add(name, indexed_expectation(indices, WIDTH), reference="hand")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "image",
                                                                   "variants")
    os.makedirs(folder, exist_ok=True)
    variants = Variants(folder)
    opaque = os.path.join(folder, "source.png")
    translucent = os.path.join(folder, "source-alpha.png")
    picture(alpha=False).save(opaque)
    picture(alpha=True).save(translucent)

    # ImageMagick: OS/2 1.x (BMP2), 40-byte (BMP3) and 124-byte (BMP) headers
    for prefix, kind in (("os2", "BMP2"), ("v3", "BMP3"), ("v5", "BMP")):
        variants.imagemagick("im-%s-24bit" % prefix, opaque, ["-type", "truecolor"], kind)
        variants.imagemagick("im-%s-8bit" % prefix, opaque,
                             ["-colors", "200", "-type", "palette", "-compress", "none"], kind)
        variants.imagemagick("im-%s-4bit" % prefix, opaque,
                             ["-colors", "16", "-type", "palette", "-compress", "none"], kind)
        variants.imagemagick("im-%s-1bit" % prefix, opaque,
                             ["-type", "bilevel", "-compress", "none"], kind)
    variants.imagemagick("im-v3-rle8", opaque, ["-colors", "40", "-type", "palette",
                                                "-compress", "rle"], "BMP3")
    variants.imagemagick("im-v5-rle8", opaque, ["-colors", "40", "-type", "palette",
                                                "-compress", "rle"])
    variants.imagemagick("im-v5-32bit-alpha", translucent, [], alpha=True)
    # 32 bits without bit fields: the fourth byte is padding, whatever it holds
    variants.imagemagick("im-v3-32bit", translucent, ["-define", "bmp3:alpha=true"], "BMP3")
    variants.imagemagick("im-v5-rgb565", opaque, ["-define", "bmp:subtype=RGB565"],
                         tolerance=1)
    variants.imagemagick("im-v5-rgb555", opaque, ["-define", "bmp:subtype=RGB555"],
                         tolerance=1)
    # Pillow drops the alpha bit of 1-5-5-5; the RGB is compared with it, the alpha by hand
    masked_file("hand-v5-argb1555", variants, 124, 16, (0x7C00, 0x03E0, 0x001F, 0x8000))
    # Pillow refuses 4-4-4-4 and ImageMagick widens 4 bits by shifting (v * 16): the expected
    # values come from the file's bytes, and ImageMagick must agree on every 4-bit value
    name = "im-v5-argb4444"
    subprocess.run(["convert", translucent, "-define", "bmp:subtype=ARGB4444",
                    variants.path(name)], check=True)
    masks = (0x0F00, 0x00F0, 0x000F, 0xF000)
    with open(variants.path(name), "rb") as stored:
        data = stored.read()
    offset = struct.unpack("<I", data[10:14])[0]
    assert struct.unpack("<4I", data[54:70]) == masks, "ImageMagick changed its 4-4-4-4 layout"
    stride = (WIDTH * 16 + 31) // 32 * 4
    theirs = subprocess.run(["convert", variants.path(name), "-depth", "8", "rgba:-"],
                            check=True, stdout=subprocess.PIPE).stdout
    expected = b""
    for y in range(HEIGHT):
        row = offset + stride * (HEIGHT - 1 - y)
        for x in range(WIDTH):
            pixel = struct.unpack("<H", data[row + 2 * x:row + 2 * x + 2])[0]
            expected += bytes(field(pixel, m) for m in masks)
    for ours, its in zip(expected, theirs):
        assert ours * 15 // 255 == its >> 4, (name, ours, its)
    variants.add(name, expected, alpha=True, reference="hand+imagemagick")

    # Pillow's own writer: 1 bit, 8-bit grey and palette, 24 bits
    for mode, name in (("1", "pil-1bit"), ("L", "pil-8bit-grey"), ("P", "pil-8bit-palette"),
                       ("RGB", "pil-24bit")):
        picture(alpha=False).convert(mode).save(variants.path(name))
        variants.pillow(name)

    # hand-built headers and masks
    palette_after_header(variants, "hand-v4-8bit-5colours", 108, 8, 5, "pillow")
    palette_after_header(variants, "hand-os2v2-64-4bit", 64, 4, 0, "pillow")
    palette_after_header(variants, "hand-os2v2-16-4bit", 16, 4, 0, "hand")
    palette_after_header(variants, "hand-os2v1-1bit", 12, 1, 0, "pillow")
    palette_after_header(variants, "hand-v2-8bit-9colours", 52, 8, 9, "hand")
    masked_file("hand-v3-32bit-2-10-10-10", variants, 56, 32,
                (0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000))
    masked_file("hand-v5-16bit-reversed-4444", variants, 124, 16, (0x000F, 0x00F0, 0x0F00, 0xF000))
    masked_file("hand-40-16bit-565-after-header", variants, 40, 16, (0xF800, 0x07E0, 0x001F),
                masks_after=True)
    masked_file("hand-40-16bit-alphabitfields", variants, 40, 16,
                (0x0F00, 0x00F0, 0x000F, 0xF000), compression=6, masks_after=True)
    masked_file("hand-40-16bit-555-plain", variants, 40, 16, (0x7C00, 0x03E0, 0x001F),
                compression=0)
    masked_file("hand-40-32bit-top-down", variants, 40, 32, (0xFF0000, 0xFF00, 0xFF, 0),
                compression=0, top_down=True)
    masked_file("hand-v4-32bit-blue-green-red", variants, 108, 32,
                (0xFF, 0xFF00, 0xFF0000, 0xFF000000))
    rle_files(variants)
    variants.write_manifest()
    os.remove(opaque)
    os.remove(translucent)


if __name__ == "__main__":
    main()
