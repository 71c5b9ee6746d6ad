// The model records' life cycle, the program-wide tables and the small vector library.
#include "model/maths.h"
#include "model/reading.h"

#include <algorithm>
#include <cmath>

std::vector<ObjMaterial*> materialTable;
std::vector<ObjModel*> modelList;
char renderMode = 't';
bool showNormals = false;

void DeleteModel(ObjModel* model) {
    if (model == nullptr) {
        return;
    }
    for (ObjMesh* mesh : model->meshes) {
        delete mesh; // a null entry is simply skipped
    }
    delete model;
}

bool ObjMesh::AddInterleavedFace(const int* numbers, std::size_t corners, bool hasTexCoords,
                                 bool hasNormals, int materialIndex) {
    const std::size_t stride = 1 + (hasTexCoords ? 1 : 0) + (hasNormals ? 1 : 0);
    const std::size_t first = indices.size();
    if (corners > ObjFace::maxCorners || first > UINT32_MAX ||
        corners * stride > UINT32_MAX - first) {
        return false;
    }
    indices.insert(indices.end(), numbers, numbers + corners * stride);
    ObjFace face;
    face.firstIndex = static_cast<std::uint32_t>(first);
    face.shape = static_cast<std::uint32_t>(corners << 2) |
                 (hasTexCoords ? ObjFace::texCoordsFlag : 0) |
                 (hasNormals ? ObjFace::normalsFlag : 0);
    face.materialIndex = materialIndex;
    faces.push_back(face);
    return true;
}

bool ObjMesh::AddFace(const int* vertexIndices, const int* texCoordIndices,
                      const int* normalIndices, std::size_t corners, int materialIndex) {
    const std::size_t stride = 1 + (texCoordIndices ? 1 : 0) + (normalIndices ? 1 : 0);
    const std::size_t first = indices.size();
    // Face records address the index list with 32 bits.
    if (corners > ObjFace::maxCorners || first > UINT32_MAX ||
        corners * stride > UINT32_MAX - first) {
        return false;
    }
    indices.resize(first + corners * stride);
    int* out = indices.data() + first;
    for (std::size_t j = 0; j < corners; ++j) {
        *out++ = vertexIndices[j];
        if (texCoordIndices) {
            *out++ = texCoordIndices[j];
        }
        if (normalIndices) {
            *out++ = normalIndices[j];
        }
    }
    ObjFace face;
    face.firstIndex = static_cast<std::uint32_t>(first);
    face.shape = static_cast<std::uint32_t>(corners << 2) |
                 (texCoordIndices ? ObjFace::texCoordsFlag : 0) |
                 (normalIndices ? ObjFace::normalsFlag : 0);
    face.materialIndex = materialIndex;
    faces.push_back(face);
    return true;
}

bool ObjMesh::AddFace(const std::vector<int>& vertexIndices,
                      const std::vector<int>& texCoordIndices,
                      const std::vector<int>& normalIndices, int materialIndex) {
    const std::size_t corners = vertexIndices.size();
    if ((!texCoordIndices.empty() && texCoordIndices.size() != corners) ||
        (!normalIndices.empty() && normalIndices.size() != corners)) {
        return false;
    }
    return AddFace(vertexIndices.data(), texCoordIndices.empty() ? nullptr : texCoordIndices.data(),
                   normalIndices.empty() ? nullptr : normalIndices.data(), corners, materialIndex);
}

void UnloadModel(ObjModel* model) {
    if (model == nullptr) {
        for (ObjModel* loaded : modelList) {
            DeleteModel(loaded);
        }
        modelList.clear();
        return;
    }
    auto entry = std::find(modelList.begin(), modelList.end(), model);
    // A model the list does not know was not loaded here (or is already gone): leave it alone.
    if (entry == modelList.end()) {
        return;
    }
    modelList.erase(entry);
    DeleteModel(model);
}

void ScaleModel(ObjModel* model, float factor) {
    for (ObjMesh* mesh : model->meshes) {
        if (mesh == nullptr) {
            continue;
        }
        mesh->arrays.reset();
        for (Vector3& vertex : mesh->vertices) {
            vertex.x *= factor;
            vertex.y *= factor;
            vertex.z *= factor;
        }
    }
}

void ComputeFaceNormals(ObjMesh* mesh) {
    mesh->arrays.reset();
    mesh->normals.assign(mesh->faces.size(), Vector3());
    const auto vertexCount = static_cast<long long>(mesh->vertices.size());
    for (std::size_t i = 0; i < mesh->faces.size(); ++i) {
        const ObjFace& face = mesh->faces[i];
        // Faces of fewer than three corners, or naming vertices the mesh does not have, keep
        // the zero normal rather than reading outside the vertex list.
        if (face.VertexCount() < 3) {
            continue;
        }
        int corners[3];
        bool valid = true;
        for (int c = 0; c < 3; ++c) {
            corners[c] = mesh->VertexIndex(face, c);
            valid = valid && corners[c] >= 0 && corners[c] < vertexCount;
        }
        if (valid) {
            mesh->normals[i] = FaceNormal(mesh->vertices[corners[0]], mesh->vertices[corners[1]],
                                          mesh->vertices[corners[2]]);
        }
    }
}

void ComputeModelNormals(ObjModel* model) {
    for (ObjMesh* mesh : model->meshes) {
        if (mesh != nullptr) {
            ComputeFaceNormals(mesh);
        }
    }
}

void Normalize(Vector3& v) {
    const float sum = v.x * v.x + v.y * v.y + v.z * v.z;
    const float length = static_cast<float>(std::sqrt(static_cast<double>(sum)));
    if (length == 0.0f) {
        return;
    }
    v.x /= length;
    v.y /= length;
    v.z /= length;
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
    Vector3 result;
    result.x = a.y * b.z - a.z * b.y;
    result.y = a.z * b.x - a.x * b.z;
    result.z = a.x * b.y - a.y * b.x;
    return result;
}

Vector3 FaceNormal(const Vector3& p0, const Vector3& p1, const Vector3& p2) {
    Vector3 vet1;
    vet1.x = p0.x - p1.x;
    vet1.y = p0.y - p1.y;
    vet1.z = p0.z - p1.z;
    Vector3 vet2;
    vet2.x = p2.x - p1.x;
    vet2.y = p2.y - p1.y;
    vet2.z = p2.z - p1.z;
    Vector3 normal = Cross(vet2, vet1);
    Normalize(normal);
    return normal;
}

namespace {

// The rotations use this shortened pi, so their results differ slightly from full precision.
float Radians(float degrees) {
    return static_cast<float>(degrees * 3.1415926 / 180.0);
}

} // namespace

void RotateX(const Vector3& src, Vector3& dst, float degrees) {
    const float angle = Radians(degrees);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const Vector3 p = src; // src and dst may be the same vector
    dst.x = p.x;
    dst.y = p.y * c + p.z * s;
    dst.z = -p.y * s + p.z * c;
}

void RotateY(const Vector3& src, Vector3& dst, float degrees) {
    const float angle = Radians(degrees);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const Vector3 p = src;
    dst.x = p.x * c - p.z * s;
    dst.y = p.y;
    dst.z = p.x * s + p.z * c;
}

void RotateZ(const Vector3& src, Vector3& dst, float degrees) {
    const float angle = Radians(degrees);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const Vector3 p = src;
    dst.x = p.x * c + p.y * s;
    dst.y = -p.x * s + p.y * c;
    dst.z = p.z;
}
