// Hand-built models for the drawing tests: one square's corners with normals and texture
// coordinates, faces chosen per test, materials appended to the program-wide table.
#pragma once

#include "draw_test_window.h"
#include "image/image.h"
#include "model/model.h"

#include <GL/gl.h>

#include <initializer_list>
#include <vector>

// The drawing tests' 2 x 2 texture, sampled nearest: red, green and blue texels and a near-white
// one (bottom left, bottom right, top left, top right).
inline GLuint UploadTestTexture() {
    static const unsigned char texels[12] = {240, 40, 40, 40, 240, 40, 40, 40, 240, 250, 250, 250};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return texture;
}

// The viewer's drawing state over a side x side window with identity matrices: colour material
// and culling on, and one white directional light without ambient or specular parts, so that a
// face lit head-on shows its diffuse colour (or texel) unchanged.
inline void SetUpLitView(int side, float lightX, float lightY, float lightZ) {
    OpenTestWindow(side, side);
    glViewport(0, 0, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat none[] = {0, 0, 0, 1};
    const GLfloat full[] = {1, 1, 1, 1};
    const GLfloat direction[] = {lightX, lightY, lightZ, 0};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, full);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
}

// A rectangle of the back buffer as RGB bytes, rows from the bottom.
inline std::vector<unsigned char> ReadBackBuffer(int x, int y, int width, int height) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

inline ObjMaterial* AddMaterial(const char* name, float red, float green, float blue,
                                int textureId) {
    ObjMaterial* material = new ObjMaterial;
    material->name = name;
    material->ambient[0] = material->ambient[1] = material->ambient[2] = 0.0f;
    material->diffuse[0] = red;
    material->diffuse[1] = green;
    material->diffuse[2] = blue;
    material->specular[0] = material->specular[1] = material->specular[2] = 0.0f;
    material->shininess = 10.0f;
    material->textureId = textureId;
    materialTable.push_back(material);
    return material;
}

inline void ClearMaterials() {
    for (ObjMaterial* material : materialTable)
        delete material;
    materialTable.clear();
}

// Empties what loading a model fills: the model list, the materials and the textures with
// their texture objects.
inline void UnloadEverything() {
    UnloadModel(nullptr);
    ClearMaterials();
    for (Texture* record : textureTable) {
        glDeleteTextures(1, &record->id);
        delete record;
    }
    textureTable.clear();
}

// The unit square in the z = 0 plane facing +z, corners counter-clockwise from (-1, -1).
inline ObjMesh* NewSquareMesh() {
    ObjMesh* mesh = new ObjMesh;
    mesh->name = "square";
    mesh->vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    mesh->normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    mesh->texCoords = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    return mesh;
}

// A face's corner indices before they go into a mesh.
struct FaceSpec {
    std::vector<int> vertexIndices;
    std::vector<int> texCoordIndices;
    std::vector<int> normalIndices;
    int materialIndex;
};

// A face whose corners use the same index for vertex, normal and texture coordinate.
inline FaceSpec MakeFace(std::initializer_list<int> corners, int materialIndex) {
    return FaceSpec{corners, corners, corners, materialIndex};
}

// Replaces the mesh's faces.
inline void SetFaces(ObjMesh* mesh, const std::vector<FaceSpec>& faces) {
    mesh->faces.clear();
    mesh->indices.clear();
    for (const FaceSpec& face : faces)
        mesh->AddFace(face.vertexIndices, face.texCoordIndices, face.normalIndices,
                      face.materialIndex);
}
