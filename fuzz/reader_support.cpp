#include "fuzz/reader_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <set>
#include <streambuf>

#include "image/texture.h"
#include "model/reading.h"
#include "tests/model/recording_textures.h"

namespace {

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

std::string MakeLibraryFolder() {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "quillmere-fuzz-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "cannot make the library folder");
    const fs::path folder(pattern);
    const fs::path source(QUILLMERE_SOURCE_DIR);
    for (const fs::path& library : {source / "Data/vorbel.mtl", source / "Data/vorbel_details.mtl",
                                    source / "tests/data/model/skin.mtl"}) {
        fs::copy_file(library, folder / library.filename());
    }
    return folder.string() + "/";
}

void RemoveLibraryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(LibraryFolder(), ignored);
}

} // namespace

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

void SilenceConsole() {
    static NullBuffer nothing;
    std::cout.rdbuf(&nothing);
    // the lenient loads' notes too; libFuzzer reports through the C stream, not std::cerr
    std::cerr.rdbuf(&nothing);
    // printf-style output goes the same way; libFuzzer itself reports on stderr
    Require(std::freopen("/dev/null", "w", stdout) != nullptr, "cannot silence stdout");
}

const std::string& LibraryFolder() {
    static const std::string folder = MakeLibraryFolder();
    // registered after the name exists, so the removal runs before the name is destroyed
    static const bool removeAtExit = std::atexit(RemoveLibraryFolder) == 0;
    Require(removeAtExit, "cannot register the folder's removal");
    return folder;
}

void ResetReaderTables() {
    UnloadModel(nullptr);
    for (ObjMaterial* material : materialTable) {
        delete material;
    }
    materialTable.clear();
    ResetRecordedTextures();
}

void CheckTables() {
    std::set<std::string> names;
    for (const ObjMaterial* material : materialTable) {
        Require(material != nullptr, "null material in the table");
        Require(names.insert(material->name).second, "a material name appears twice");
        if (material->textureId != -1) {
            bool known = false;
            for (const Texture* texture : textureTable) {
                known = known || static_cast<int>(texture->id) == material->textureId;
            }
            Require(known, "a material names a texture nobody loaded");
        }
    }
}

void CheckModel(const ObjModel& model) {
    for (const ObjMesh* mesh : model.meshes) {
        Require(mesh != nullptr, "null mesh in a model");
        // The faces cover the index list in order, without gaps or overlaps.
        std::size_t next = 0;
        for (const ObjFace& face : mesh->faces) {
            Require(face.firstIndex == next, "a face does not start where the one before ended");
            next += static_cast<std::size_t>(face.VertexCount()) *
                    static_cast<std::size_t>(face.Stride());
            Require(next <= mesh->indices.size(), "a face reaches past the index list");
            Require(face.materialIndex >= defaultMaterialIndex &&
                        face.materialIndex < static_cast<int>(materialTable.size()),
                    "a face names a material outside the table");
        }
        Require(next == mesh->indices.size(), "the index list holds numbers of no face");
        // Points and lines cover their index list in statement order.
        std::size_t elementNext = 0;
        std::size_t pointAt = 0;
        std::size_t lineAt = 0;
        while (pointAt < mesh->points.size() || lineAt < mesh->lines.size()) {
            const bool point =
                pointAt < mesh->points.size() &&
                (lineAt == mesh->lines.size() || mesh->points[pointAt].firstIndex == elementNext);
            const ObjElement& element = point ? mesh->points[pointAt++] : mesh->lines[lineAt++];
            Require(element.firstIndex == elementNext && element.count > 0,
                    "a point or line does not start where the one before ended");
            elementNext += element.count;
        }
        Require(elementNext == mesh->elementIndices.size(),
                "the point and line indices hold numbers of no statement");
        Require(mesh->smoothingGroups.empty() || mesh->smoothingGroups.size() == mesh->faces.size(),
                "smoothing groups are not one per face");
        Require(mesh->colors.empty() || mesh->colors.size() == mesh->vertices.size(),
                "colours are not one per vertex");
    }
}

