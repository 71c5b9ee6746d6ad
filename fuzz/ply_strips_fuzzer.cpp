// The PLY triangle-strip reader and the header check that guards assimp, on arbitrary bytes.
// A file that is read must hold only triangles whose corners name vertices (and normals and
// texture coordinates) that exist; the header check and the strip test must simply return.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/ply_strips.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    CheckPlyHeader(bytes, size, error);
    PlyHasTriStrips(bytes);
    ImportedModel model;
    error.clear();
    if (!ReadPlyTriStrips(bytes, "fuzz", model, error)) {
        Require(!error.empty() && model.meshes.empty());
        return 0;
    }
    Require(model.meshes.size() == 1);
    const ObjMesh& mesh = *model.meshes[0];
    Require(!mesh.faces.empty());
    Require(mesh.colors.empty() || mesh.colors.size() == mesh.vertices.size());
    for (const ObjFace& face : mesh.faces) {
        Require(face.VertexCount() == 3);
        int corners[3];
        for (int c = 0; c < 3; ++c) {
            corners[c] = mesh.VertexIndex(face, c);
            Require(corners[c] >= 0 && static_cast<std::size_t>(corners[c]) < mesh.vertices.size());
            Require(!face.HasNormals() ||
                    static_cast<std::size_t>(mesh.NormalIndex(face, c)) < mesh.normals.size());
            Require(!face.HasTexCoords() ||
                    static_cast<std::size_t>(mesh.TexCoordIndex(face, c)) < mesh.texCoords.size());
        }
        // degenerate joints between strips are never kept
        Require(corners[0] != corners[1] && corners[1] != corners[2] && corners[0] != corners[2]);
    }
    return 0;
}
