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
#include <map>
#include <sys/stat.h>

#include "model/import.h"
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
    SceneConverter(const aiScene& scene, const std::string& path, ImportedModel& out)
        : m_scene(scene), m_folder(FolderOf(path)), m_out(out) {}

    void Convert() {
        for (unsigned int i = 0; m_scene.mMaterials != nullptr && i < m_scene.mNumMaterials; ++i)
            m_out.materials.push_back(m_scene.mMaterials[i] != nullptr
                                          ? ConvertMaterial(*m_scene.mMaterials[i])
                                          : ImportedMaterial());
        if (m_scene.mRootNode != nullptr)
            WalkNodes();
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

    // Depth first, children in order; a tree as deep as its file allows costs no stack.
    void WalkNodes() {
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
                if (index < m_scene.mNumMeshes && m_scene.mMeshes[index] != nullptr &&
                    m_scene.mMeshes[index]->mVertices != nullptr)
                    ConvertMesh(*m_scene.mMeshes[index], *here.node, here.transform);
            }
            for (unsigned int i = here.node->mChildren != nullptr ? here.node->mNumChildren : 0;
                 i-- > 0;) {
                const aiNode* child = here.node->mChildren[i];
                if (child != nullptr)
                    pending.push_back({child, here.transform * child->mTransformation});
            }
        }
    }

    void ConvertMesh(const aiMesh& source, const aiNode& node, const aiMatrix4x4& transform) {
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
        mesh->vertices.resize(count);
        for (unsigned int i = 0; i < count; ++i) {
            const aiVector3D p = transform * source.mVertices[i];
            mesh->vertices[i] = {p.x, p.y, p.z};
        }
        std::size_t usableNormals = 0;
        if (source.mNormals != nullptr) {
            // normals follow the inverse transpose, so that a scaled node keeps them upright
            const aiMatrix3x3 normalTransform = aiMatrix3x3(transform).Inverse().Transpose();
            mesh->normals.resize(count);
            for (unsigned int i = 0; i < count; ++i) {
                aiVector3D n = normalTransform * source.mNormals[i];
                if (UsableNormal(n)) {
                    n.Normalize();
                    ++usableNormals;
                } else {
                    n = aiVector3D(0.0f, 0.0f, 0.0f);
                }
                mesh->normals[i] = {n.x, n.y, n.z};
            }
            if (usableNormals == 0)
                mesh->normals.clear();
        }
        if (source.mTextureCoords[0] != nullptr) {
            mesh->texCoords.resize(count);
            for (unsigned int i = 0; i < count; ++i) {
                const aiVector3D& t = source.mTextureCoords[0][i];
                mesh->texCoords[i] = {t.x, t.y, t.z};
            }
        }
        if (source.mColors[0] != nullptr) {
            mesh->colors.resize(count);
            for (unsigned int i = 0; i < count; ++i) {
                const aiColor4D& c = source.mColors[0][i];
                mesh->colors[i] = {c.r, c.g, c.b};
            }
        }
        const int material = source.mMaterialIndex < m_out.materials.size()
                                 ? static_cast<int>(source.mMaterialIndex)
                                 : -1;
        // a mirroring transform turns the corners' order around; turning it back keeps the
        // front faces outside
        const bool mirrored = transform.Determinant() < 0.0f;
        // one allocation for a mesh of polygons alone, the common case of large files
        if ((source.mPrimitiveTypes & (aiPrimitiveType_POINT | aiPrimitiveType_LINE)) == 0) {
            const std::size_t stride = 1 + !mesh->texCoords.empty() + !mesh->normals.empty();
            mesh->faces.reserve(source.mNumFaces);
            if ((source.mPrimitiveTypes & aiPrimitiveType_POLYGON) == 0)
                mesh->indices.reserve(std::size_t(source.mNumFaces) * 3 * stride);
        }
        std::vector<int> numbers;
        std::size_t dropped = 0;
        for (unsigned int f = 0; source.mFaces != nullptr && f < source.mNumFaces; ++f) {
            const aiFace& face = source.mFaces[f];
            if (face.mNumIndices == 0 || face.mIndices == nullptr)
                continue;
            bool inside = true;
            for (unsigned int c = 0; c < face.mNumIndices; ++c)
                inside = inside && face.mIndices[c] < count;
            if (!inside) {
                ++dropped;
                continue;
            }
            if (face.mNumIndices <= 2) {
                AddElement(*mesh, face, material);
                continue;
            }
            const bool hasTexCoords = !mesh->texCoords.empty();
            bool hasNormals = !mesh->normals.empty();
            for (unsigned int c = 0; hasNormals && c < face.mNumIndices; ++c) {
                const Vector3& n = mesh->normals[face.mIndices[c]];
                hasNormals = n.x != 0.0f || n.y != 0.0f || n.z != 0.0f;
            }
            numbers.clear();
            for (unsigned int c = 0; c < face.mNumIndices; ++c) {
                const int index =
                    static_cast<int>(face.mIndices[mirrored ? face.mNumIndices - 1 - c : c]);
                numbers.push_back(index);
                if (hasTexCoords)
                    numbers.push_back(index);
                if (hasNormals)
                    numbers.push_back(index);
            }
            if (!mesh->AddInterleavedFace(numbers.data(), face.mNumIndices, hasTexCoords,
                                          hasNormals, material))
                ++dropped;
        }
        // a point cloud (a PLY file of vertices alone) comes without faces
        if (source.mNumFaces == 0 && count > 0) {
            mesh->points.push_back({0, count, material});
            mesh->elementIndices.resize(count);
            for (unsigned int i = 0; i < count; ++i)
                mesh->elementIndices[i] = static_cast<int>(i);
        }
        if (dropped > 0)
            m_out.warnings.push_back(
                "the mesh \"" + mesh->name + "\" has " + std::to_string(dropped) +
                (dropped == 1 ? " face" : " faces") +
                " with corners outside its vertices or too many corners; left out");
        m_out.meshes.push_back(std::move(mesh));
    }

    static bool UsableNormal(const aiVector3D& n) {
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

    const aiScene& m_scene;
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
    const aiScene* scene = nullptr;
    try {
        scene = importer.ReadFile(readPath, 0);
    } catch (const std::exception& caught) {
        error = caught.what();
        return false;
    }
    if (scene == nullptr) {
        error = importer.GetErrorString();
        if (error.empty())
            error = "assimp could not read it";
        return false;
    }
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
