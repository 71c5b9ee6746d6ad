// Draws one scenario in a real GLUT window so that the drawing tests can capture its GL calls
// with apitrace. Each glFinish() ends a section of the capture; states are printed on stdout.
#include "draw_fixtures.h"
#include "draw_test_window.h"
#include "model/model.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace {

GLuint NewTexture() {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    const unsigned char texel[4] = {200, 100, 50, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return id;
}

// Faces: two sharing texture A, one with texture B, one untextured material, one without a
// material, and one with texture B again after the untextured ones.
ObjModel* NewFacesModel(GLuint textureA, GLuint textureB) {
    AddMaterial("texturedA", 0.9f, 0.1f, 0.1f, static_cast<int>(textureA));
    AddMaterial("texturedB", 0.1f, 0.9f, 0.1f, static_cast<int>(textureB));
    AddMaterial("plain", 0.1f, 0.1f, 0.9f, -1);
    ObjMesh* mesh = NewSquareMesh();
    SetFaces(mesh, {MakeFace({0, 1, 2, 3}, 0), MakeFace({0, 1, 2}, 0), MakeFace({0, 2, 3}, 1),
                    MakeFace({0, 1, 2}, 2), MakeFace({0, 2, 3}, -1), MakeFace({1, 2, 3}, 1)});
    ObjModel* model = new ObjModel;
    model->meshes.push_back(mesh);
    return model;
}

// Faces whose indices leave the mesh's lists in every way drawing must survive.
ObjModel* NewBadIndexModel(GLuint texture) {
    AddMaterial("textured", 1.0f, 1.0f, 1.0f, static_cast<int>(texture));
    ObjMesh* mesh = NewSquareMesh();
    FaceSpec badNormal = MakeFace({0, 1, 2}, 0);
    badNormal.normalIndices = {0, 7, -1};
    FaceSpec noNormals = MakeFace({0, 1, 2}, 0);
    noNormals.normalIndices.clear();
    FaceSpec badTexCoords = MakeFace({0, 1, 2}, 0);
    badTexCoords.texCoordIndices = {-1, -1, 4}; // as a face written v//vn gives
    FaceSpec pastTexCoords = MakeFace({0, 1, 2}, 0);
    pastTexCoords.texCoordIndices = {0, 9, 9};
    FaceSpec badVertex = MakeFace({0, 1, 2, 3}, 0);
    badVertex.vertexIndices = {0, 9, 2, -3};
    FaceSpec gone = MakeFace({0, 1, 2}, 5); // a material index past the table's end
    SetFaces(mesh, {badNormal, noNormals, badTexCoords, pastTexCoords, badVertex, gone});
    mesh->normals.resize(2); // fewer normals than faces for flat drawing
    ObjModel* model = new ObjModel;
    model->meshes.push_back(mesh);
    return model;
}

ObjModel* NewSimpleModel(GLuint texture) {
    AddMaterial("textured", 1.0f, 1.0f, 1.0f, static_cast<int>(texture));
    ObjMesh* mesh = NewSquareMesh();
    SetFaces(mesh, {MakeFace({0, 1, 2}, 0), MakeFace({0, 2, 3}, -1)});
    ObjModel* model = new ObjModel;
    model->meshes.push_back(mesh);
    return model;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    OpenTestWindow(64, 64);
    const char* scenario = argv[1];
    GLuint textureA = NewTexture();
    GLuint textureB = NewTexture();
    std::printf("textures %u %u\n", textureA, textureB);

    if (std::strcmp(scenario, "frame") == 0 && argc > 2) {
        ObjModel* model = NewFacesModel(textureA, textureB);
        SetRenderMode(argv[2][0]);
        glFinish();
        DrawModel(model);
        glFinish();
    } else if (std::strcmp(scenario, "indices") == 0) {
        ObjModel* model = NewBadIndexModel(textureA);
        glFinish();
        DrawModel(model);
        glFinish();
        DrawMesh(model->meshes[0], true, false, -1);
        glFinish();
    } else if (std::strcmp(scenario, "lists") == 0) {
        ObjModel* model = NewSimpleModel(textureA);
        model->meshes[0]->displayList = 1005;
        glFinish();
        DrawModel(model);
        std::printf("after compile %d %d\n", model->meshes[0]->displayList, glIsList(5));
        glFinish();
        DrawModel(model);
        glFinish();
        DeleteDisplayLists(model);
        std::printf("after delete %d %d\n", model->meshes[0]->displayList, glIsList(5));
        glFinish();
        DrawModel(model);
        glFinish();
    } else if (std::strcmp(scenario, "normals") == 0) {
        ObjModel* model = NewSimpleModel(textureA);
        SetShowNormals(true);
        glFinish();
        DrawModel(model);
        glFinish();
        DrawMesh(model->meshes[0], true, false, -1);
        glFinish();
    } else if (std::strcmp(scenario, "override") == 0) {
        ObjModel* model = NewSimpleModel(textureA);
        glFinish();
        DrawMesh(model->meshes[0], false, true, static_cast<int>(textureB));
        glFinish();
    } else if (std::strcmp(scenario, "empty") == 0) {
        ObjModel* empty = new ObjModel;
        modelList.push_back(empty);
        ObjModel* noFaces = new ObjModel;
        noFaces->meshes.push_back(NewSquareMesh());
        glFinish();
        DrawModel(nullptr);
        DrawModel(empty);
        CreateDisplayLists(empty);
        CreateDisplayLists(nullptr);
        DeleteDisplayLists(nullptr);
        glFinish();
        DrawModel(noFaces);
        glFinish();
    } else {
        return 2;
    }
    return 0;
}
