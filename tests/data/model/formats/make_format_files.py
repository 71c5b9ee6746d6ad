#!/usr/bin/env python3
"""Writes small models in the formats that the viewer opens through assimp, each named for what
it holds, with known numbers that the import tests check:

  cube-colors-ascii.ply    8 vertices with colours, 6 quads (PLY, ASCII)
  cube-colors-binary.ply   the same cube, binary little-endian
  tetra-normals-ascii.stl  a tetrahedron with its facet normals (STL, ASCII)
  tetra-zero-normals.stl   the same tetrahedron, binary, every normal (0, 0, 0)
  quad-and-triangle.off    one quad and one triangle (OFF)
  textured-quad.gltf       a quad under a node moved by (10, 0, 0) and scaled by 2, its
                           base colour texture in checker.png beside it, its buffer in
                           textured-quad.bin
  embedded-png.glb         a quad with an embedded PNG, plus 3 points and a 2-segment line strip
  two-instances.dae        one triangle drawn twice: moved by (5, 0, 0), and mirrored in x
  square-material.3ds      a square of two triangles with a green material (3DS)
  checker.png              the 2 x 2 picture the glTF file names

Only the Python standard library is used; the output is the same on every run.

Usage: make_format_files.py [output folder]   (default: the folder of this script)
"""

import json
import os
import struct
import sys
import zlib

CUBE = [(x, y, z) for z in (0, 1) for y in (0, 1) for x in (0, 1)]
# counter-clockwise seen from outside
CUBE_QUADS = [(0, 2, 3, 1), (4, 5, 7, 6), (0, 1, 5, 4), (2, 6, 7, 3), (0, 4, 6, 2), (1, 3, 7, 5)]
TETRA = [(0, 0, 0), (1, 0, 0), (0, 1, 0), (0, 0, 1)]
TETRA_FACES = [(0, 2, 1), (0, 1, 3), (0, 3, 2), (1, 2, 3)]


def cube_color(index):
    x, y, z = CUBE[index]
    return (255 * x, 255 * y, 255 * z)


def write(folder, name, data):
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(os.path.join(folder, name), mode, newline="" if mode == "w" else None) as out:
        out.write(data)


def ply_ascii():
    lines = ["ply", "format ascii 1.0", "comment a unit cube with a colour per corner",
             "element vertex 8", "property float x", "property float y", "property float z",
             "property uchar red", "property uchar green", "property uchar blue",
             "element face 6", "property list uchar int vertex_indices", "end_header"]
    for i, p in enumerate(CUBE):
        lines.append("%g %g %g %d %d %d" % (p + cube_color(i)))
    for quad in CUBE_QUADS:
        lines.append("4 %d %d %d %d" % quad)
    return "\n".join(lines) + "\n"


def ply_binary():
    header = ["ply", "format binary_little_endian 1.0", "element vertex 8",
              "property float x", "property float y", "property float z",
              "property uchar red", "property uchar green", "property uchar blue",
              "element face 6", "property list uchar int vertex_indices", "end_header"]
    data = ("\n".join(header) + "\n").encode()
    for i, p in enumerate(CUBE):
        data += struct.pack("<3f3B", *(p + cube_color(i)))
    for quad in CUBE_QUADS:
        data += struct.pack("<B4i", 4, *quad)
    return data


def facet_normal(face):
    a, b, c = (TETRA[i] for i in face)
    u = [b[k] - a[k] for k in range(3)]
    v = [c[k] - a[k] for k in range(3)]
    n = (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])
    length = sum(x * x for x in n) ** 0.5
    return tuple(x / length for x in n)


def stl_ascii():
    lines = ["solid tetra"]
    for face in TETRA_FACES:
        lines.append("  facet normal %.6f %.6f %.6f" % facet_normal(face))
        lines.append("    outer loop")
        for i in face:
            lines.append("      vertex %g %g %g" % TETRA[i])
        lines.append("    endloop")
        lines.append("  endfacet")
    lines.append("endsolid tetra")
    return "\n".join(lines) + "\n"


def stl_binary_zero_normals():
    data = b"binary tetrahedron, normals left zero".ljust(80, b" ")
    data += struct.pack("<I", len(TETRA_FACES))
    for face in TETRA_FACES:
        data += struct.pack("<3f", 0, 0, 0)
        for i in face:
            data += struct.pack("<3f", *TETRA[i])
        data += struct.pack("<H", 0)
    return data


