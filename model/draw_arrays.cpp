// Large meshes drawn through OpenGL 1.1 vertex arrays instead of one call per corner.
#include "model/draw_arrays.h"

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "model/face_material.h"
#include "model/model.h"

// What a mesh's faces become for glDrawElements; built once, kept with the mesh.
struct MeshArrays {
    struct Run {
        std::size_t firstElement;
        std::size_t elementCount;
        int materialIndex;
        bool hasTexCoords; // whether the faces carry texture numbers (an override needs them)
    };
    bool drawable = false; // false: the mesh is drawn face by face
    bool hasNormals = false;
    bool hasTexCoords = false;
    std::vector<float> positions; // three per array vertex
    std::vector<float> normals;   // three per array vertex, when every corner has a normal
    std::vector<float> texCoords; // two per array vertex, when every corner has coordinates
    std::vector<GLuint> elements; // three per triangle
    std::vector<Run> runs;
};

bool largeMeshArrays = true;

namespace {

bool Within(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

// What the arrays draw of a mesh: its faces as read, or as PrepareDrawing has them drawn.
class FaceWalk {
public:
    explicit FaceWalk(const ObjMesh& mesh) : m_mesh(mesh), m_prepared(mesh.prepared.get()) {}

    FaceForm Form(std::size_t face) const {
        return m_prepared && !m_prepared->faceForms.empty() ? m_prepared->faceForms[face]
                                                            : FaceForm::asRead;
    }

    // The normal of a corner as a key: a file normal's index, -2 - k for computed normal k,
    // or -1 for none.
    int NormalKey(const ObjFace& face, int corner, std::size_t firstCorner) const {
        if (m_prepared && !m_prepared->cornerNormals.empty()) {
            const int computed = m_prepared->cornerNormals[firstCorner + corner];
            if (computed >= 0)
                return -2 - computed;
        }
        const int n = m_mesh.NormalIndex(face, corner);
        return Within(n, m_mesh.normals.size()) ? n : -1;
    }

    const Vector3& Normal(int key) const {
        return key >= 0 ? m_mesh.normals[static_cast<std::size_t>(key)]
                        : m_prepared->normals[static_cast<std::size_t>(-2 - key)];
    }

private:
    const ObjMesh& m_mesh;
    const PreparedDrawing* m_prepared;
};

// Which optional lists every corner of a drawn face uses: all (true), none (false), or a mix
// (the arrays cannot express a corner that keeps the current normal beside corners that set
// one).
bool AllOrNone(const ObjMesh& mesh, const FaceWalk& walk, bool& all, bool& none, bool normals) {
    all = true;
    none = true;
    std::size_t firstCorner = 0;
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        const ObjFace& face = mesh.faces[i];
        const std::size_t corner = firstCorner;
        firstCorner += static_cast<std::size_t>(face.VertexCount());
        if (face.VertexCount() < 3 || walk.Form(i) == FaceForm::skipped) {
            continue;
        }
        for (int j = 0; j < face.VertexCount(); ++j) {
            const bool valid = normals ? walk.NormalKey(face, j, corner) != -1
                                       : Within(mesh.TexCoordIndex(face, j), mesh.texCoords.size());
            all = all && valid;
            none = none && !valid;
        }
    }
    return all || none;
}

std::shared_ptr<MeshArrays> Build(const ObjMesh& mesh) {
    auto arrays = std::make_shared<MeshArrays>();
    const FaceWalk walk(mesh);
    bool allNormals = false;
    bool noNormals = false;
    bool allTexCoords = false;
    bool noTexCoords = false;
    if (!AllOrNone(mesh, walk, allNormals, noNormals, true) ||
        !AllOrNone(mesh, walk, allTexCoords, noTexCoords, false)) {
        return arrays;
    }
    arrays->hasNormals = allNormals && !noNormals;
    arrays->hasTexCoords = allTexCoords && !noTexCoords;

    // One array vertex per distinct (vertex, texture, normal) index triple: chained per vertex
    // index, as a vertex rarely comes with more than one or two combinations.
    const std::size_t vertexCount = mesh.vertices.size();
    std::vector<int> first(vertexCount, -1);
    std::vector<int> next;
    std::vector<int> texOf;
    std::vector<int> normalOf;
    auto arrayVertex = [&](int v, int t, int n) {
        int c = first[static_cast<std::size_t>(v)];
        int last = -1;
        while (c != -1 && (texOf[c] != t || normalOf[c] != n)) {
            last = c;
            c = next[c];
        }
        if (c != -1) {
            return c;
        }
        c = static_cast<int>(next.size());
        next.push_back(-1);
        texOf.push_back(t);
        normalOf.push_back(n);
        (last == -1 ? first[static_cast<std::size_t>(v)] : next[last]) = c;
        const Vector3& p = mesh.vertices[static_cast<std::size_t>(v)];
        arrays->positions.insert(arrays->positions.end(), {p.x, p.y, p.z});
        if (arrays->hasNormals) {
            const Vector3& q = walk.Normal(n);
            arrays->normals.insert(arrays->normals.end(), {q.x, q.y, q.z});
        }
        if (arrays->hasTexCoords) {
            const TexCoord& uv = mesh.texCoords[static_cast<std::size_t>(t)];
            arrays->texCoords.insert(arrays->texCoords.end(), {uv.u, uv.v});
        }
        return c;
    };

    std::vector<GLuint> corners;
    const PreparedDrawing* prepared = mesh.prepared.get();
    std::size_t firstCorner = 0;
    std::size_t triangleFace = 0;
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        const ObjFace& face = mesh.faces[i];
        const int count = face.VertexCount();
        const std::size_t corner = firstCorner;
        firstCorner += static_cast<std::size_t>(count);
        const FaceForm form = walk.Form(i);
        if (count < 3 || form == FaceForm::skipped) {
            continue; // a polygon of one or two corners covers no pixel
        }
        corners.clear();
        for (int j = 0; j < count; ++j) {
            const int v = mesh.VertexIndex(face, j);
            if (!Within(v, vertexCount)) {
                if (form == FaceForm::triangles) {
                    corners.push_back(0); // never named by the face's triangles
                    continue;
                }
                arrays->positions.clear();
                return std::make_shared<MeshArrays>(); // a corner the face drawing would skip
            }
            const int t = arrays->hasTexCoords ? mesh.TexCoordIndex(face, j) : -1;
            const int n = arrays->hasNormals ? walk.NormalKey(face, j, corner) : -1;
            corners.push_back(static_cast<GLuint>(arrayVertex(v, t, n)));
        }
        if (arrays->runs.empty() || arrays->runs.back().materialIndex != face.materialIndex ||
            arrays->runs.back().hasTexCoords != face.HasTexCoords()) {
            arrays->runs.push_back(MeshArrays::Run{arrays->elements.size(), 0, face.materialIndex,
                                                   face.HasTexCoords()});
        }
        if (form == FaceForm::triangles) {
            const std::uint32_t from = prepared->triangleStarts[triangleFace];
            const std::uint32_t to = prepared->triangleStarts[triangleFace + 1];
            ++triangleFace;
            for (std::uint32_t t = from; t < to; ++t) {
                arrays->elements.push_back(
                    corners[static_cast<std::size_t>(prepared->triangleCorners[t])]);
            }
        } else {
            // A convex polygon as a fan of triangles covers what GL_POLYGON covers.
            for (int j = 1; j + 1 < count; ++j) {
                arrays->elements.insert(arrays->elements.end(),
                                        {corners[0], corners[static_cast<std::size_t>(j)],
                                         corners[static_cast<std::size_t>(j) + 1]});
            }
        }
        arrays->runs.back().elementCount =
            arrays->elements.size() - arrays->runs.back().firstElement;
    }
    arrays->drawable = true;
    return arrays;
}

} // namespace

