#!/usr/bin/env python3
"""Writes the PNG, JPEG and TGA files of the texture-loading test with Pillow, and beside each
the RGBA pixels Pillow decodes from it (".rgba", top line first)."""

import os

from PIL import Image

os.chdir(os.path.dirname(os.path.abspath(__file__)))


def picture(mode, width=5, height=3):
    image = Image.new("RGBA", (width, height))
    for y in range(height):
        for x in range(width):
            image.putpixel((x, y), (x * 50, y * 100 + 20, 250 - x * 40, 255 - x * 30 - y * 10))
    return image.convert(mode)


def write(name, image, **options):
    image.save(name, **options)
    with Image.open(name) as decoded:
        with open(os.path.splitext(name)[0] + "." + name.rsplit(".", 1)[1] + ".rgba",
                  "wb") as out:
            out.write(decoded.convert("RGBA").tobytes())


write("tex-rgba-5x3.png", picture("RGBA"))
write("tex-grey-5x3.png", picture("L"))
write("tex-rgb-5x3-rle.tga", picture("RGB"), compression="tga_rle")
write("tex-rgba-5x3.tga", picture("RGBA"))
# 8 x 8 blocks of one colour each and no chroma subsampling keep a JPEG decoder's rounding small
block = Image.new("RGB", (16, 8))
for x in range(16):
    for y in range(8):
        block.putpixel((x, y), (200, 40, 90) if x < 8 else (30, 160, 220))
write("tex-16x8.jpg", block, quality=100, subsampling=0)
