// The Wavefront OBJ reader.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>

#include "image/image.h"
#include "model/material_names.h"
#include "model/model.h"
#include "model/obj_stream.h"
#include "model/obj_text.h"

namespace {

struct ModelDeleter {
    void operator()(ObjModel* model) const { DeleteModel(model); }
};
using ModelOwner = std::unique_ptr<ObjModel, ModelDeleter>;

// A file number made local to the current mesh: positive numbers count from the start of the
// model, negative ones back from the most recent element read. Whatever falls outside the
// mesh's list is kept (clamped to int) and left for the users of the face to reject.
int LocalIndex(int number, std::int64_t offset, std::size_t meshCount) {
    const std::int64_t local = number < 0 ? static_cast<std::int64_t>(meshCount) + number
                                          : static_cast<std::int64_t>(number) - 1 - offset;
    if (local > INT32_MAX) {
        return INT32_MAX;
    }
    if (local < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int>(local);
}

class ObjParser {
public:
    ObjParser(ObjModel& model, const std::string& path, const std::string& folder, bool mipmaps,
              bool lenientMaterials)
        : m_model(model), m_path(path), m_folder(folder), m_mipmaps(mipmaps),
          m_lenientMaterials(lenientMaterials) {}

    // False when the load must stop (unknown material, no memory for a mesh).
    bool ReadLine(std::string_view line) {
        if (StartsWith(line, "g ")) {
            return ReadGroup(RestFrom(line, 2));
        }
        if (StartsWith(line, "mtllib")) {
            for (const std::string& library : LibraryNames(RestFrom(line, 7), m_folder)) {
                LoadMaterials(library, m_folder, m_mipmaps);
            }
            return true;
        }
        if (StartsWith(line, "usemtl")) {
            return ReadUseMaterial(RestFrom(line, 7));
        }
        if (StartsWith(line, "usemat")) {
            ReadUseTexture(RestFrom(line, 7));
            return true;
        }
        const bool vertex = StartsWith(line, "v ");
        const bool normal = StartsWith(line, "vn ");
        const bool texCoord = StartsWith(line, "vt ");
        const bool face = StartsWith(line, "f ");
        if (!vertex && !normal && !texCoord && !face) {
            return true; // o, s, l, p and anything else
        }
        if (m_mesh == nullptr && !AddMesh("objeto")) {
            return false;
        }
        if (vertex) {
            ReadVertex(RestFrom(line, 2));
        } else if (normal) {
            ReadNormal(RestFrom(line, 3));
        } else if (texCoord) {
            ReadTexCoord(RestFrom(line, 3));
        } else {
            ReadFace(RestFrom(line, 2));
        }
        return true;
    }

    void Finish() const {
        if (m_mesh != nullptr) {
            PrintStatistics(*m_mesh);
        }
        std::cout << "Limites: " << m_min.x << " " << m_min.y << " " << m_min.z << " - " << m_max.x
                  << " " << m_max.y << " " << m_max.z << "\n";
    }

private:
    static void PrintStatistics(const ObjMesh& mesh) {
        std::cout << "Vertices: " << mesh.vertices.size() << "\n"
                  << "Faces:    " << mesh.faces.size() << "\n"
                  << "Normais:  " << mesh.normals.size() << "\n"
                  << "Texcoords:" << mesh.texCoords.size() << "\n";
    }

    bool AddMesh(std::string_view name) {
        std::unique_ptr<ObjMesh> mesh(new (std::nothrow) ObjMesh);
        if (!mesh) {
            return false;
        }
        mesh->name.assign(name.data(), name.size());
        m_model.meshes.push_back(mesh.get());
        m_mesh = mesh.release();
        return true;
    }

    bool ReadGroup(std::string_view name) {
        if (m_mesh != nullptr) {
            PrintStatistics(*m_mesh);
            m_vertexOffset += static_cast<std::int64_t>(m_mesh->vertices.size());
            m_normalOffset += static_cast<std::int64_t>(m_mesh->normals.size());
            m_texCoordOffset += static_cast<std::int64_t>(m_mesh->texCoords.size());
        }
        if (!AddMesh(name)) {
            return false;
        }
        std::cout << "Novo modelo: " << name << "\n";
        return true;
    }

    bool ReadUseMaterial(std::string_view name) {
        const std::string materialName(TrimBlanks(name));
        const int index = FindMaterial(materialName);
        if (index != -1) {
            m_materialIndex = index;
            return true;
        }
        std::cout << "Erro! Material " << materialName
                  << " n\xE3"
                     "o encontrado!\n";
        if (!m_lenientMaterials) {
            return false;
        }
        std::cout << "Usando o material padr\xE3o.\n";
        std::cerr << "quillmere: " << m_path << ": material \"" << materialName
                  << "\" is defined by no material library; its faces get the default material"
                  << std::endl;
        m_materialIndex = defaultMaterialIndex;
        return true;
    }

    // Loads the image into the texture table; the model keeps nothing of it.
    void ReadUseTexture(std::string_view name) const {
        if (name == "(null)") {
            return;
        }
        std::string fileName = m_folder;
        fileName.append(name.data(), name.size());
        LoadTexture(fileName, m_mipmaps);
    }

    void ReadVertex(std::string_view rest) {
        Vector3 v;
        FloatScanner numbers(rest);
        numbers.Read(v.x);
        numbers.Read(v.y);
        numbers.Read(v.z);
        m_mesh->vertices.push_back(v);
        // The limits restart with every mesh, so they describe the last mesh read.
        if (m_mesh->vertices.size() == 1) {
            m_min = v;
            m_max = v;
            return;
        }
        m_min.x = v.x < m_min.x ? v.x : m_min.x;
        m_min.y = v.y < m_min.y ? v.y : m_min.y;
        m_min.z = v.z < m_min.z ? v.z : m_min.z;
        m_max.x = v.x > m_max.x ? v.x : m_max.x;
        m_max.y = v.y > m_max.y ? v.y : m_max.y;
        m_max.z = v.z > m_max.z ? v.z : m_max.z;
    }

    void ReadNormal(std::string_view rest) {
        Vector3 n;
        FloatScanner numbers(rest);
        numbers.Read(n.x);
        numbers.Read(n.y);
        numbers.Read(n.z);
        m_mesh->normals.push_back(n); // kept as written, not normalised
    }

    void ReadTexCoord(std::string_view rest) {
        TexCoord t{0.0f, 0.0f, 0.0f};
        FloatScanner numbers(rest);
        numbers.Read(t.u);
        numbers.Read(t.v);
        numbers.Read(t.w);
        m_mesh->texCoords.push_back(t);
    }

    // Corners are separated by single blanks (runs of blanks leave empty tokens, which are no
    // corners); each corner is vertex[/texcoord[/normal]], further parts ignored.
    void ReadFace(std::string_view rest) {
        m_vertexIndices.clear();
        m_texCoordIndices.clear();
        m_normalIndices.clear();
        bool hasTexCoords = false;
        bool hasNormals = false;
        const char* p = rest.data();
        const char* const end = p + rest.size();
        while (p < end) {
            if (*p == ' ') {
                ++p;
                continue;
            }
            int numbers[3] = {0, 0, 0}; // a missing part counts as 0, which no list has
            int parts = 0;
            for (;;) {
                const int number = ParseCornerPart(p, end);
                if (parts < 3) {
                    numbers[parts] = number;
                }
                ++parts;
                if (p == end || *p == ' ') {
                    break;
                }
                ++p; // the '/'
            }
            hasTexCoords = hasTexCoords || parts >= 2;
            hasNormals = hasNormals || parts >= 3;
            m_vertexIndices.push_back(
                LocalIndex(numbers[0], m_vertexOffset, m_mesh->vertices.size()));
            m_texCoordIndices.push_back(
                LocalIndex(numbers[1], m_texCoordOffset, m_mesh->texCoords.size()));
            m_normalIndices.push_back(
                LocalIndex(numbers[2], m_normalOffset, m_mesh->normals.size()));
        }

        ObjFace face;
        face.vertexCount = static_cast<int>(m_vertexIndices.size());
        face.materialIndex = m_materialIndex;
        face.vertexIndices.assign(m_vertexIndices.begin(), m_vertexIndices.end());
        if (hasTexCoords) {
            face.texCoordIndices.assign(m_texCoordIndices.begin(), m_texCoordIndices.end());
        }
        if (hasNormals) {
            face.normalIndices.assign(m_normalIndices.begin(), m_normalIndices.end());
        }
        m_mesh->faces.push_back(std::move(face));
    }

    ObjModel& m_model;
    const std::string& m_path;
    const std::string& m_folder;
    const bool m_mipmaps;
    const bool m_lenientMaterials;
    ObjMesh* m_mesh = nullptr;
    std::int64_t m_vertexOffset = 0;
    std::int64_t m_normalOffset = 0;
    std::int64_t m_texCoordOffset = 0;
    int m_materialIndex = -1;
    Vector3 m_min; // a file without vertices reports zero limits
    Vector3 m_max;
    // Reused by every face line, so that a face costs only its own three lists.
    std::vector<int> m_vertexIndices;
    std::vector<int> m_texCoordIndices;
    std::vector<int> m_normalIndices;
};

} // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

ObjModel* LoadModelFromStream(std::istream& in, const std::string& path, bool mipmaps,
                              bool lenientMaterials) {
    std::cout << "*** Objeto: " << path << "\n";
    ModelOwner model(new (std::nothrow) ObjModel);
    if (!model) {
        return nullptr;
    }
    const std::string folder = FolderOf(path);
    try {
        ObjParser parser(*model, path, folder, mipmaps, lenientMaterials);
        LineReader lines(in);
        std::string_view line;
        while (lines.Next(line)) {
            if (line.empty()) {
                continue;
            }
            if (line.back() == '\r') {
                line.remove_suffix(1);
            }
            // Comments and indented statements are skipped.
            if (!line.empty() && (line[0] == '#' || line[0] == ' ')) {
                continue;
            }
            if (!parser.ReadLine(line)) {
                return nullptr;
            }
        }
        if (!ReadToEnd(in)) {
            std::cout << "Erro de leitura!!!\n";
            return nullptr;
        }
        parser.Finish();
        modelList.push_back(model.get());
    } catch (const std::bad_alloc&) {
        return nullptr; // a model too large for memory fails like any other load
    }
    return model.release();
}

ObjModel* LoadModel(const std::string& path, bool mipmaps, bool keepMaterials,
                    bool lenientMaterials) {
    if (!keepMaterials) {
        materialTable.clear(); // the materials themselves stay alive for earlier models
    }
    std::ifstream in(path);
    if (!in.is_open()) {
        return nullptr;
    }
    return LoadModelFromStream(in, path, mipmaps, lenientMaterials);
}
