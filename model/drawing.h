// Loading with OpenGL textures, drawing and the report: everything of the model module that needs
// a current OpenGL context.
#pragma once

#include <string>

#include "model/records.h"

// The OBJ and MTL readers with textures uploaded as OpenGL texture objects (LoadTexture).
// With lenientMaterials an unknown material is reported and its faces get the default material
// (defaultMaterialIndex) instead of failing the load.
void LoadMaterials(const std::string& fileName, const std::string& folder, bool mipmaps);
ObjModel* LoadModel(const std::string& path, bool mipmaps, bool keepMaterials,
                    bool lenientMaterials = false);

// Drawing (needs a current OpenGL context)
void DrawModel(ObjModel* model);
void DrawMesh(ObjMesh* mesh, bool disableColorMaterial, bool smooth, int textureOverride);
// Whether face materials go to both sides (for two-sided lighting) or to the front only, as
// at start-up.
void SetTwoSidedMaterials(bool twoSided);
void CreateDisplayLists(ObjModel* model);
void DeleteDisplayLists(ObjModel* model);
void SetRenderMode(char mode);
void SetShowNormals(bool show);
// The length of the drawn normals, in model units (5 at start).
void SetNormalLength(float length);

// Report: prints and frees every material and texture record (and their GL texture objects).
void ReleaseMaterialsAndTextures();
