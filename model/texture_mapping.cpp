#include "model/texture_mapping.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const double pi = 3.14159265358979323846;

// The point's place in the box, each axis 0..1 (0.5 on an axis the box is flat along), turned
// so that index 1 is up and (2, 0) are the horizontal axes in the order the angle is measured
// in: for +Y up that is (y, z, x) read as (up, sin axis, cos axis).
struct Frame {
    double up;
    double sinAxis;
    double cosAxis;
};

double Along(const MappingBox& box, const Vector3& point, int axis) {
    const float xyz[3] = {point.x, point.y, point.z};
    const double extent = static_cast<double>(box.high[axis]) - box.low[axis];
    if (!(extent > 0.0))
        return 0.5;
    return (xyz[axis] - static_cast<double>(box.low[axis])) / extent;
}

Frame FrameOf(const MappingBox& box, MappingAxis up, const Vector3& point) {
    const int a = up.axis;
    Frame frame;
    frame.up = Along(box, point, a);
    frame.sinAxis = Along(box, point, (a + 1) % 3);
    frame.cosAxis = Along(box, point, (a + 2) % 3);
    // Upside down the height runs the other way; flipping one horizontal axis as well keeps the
    // frame right-handed, so the texture is not mirrored.
    if (up.negative) {
        frame.up = 1.0 - frame.up;
        frame.sinAxis = 1.0 - frame.sinAxis;
    }
    return frame;
}

// 0 at -180 degrees, 1 at +180 degrees about the up axis, around the box's centre.
double AroundU(const Frame& frame) {
    return (std::atan2(frame.sinAxis - 0.5, frame.cosAxis - 0.5) + pi) / (2.0 * pi);
}

// Newell's normal: fine for any polygon, even one whose first corners are in a line.
Vector3 PolygonNormal(const ObjMesh& mesh, const ObjFace& face) {
    Vector3 normal;
    const int corners = face.VertexCount();
    const int vertexCount = static_cast<int>(mesh.vertices.size());
    for (int j = 0; j < corners; ++j) {
        const int i0 = mesh.VertexIndex(face, j);
        const int i1 = mesh.VertexIndex(face, (j + 1) % corners);
        if (i0 < 0 || i1 < 0 || i0 >= vertexCount || i1 >= vertexCount)
            continue;
        const Vector3& p = mesh.vertices[static_cast<std::size_t>(i0)];
        const Vector3& q = mesh.vertices[static_cast<std::size_t>(i1)];
        normal.x += (p.y - q.y) * (p.z + q.z);
        normal.y += (p.z - q.z) * (p.x + q.x);
        normal.z += (p.x - q.x) * (p.y + q.y);
    }
    return normal;
}

} // namespace

TexCoord MapPoint(TextureMapping mapping, const MappingBox& box, MappingAxis up,
                  const Vector3& point, const Vector3& normal) {
    const Frame frame = FrameOf(box, up, point);
    TexCoord coord{0.0f, 0.0f, 0.0f};
    switch (mapping) {
    case TextureMapping::Box: {
        const double n[3] = {std::fabs(normal.x), std::fabs(normal.y), std::fabs(normal.z)};
        int dominant = 0;
        for (int axis = 1; axis < 3; ++axis) {
            if (n[axis] > n[dominant])
                dominant = axis;
        }
        if (dominant == up.axis) {
            // Top and bottom: the two horizontal axes.
            coord.u = static_cast<float>(frame.cosAxis);
            coord.v = static_cast<float>(frame.sinAxis);
        } else {
            // Sides: across the face, and up.
            coord.u =
                static_cast<float>(dominant == (up.axis + 1) % 3 ? frame.cosAxis : frame.sinAxis);
            coord.v = static_cast<float>(frame.up);
        }
        break;
    }
    case TextureMapping::Cylinder:
        coord.u = static_cast<float>(AroundU(frame));
        coord.v = static_cast<float>(frame.up);
        break;
    case TextureMapping::Sphere: {
        const double x = frame.cosAxis - 0.5;
        const double y = frame.up - 0.5;
        const double z = frame.sinAxis - 0.5;
        const double horizontal = std::hypot(x, z);
        coord.u = static_cast<float>(AroundU(frame));
        coord.v = static_cast<float>((std::atan2(y, horizontal) + pi / 2.0) / pi);
        break;
    }
    }
    return coord;
}

