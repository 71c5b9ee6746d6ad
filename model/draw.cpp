// Immediate-mode and display-list drawing of OBJ models, with per-face materials and textures.
#include "model/draw_arrays.h"
#include "model/face_material.h"
#include "model/model.h"

#include <GL/gl.h>

namespace {

// Display-list states: below this a mesh holds a compiled list number, from it on a list
// waiting to be compiled on the next draw.
constexpr int compileOffset = 1000;
constexpr int listsDeleted = -2;

template <typename T> const T* At(const std::vector<T>& list, int index) {
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        return nullptr;
    return &list[index];
}

// The length of the drawn normals.
float normalLength = 5.0f;

// The normal drawn at a corner: the one preparation computed for it, else the file's.
const Vector3* CornerNormal(const ObjMesh& mesh, const ObjFace& face, int corner,
                            std::size_t firstCorner) {
    if (mesh.prepared && !mesh.prepared->cornerNormals.empty()) {
        const int computed = mesh.prepared->cornerNormals[firstCorner + corner];
        if (computed >= 0)
            return &mesh.prepared->normals[static_cast<std::size_t>(computed)];
    }
    return At(mesh.normals, mesh.NormalIndex(face, corner));
}

void DrawCorner(const ObjMesh& mesh, const ObjFace& face, int j, std::size_t firstCorner,
                bool smooth, bool textured) {
    const Vector3* vertex = At(mesh.vertices, mesh.VertexIndex(face, j));
    if (!vertex)
        return;
    if (smooth) {
        if (const Vector3* normal = CornerNormal(mesh, face, j, firstCorner))
            glNormal3f(normal->x, normal->y, normal->z);
    }
    if (textured) {
        if (const TexCoord* uv = At(mesh.texCoords, mesh.TexCoordIndex(face, j)))
            glTexCoord2f(uv->u, uv->v);
    }
    glVertex3f(vertex->x, vertex->y, vertex->z);
}

void DrawFaceCorners(const ObjMesh& mesh, const ObjFace& face, std::size_t firstCorner, bool smooth,
                     bool textured) {
    for (int j = 0; j < face.VertexCount(); ++j)
        DrawCorner(mesh, face, j, firstCorner, smooth, textured);
}

void DrawFaceNormals(const ObjMesh& mesh, const ObjFace& face, std::size_t firstCorner) {
    glBegin(GL_LINES);
    for (int j = 0; j < face.VertexCount(); ++j) {
        const Vector3* p = At(mesh.vertices, mesh.VertexIndex(face, j));
        const Vector3* n = CornerNormal(mesh, face, j, firstCorner);
        if (!p || !n)
            continue;
        glVertex3f(p->x, p->y, p->z);
        glVertex3f(p->x + normalLength * n->x, p->y + normalLength * n->y,
                   p->z + normalLength * n->z);
    }
    glEnd();
}

void CreateModelLists(ObjModel* model) {
    if (model->meshes.empty() || !model->meshes.front() ||
        model->meshes.front()->displayList == listsDeleted)
        return;
    for (ObjMesh* mesh : model->meshes) {
        if (!mesh || mesh->displayList != -1)
            continue;
        // A list number outside 1..999 cannot be told apart from the other states; such a
        // mesh keeps drawing without a list.
        GLuint list = glGenLists(1);
        if (list >= 1 && list < compileOffset)
            mesh->displayList = static_cast<int>(list);
        else if (list != 0)
            glDeleteLists(list, 1);
    }
    for (ObjMesh* mesh : model->meshes) {
        if (mesh && mesh->displayList > 0)
            mesh->displayList = mesh->displayList % compileOffset + compileOffset;
    }
}

} // namespace

void SetRenderMode(char mode) {
    if (mode == 's' || mode == 't' || mode == 'w')
        renderMode = mode;
}

void SetShowNormals(bool show) {
    showNormals = show;
}

void SetNormalLength(float length) {
    normalLength = length;
}

void DrawModel(ObjModel* model) {
    if (!model)
        return;
    for (ObjMesh* mesh : model->meshes) {
        if (mesh)
            DrawMesh(mesh, true, true, -1);
    }
}