def off():
    return "OFF\n5 2 0\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n2 0.5 0\n4 0 1 2 3\n3 1 4 2\n"


def png(width, height, rgb_rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + bytes(row) for row in rgb_rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# top row red, green; bottom row blue, white
CHECKER = png(2, 2, [[255, 0, 0, 0, 255, 0], [0, 0, 255, 255, 255, 255]])
# one yellow pixel
YELLOW = png(1, 1, [[255, 255, 0]])


class GltfBuffer:
    """Accessors and buffer views over one growing binary buffer."""

    def __init__(self):
        self.data = b""
        self.views = []
        self.accessors = []

    def add_view(self, blob):
        while len(self.data) % 4:
            self.data += b"\x00"
        self.views.append({"buffer": 0, "byteOffset": len(self.data), "byteLength": len(blob)})
        self.data += blob
        return len(self.views) - 1

    def add_accessor(self, values, kind, component=5126):
        fmt = {5126: "f", 5123: "H"}[component]
        flat = [x for v in values for x in (v if isinstance(v, tuple) else (v,))]
        view = self.add_view(struct.pack("<%d%s" % (len(flat), fmt), *flat))
        accessor = {"bufferView": view, "componentType": component, "count": len(values),
                    "type": kind}
        if kind == "VEC3":
            accessor["min"] = [min(v[k] for v in values) for k in range(3)]
            accessor["max"] = [max(v[k] for v in values) for k in range(3)]
        self.accessors.append(accessor)
        return len(self.accessors) - 1


def quad_primitive(buf, material):
    positions = buf.add_accessor([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)], "VEC3")
    normals = buf.add_accessor([(0, 0, 1)] * 4, "VEC3")
    uvs = buf.add_accessor([(0, 1), (1, 1), (1, 0), (0, 0)], "VEC2")
    indices = buf.add_accessor([0, 1, 2, 0, 2, 3], "SCALAR", 5123)
    return {"attributes": {"POSITION": positions, "NORMAL": normals, "TEXCOORD_0": uvs},
            "indices": indices, "material": material, "mode": 4}


def gltf_textured():
    buf = GltfBuffer()
    primitive = quad_primitive(buf, 0)
    document = {
        "asset": {"version": "2.0"},
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"name": "moved", "translation": [10, 0, 0], "scale": [2, 2, 2],
                   "mesh": 0}],
        "meshes": [{"name": "quad", "primitives": [primitive]}],
        "materials": [{"name": "checker", "pbrMetallicRoughness": {
            "baseColorFactor": [0.5, 0.25, 1.0, 1.0], "baseColorTexture": {"index": 0},
            "metallicFactor": 0.0}}],
        "textures": [{"source": 0}],
        "images": [{"uri": "checker.png"}],
        "buffers": [{"uri": "textured-quad.bin", "byteLength": len(buf.data)}],
        "bufferViews": buf.views,
        "accessors": buf.accessors,
    }
    return json.dumps(document, indent=1) + "\n", buf.data


def glb_embedded():
    buf = GltfBuffer()
    quad = quad_primitive(buf, 0)
    points = {"attributes": {"POSITION": buf.add_accessor(
        [(0, 0, 1), (1, 0, 1), (2, 0, 1)], "VEC3")}, "mode": 0, "material": 1}
    strip = {"attributes": {"POSITION": buf.add_accessor(
        [(0, 2, 0), (1, 2, 0), (2, 2, 0)], "VEC3")}, "mode": 3, "material": 1}
    image_view = buf.add_view(YELLOW)
    while len(buf.data) % 4:
        buf.data += b"\x00"
    document = {
        "asset": {"version": "2.0"},
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"name": "root", "mesh": 0}],
        "meshes": [{"name": "parts", "primitives": [quad, points, strip]}],
        "materials": [
            {"name": "yellow", "pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}},
            {"name": "wire", "pbrMetallicRoughness": {"baseColorFactor": [0, 0, 1, 0.5]}}],
        "textures": [{"source": 0}],
        "images": [{"bufferView": image_view, "mimeType": "image/png"}],
        "buffers": [{"byteLength": len(buf.data)}],
        "bufferViews": buf.views,
        "accessors": buf.accessors,
    }
    text = json.dumps(document).encode()
    while len(text) % 4:
        text += b" "
    body = (struct.pack("<I4s", len(text), b"JSON") + text +
            struct.pack("<I4s", len(buf.data), b"BIN\x00") + buf.data)
    return struct.pack("<4sII", b"glTF", 2, 12 + len(body)) + body