bool HasUnmappedFaces(const ObjModel& model) {
    for (const ObjMesh* mesh : model.meshes) {
        if (mesh == nullptr)
            continue;
        for (const ObjFace& face : mesh->faces) {
            if (!face.HasTexCoords())
                return true;
        }
    }
    return false;
}

ModelPointer PaintedCopy(const ObjModel& model, TextureMapping mapping, const MappingBox& box,
                         MappingAxis up, bool keepOwn) {
    ModelPointer copy(new ObjModel());
    std::vector<int> vertexIndices;
    std::vector<int> texCoordIndices;
    std::vector<int> normalIndices;
    for (const ObjMesh* mesh : model.meshes) {
        if (mesh == nullptr) {
            copy->meshes.push_back(nullptr);
            continue;
        }
        ObjMesh* painted = new ObjMesh();
        copy->meshes.push_back(painted);
        painted->name = mesh->name;
        painted->vertices = mesh->vertices;
        painted->normals = mesh->normals;
        painted->texCoords = mesh->texCoords;
        painted->points = mesh->points;
        painted->lines = mesh->lines;
        painted->elementIndices = mesh->elementIndices;
        painted->smoothingGroups = mesh->smoothingGroups;
        painted->smoothingOff = mesh->smoothingOff;
        painted->colors = mesh->colors;
        painted->faces.reserve(mesh->faces.size());
        painted->indices.reserve(mesh->indices.size() + mesh->indices.size() / 2);

        const int vertexCount = static_cast<int>(mesh->vertices.size());
        for (const ObjFace& face : mesh->faces) {
            const int corners = face.VertexCount();
            vertexIndices.resize(static_cast<std::size_t>(corners));
            texCoordIndices.resize(static_cast<std::size_t>(corners));
            normalIndices.clear();
            for (int j = 0; j < corners; ++j) {
                vertexIndices[j] = mesh->VertexIndex(face, j);
                texCoordIndices[j] = mesh->TexCoordIndex(face, j);
                if (face.HasNormals())
                    normalIndices.push_back(mesh->NormalIndex(face, j));
            }
            if (!(keepOwn && face.HasTexCoords())) {
                const Vector3 normal = PolygonNormal(*mesh, face);
                const std::size_t first = painted->texCoords.size();
                for (int j = 0; j < corners; ++j) {
                    const int v = vertexIndices[j];
                    // A corner naming no vertex draws nothing; its coordinate does not matter.
                    const Vector3 point = v >= 0 && v < vertexCount
                                              ? mesh->vertices[static_cast<std::size_t>(v)]
                                              : Vector3();
                    painted->texCoords.push_back(MapPoint(mapping, box, up, point, normal));
                    texCoordIndices[j] = static_cast<int>(first) + j;
                }
                if (mapping != TextureMapping::Box) {
                    // A face across the -180/+180 line would otherwise show the whole texture
                    // squeezed backwards; its low side goes once round instead.
                    float lowest = 1.0f;
                    float highest = 0.0f;
                    for (int j = 0; j < corners; ++j) {
                        lowest = std::min(lowest, painted->texCoords[first + j].u);
                        highest = std::max(highest, painted->texCoords[first + j].u);
                    }
                    if (highest - lowest > 0.5f) {
                        for (int j = 0; j < corners; ++j) {
                            if (painted->texCoords[first + j].u < 0.5f)
                                painted->texCoords[first + j].u += 1.0f;
                        }
                    }
                }
            }
            painted->AddFace(vertexIndices.data(), texCoordIndices.data(),
                             face.HasNormals() ? normalIndices.data() : nullptr,
                             static_cast<std::size_t>(corners), face.materialIndex);
        }
    }
    return copy;
}
