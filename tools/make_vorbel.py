#!/usr/bin/env python3
"""Writes the viewer's data set into Data/: the UV-mapped model "uvmappedvorbel.obj", its two
material libraries and the 8-bit palette image of its eyes.

The vorbel is a plump, pear-shaped creature with two big eyes, a smile, two antennae and two
feet. Every part is a closed parametric surface whose two ends collapse to a point, written as
quads with a ring of triangles at each end. Each group lists its own v/vt/vn lines after its
"g" line (one v, vt and vn per vertex), so its faces refer only to its own vertices.

The body's material maps the texture that the viewer generates at start-up (example0.bmp), so
each run shows a new skin. Only the Python standard library is used; the output is the same
on every run.

Usage: tools/make_vorbel.py [output folder]   (default: the Data/ folder beside tools/)
"""

import math
import os
import struct
import sys

MAX_RADIUS = 0.78  # the camera starts 1.75 in front with a 60 degree field of view


# --- small vector helpers ------------------------------------------------------------------


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def scale(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def length(a):
    return math.sqrt(dot(a, a))


def normalize(a):
    n = length(a)
    if n == 0.0:
        raise ValueError("zero-length vector")
    return scale(a, 1.0 / n)


def spow(x, e):
    """Signed power: keeps the sign of x, so superellipse profiles stay symmetric."""
    return math.copysign(abs(x) ** e, x)


# --- surfaces ------------------------------------------------------------------------------


class Group:
    """One OBJ group: vertices carrying position, normal and texture coordinate, and faces as
    lists of group-local vertex numbers."""

    def __init__(self, name, material):
        self.name = name
        self.material = material
        self.positions = []
        self.normals = []
        self.uvs = []
        self.faces = []

    def add_vertex(self, p, n, uv):
        self.positions.append(p)
        self.normals.append(n)
        self.uvs.append(uv)
        return len(self.positions) - 1

    def add_face(self, corners):
        """Adds a face, wound counter-clockwise seen from the side its normals point to."""
        pts = [self.positions[c] for c in corners]
        # Newell's method gives the polygon's normal for any winding and any corner count.
        newell = [0.0, 0.0, 0.0]
        for i, p in enumerate(pts):
            q = pts[(i + 1) % len(pts)]
            newell[0] += (p[1] - q[1]) * (p[2] + q[2])
            newell[1] += (p[2] - q[2]) * (p[0] + q[0])
            newell[2] += (p[0] - q[0]) * (p[1] + q[1])
        outward = (0.0, 0.0, 0.0)
        for c in corners:
            outward = add(outward, self.normals[c])
        if length(newell) == 0.0:
            raise ValueError("degenerate face in group " + self.name)
        if dot(newell, outward) < 0.0:
            corners = list(reversed(corners))
        self.faces.append(list(corners))


def add_surface(group, point, inside, segments, rings, uv=None):
    """Samples point(s, t) over s in [0, 1] (around, closed) and t in [0, 1] (end to end, both
    ends collapsed to a point). inside(t) is a point the surface wraps around, used to turn the
    normals outwards. uv(s, t, p) gives the texture coordinate (default: s and t)."""
    if uv is None:
        uv = lambda s, t, p: (s, t)
    h = 1e-5
    edge = 1e-4  # normals at the collapsed ends are taken just beside them

    def normal(s, t):
        t = min(max(t, edge), 1.0 - edge)
        ds = sub(point((s + h) % 1.0, t), point((s - h) % 1.0, t))
        dt = sub(point(s, min(t + h, 1.0)), point(s, max(t - h, 0.0)))
        n = normalize(cross(ds, dt))
        if dot(n, sub(point(s, t), inside(t))) < 0.0:
            n = scale(n, -1.0)
        return n

    # Ring rows 1 .. rings-1 carry segments+1 vertices (the seam is doubled for the texture);
    # each end carries one vertex per segment, so every end triangle has its own u.
    grid = {}
    for j in range(1, rings):
        t = j / rings
        for i in range(segments + 1):
            s = i / segments
            p = point(s % 1.0, t)
            grid[(i, j)] = group.add_vertex(p, normal(s % 1.0, t), uv(s, t, p))
    ends = {}
    for j in (0, rings):
        t = j / rings
        for i in range(segments):
            s = (i + 0.5) / segments
            p = point(s, t)
            ends[(i, j)] = group.add_vertex(p, normal(s, t), uv(s, t, p))

    for i in range(segments):
        group.add_face([ends[(i, 0)], grid[(i, 1)], grid[(i + 1, 1)]])
        for j in range(1, rings - 1):
            group.add_face([grid[(i, j)], grid[(i + 1, j)], grid[(i + 1, j + 1)],
                            grid[(i, j + 1)]])
        group.add_face([grid[(i, rings - 1)], grid[(i + 1, rings - 1)], ends[(i, rings)]])


def ellipsoid(center, axes, radii):
    """A sphere-like surface around center; axes are (side, up, forward) unit vectors and t runs
    from the back pole (-forward) to the front pole (+forward)."""
    side, up, forward = axes

    def point(s, t):
        polar = math.pi * (1.0 - t)  # polar angle measured from the front
        around = 2.0 * math.pi * s
        a = math.sin(polar) * math.cos(around) * radii[0]
        b = math.sin(polar) * math.sin(around) * radii[1]
        c = math.cos(polar) * radii[2]
        return add(center, add(scale(side, a), add(scale(up, b), scale(forward, c))))

    return point


def frame_facing(forward):
    forward = normalize(forward)
    side = normalize(cross((0.0, 1.0, 0.0), forward))
    up = cross(forward, side)
    return side, up, forward


# --- the vorbel ----------------------------------------------------------------------------

BODY_RADIUS = 0.5
BODY_HEIGHT = 0.52


def body_point(s, t):
    """Pear-shaped, slightly boxy body: wider and flatter towards the bottom. s runs around the
    vertical axis, t from the bottom (0) to the top (1); s = 0.25 faces the viewer (+z)."""
    polar = math.pi * (1.0 - t)
    around = 2.0 * math.pi * s
    c = math.cos(polar)
    ring = BODY_RADIUS * spow(math.sin(polar), 0.8) * (1.0 - 0.16 * c)
    # A little belly: the front bulges out below the middle.
    belly = 0.05 * math.exp(-((around - 0.5 * math.pi) ** 2) / 0.6) * math.sin(polar) ** 4 * (
        0.6 - 0.4 * c)
    ring += belly
    y = BODY_HEIGHT * spow(c, 0.85)
    return (ring * math.cos(around), y, ring * math.sin(around))


def body_normal(s, t):
    h = 1e-5
    ds = sub(body_point((s + h) % 1.0, t), body_point((s - h) % 1.0, t))
    dt = sub(body_point(s, t + h), body_point(s, t - h))
    n = normalize(cross(ds, dt))
    return n if dot(n, body_point(s, t)) > 0.0 else scale(n, -1.0)


def on_body(s, t, lift):
    return add(body_point(s, t), scale(body_normal(s, t), lift))


def tube(path, radius, inside_scale=1.0):
    """A tube along path(t), t in [0, 1], closed at both ends by tapering to a point."""

    def frame(t):
        h = 1e-4
        tangent = normalize(sub(path(min(t + h, 1.0)), path(max(t - h, 0.0))))
        helper = (0.0, 0.0, 1.0) if abs(tangent[2]) < 0.9 else (1.0, 0.0, 0.0)
        a = normalize(cross(tangent, helper))
        b = cross(tangent, a)
        return a, b

    def point(s, t):
        a, b = frame(t)
        r = radius(t) * inside_scale
        angle = 2.0 * math.pi * s
        return add(path(t), add(scale(a, r * math.cos(angle)), scale(b, r * math.sin(angle))))

    return point


def taper(r0):
    # The square root keeps the tube full-width almost to its ends and rounds them off.
    return lambda t: r0 * math.sqrt(max(math.sin(math.pi * t), 0.0))


def eye_uv(center, axes, radius):
    """Planar projection along the eye's forward axis: the front pole is the middle of the
    picture, the eye's silhouette its inscribed circle."""
    side, up, _ = axes

    def uv(s, t, p):
        d = sub(p, center)
        return (0.5 + 0.5 * dot(d, side) / radius, 0.5 + 0.5 * dot(d, up) / radius)

    return uv


def build_vorbel():
    groups = []

    body = Group("corpo", "pele")
    add_surface(body, body_point, lambda t: (0.0, 0.0, 0.0), 56, 36)
    groups.append(body)

    for name, s in (("olho_esquerdo", 0.25 - 0.052), ("olho_direito", 0.25 + 0.052)):
        t = 0.66
        radius = 0.115
        n = body_normal(s, t)
        # Set into the body by a fifth of the radius and turned a little towards the viewer.
        center = add(body_point(s, t), scale(n, -0.2 * radius))
        axes = frame_facing(add(n, (0.0, 0.1, 0.7)))
        eye = Group(name, "olho")
        add_surface(eye, ellipsoid(center, axes, (radius, radius, radius)), lambda t, c=center: c,
                    24, 14, eye_uv(center, axes, radius))
        groups.append(eye)

    def smile(t):
        x = (t - 0.5) * 2.0
        return on_body(0.25 + 0.085 * x, 0.47 + 0.045 * x * x, 0.004)

    mouth = Group("boca", "boca")
    add_surface(mouth, tube(smile, taper(0.022)), smile, 10, 28)
    groups.append(mouth)

    stalks = Group("antenas", "antena")
    bulbs = Group("pontas", "antena")
    for side in (-1.0, 1.0):
        root = on_body(0.25 + side * 0.14, 0.93, -0.03)
        tip = (side * 0.21, 0.72, 0.06)

        def stalk(t, root=root, tip=tip, side=side):
            # A gentle outward arc from the crown to the tip.
            p = add(scale(root, 1.0 - t), scale(tip, t))
            bend = math.sin(math.pi * t) * 0.05
            return add(p, (side * bend, bend * 0.5, 0.0))

        add_surface(stalks, tube(stalk, taper(0.02)), stalk, 8, 16)
        axes = frame_facing((side * 0.3, 0.4, 1.0))
        add_surface(bulbs, ellipsoid(tip, axes, (0.055, 0.055, 0.055)), lambda t, c=tip: c, 16,
                    10)
    groups.append(stalks)
    groups.append(bulbs)

    feet = Group("pes", "pes")
    for side in (-1.0, 1.0):
        center = (side * 0.2, -BODY_HEIGHT + 0.04, 0.2)
        axes = frame_facing((side * 0.25, 0.0, 1.0))
        add_surface(feet, ellipsoid(center, axes, (0.13, 0.075, 0.19)), lambda t, c=center: c,
                    20, 10)
    groups.append(feet)
    return groups


def fit(groups):
    """Centres the model vertically and scales it so that it lies within MAX_RADIUS."""
    ys = [p[1] for g in groups for p in g.positions]
    shift = -(min(ys) + max(ys)) / 2.0
    radius = max(length((p[0], p[1] + shift, p[2])) for g in groups for p in g.positions)
    factor = MAX_RADIUS / radius
    for g in groups:
        g.positions = [((p[0]) * factor, (p[1] + shift) * factor, p[2] * factor)
                       for p in g.positions]


# --- files ---------------------------------------------------------------------------------


def num(x):
    text = "%.4f" % x
    return "0.0000" if text == "-0.0000" else text


def write_obj(path, groups):
    vertices = sum(len(g.positions) for g in groups)
    faces = [f for g in groups for f in g.faces]
    quads = sum(1 for f in faces if len(f) == 4)
    triangles = sum(1 for f in faces if len(f) == 3)
    lines = [
        "# uvmappedvorbel.obj: written by tools/make_vorbel.py, edit the script instead",
        "# %d vertices, %d faces (%d quads, %d triangles), %d groups" %
        (vertices, len(faces), quads, triangles, len(groups)),
        "mtllib vorbel.mtl",
        "mtllib vorbel_details.mtl",
        "usemat vorbel_olho.bmp",
    ]
    offset = 0
    for g in groups:
        lines.append("g " + g.name)
        lines.append("usemtl " + g.material)
        lines.extend("v %s %s %s" % (num(p[0]), num(p[1]), num(p[2])) for p in g.positions)
        lines.extend("vt %s %s" % (num(uv[0]), num(uv[1])) for uv in g.uvs)
        lines.extend("vn %s %s %s" % (num(n[0]), num(n[1]), num(n[2])) for n in g.normals)
        for f in g.faces:
            lines.append("f " + " ".join("%d/%d/%d" % ((c + offset + 1,) * 3) for c in f))
        offset += len(g.positions)
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    return vertices, len(faces), quads, triangles


MATERIALS = """# Vorbel: the skin (this run's generated texture) and the feet
newmtl pele
Ka 1.2 1.2 1.2
Kd 0.9 0.9 0.9
Ks 0.35 0.35 0.35
Ns 160
d 1
map_Kd example0.bmp

newmtl pes
Ka 0.9 0.5 0.2
Kd 1.0 0.55 0.2
Ks 0.25 0.2 0.15
Ns 80
d 1
"""

DETAILS = """# Vorbel: eyes, mouth and antennae
newmtl olho
Ka 1.1 1.1 1.1
Kd 1 1 1
Ks 0.9 0.9 0.9
Ns 700
d 1
map_Kd vorbel_olho.bmp

newmtl boca
Ka 0.5 0.08 0.12
Kd 0.55 0.06 0.12
Ks 0.3 0.3 0.3
Ns 120
d 1

newmtl antena
Ka 1.0 0.8 0.3
Kd 1.0 0.85 0.25
Ks 0.6 0.6 0.5
Ns 300
d 1
"""


def eye_palette():
    """256 colours: 0 pupil, 1-63 iris (dark rim to bright centre), 64-127 white of the eye
    (shaded towards its edge), 128-159 the dark ring round the iris, 255 the highlight."""
    palette = [(0, 0, 0)] * 256
    palette[0] = (8, 6, 12)
    for i in range(1, 64):
        k = (i - 1) / 62.0
        palette[i] = (int(90 + 165 * k), int(40 + 160 * k), int(8 + 50 * k))
    for i in range(64, 128):
        k = (i - 64) / 63.0
        palette[i] = (int(150 + 105 * k), int(140 + 112 * k), int(150 + 95 * k))
    for i in range(128, 160):
        k = (i - 128) / 31.0
        palette[i] = (int(30 + 40 * k), int(15 + 20 * k), int(5 + 10 * k))
    palette[255] = (255, 255, 255)
    return palette


def eye_index(x, y):
    """Palette index of the eye picture at (x, y), both in [-1, 1] from the centre."""
    r = math.hypot(x, y)
    angle = math.atan2(y, x)
    for hx, hy, hr in ((-0.16, 0.17, 0.085), (0.1, -0.09, 0.03)):
        if math.hypot(x - hx, y - hy) < hr:
            return 255
    if r < 0.24:
        return 0
    if r < 0.52:
        k = (r - 0.24) / 0.28
        streaks = 0.12 * math.sin(angle * 19.0) * math.sin(angle * 7.0 + 1.3)
        value = max(0.0, min(1.0, 0.95 - 0.75 * k + streaks))
        return 1 + int(round(value * 62))
    if r < 0.58:
        k = (r - 0.52) / 0.06
        return 128 + int(round((1.0 - abs(2.0 * k - 1.0)) * 31))
    k = min(1.0, (r - 0.58) / 0.82)
    return 64 + int(round((1.0 - 0.6 * k * k) * 63))


def write_palette_bmp(path, width, height, index_at, palette):
    """An uncompressed 8-bit BMP: 14-byte file header, 40-byte info header, 256 palette entries
    (blue, green, red, 0) at offset 54, then bottom-up rows padded to 4 bytes."""
    row_size = (width + 3) // 4 * 4
    pixel_offset = 14 + 40 + 4 * 256
    image_size = row_size * height
    header = struct.pack("<2sIHHI", b"BM", pixel_offset + image_size, 0, 0, pixel_offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, image_size, 2835, 2835, 256,
                       0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    rows = []
    for y in range(height):  # row 0 of the file is the bottom line of the picture
        row = bytes(index_at(x, y) for x in range(width))
        rows.append(row + b"\0" * (row_size - width))
    with open(path, "wb") as out:
        out.write(header + info + colours + b"".join(rows))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "Data")
    os.makedirs(folder, exist_ok=True)

    groups = build_vorbel()
    fit(groups)
    vertices, faces, quads, triangles = write_obj(os.path.join(folder, "uvmappedvorbel.obj"),
                                                  groups)
    with open(os.path.join(folder, "vorbel.mtl"), "w", newline="\n") as out:
        out.write(MATERIALS)
    with open(os.path.join(folder, "vorbel_details.mtl"), "w", newline="\n") as out:
        out.write(DETAILS)

    size = 128
    palette = eye_palette()

    def index_at(x, y):
        return eye_index((x + 0.5) / size * 2.0 - 1.0, (y + 0.5) / size * 2.0 - 1.0)

    write_palette_bmp(os.path.join(folder, "vorbel_olho.bmp"), size, size, index_at, palette)

    for g in groups:
        print("%-14s %-7s %5d vertices %5d faces" % (g.name, g.material, len(g.positions),
                                                    len(g.faces)))
    print("total: %d vertices, %d faces (%d quads, %d triangles)" % (vertices, faces, quads,
                                                                    triangles))


if __name__ == "__main__":
    main()
