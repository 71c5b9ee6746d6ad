// What drawing a model named by the user needs beyond its file: normals where the file gives
// none, the triangles of concave faces, and which faces have no area to draw.
#include <GL/glu.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/model.h"

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
        // Collinear or repeated corners leave an area at the rounding level of the coordinates;
        // anything not finite is not drawn either.
        const double least = 1e-6 * edges;
        flat = !(LengthSquared(area) > least * least);
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
        return 1; // a file without smoothing groups is smooth all over
    }
    return face < mesh.smoothingGroups.size() ? mesh.smoothingGroups[face] : 0;
}

// Whether every face that needs normals and is smooth is in one and the same group.
bool OneSmoothGroup(const ObjMesh& mesh) {
    bool seen = false;
    std::uint32_t only = 0;
    for (const std::uint32_t group : mesh.smoothingGroups) {
        if (group == 0) {
            continue;
        }
        if (seen && group != only) {
            return false;
        }
        seen = true;
        only = group;
    }
    return true;
}

void PrepareMesh(ObjMesh& mesh, Tessellator& tessellator) {
    mesh.arrays.reset(); // arrays made before would draw the faces as read
    auto prepared = std::make_shared<PreparedDrawing>();
    const std::size_t faceCount = mesh.faces.size();

    std::size_t cornerCount = 0;
    bool needsNormals = false;
    for (const ObjFace& face : mesh.faces) {
        cornerCount += static_cast<std::size_t>(face.VertexCount());
        if (!needsNormals) {
            for (int j = 0; j < face.VertexCount() && !needsNormals; ++j) {
                needsNormals = !HasFileNormal(mesh, face, j);
            }
        }
    }
    if (needsNormals) {
        prepared->cornerNormals.assign(cornerCount, -1);
    }
    NormalSlots slots(needsNormals ? mesh.vertices.size() : 0, OneSmoothGroup(mesh));
    std::vector<Vec> flatNormals; // one per flat face, after the slots

    FaceShape shape;
    std::size_t corner = 0; // the face's first corner among all corners
    for (std::size_t i = 0; i < faceCount; ++i) {
        const ObjFace& face = mesh.faces[i];
        const int count = face.VertexCount();
        shape.Measure(mesh, face);
        FaceForm form = FaceForm::asRead;
        if (shape.flat) {
            form = FaceForm::skipped;
        } else if (shape.points.size() > 3 && !IsConvex(shape)) {
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

        if (needsNormals && form != FaceForm::skipped) {
            const std::uint32_t group = GroupOf(mesh, i);
            bool flatAdded = false;
            for (std::size_t k = 0; k < shape.corners.size(); ++k) {
                const int j = shape.corners[k];
                if (HasFileNormal(mesh, face, j)) {
                    continue;
                }
                int& target = prepared->cornerNormals[corner + static_cast<std::size_t>(j)];
                if (group == 0) {
                    if (!flatAdded) {
                        flatNormals.push_back(shape.area);
                        flatAdded = true;
                    }
                    target = -2 - static_cast<int>(flatNormals.size() - 1); // placed below
                } else {
                    const int slot = slots.Slot(mesh.VertexIndex(face, j), group);
                    slots.Add(slot, shape.area);
                    target = slot;
                }
            }
        }
        corner += static_cast<std::size_t>(count);
    }

    if (needsNormals) {
        // Slots first, then the flat faces' normals.
        std::vector<Vec>& sums = slots.Sums();
        prepared->normals.reserve(sums.size() + flatNormals.size());
        bool cancelled = false; // faces facing away from each other can sum to nothing
        for (const Vec& sum : sums) {
            prepared->normals.push_back(UnitOf(sum));
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
        for (std::size_t s = 0; s < sums.size() && !cancelled; ++s) {
            const Vector3& n = prepared->normals[s];
            cancelled = n.x == 0.0f && n.y == 0.0f && n.z == 0.0f && slots.Used(s);
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
