// Hand-built models for the drawing tests: one square's corners with normals and texture
// coordinates, faces chosen per test, materials appended to the program-wide table.
#pragma once

#include "model/model.h"

#include <initializer_list>

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

// A face whose corners use the same index for vertex, normal and texture coordinate.
inline ObjFace MakeFace(std::initializer_list<int> corners, int materialIndex) {
    ObjFace face;
    face.vertexIndices = corners;
    face.normalIndices = corners;
    face.texCoordIndices = corners;
    face.vertexCount = static_cast<int>(face.vertexIndices.size());
    face.materialIndex = materialIndex;
    return face;
}
