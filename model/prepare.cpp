// What drawing a model named by the user needs beyond its file: normals where the file gives
// none, the triangles of concave faces, and which faces have no area to draw.
#include <GL/glu.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/large_pages.h"
#include "model/maths.h"
#include "model/reading.h"

namespace {

struct Vec {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Vec Minus(const Vector3& a, const Vector3& b) {
    return Vec{static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y,
               static_cast<double>(a.z) - b.z};
}

Vec CrossOf(const Vec& a, const Vec& b) {
    return Vec{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double LengthSquared(const Vec& v) {
    return v.x * v.x + v.y * v.y + v.z * v.z;
}

Vector3 UnitOf(const Vec& v) {
    const double length = std::sqrt(LengthSquared(v));
    Vector3 unit;
    if (length > 0.0 && std::isfinite(length)) {
        unit.x = static_cast<float>(v.x / length);
        unit.y = static_cast<float>(v.y / length);
        unit.z = static_cast<float>(v.z / length);
    }
    return unit;
}

// Whether a face without area: the area vector short against the face's own scale, the sum of
// its squared edge lengths. Collinear or repeated corners leave an area at the rounding level of
// the coordinates; anything not finite is not drawn either.
bool WithoutArea(const Vec& area, double edges) {
    const double least = 1e-6 * edges;
    return !(LengthSquared(area) > least * least);
}

// A face's corners that name a vertex of the mesh (the drawing passes over the others), with
// its area vector: the sum of the fan's cross products, which for any planar polygon, concave
// ones included, points along the normal of counter-clockwise corners and is twice the area
// long. Coordinates are taken relative to the first corner, so that a part far from the origin
// loses no precision.
struct FaceShape {
    std::vector<int> corners; // corner numbers within the face
    std::vector<const Vector3*> points;
    Vec area;
    bool flat = false; // no area worth drawing

    void Measure(const ObjMesh& mesh, const ObjFace& face) {
        corners.clear();
        points.clear();
        const int count = face.VertexCount();
        const auto vertexCount = mesh.vertices.size();
        for (int j = 0; j < count; ++j) {
            const int v = mesh.VertexIndex(face, j);
            if (v >= 0 && static_cast<std::size_t>(v) < vertexCount) {
                corners.push_back(j);
                points.push_back(&mesh.vertices[static_cast<std::size_t>(v)]);
            }
        }
        area = Vec();
        const std::size_t n = points.size();
        if (n < 3) {
            flat = true;
            return;
        }
        double edges = 0.0; // the sum of the squared edge lengths, the face's own scale
        Vec previous = Minus(*points[1], *points[0]);
        edges += LengthSquared(previous);
        for (std::size_t i = 2; i < n; ++i) {
            const Vec next = Minus(*points[i], *points[0]);
            const Vec cross = CrossOf(previous, next);
            area.x += cross.x;
            area.y += cross.y;
            area.z += cross.z;
            edges += LengthSquared(Minus(*points[i], *points[i - 1]));
            previous = next;
        }
        edges += LengthSquared(previous);
        flat = WithoutArea(area, edges);
    }
};

// Whether a polygon of four or more corners is convex, so that drawing it as one polygon covers
// what the file means. Seen along its area vector, every turn must go the same way (straight
// on counts as either), no edge may turn back on the one before, and the edges must go round
// once only: their x and y directions change sign at most twice each.
bool IsConvex(const FaceShape& shape) {
    const Vec& n = shape.area;
    const double ax = std::fabs(n.x);
    const double ay = std::fabs(n.y);
    const double az = std::fabs(n.z);
    // Project onto the plane of the two other axes, in the order that keeps the turn of
    // counter-clockwise corners positive.
    int u = 0;
    int v = 1;
    double sign = n.z;
    if (ax >= ay && ax >= az) {
        u = 1;
        v = 2;
        sign = n.x;
    } else if (ay >= az) {
        u = 2;
        v = 0;
        sign = n.y;
    }
    sign = sign < 0.0 ? -1.0 : 1.0;
    struct Point {
        double u;
        double v;
    };
    std::vector<Point> polygon;
    polygon.reserve(shape.points.size());
    for (const Vector3* p : shape.points) {
        const double c[3] = {p->x, p->y, p->z};
        const Point q{c[u], c[v]};
        if (polygon.empty() || q.u != polygon.back().u || q.v != polygon.back().v) {
            polygon.push_back(q);
        }
    }
    while (polygon.size() > 1 && polygon.back().u == polygon.front().u &&
           polygon.back().v == polygon.front().v) {
        polygon.pop_back();
    }
    const std::size_t m = polygon.size();
    if (m < 3) {
        return true;
    }
    int uChanges = 0;
    int vChanges = 0;
    double lastU = 0.0;
    double lastV = 0.0;
    for (std::size_t i = 0; i <= m; ++i) {
        const Point& a = polygon[(i + m - 1) % m];
        const Point& b = polygon[i % m];
        const Point& c = polygon[(i + 1) % m];
        const double e1u = b.u - a.u;
        const double e1v = b.v - a.v;
        const double e2u = c.u - b.u;
        const double e2v = c.v - b.v;
        if (i < m) {
            const double turn = (e1u * e2v - e1v * e2u) * sign;
            const double scale = (e1u * e1u + e1v * e1v) * (e2u * e2u + e2v * e2v);
            const bool straight = turn * turn <= 1e-12 * scale;
            if (!straight && turn < 0.0) {
                return false;
            }
            if (straight && e1u * e2u + e1v * e2v < 0.0) {
                return false; // the edge turns back on itself
            }
        }
        // Sign changes of the edges' directions, once round (edge i + 1 after edge i).
        if (e2u != 0.0) {
            uChanges += lastU != 0.0 && (lastU < 0.0) != (e2u < 0.0) ? 1 : 0;
            lastU = e2u;
        }
        if (e2v != 0.0) {
            vChanges += lastV != 0.0 && (lastV < 0.0) != (e2v < 0.0) ? 1 : 0;
            lastV = e2v;
        }
    }
    return uChanges <= 2 && vChanges <= 2;
}

// The GLU tessellator, made on first use and kept for every face of one preparation. It hands
// back triangles only (an edge-flag callback turns off fans and strips), as corner numbers.
class Tessellator {
public:
    ~Tessellator() {
        if (m_tess != nullptr) {
            gluDeleteTess(m_tess);
        }
    }

    // Appends the triangles of the face's valid corners to out; false when the tessellator
    // reports an error.
    bool Triangulate(const FaceShape& shape, std::vector<int>& out) {
        if (m_tess == nullptr && !Create()) {
            return false;
        }
        const std::size_t n = shape.points.size();
        m_coordinates.resize(3 * n);
        while (m_positions.size() < n) {
            m_positions.push_back(static_cast<int>(m_positions.size()));
        }
        const Vector3& origin = *shape.points[0];
        for (std::size_t i = 0; i < n; ++i) {
            const Vec p = Minus(*shape.points[i], origin);
            m_coordinates[3 * i] = p.x;
            m_coordinates[3 * i + 1] = p.y;
            m_coordinates[3 * i + 2] = p.z;
        }
        m_out = &out;
        m_failed = false;
        const std::size_t start = out.size();
        gluTessNormal(m_tess, shape.area.x, shape.area.y, shape.area.z);
        gluTessBeginPolygon(m_tess, this);
        gluTessBeginContour(m_tess);
        for (std::size_t i = 0; i < n; ++i) {
            // The vertex data is the position's own number, stable while the face is
            // tessellated.
            gluTessVertex(m_tess, &m_coordinates[3 * i], &m_positions[i]);
        }
        gluTessEndContour(m_tess);
        gluTessEndPolygon(m_tess);
        m_out = nullptr;
        if (m_failed) {
            out.resize(start);
            return false;
        }
        // Drop an incomplete last triangle, and the triangles without area: those that a
        // crossing, resolved to the nearest corner, has collapsed, and those between corners
        // written twice. The tessellator handed back positions in the face's corner list.
        out.resize(start + (out.size() - start) / 3 * 3);
        std::size_t kept = start;
        for (std::size_t t = start; t < out.size(); t += 3) {
            const double* a = &m_coordinates[3 * static_cast<std::size_t>(out[t])];
            const double* b = &m_coordinates[3 * static_cast<std::size_t>(out[t + 1])];
            const double* c = &m_coordinates[3 * static_cast<std::size_t>(out[t + 2])];
            const Vec turn = CrossOf(Vec{b[0] - a[0], b[1] - a[1], b[2] - a[2]},
                                     Vec{c[0] - a[0], c[1] - a[1], c[2] - a[2]});
            const Vec& n = shape.area;
            if (turn.x * n.x + turn.y * n.y + turn.z * n.z > 0.0) {
                out[kept++] = shape.corners[static_cast<std::size_t>(out[t])];
                out[kept++] = shape.corners[static_cast<std::size_t>(out[t + 1])];
                out[kept++] = shape.corners[static_cast<std::size_t>(out[t + 2])];
            }
        }
        out.resize(kept);
        return true;
    }

private:
    bool Create() {
        m_tess = gluNewTess();
        if (m_tess == nullptr) {
            return false;
        }
        gluTessProperty(m_tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
        gluTessCallback(m_tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(&Begin));
        gluTessCallback(m_tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(&Edge));
        gluTessCallback(m_tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(&Vertex));
        gluTessCallback(m_tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(&Combine));
        gluTessCallback(m_tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(&Error));
        return true;
    }

    static void Begin(GLenum, void*) {}
    static void Edge(GLboolean, void*) {}
    static void Vertex(void* vertex, void* self) {
        static_cast<Tessellator*>(self)->m_out->push_back(*static_cast<const int*>(vertex));
    }
    // Where edges cross, the tessellator asks for a new vertex; the drawing data has only the
    // face's corners, so the crossing takes the corner that weighs most in it.
    static void Combine(GLdouble*, void* vertices[4], GLfloat weights[4], void** out, void*) {
        void* best = nullptr;
        float most = -1.0f;
        for (int i = 0; i < 4; ++i) {
            if (vertices[i] != nullptr && weights[i] > most) {
                best = vertices[i];
                most = weights[i];
            }
        }
        *out = best;
    }
    static void Error(GLenum, void* self) { static_cast<Tessellator*>(self)->m_failed = true; }

    GLUtesselator* m_tess = nullptr;
    std::vector<GLdouble> m_coordinates;
    std::vector<int> m_positions; // 0, 1, 2, ...: what the vertex data points at
    std::vector<int>* m_out = nullptr;
    bool m_failed = false;
};

// Where the smooth normals of one mesh add up: one slot per vertex and smoothing group. With a
// single group the slot is the vertex index; with several, each vertex chains its groups' slots.
class NormalSlots {
public:
    NormalSlots(std::size_t vertexCount, bool oneGroup) : m_oneGroup(oneGroup) {
        if (oneGroup) {
            m_sums.resize(vertexCount);
            m_used.resize(vertexCount);
        } else {
            m_first.assign(vertexCount, -1);
        }
    }

    int Slot(int vertex, std::uint32_t group) {
        if (m_oneGroup) {
            return vertex;
        }
        int slot = m_first[static_cast<std::size_t>(vertex)];
        int last = -1;
        while (slot != -1 && m_group[static_cast<std::size_t>(slot)] != group) {
            last = slot;
            slot = m_next[static_cast<std::size_t>(slot)];
        }
        if (slot != -1) {
            return slot;
        }
        slot = static_cast<int>(m_sums.size());
        m_sums.emplace_back();
        m_used.push_back(0);
        m_group.push_back(group);
        m_next.push_back(-1);
        (last == -1 ? m_first[static_cast<std::size_t>(vertex)]
                    : m_next[static_cast<std::size_t>(last)]) = slot;
        return slot;
    }

    void Add(int slot, const Vec& area) {
        m_used[static_cast<std::size_t>(slot)] = 1;
        Vec& sum = m_sums[static_cast<std::size_t>(slot)];
        sum.x += area.x;
        sum.y += area.y;
        sum.z += area.z;
    }

    std::vector<Vec>& Sums() { return m_sums; }
    bool Used(std::size_t slot) const { return m_used[slot] != 0; }

private:
    bool m_oneGroup;
    std::vector<Vec> m_sums;
    std::vector<std::uint8_t> m_used; // whether a face added to the slot
    std::vector<int> m_first;
    std::vector<int> m_next;
    std::vector<std::uint32_t> m_group;
};

bool HasFileNormal(const ObjMesh& mesh, const ObjFace& face, int corner) {
    const int n = mesh.NormalIndex(face, corner);
    return n >= 0 && static_cast<std::size_t>(n) < mesh.normals.size();
}

std::uint32_t GroupOf(const ObjMesh& mesh, std::size_t face) {
    if (mesh.smoothingGroups.empty()) {
        // A file without smoothing groups is smooth all over, one that turned them off flat.
        return mesh.smoothingOff ? 0 : 1;
    }
    return face < mesh.smoothingGroups.size() ? mesh.smoothingGroups[face] : 0;
}

// The area vector of triangle p0 p1 p2 (twice its area, along its normal) worked out in single
// precision, when it is clear of zero by a hundred times the margin of the exact test (edges
// squared against the area) and in range. False when single precision cannot tell.
inline bool ClearAreaInSingle(const Vector3& p0, const Vector3& p1, const Vector3& p2, Vec& area) {
    const float e1x = p1.x - p0.x;
    const float e1y = p1.y - p0.y;
    const float e1z = p1.z - p0.z;
    const float e2x = p2.x - p0.x;
    const float e2y = p2.y - p0.y;
    const float e2z = p2.z - p0.z;
    const float ax = e1y * e2z - e1z * e2y;
    const float ay = e1z * e2x - e1x * e2z;
    const float az = e1x * e2y - e1y * e2x;
    // The three edges squared, the third (e2 - e1) written through the first two: a shorter
    // chain for the common face, and never less than half the first two's sum.
    const float first = e1x * e1x + e1y * e1y + e1z * e1z;
    const float second = e2x * e2x + e2y * e2y + e2z * e2z;
    const float across = e1x * e2x + e1y * e2y + e1z * e2z;
    const float least = 2e-4f * (first + second - across);
    const float squared = ax * ax + ay * ay + az * az;
    if (!(squared > least * least && least * least > 0.0f && squared <= FLT_MAX)) {
        return false;
    }
    area = Vec{ax, ay, az};
    return true;
}

// The common face, a triangle whose corners all name vertices, measured without the lists of
// FaceShape. False when the face is not such a triangle.
bool MeasureTriangle(const ObjMesh& mesh, const ObjFace& face, Vec& area, bool& flat,
                     int (&vertices)[3]) {
    if (face.VertexCount() != 3) {
        return false;
    }
    const std::size_t vertexCount = mesh.vertices.size();
    const int stride = face.Stride();
    const int* corners = &mesh.indices[face.firstIndex];
    const int a = corners[0];
    const int b = corners[stride];
    const int c = corners[2 * stride];
    vertices[0] = a;
    vertices[1] = b;
    vertices[2] = c;
    if (a < 0 || b < 0 || c < 0 || static_cast<std::size_t>(a) >= vertexCount ||
        static_cast<std::size_t>(b) >= vertexCount || static_cast<std::size_t>(c) >= vertexCount) {
        return false;
    }
    const Vector3& p0 = mesh.vertices[static_cast<std::size_t>(a)];
    const Vector3& p1 = mesh.vertices[static_cast<std::size_t>(b)];
    const Vector3& p2 = mesh.vertices[static_cast<std::size_t>(c)];
    // In single precision first: the differences of nearby corners are exact, and the answer
    // is kept where it is clear by a wide margin; near the limit, or out of range, double
    // precision decides.
    if (ClearAreaInSingle(p0, p1, p2, area)) {
        flat = false;
        return true;
    }
    const Vec e1 = Minus(p1, p0);
    const Vec e2 = Minus(p2, p0);
    area = CrossOf(e1, e2);
    const Vec e3{e2.x - e1.x, e2.y - e1.y, e2.z - e1.z};
    flat = WithoutArea(area, LengthSquared(e1) + LengthSquared(e2) + LengthSquared(e3));
    return true;
}

bool AllFileNormals(const ObjMesh& mesh, const ObjFace& face) {
    if (!face.HasNormals()) {
        return false;
    }
    for (int j = 0; j < face.VertexCount(); ++j) {
        if (!HasFileNormal(mesh, face, j)) {
            return false;
        }
    }
    return true;
}

// A triangle without normals whose corners all name vertices and whose area is clear in single
// precision adds its area vector to its vertices' normals. False, with nothing added, for any
// other triangle.
// The lists come as bare pointers: the sums written here could otherwise be the lists' own
// bookkeeping as far as the compiler knows, which it would then read again for every face.
inline bool AddTriangleNormal(const Vector3* vertices, std::size_t vertexCount, const int* corners,
                              int stride, Vector3* sums) {
    const auto a = static_cast<std::size_t>(static_cast<unsigned>(corners[0]));
    const auto b = static_cast<std::size_t>(static_cast<unsigned>(corners[stride]));
    const auto c = static_cast<std::size_t>(static_cast<unsigned>(corners[2 * stride]));
    if (a >= vertexCount || b >= vertexCount || c >= vertexCount) {
        return false; // negative indices became large ones
    }
    const Vector3& p0 = vertices[a];
    const Vector3& p1 = vertices[b];
    const Vector3& p2 = vertices[c];
    Vec area;
    if (!ClearAreaInSingle(p0, p1, p2, area)) {
        return false;
    }
    for (const std::size_t v : {a, b, c}) {
        sums[v].x += static_cast<float>(area.x);
        sums[v].y += static_cast<float>(area.y);
        sums[v].z += static_cast<float>(area.z);
    }
    return true;
}

void PrepareMesh(ObjMesh& mesh, Tessellator& tessellator) {
    mesh.arrays.reset(); // arrays made before would draw the faces as read
    auto prepared = std::make_shared<PreparedDrawing>();
    const std::size_t faceCount = mesh.faces.size();
    const std::size_t vertexCount = mesh.vertices.size();

    // When every face is smooth and in one group, every vertex has one normal and corners
    // need no list of their own; the list of corners is then not even counted.
    bool oneGroup = true;
    bool allSmooth = !(mesh.smoothingGroups.empty() && mesh.smoothingOff);
    {
        std::uint32_t only = 0;
        for (const std::uint32_t group : mesh.smoothingGroups) {
            allSmooth = allSmooth && group != 0;
            oneGroup = oneGroup && (only == 0 || group == 0 || group == only);
            only = group != 0 ? group : only;
        }
    }
    const bool byVertex = oneGroup && allSmooth;
    bool needsNormals = false;
    if (byVertex) {
        needsNormals = true; // until no face turns out to need one
        AssignInLargePages(prepared->normals, vertexCount, Vector3());
    } else {
        std::size_t cornerCount = 0;
        for (std::size_t i = 0; i < faceCount; ++i) {
            const ObjFace& face = mesh.faces[i];
            cornerCount += static_cast<std::size_t>(face.VertexCount());
            needsNormals = needsNormals || !AllFileNormals(mesh, face);
        }
        if (needsNormals) {
            AssignInLargePages(prepared->cornerNormals, cornerCount, -1);
        }
    }
    bool normalsComputed = false;
    NormalSlots slots(needsNormals && !byVertex ? vertexCount : 0, oneGroup);
    std::vector<Vec> flatNormals; // one per flat face, after the slots

    FaceShape shape;
    // Everything for one face but the common case below; kept out of line so that the loop
    // over the common faces stays small.
    const auto general = [&](std::size_t i, std::size_t firstCorner) __attribute__((noinline)) {
        const ObjFace& face = mesh.faces[i];
        Vec area;
        bool flat = false;
        int triangleVertices[3];
        const bool triangle = MeasureTriangle(mesh, face, area, flat, triangleVertices);
        FaceForm form = FaceForm::asRead;
        if (!triangle) {
            shape.Measure(mesh, face);
            area = shape.area;
            flat = shape.flat;
        }
        if (flat) {
            form = FaceForm::skipped;
        } else if (!triangle && shape.points.size() > 3 && !IsConvex(shape)) {
            const std::size_t before = prepared->triangleCorners.size();
            if (tessellator.Triangulate(shape, prepared->triangleCorners)) {
                form = prepared->triangleCorners.size() > before ? FaceForm::triangles
                                                                 : FaceForm::skipped;
            } // else drawn as read, as without preparation
            if (form == FaceForm::triangles) {
                if (prepared->triangleStarts.empty()) {
                    prepared->triangleStarts.push_back(static_cast<std::uint32_t>(before));
                }
                prepared->triangleStarts.push_back(
                    static_cast<std::uint32_t>(prepared->triangleCorners.size()));
            }
        }
        if (form != FaceForm::asRead && prepared->faceForms.empty()) {
            prepared->faceForms.assign(faceCount, FaceForm::asRead);
        }
        if (!prepared->faceForms.empty()) {
            prepared->faceForms[i] = form;
        }
        if (!needsNormals || form == FaceForm::skipped ||
            (face.HasNormals() && AllFileNormals(mesh, face))) {
            return;
        }
        normalsComputed = true;

        const std::uint32_t group = GroupOf(mesh, i);
        bool flatAdded = false;
        const int valid = triangle ? 3 : static_cast<int>(shape.corners.size());
        for (int k = 0; k < valid; ++k) {
            const int j = triangle ? k : shape.corners[static_cast<std::size_t>(k)];
            if (face.HasNormals() && HasFileNormal(mesh, face, j)) {
                continue;
            }
            const int v = triangle ? triangleVertices[k] : mesh.VertexIndex(face, j);
            if (byVertex) {
                Vector3& sum = prepared->normals[static_cast<std::size_t>(v)];
                sum.x += static_cast<float>(area.x);
                sum.y += static_cast<float>(area.y);
                sum.z += static_cast<float>(area.z);
                continue;
            }
            int& target = prepared->cornerNormals[firstCorner + static_cast<std::size_t>(j)];
            if (group == 0) {
                if (!flatAdded) {
                    flatNormals.push_back(area);
                    flatAdded = true;
                }
                target = -2 - static_cast<int>(flatNormals.size() - 1); // placed below
            } else {
                const int slot = slots.Slot(v, group);
                slots.Add(slot, area);
                target = slot;
            }
        }
    };

    const Vector3* const vertices = mesh.vertices.data();
    const ObjFace* const faces = mesh.faces.data();
    const int* const indices = mesh.indices.data();
    Vector3* const sums = prepared->normals.data();
    std::size_t corner = 0; // the face's first corner among all corners
    for (std::size_t i = 0; i < faceCount; ++i) {
        const ObjFace& face = faces[i];
        const std::size_t firstCorner = corner;
        corner += static_cast<std::size_t>(face.VertexCount());
        // The common face: a triangle without normals whose area is clear.
        if (byVertex && face.VertexCount() == 3 && !face.HasNormals() &&
            AddTriangleNormal(vertices, vertexCount, indices + face.firstIndex, face.Stride(),
                              sums)) {
            normalsComputed = true;
            continue;
        }
        general(i, firstCorner);
    }

    if (byVertex && !normalsComputed) {
        prepared->normals.clear(); // every face has the file's normals
        prepared->normals.shrink_to_fit();
    } else if (byVertex) {
        prepared->normalsByVertex = true;
        bool zero = false; // faces facing away from each other can sum to nothing
        for (Vector3& n : prepared->normals) {
            const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
            if (length > 0.0f && length <= FLT_MAX) {
                const float scale = 1.0f / length;
                n.x *= scale;
                n.y *= scale;
                n.z *= scale;
            } else {
                n = Vector3();
                zero = true;
            }
        }
        // A vertex of a drawn face whose normal came to nothing takes the normal of one of its
        // faces (vertices of no face keep the zero normal: nothing draws them).
        if (zero) {
            for (const ObjFace& face : mesh.faces) {
                for (int j = 0; j < face.VertexCount(); ++j) {
                    const int v = mesh.VertexIndex(face, j);
                    if (v < 0 || static_cast<std::size_t>(v) >= vertexCount) {
                        continue;
                    }
                    Vector3& n = prepared->normals[static_cast<std::size_t>(v)];
                    if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) {
                        shape.Measure(mesh, face);
                        n = UnitOf(shape.area);
                    }
                }
            }
        }
    } else if (needsNormals) {
        // Slots first, then the flat faces' normals.
        std::vector<Vec>& sums = slots.Sums();
        prepared->normals.reserve(sums.size() + flatNormals.size());
        bool cancelled = false;
        for (std::size_t s = 0; s < sums.size(); ++s) {
            prepared->normals.push_back(UnitOf(sums[s]));
            const Vector3& n = prepared->normals.back();
            cancelled = cancelled || (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f && slots.Used(s));
        }
        const int flatStart = static_cast<int>(prepared->normals.size());
        for (const Vec& area : flatNormals) {
            prepared->normals.push_back(UnitOf(area));
        }
        for (int& index : prepared->cornerNormals) {
            if (index <= -2) {
                index = flatStart + (-2 - index);
            }
        }
        // A corner whose shared normal came to nothing takes its own face's normal instead.
        if (cancelled) {
            corner = 0;
            for (const ObjFace& face : mesh.faces) {
                for (int j = 0; j < face.VertexCount(); ++j) {
                    int& index = prepared->cornerNormals[corner + static_cast<std::size_t>(j)];
                    if (index < 0 || index >= flatStart) {
                        continue;
                    }
                    const Vector3& n = prepared->normals[static_cast<std::size_t>(index)];
                    if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) {
                        shape.Measure(mesh, face);
                        prepared->normals.push_back(UnitOf(shape.area));
                        index = static_cast<int>(prepared->normals.size() - 1);
                    }
                }
                corner += static_cast<std::size_t>(face.VertexCount());
            }
        }
    }
    mesh.prepared = std::move(prepared);
}

} // namespace

void PrepareDrawing(ObjModel* model) {
    if (model == nullptr) {
        return;
    }
    Tessellator tessellator;
    for (ObjMesh* mesh : model->meshes) {
        if (mesh != nullptr) {
            PrepareMesh(*mesh, tessellator);
        }
    }
}
