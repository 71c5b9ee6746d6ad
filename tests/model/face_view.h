// The corner indices of a mesh's faces as plain lists, for comparing with expected numbers.
#pragma once

#include <vector>

#include "model/model.h"

struct FaceView {
    int vertexCount = 0;
    std::vector<int> vertexIndices;
    std::vector<int> texCoordIndices; // empty when the face has none
    std::vector<int> normalIndices;   // empty when the face has none
    int materialIndex = -1;
};

inline std::vector<FaceView> Faces(const ObjMesh& mesh) {
    std::vector<FaceView> views;
    for (const ObjFace& face : mesh.faces) {
        FaceView view;
        view.vertexCount = face.VertexCount();
        view.materialIndex = face.materialIndex;
        for (int j = 0; j < face.VertexCount(); ++j) {
            view.vertexIndices.push_back(mesh.VertexIndex(face, j));
            if (face.HasTexCoords()) {
                view.texCoordIndices.push_back(mesh.TexCoordIndex(face, j));
            }
            if (face.HasNormals()) {
                view.normalIndices.push_back(mesh.NormalIndex(face, j));
            }
        }
        views.push_back(view);
    }
    return views;
}
