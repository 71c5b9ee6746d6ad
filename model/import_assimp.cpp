// Models of other formats than OBJ, read by assimp and turned into the model records. Nothing
// here touches OpenGL: textures stay names or bytes until RegisterImportedModel.
#include <algorithm>
#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <cctype>
#include <cmath>
#include <exception>
#include <limits>
#include <malloc.h>
#include <map>
#include <sys/stat.h>

#include "model/import.h"
#include "model/large_pages.h"
#include "model/model_file.h"

namespace {

// The most vertices all mesh instances together may give: a small file that instances one
// large mesh many times must not take the machine's memory.
constexpr std::uint64_t maxImportedVertices = std::uint64_t(1) << 26;

struct FormatName {
    const char* format;
    const char* extension;
};

// The extension that makes assimp take the reader of a format.
const FormatName formatNames[] = {
    {"PLY", "ply"}, {"STL", "stl"}, {"glTF", "gltf"}, {"GLB", "glb"}, {"COLLADA", "dae"},
    {"3DS", "3ds"}, {"OFF", "off"}, {"FBX", "fbx"},   {"3MF", "3mf"},
};

std::string LowerExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

const char* ExtensionOfFormat(const std::string& format) {
    for (const FormatName& name : formatNames) {
        if (format == name.format)
            return name.extension;
    }
    return nullptr;
}

const char* FormatOfExtension(const std::string& extension) {
    for (const FormatName& name : formatNames) {
        if (extension == name.extension)
            return name.format;
    }
    return nullptr;
}

// While a model is imported, every block comes from the heap and freed space stays there, so
// that the records reuse the pages that the scene's lists and assimp's buffers (a whole STL
// file) held before them: by default glibc maps each large block afresh and unmaps it when
// freed, and on a busy machine the first touch of every new page costs more than the
// conversion itself. glibc's defaults come back afterwards, though without its own raising
// of the thresholds as large blocks come and go.
struct HeapForImport {
    HeapForImport() {
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
    }
    ~HeapForImport() {
        mallopt(M_MMAP_MAX, 65536);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    }
    HeapForImport(const HeapForImport&) = delete;
    HeapForImport& operator=(const HeapForImport&) = delete;
};

// assimp picks its reader by the file name's extension first. A file whose content says
// otherwise is opened under an alias in the same folder that carries the right extension, so
// that files it names (glTF buffers, textures) are still found beside it.
class AliasFileSystem : public Assimp::DefaultIOSystem {
public:
    AliasFileSystem(std::string alias, std::string real)
        : m_alias(std::move(alias)), m_real(std::move(real)) {}
    bool Exists(const char* file) const override {
        return Assimp::DefaultIOSystem::Exists(Resolve(file));
    }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        return Assimp::DefaultIOSystem::Open(Resolve(file), mode);
    }

private:
    const char* Resolve(const char* file) const {
        return file != nullptr && m_alias == file ? m_real.c_str() : file;
    }
    std::string m_alias;
    std::string m_real;
};