def collada():
    return """<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><unit name="meter" meter="1"/><up_axis>Y_UP</up_axis></asset>
  <library_effects>
    <effect id="red-effect"><profile_COMMON><technique sid="common"><phong>
      <ambient><color>0.1 0 0 1</color></ambient>
      <diffuse><color>0.8 0.1 0.1 1</color></diffuse>
      <specular><color>0.5 0.5 0.5 1</color></specular>
      <shininess><float>20</float></shininess>
    </phong></technique></profile_COMMON></effect>
  </library_effects>
  <library_materials>
    <material id="red" name="red"><instance_effect url="#red-effect"/></material>
  </library_materials>
  <library_geometries>
    <geometry id="tri" name="tri"><mesh>
      <source id="tri-positions">
        <float_array id="tri-positions-array" count="9">0 0 0 1 0 0 0 1 0</float_array>
        <technique_common><accessor source="#tri-positions-array" count="3" stride="3">
          <param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
        </accessor></technique_common>
      </source>
      <vertices id="tri-vertices"><input semantic="POSITION" source="#tri-positions"/></vertices>
      <triangles material="red-slot" count="1">
        <input semantic="VERTEX" source="#tri-vertices" offset="0"/>
        <p>0 1 2</p>
      </triangles>
    </mesh></geometry>
  </library_geometries>
  <library_visual_scenes>
    <visual_scene id="scene">
      <node id="moved" name="moved">
        <matrix>1 0 0 5 0 1 0 0 0 0 1 0 0 0 0 1</matrix>
        <instance_geometry url="#tri"><bind_material><technique_common>
          <instance_material symbol="red-slot" target="#red"/>
        </technique_common></bind_material></instance_geometry>
      </node>
      <node id="mirrored" name="mirrored">
        <matrix>-1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</matrix>
        <instance_geometry url="#tri"><bind_material><technique_common>
          <instance_material symbol="red-slot" target="#red"/>
        </technique_common></bind_material></instance_geometry>
      </node>
    </visual_scene>
  </library_visual_scenes>
  <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>
"""


def chunk3ds(kind, *parts):
    body = b"".join(parts)
    return struct.pack("<HI", kind, 6 + len(body)) + body


def three_ds():
    points = [(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)]
    faces = [(0, 1, 2), (0, 2, 3)]
    material = chunk3ds(0xAFFF, chunk3ds(0xA000, b"green\x00"),
                        chunk3ds(0xA020, chunk3ds(0x0011, bytes([0, 255, 0]))))
    vertices = chunk3ds(0x4110, struct.pack("<H", len(points)),
                        *(struct.pack("<3f", *p) for p in points))
    face_materials = chunk3ds(0x4130, b"green\x00", struct.pack("<3H", 2, 0, 1))
    face_list = chunk3ds(0x4120, struct.pack("<H", len(faces)),
                         *(struct.pack("<4H", *f, 0) for f in faces), face_materials)
    mesh = chunk3ds(0x4000, b"square\x00", chunk3ds(0x4100, vertices, face_list))
    editor = chunk3ds(0x3D3D, chunk3ds(0x3D3E, struct.pack("<I", 3)), material, mesh)
    return chunk3ds(0x4D4D, chunk3ds(0x0002, struct.pack("<I", 3)), editor)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(folder, exist_ok=True)
    write(folder, "cube-colors-ascii.ply", ply_ascii())
    write(folder, "cube-colors-binary.ply", ply_binary())
    write(folder, "tetra-normals-ascii.stl", stl_ascii())
    write(folder, "tetra-zero-normals.stl", stl_binary_zero_normals())
    write(folder, "quad-and-triangle.off", off())
    text, data = gltf_textured()
    write(folder, "textured-quad.gltf", text)
    write(folder, "textured-quad.bin", data)
    write(folder, "checker.png", CHECKER)
    write(folder, "embedded-png.glb", glb_embedded())
    write(folder, "two-instances.dae", collada())
    write(folder, "square-material.3ds", three_ds())


if __name__ == "__main__":
    main()
