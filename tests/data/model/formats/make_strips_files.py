#!/usr/bin/env python3
"""Writes the PLY files whose faces are triangle strips, one per encoding, with the same six
vertices and the same strips, which the strip reader's tests check triangle by triangle:

  tristrips-ascii.ply      ASCII; float x y z and a confidence value the reader skips, int
                           indices, and after the strips a range_grid element as scanners
                           write it
  tristrips-binary-le.ply  binary little-endian; float x y z, nx ny nz, uchar colours, uchar
                           list counts and int indices
  tristrips-binary-be.ply  binary big-endian; double x y z, int list counts and uint indices
                           whose restart is stored as 4294967295

Strip entry one is 0 1 2 3, a restart, then 2 3 4 4 5 1 (two degenerate triangles in the
middle); entry two is 1 0 5. Only the Python standard library is used.

Usage: make_strips_files.py [output folder]   (default: the folder of this script)
"""

import os
import struct
import sys

VERTICES = [(i, 2 * i, -i) for i in range(6)]
COLORS = [(40 * i, 255 - 40 * i, 7) for i in range(6)]
STRIPS = [[0, 1, 2, 3, -1, 2, 3, 4, 4, 5, 1], [1, 0, 5]]


def header(encoding, vertex_properties, list_types):
    lines = ["ply", "format %s 1.0" % encoding, "comment strips for the reader's tests",
             "element vertex %d" % len(VERTICES)]
    lines += ["property %s" % p for p in vertex_properties]
    lines += ["element tristrips %d" % len(STRIPS),
              "property list %s %s vertex_indices" % list_types]
    return lines


def write_ascii(path):
    lines = header("ascii", ["float x", "float y", "float z", "float confidence"], ("int", "int"))
    lines += ["element range_grid 2", "property list uchar int vertex_indices", "end_header"]
    lines += ["%g %g %g 0.5" % v for v in VERTICES]
    lines += ["%d %s" % (len(s), " ".join(str(i) for i in s)) for s in STRIPS]
    lines += ["1 0", "0"]
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


def write_little(path):
    lines = header("binary_little_endian",
                   ["float x", "float y", "float z", "float nx", "float ny", "float nz",
                    "uchar red", "uchar green", "uchar blue"], ("uchar", "int"))
    data = b"".join(struct.pack("<6f3B", *v, 0.0, 0.0, 1.0, *c) for v, c in zip(VERTICES, COLORS))
    data += b"".join(struct.pack("<B%di" % len(s), len(s), *s) for s in STRIPS)
    with open(path, "wb") as out:
        out.write(("\n".join(lines + ["end_header"]) + "\n").encode() + data)


def write_big(path):
    lines = header("binary_big_endian", ["double x", "double y", "double z"], ("int", "uint"))
    data = b"".join(struct.pack(">3d", *v) for v in VERTICES)
    data += b"".join(struct.pack(">i%dI" % len(s), len(s), *[i & 0xFFFFFFFF for i in s])
                     for s in STRIPS)
    with open(path, "wb") as out:
        out.write(("\n".join(lines + ["end_header"]) + "\n").encode() + data)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_ascii(os.path.join(folder, "tristrips-ascii.ply"))
    write_little(os.path.join(folder, "tristrips-binary-le.ply"))
    write_big(os.path.join(folder, "tristrips-binary-be.ply"))


if __name__ == "__main__":
    main()
