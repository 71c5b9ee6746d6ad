#!/usr/bin/env bash
# Regenerates the BMP files written by an independent tool (ImageMagick) and, beside each, the
# pixels that tool decodes from it (".rgb": packed RGB, top line first). Pillow, when present,
# must decode the same pixels. Every file is BMP3 (40-byte information header), uncompressed,
# with a full palette of 2^depth entries from offset 54, which ImageMagick writes whenever the
# colour count picks the depth (2 colours -> 1 bit, 16 -> 4 bits, more -> 8 bits).
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

make() { # name width height depth-options...
    local name=$1 size=$2x$3
    shift 3
    convert -seed 7 -size "$size" plasma:red-blue "$tmp/src.png"
    convert "$tmp/src.png" "$@" -compress none "BMP3:$name.bmp"
    convert "$name.bmp" -depth 8 "rgb:$name.rgb"
}

make im-24bit-7x5 7 5 -type truecolor
make im-8bit-13x6 13 6 -colors 200 -type palette
make im-4bit-11x4 11 4 -colors 16 -type palette
make im-1bit-21x3 21 3 -type bilevel
make im-1bit-10x2 10 2 -type bilevel

if python3 -c 'import PIL' 2>/dev/null; then
    python3 - im-*.bmp <<'PY'
import sys
from PIL import Image
for name in sys.argv[1:]:
    pixels = Image.open(name).convert("RGB").tobytes()
    expected = open(name[:-4] + ".rgb", "rb").read()
    assert pixels == expected, name + ": Pillow and ImageMagick disagree"
print("Pillow agrees on", len(sys.argv) - 1, "files")
PY
fi
