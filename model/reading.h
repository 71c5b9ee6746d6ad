// Reading models without OpenGL: the OBJ and MTL readers, the records' life cycle and what
// drawing a named model needs worked out beforehand. Textures that a file names are handed to a
// loader the caller supplies, so that the readers never touch the GPU.
#pragma once

#include <functional>
#include <string>

#include "model/maths.h"
#include "model/records.h"

// Loads the texture file a "map_Kd" or "usemat" statement names and gives the texture id a
// material keeps, or -1 when no texture record was made (an empty name). Called at the moment the
// statement is read, so that whatever it prints keeps its place among the reader's lines.
using TextureLoader = std::function<int(const std::string& fileName, bool mipmaps)>;

// How a model is read. With lenientMaterials an unknown material is reported and its faces get
// the default material (defaultMaterialIndex) instead of failing the load.
struct ModelReadOptions {
    bool mipmaps = true;        // passed on to the texture loader
    bool keepMaterials = false; // false empties the material table first
    bool lenientMaterials = false;
};

// Model life cycle
void DeleteModel(ObjModel* model);
void UnloadModel(ObjModel* model);
void ScaleModel(ObjModel* model, float factor);
void ComputeFaceNormals(ObjMesh* mesh);
void ComputeModelNormals(ObjModel* model);

// The OBJ reader: everything LoadModel does, with the caller's texture loader (which may be
// empty: no texture is then loaded and materials stay untextured). A file of 8 MB or more is
// read on every processor (up to eight); the texture loader is still called on the calling
// thread only.
ObjModel* ReadModel(const std::string& path, const ModelReadOptions& options,
                    const TextureLoader& textures);
// The material library reader, likewise.
void ReadMaterials(const std::string& fileName, const std::string& folder, bool mipmaps,
                   const TextureLoader& textures);
int FindMaterial(const std::string& name);
ObjMaterial* GetMaterial(const std::string& name);
std::string FolderOf(const std::string& path);

// Works out what drawing a model named by the user needs beyond the file: smooth normals for
// faces without normals (faces that share a nonzero smoothing group share normals at common
// vertices, faces of group 0 stay flat; the file's normals are kept), the triangles of concave
// faces, and the faces without area, which are not drawn. Needs no OpenGL context. A model
// drawn without it is drawn as read.
void PrepareDrawing(ObjModel* model);