bool IsFile(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(const std::string& text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// A texture file named in a model, found as map_Kd names are: beside the model, with '\' as a
// folder separator. Exporters often write the absolute path of the machine they ran on; when
// that does not exist here, the file of the same name beside the model is taken.
std::string ResolveTexturePath(const std::string& raw, const std::string& folder) {
    std::string name = raw;
    std::replace(name.begin(), name.end(), '\\', '/');
    const bool absolute = !name.empty() && name[0] == '/';
    const std::string direct = absolute ? name : folder + name;
    if (IsFile(direct))
        return direct;
    const bool drive = name.size() > 1 && name[1] == ':';
    if (absolute || drive) {
        const std::string beside = folder + name.substr(name.rfind('/') + 1);
        if (IsFile(beside))
            return beside;
    }
    // glTF names its pictures by URI, where a blank is written %20
    const std::string decoded = PercentDecoded(name);
    if (decoded != name && IsFile(folder + decoded))
        return folder + decoded;
    return direct;
}

float Clamp(float value, float low, float high) {
    return std::isnan(value) ? low : std::min(std::max(value, low), high);
}

class SceneConverter {
public:
    // The scene is the converter's to empty: each mesh's arrays are freed once converted.
    SceneConverter(aiScene& scene, const std::string& path, ImportedModel& out)
        : m_scene(scene), m_folder(FolderOf(path)), m_out(out) {}

    void Convert() {
        for (unsigned int i = 0; m_scene.mMaterials != nullptr && i < m_scene.mNumMaterials; ++i)
            m_out.materials.push_back(m_scene.mMaterials[i] != nullptr
                                          ? ConvertMaterial(*m_scene.mMaterials[i])
                                          : ImportedMaterial());
        if (m_scene.mRootNode != nullptr)
            ConvertInstances();
    }

private:
    int TextureOf(const aiMaterial& material) {
        aiString name;
        if (material.GetTexture(aiTextureType_BASE_COLOR, 0, &name) != AI_SUCCESS &&
            material.GetTexture(aiTextureType_DIFFUSE, 0, &name) != AI_SUCCESS)
            return -1;
        if (name.length == 0)
            return -1;
        const std::pair<const aiTexture*, int> embedded =
            m_scene.GetEmbeddedTextureAndIndex(name.C_Str());
        const std::string key = embedded.first != nullptr
                                    ? "*" + std::to_string(embedded.second)
                                    : ResolveTexturePath(name.C_Str(), m_folder);
        const auto known = m_textures.find(key);
        if (known != m_textures.end())
            return known->second;
        ImportedTexture texture;
        if (embedded.first != nullptr) {
            TakeEmbedded(*embedded.first, name.C_Str(), texture);
        } else {
            texture.path = key;
        }
        const int index = static_cast<int>(m_out.textures.size());
        m_out.textures.push_back(std::move(texture));
        m_textures.emplace(key, index);
        return index;
    }

    static void TakeEmbedded(const aiTexture& source, const char* name, ImportedTexture& texture) {
        texture.embedded = true;
        texture.path = source.mFilename.length > 0 ? source.mFilename.C_Str() : name;
        if (source.pcData == nullptr)
            return;
        if (source.mHeight == 0) {
            // a compressed picture, mWidth bytes long
            const auto* bytes = reinterpret_cast<const unsigned char*>(source.pcData);
            texture.bytes.assign(bytes, bytes + source.mWidth);
            return;
        }
        // texels stored blue, green, red, alpha
        const std::size_t count = std::size_t(source.mWidth) * source.mHeight;
        texture.bytes.resize(count * 4);
        for (std::size_t i = 0; i < count; ++i) {
            const aiTexel& texel = source.pcData[i];
            unsigned char* rgba = &texture.bytes[i * 4];
            rgba[0] = texel.r;
            rgba[1] = texel.g;
            rgba[2] = texel.b;
            rgba[3] = texel.a;
        }
        texture.width = static_cast<int>(source.mWidth);
        texture.height = static_cast<int>(source.mHeight);
    }

    ImportedMaterial ConvertMaterial(const aiMaterial& material) {
        ImportedMaterial result;
        ObjMaterial& values = result.values;
        aiString name;
        if (material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS)
            values.name = name.C_Str();
        aiColor4D color;
        // glTF's metallic-roughness base colour is what shows as the diffuse colour
        if (aiGetMaterialColor(&material, AI_MATKEY_BASE_COLOR, &color) == AI_SUCCESS ||
            aiGetMaterialColor(&material, AI_MATKEY_COLOR_DIFFUSE, &color) == AI_SUCCESS) {
            values.diffuse[0] = color.r;
            values.diffuse[1] = color.g;
            values.diffuse[2] = color.b;
            result.opacity = color.a;
        }
        if (aiGetMaterialColor(&material, AI_MATKEY_COLOR_AMBIENT, &color) == AI_SUCCESS) {
            values.ambient[0] = color.r;
            values.ambient[1] = color.g;
            values.ambient[2] = color.b;
        }
        if (aiGetMaterialColor(&material, AI_MATKEY_COLOR_SPECULAR, &color) == AI_SUCCESS) {
            values.specular[0] = color.r;
            values.specular[1] = color.g;
            values.specular[2] = color.b;
        }
        float number = 0.0f;
        // a Phong exponent; OpenGL takes 0 to 128
        if (aiGetMaterialFloat(&material, AI_MATKEY_SHININESS, &number) == AI_SUCCESS)
            values.shininess = Clamp(number, 0.0f, 128.0f);
        if (aiGetMaterialFloat(&material, AI_MATKEY_OPACITY, &number) == AI_SUCCESS)
            result.opacity = number;
        result.opacity = Clamp(result.opacity, 0.0f, 1.0f);
        values.ambient[3] = result.opacity;
        values.diffuse[3] = result.opacity;
        values.specular[3] = result.opacity;
        result.texture = TextureOf(material);
        return result;
    }

    // Depth first, children in order, visit(mesh index, node, transform) for every mesh the
    // tree places; a tree as deep as its file allows costs no stack.
    template <typename Visit> void WalkNodes(Visit visit) const {
        struct Pending {
            const aiNode* node;
            aiMatrix4x4 transform;
        };
        std::vector<Pending> pending{{m_scene.mRootNode, m_scene.mRootNode->mTransformation}};
        while (!pending.empty()) {
            const Pending here = pending.back();
            pending.pop_back();
            for (unsigned int i = 0; here.node->mMeshes != nullptr && i < here.node->mNumMeshes;
                 ++i) {
                const unsigned int index = here.node->mMeshes[i];
                if (index < m_scene.mNumMeshes && m_scene.mMeshes[index] != nullptr)
                    visit(index, *here.node, here.transform);
            }
            for (unsigned int i = here.node->mChildren != nullptr ? here.node->mNumChildren : 0;
                 i-- > 0;) {
                const aiNode* child = here.node->mChildren[i];
                if (child != nullptr)
                    pending.push_back({child, here.transform * child->mTransformation});
            }
        }
    }

    // Each mesh's arrays are freed as soon as its last instance is converted, so that the
    // import holds the scene and the records together for one mesh's lists at a time, not for
    // the whole model.
    void ConvertInstances() {
        std::vector<std::uint32_t> instancesLeft(m_scene.mNumMeshes, 0);
        WalkNodes(
            [&](unsigned int index, const aiNode&, const aiMatrix4x4&) { ++instancesLeft[index]; });
        WalkNodes([&](unsigned int index, const aiNode& node, const aiMatrix4x4& transform) {
            aiMesh& mesh = *m_scene.mMeshes[index];
            const bool last = --instancesLeft[index] == 0;
            if (mesh.mVertices != nullptr)
                ConvertMesh(mesh, node, transform, last);
            if (last)
                ReleaseArrays(mesh);
        });
    }

    template <typename T> static void Release(T*& array) {
        delete[] array;
        array = nullptr;
    }

    static void ReleaseArrays(aiMesh& mesh) {
        Release(mesh.mVertices);
        Release(mesh.mNormals);
        for (aiVector3D*& coordinates : mesh.mTextureCoords)
            Release(coordinates);
        for (aiColor4D*& colors : mesh.mColors)
            Release(colors);
        Release(mesh.mFaces);
    }

    // Large lists are filled a block at a time: each block is made room for by resize, whose
    // zeroing then stays in the cache for the writes that follow, instead of a pass over the
    // whole list before filling it or a capacity check per element.
    static constexpr std::size_t block = 4096;

    // Fills an empty list with make(0) ... make(count - 1).
    template <typename T, typename Make>
    static void Fill(std::vector<T>& list, std::size_t count, Make make) {
        list.reserve(count);
        AskForLargePages(list.data(), count * sizeof(T));
        for (std::size_t start = 0; start < count; start += block) {
            const std::size_t end = std::min(count, start + block);
            list.resize(end);
            T* out = list.data();
            for (std::size_t i = start; i < end; ++i)
                out[i] = make(i);
        }
    }

    void ConvertMesh(aiMesh& source, const aiNode& node, const aiMatrix4x4& transform,
                     bool lastInstance) {
        if (m_vertexCount + source.mNumVertices > maxImportedVertices) {
            if (!m_tooLarge)
                m_out.warnings.push_back("the model's mesh instances hold more than " +
                                         std::to_string(maxImportedVertices) +
                                         " vertices; the rest are left out");
            m_tooLarge = true;
            return;
        }
        m_vertexCount += source.mNumVertices;
        auto mesh = std::make_unique<ObjMesh>();
        mesh->name = source.mName.length > 0 ? source.mName.C_Str() : node.mName.C_Str();
        const unsigned int count = source.mNumVertices;
        // Most files place their meshes untransformed: their vertices and normals are copied.
        const bool identity = transform == aiMatrix4x4();
        // Each list of the scene is freed once converted, so that the scene and the records
        // are held together for one list at a time, not for the whole model. The vertices
        // come after the faces, whose scene lists are the largest: they fit where those were.
        std::size_t usableNormals = 0;
        if (source.mNormals != nullptr) {
            // normals follow the inverse transpose, so that a scaled node keeps them upright
            const aiMatrix3x3 normalTransform = aiMatrix3x3(transform).Inverse().Transpose();
            const aiVector3D* const normals = source.mNormals;
            Fill(mesh->normals, count, [&](std::size_t i) {
                aiVector3D n = identity ? normals[i] : normalTransform * normals[i];
                if (!UsableNormal(n))
                    return Vector3();
                n.Normalize();
                ++usableNormals;
                return Vector3{n.x, n.y, n.z};
            });
            if (usableNormals == 0)
                std::vector<Vector3>().swap(mesh->normals);
            if (lastInstance)
                Release(source.mNormals);
        }
        if (source.mTextureCoords[0] != nullptr) {
            const aiVector3D* const coordinates = source.mTextureCoords[0];
            Fill(mesh->texCoords, count, [&](std::size_t i) {
                return TexCoord{coordinates[i].x, coordinates[i].y, coordinates[i].z};
            });
            if (lastInstance)
                Release(source.mTextureCoords[0]);
        }
        if (source.mColors[0] != nullptr) {
            const aiColor4D* const colors = source.mColors[0];
            Fill(mesh->colors, count, [&](std::size_t i) {
                return Vector3{colors[i].r, colors[i].g, colors[i].b};
            });
            if (lastInstance)
                Release(source.mColors[0]);
        }
        const int material = source.mMaterialIndex < m_out.materials.size()
                                 ? static_cast<int>(source.mMaterialIndex)
                                 : -1;
        const bool allNormals = usableNormals == count && count > 0;
        const std::size_t dropped =
            source.mFaces != nullptr
                ? AddFaces(source, *mesh, material, transform, allNormals, lastInstance)
                : 0;
        const aiVector3D* const vertices = source.mVertices;
        Fill(mesh->vertices, count, [&](std::size_t i) {
            const aiVector3D p = identity ? vertices[i] : transform * vertices[i];
            return Vector3{p.x, p.y, p.z};
        });
        if (lastInstance)
            Release(source.mVertices);
        // a point cloud (a PLY file of vertices alone) comes without faces
        if (source.mNumFaces == 0 && count > 0) {
            mesh->points.push_back({0, count, material});
            Fill(mesh->elementIndices, count, [](std::size_t i) { return static_cast<int>(i); });
        }
        if (dropped > 0)
            m_out.warnings.push_back(
                "the mesh \"" + mesh->name + "\" has " + std::to_string(dropped) +
                (dropped == 1 ? " face" : " faces") +
                " with corners outside its vertices or too many corners; left out");
        m_out.meshes.push_back(std::move(mesh));
    }

    // The faces of a mesh whose vertices, normals and texture coordinates are converted: the
    // polygons into faces and indices as AddInterleavedFace adds them, points and lines into
    // elements. Returns how many faces were left out.
    static std::size_t AddFaces(aiMesh& source, ObjMesh& mesh, int material,
                                const aiMatrix4x4& transform, bool allNormals, bool lastInstance) {
        const unsigned int count = source.mNumVertices;
        // a mirroring transform turns the corners' order around; turning it back keeps the
        // front faces outside
        const bool mirrored = transform.Determinant() < 0.0f;
        const bool hasTexCoords = !mesh.texCoords.empty();
        // with every normal usable every corner has one; otherwise each face is asked
        const bool someNormals = !allNormals && !mesh.normals.empty();
        const std::size_t widest = 1 + hasTexCoords + !mesh.normals.empty();
        const std::uint32_t triangleShape = 3u << 2 | (hasTexCoords ? ObjFace::texCoordsFlag : 0) |
                                            (allNormals ? ObjFace::normalsFlag : 0);
        // one allocation for each list of a mesh of polygons alone, the common case of large
        // files
        if ((source.mPrimitiveTypes & (aiPrimitiveType_POINT | aiPrimitiveType_LINE)) == 0) {
            mesh.faces.reserve(source.mNumFaces);
            AskForLargePages(mesh.faces.data(), mesh.faces.capacity() * sizeof(ObjFace));
            if ((source.mPrimitiveTypes & aiPrimitiveType_POLYGON) == 0) {
                mesh.indices.reserve(std::size_t(source.mNumFaces) * 3 * widest);
                AskForLargePages(mesh.indices.data(), mesh.indices.capacity() * sizeof(int));
            }
        }
        std::size_t dropped = 0;
        for (std::size_t start = 0; start < source.mNumFaces; start += block) {
            const std::size_t end = std::min<std::size_t>(source.mNumFaces, start + block);
            // room for the block's polygons, cut back to what was written after it
            std::size_t corners = 0;
            for (std::size_t f = start; f < end; ++f) {
                const unsigned int n = source.mFaces[f].mNumIndices;
                corners += n >= 3 && n <= ObjFace::maxCorners ? n : 0;
            }
            std::size_t faceCount = mesh.faces.size();
            std::size_t indexCount = mesh.indices.size();
            mesh.faces.resize(faceCount + (end - start));
            mesh.indices.resize(indexCount + corners * widest);
            ObjFace* const faces = mesh.faces.data();
            int* const indices = mesh.indices.data();
            for (std::size_t f = start; f < end; ++f) {
                aiFace& face = source.mFaces[f];
                const unsigned int n = face.mNumIndices;
                const unsigned int* const corner = face.mIndices;
                if (n == 0 || corner == nullptr)
                    continue;
                // the triangles of large files take a short way: one shape for all of them
                if (n == 3 && !someNormals && indexCount <= UINT32_MAX - 3 * widest) {
                    unsigned int a = corner[0], b = corner[1], c = corner[2];
                    if (a < count && b < count && c < count) {
                        if (mirrored)
                            std::swap(a, c);
                        faces[faceCount++] = {static_cast<std::uint32_t>(indexCount), triangleShape,
                                              material};
                        PutTriangle(indices + indexCount, widest, static_cast<int>(a),
                                    static_cast<int>(b), static_cast<int>(c));
                        indexCount += 3 * widest;
                    } else {
                        ++dropped;
                    }
                    if (lastInstance)
                        Release(face.mIndices);
                    continue;
                }
                bool inside = true;
                for (unsigned int c = 0; c < n; ++c)
                    inside = inside && corner[c] < count;
                bool hasNormals = allNormals;
                for (unsigned int c = 0; someNormals && inside && c < n; ++c) {
                    hasNormals = !IsZero(mesh.normals[corner[c]]);
                    if (!hasNormals)
                        break;
                }
                const std::size_t stride = 1 + hasTexCoords + hasNormals;
                if (!inside) {
                    ++dropped;
                } else if (n <= 2) {
                    AddElement(mesh, face, material);
                } else if (n > ObjFace::maxCorners || indexCount > UINT32_MAX ||
                           n * stride > UINT32_MAX - indexCount) {
                    // more than a face record can address
                    ++dropped;
                } else {
                    ObjFace& added = faces[faceCount++];
                    added.firstIndex = static_cast<std::uint32_t>(indexCount);
                    added.shape = n << 2 | (hasTexCoords ? ObjFace::texCoordsFlag : 0) |
                                  (hasNormals ? ObjFace::normalsFlag : 0);
                    added.materialIndex = material;
                    int* out = indices + indexCount;
                    for (unsigned int c = 0; c < n; ++c) {
                        const int index = static_cast<int>(corner[mirrored ? n - 1 - c : c]);
                        *out++ = index;
                        if (hasTexCoords)
                            *out++ = index;
                        if (hasNormals)
                            *out++ = index;
                    }
                    indexCount += n * stride;
                }
                // freed while it is still in the cache rather than all together with the scene
                if (lastInstance)
                    Release(face.mIndices);
            }
            mesh.faces.resize(faceCount);
            mesh.indices.resize(indexCount);
        }
        if (lastInstance)
            Release(source.mFaces);
        return dropped;
    }

    // A triangle's corners, each repeated for its texture-coordinate and normal index.
    static void PutTriangle(int* out, std::size_t stride, int a, int b, int c) {
        switch (stride) {
        case 1:
            out[0] = a, out[1] = b, out[2] = c;
            break;
        case 2:
            out[0] = out[1] = a, out[2] = out[3] = b, out[4] = out[5] = c;
            break;
        default:
            out[0] = out[1] = out[2] = a, out[3] = out[4] = out[5] = b;
            out[6] = out[7] = out[8] = c;
            break;
        }
    }

    static bool IsZero(const Vector3& n) { return n.x == 0.0f && n.y == 0.0f && n.z == 0.0f; }

    static bool UsableNormal(const aiVector3D& n) {
        // the common case first: a length well inside the range of float
        const float square = n.SquareLength();
        if (square > 1e-30f && square < 1e30f)
            return true;
        return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z) &&
               (n.x != 0.0f || n.y != 0.0f || n.z != 0.0f);
    }

    // Points run together into one element while they follow each other; segments that
    // continue where the last ended grow one polyline.
    static void AddElement(ObjMesh& mesh, const aiFace& face, int material) {
        const bool point = face.mNumIndices == 1;
        std::vector<ObjElement>& elements = point ? mesh.points : mesh.lines;
        const int first = static_cast<int>(face.mIndices[0]);
        const bool follows =
            !elements.empty() && elements.back().materialIndex == material &&
            elements.back().firstIndex + elements.back().count == mesh.elementIndices.size() &&
            (point || mesh.elementIndices.back() == first);
        if (follows) {
            for (unsigned int c = point ? 0 : 1; c < face.mNumIndices; ++c)
                mesh.elementIndices.push_back(static_cast<int>(face.mIndices[c]));
            elements.back().count += point ? 1 : face.mNumIndices - 1;
            return;
        }
        ObjElement element;
        element.firstIndex = static_cast<std::uint32_t>(mesh.elementIndices.size());
        element.count = face.mNumIndices;
        element.materialIndex = material;
        for (unsigned int c = 0; c < face.mNumIndices; ++c)
            mesh.elementIndices.push_back(static_cast<int>(face.mIndices[c]));
        elements.push_back(element);
    }

    aiScene& m_scene;
    std::string m_folder;
    ImportedModel& m_out;
    std::map<std::string, int> m_textures; // resolved path or "*N" -> index into textures
    std::uint64_t m_vertexCount = 0;
    bool m_tooLarge = false;
};

// The format assimp is to read a file as, from what its first bytes said; empty for OBJ text
// and for files that neither content nor name place.
std::string FormatFor(const std::string& path, const ModelFileCheck& check) {
    if (check.format == "OBJ")
        return std::string();
    if (!check.format.empty())
        return check.format;
    // Content that no signature gives away (a glTF whose "asset" comes after 64 KiB of inline
    // buffers, an old 3DS chunk order, the many formats without one) is known by its name.
    const std::string extension = LowerExtension(path);
    if (const char* format = FormatOfExtension(extension))
        return format;
    if (extension.empty() || extension == "obj" || extension == "mtl" ||
        !Assimp::Importer().IsExtensionSupported("." + extension))
        return std::string();
    std::string format = extension;
    for (char& c : format)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return format;
}

} // namespace

