// Models of formats other than OBJ (PLY, STL, glTF/GLB, COLLADA, 3DS, OFF, FBX), read into the
// same records as an OBJ load. Reading knows nothing of OpenGL: what it finds is returned as
// plain data, and RegisterImportedModel turns it into tables and texture objects afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/reading.h"

// A texture a material names: a file beside the model, or one the model file carries.
struct ImportedTexture {
    std::string path;                 // the resolved file name; for embedded ones, their name
    bool embedded = false;            // bytes hold the picture the file carries
    std::vector<unsigned char> bytes; // a compressed picture (PNG, JPEG, BMP, TGA) as stored,
                                      // or width * height RGBA texels when width > 0, the
                                      // top row first
    int width = 0;
    int height = 0;
};

struct ImportedMaterial {
    ObjMaterial values;   // name, colours and shininess; values.textureId is not used
    int texture = -1;     // into ImportedModel::textures, -1 for none
    float opacity = 1.0f; // also in the diffuse alpha
};

struct ImportedModel {
    std::string format; // "PLY", "STL", "glTF", "GLB", "COLLADA", "3DS", "OFF", "FBX", ...
    // One mesh per file mesh; faces', points' and lines' materialIndex count into materials
    // (-1 for none) until RegisterImportedModel moves them into the material table.
    std::vector<std::unique_ptr<ObjMesh>> meshes;
    std::vector<ImportedMaterial> materials;
    std::vector<ImportedTexture> textures;
    std::vector<std::string> warnings; // one line each, without the "quillmere: " prefix
};

// The format ImportWithAssimp reads the file as ("PLY", "glTF", ...): by its first bytes, by its
// name when they say nothing. Empty for OBJ files and files in no format it knows.
std::string ImportedFormat(const std::string& path);

// Reads a model file of another format than OBJ with assimp. The file's content picks the
// reader (its name only when the content says nothing); one mesh per mesh instance in the
// file's node tree, with the node transforms applied. False, with the reason, when the file
// cannot be read; out then holds nothing of it. Needs no OpenGL context.
bool ImportWithAssimp(const std::string& path, ImportedModel& out, std::string& error);

// Needs a current OpenGL context. Moves the materials into materialTable (each its own entry,
// also when names repeat), loads their textures without console lines (a texture that cannot
// be loaded is named on standard error and its material stays untextured), points the faces,
// points and lines at the new table entries, appends the model to modelList and returns it.
ObjModel* RegisterImportedModel(ImportedModel&& imported, bool mipmaps);

// The one line a load prints on standard output: "PLY model: 2 meshes, 8 vertices, 6 faces,
// 1 material, 0 textures", with points and lines added when there are any.
std::string ImportSummary(const ImportedModel& imported);