void DrawMesh(ObjMesh* mesh, bool disableColorMaterial, bool smooth, int textureOverride) {
    if (!mesh)
        return;
    if (DrawMeshArrays(mesh, disableColorMaterial, smooth, textureOverride))
        return;
    GLenum primitive = GL_POLYGON;

    bool compiling = mesh->displayList >= compileOffset;
    if (compiling) {
        glNewList(mesh->displayList - compileOffset, GL_COMPILE_AND_EXECUTE);
    } else if (mesh->displayList >= 0) {
        glCallList(mesh->displayList);
        return;
    }

    if (renderMode == 'w')
        primitive = GL_LINE_LOOP;

    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_TEXTURE_2D);
    if (disableColorMaterial)
        glDisable(GL_COLOR_MATERIAL);

    // Texturing, the bound texture and the material are switched only where a face differs
    // from the one before it: every switch makes a software renderer revalidate its state at
    // the next glBegin, which costs more than drawing a small face.
    bool texturing = false; // switched off above
    int boundTexture = -1;  // whatever was bound before is not known to be ours
    const ObjMaterial* lastMaterial = nullptr;
    const PreparedDrawing* prepared = mesh->prepared.get();
    const bool forms = prepared && !prepared->faceForms.empty();
    std::size_t firstCorner = 0;  // the face's first corner among all the mesh's corners
    std::size_t triangleFace = 0; // the next face drawn as triangles
    for (size_t i = 0; i < mesh->faces.size(); ++i) {
        const ObjFace& face = mesh->faces[i];
        const std::size_t corner = firstCorner;
        firstCorner += static_cast<std::size_t>(face.VertexCount());
        const FaceForm form = forms ? prepared->faceForms[i] : FaceForm::asRead;
        if (form == FaceForm::skipped)
            continue;
        std::size_t triangles = 0;
        std::size_t trianglesEnd = 0;
        if (form == FaceForm::triangles) {
            triangles = prepared->triangleStarts[triangleFace];
            trianglesEnd = prepared->triangleStarts[triangleFace + 1];
            ++triangleFace;
        }
        if (!smooth) {
            // A face beyond the normal list gets no normal of its own.
            if (const Vector3* normal = At(mesh->normals, static_cast<int>(i)))
                glNormal3f(normal->x, normal->y, normal->z);
        }

        // Faces after an unknown material start from a new material's values, not from
        // whatever the previous face left in OpenGL; a face without a material keeps the one
        // set before it.
        const ObjMaterial* material = FaceMaterial(face.materialIndex);
        if (material && (compiling || material != lastMaterial)) {
            SetFaceMaterial(*material);
            lastMaterial = material;
        }

        const int texture = FaceTexture(textureOverride, face.HasTexCoords(), material);

        // A face that shows no texture must not pick up a stale texel from the one before.
        const bool showTexture = texture != -1 && renderMode == 't';
        if (showTexture != texturing) {
            if (showTexture)
                glEnable(GL_TEXTURE_2D);
            else
                glDisable(GL_TEXTURE_2D);
            texturing = showTexture;
        }
        if (showTexture && texture != boundTexture) {
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
            boundTexture = texture;
        }

        if (form == FaceForm::triangles && primitive == GL_POLYGON) {
            glBegin(GL_TRIANGLES);
            for (std::size_t t = triangles; t < trianglesEnd; ++t)
                DrawCorner(*mesh, face, prepared->triangleCorners[t], corner, smooth,
                           texture != -1);
            glEnd();
        } else {
            glBegin(primitive);
            DrawFaceCorners(*mesh, face, corner, smooth, texture != -1);
            glEnd();
        }

        if (showNormals && smooth) {
            if (texturing) {
                glDisable(GL_TEXTURE_2D);
                texturing = false;
            }
            DrawFaceNormals(*mesh, face, corner);
        }
        // A display list merges faces between which no state changes into one primitive and
        // then gives a material change inside it to the whole primitive (Mesa does), so a list
        // keeps every face's material and a texturing switch after every face.
        if (compiling) {
            glDisable(GL_TEXTURE_2D);
            glEnable(GL_TEXTURE_2D);
            texturing = true;
        }
    }
    // Callers have always found texturing on after a mesh with faces.
    if (!mesh->faces.empty() && !texturing)
        glEnable(GL_TEXTURE_2D);

    glPopAttrib();

    if (compiling) {
        glEndList();
        mesh->displayList -= compileOffset;
    }
}

void CreateDisplayLists(ObjModel* model) {
    if (model) {
        CreateModelLists(model);
        return;
    }
    for (ObjModel* loaded : modelList) {
        if (loaded)
            CreateModelLists(loaded);
    }
}

void DeleteDisplayLists(ObjModel* model) {
    if (!model)
        return;
    for (ObjMesh* mesh : model->meshes) {
        if (!mesh)
            continue;
        // A list still waiting for its first compile holds a reserved name too.
        int list = mesh->displayList >= compileOffset ? mesh->displayList - compileOffset
                                                      : mesh->displayList;
        if (list >= 1 && list < compileOffset)
            glDeleteLists(static_cast<GLuint>(list), 1);
        mesh->displayList = listsDeleted;
    }
}