void CheckPrepared(const ObjModel& model) {
    for (const ObjMesh* mesh : model.meshes) {
        Require(mesh->prepared != nullptr, "a mesh was not prepared");
        const PreparedDrawing& prepared = *mesh->prepared;
        std::size_t corners = 0;
        for (const ObjFace& face : mesh->faces) {
            corners += static_cast<std::size_t>(face.VertexCount());
        }
        Require(prepared.cornerNormals.empty() || prepared.cornerNormals.size() == corners,
                "computed normals are not one per corner");
        Require(!prepared.normalsByVertex || (prepared.cornerNormals.empty() &&
                                              prepared.normals.size() == mesh->vertices.size()),
                "normals by vertex are not one per vertex");
        for (const int index : prepared.cornerNormals) {
            Require(index >= -1 && index < static_cast<int>(prepared.normals.size()),
                    "a corner names a computed normal that does not exist");
        }
        Require(prepared.faceForms.empty() || prepared.faceForms.size() == mesh->faces.size(),
                "face forms are not one per face");
        std::size_t tessellated = 0;
        for (std::size_t i = 0; i < prepared.faceForms.size(); ++i) {
            if (prepared.faceForms[i] != FaceForm::triangles) {
                continue;
            }
            Require(tessellated + 1 < prepared.triangleStarts.size(), "a face has no triangles");
            const std::uint32_t from = prepared.triangleStarts[tessellated];
            const std::uint32_t to = prepared.triangleStarts[tessellated + 1];
            ++tessellated;
            Require(from < to && to <= prepared.triangleCorners.size() && (to - from) % 3 == 0,
                    "a face's triangles are not whole triangles of the list");
            const ObjFace& face = mesh->faces[i];
            for (std::uint32_t t = from; t < to; ++t) {
                const int corner = prepared.triangleCorners[t];
                Require(corner >= 0 && corner < face.VertexCount(),
                        "a triangle names a corner the face does not have");
                const int vertex = mesh->VertexIndex(face, corner);
                Require(vertex >= 0 && static_cast<std::size_t>(vertex) < mesh->vertices.size(),
                        "a triangle names a vertex the mesh does not have");
            }
        }
        Require(tessellated == 0
                    ? prepared.triangleStarts.empty()
                    : prepared.triangleStarts.size() == tessellated + 1 &&
                          prepared.triangleStarts.back() == prepared.triangleCorners.size(),
                "triangle starts do not match the faces drawn as triangles");
    }
}

namespace {

template <typename T> bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

bool SameFace(const ObjFace& a, const ObjFace& b) {
    return a.firstIndex == b.firstIndex && a.shape == b.shape && a.materialIndex == b.materialIndex;
}

} // namespace

bool SameModel(const ObjModel& a, const ObjModel& b) {
    if (a.meshes.size() != b.meshes.size()) {
        return false;
    }
    for (std::size_t m = 0; m < a.meshes.size(); ++m) {
        const ObjMesh& x = *a.meshes[m];
        const ObjMesh& y = *b.meshes[m];
        if (x.name != y.name || x.displayList != y.displayList ||
            !SameBits(x.vertices, y.vertices) || !SameBits(x.normals, y.normals) ||
            !SameBits(x.texCoords, y.texCoords) || x.indices != y.indices ||
            x.faces.size() != y.faces.size() || x.smoothingGroups != y.smoothingGroups ||
            x.smoothingOff != y.smoothingOff || !SameBits(x.colors, y.colors) ||
            !SameBits(x.points, y.points) || !SameBits(x.lines, y.lines) ||
            x.elementIndices != y.elementIndices) {
            return false;
        }
        for (std::size_t f = 0; f < x.faces.size(); ++f) {
            if (!SameFace(x.faces[f], y.faces[f])) {
                return false;
            }
        }
    }
    return true;
}