std::string ImportedFormat(const std::string& path) {
    return FormatFor(path, CheckModelFile(path));
}

bool ImportWithAssimp(const std::string& path, ImportedModel& out, std::string& error) {
    out = ImportedModel();
    const ModelFileCheck check = CheckModelFile(path);
    if (!IsFile(path)) {
        error = check.problem.empty() ? "cannot open the file" : check.problem;
        return false;
    }
    const std::string format = FormatFor(path, check);
    // assimp's own OBJ reader, and guessing, are never asked
    if (format.empty()) {
        error = check.format == "OBJ" ? "an OBJ model, which the OBJ reader opens"
                                      : "not a model in any format known here";
        return false;
    }
    Assimp::Importer importer;
    // Meshes stay as the file has them: no post-processing at all, so polygons are not cut into
    // triangles and points, lines and polygons may share a mesh. assimp's own check of the
    // scene is not run either, since it refuses point clouds: the conversion checks every
    // index and list it reads instead.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
    std::string readPath = path;
    const char* extension = ExtensionOfFormat(format);
    if (extension != nullptr && LowerExtension(path) != extension) {
        readPath = path + "." + extension;
        importer.SetIOHandler(new AliasFileSystem(readPath, path));
    }
    const HeapForImport heap;
    const aiScene* read = nullptr;
    try {
        read = importer.ReadFile(readPath, 0);
    } catch (const std::exception& caught) {
        error = caught.what();
        return false;
    }
    if (read == nullptr) {
        error = importer.GetErrorString();
        if (error.empty())
            error = "assimp could not read it";
        return false;
    }
    // taken from the importer (which forgets its error text then), so that the conversion
    // may free it mesh by mesh
    const std::unique_ptr<aiScene> scene(importer.GetOrphanedScene());
    try {
        SceneConverter(*scene, path, out).Convert();
    } catch (const std::bad_alloc&) {
        out = ImportedModel();
        error = "out of memory";
        return false;
    }
    out.format = !format.empty() ? format : LowerExtension(path);
    return true;
}
