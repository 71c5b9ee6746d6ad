// Hand-built models for the drawing tests: one square's corners with normals and texture
// coordinates, faces chosen per test, materials appended to the program-wide table.
#pragma once

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