bool DrawMeshArrays(ObjMesh* mesh, bool disableColorMaterial, bool smooth, int textureOverride) {
    if (!largeMeshArrays || mesh == nullptr || mesh->faces.size() < largeMeshFaces || !smooth ||
        showNormals || renderMode == 'w' || (mesh->displayList != -1 && mesh->displayList != -2)) {
        return false;
    }
    if (!mesh->arrays) {
        mesh->arrays = Build(*mesh);
    }
    const MeshArrays& arrays = *mesh->arrays;
    if (!arrays.drawable) {
        return false;
    }

    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_TEXTURE_2D);
    if (disableColorMaterial) {
        glDisable(GL_COLOR_MATERIAL);
    }
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, arrays.positions.data());
    if (arrays.hasNormals) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, arrays.normals.data());
    }
    if (arrays.hasTexCoords) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, arrays.texCoords.data());
    }

    int boundTexture = -1;
    for (const MeshArrays::Run& run : arrays.runs) {
        const ObjMaterial* material = FaceMaterial(run.materialIndex);
        if (material) {
            SetFaceMaterial(*material);
        }
        const int texture = FaceTexture(textureOverride, run.hasTexCoords, material);
        if (texture == -1 || renderMode != 't') {
            glDisable(GL_TEXTURE_2D);
        } else {
            glEnable(GL_TEXTURE_2D);
            if (texture != boundTexture) {
                glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
                boundTexture = texture;
            }
        }
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(run.elementCount), GL_UNSIGNED_INT,
                       arrays.elements.data() + run.firstElement);
    }

    glPopClientAttrib();
    // Like the face drawing, texturing is left on (the attribute stack does not cover it).
    glEnable(GL_TEXTURE_2D);
    glPopAttrib();
    return true;
}
