// The model module: OBJ models with their MTL materials, the program-wide tables,
// vector maths, the readers, drawing and the materials-and-textures report.
#pragma once

#include <string>
#include <vector>

struct Texture;

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Only u and v are ever used; w keeps whatever the "vt" line gave.
struct TexCoord {
    float u;
    float v;
    float w;
};

struct ObjFace {
    int vertexCount = 0;
    std::vector<int> vertexIndices;   // mesh-local, 0-based
    std::vector<int> normalIndices;   // empty when the face line gave no normal numbers
    std::vector<int> texCoordIndices; // empty when the face line gave no texture numbers
    int materialIndex = -1;           // into materialTable, -1 before any "usemtl"
};

// The material index of faces that follow an unknown material in a lenient load: they are drawn
// with the values a new material starts from.
constexpr int defaultMaterialIndex = -2;

struct ObjMesh {
    std::string name;
    // -1 draw immediately; >= 1000 compile list (value - 1000) on the next draw;
    // 0..999 call that list; -2 lists deleted, draw immediately from then on.
    int displayList = -1;
    std::vector<Vector3> vertices;
    std::vector<Vector3> normals;
    std::vector<ObjFace> faces;
    std::vector<TexCoord> texCoords;
};

struct ObjModel {
    std::vector<ObjMesh*> meshes; // owned
};

struct ObjMaterial {
    std::string name;
    // A new material starts from OpenGL's own material defaults.
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    int textureId = -1;
    float shininess = 0.0f;
};

// Program-wide tables, empty at start-up.
extern std::vector<ObjMaterial*> materialTable;
extern std::vector<ObjModel*> modelList;
extern char renderMode;  // 't' (initial), 'w' or 's'
extern bool showNormals; // initially false

// Model life cycle
void DeleteModel(ObjModel* model);
void UnloadModel(ObjModel* model);
void ScaleModel(ObjModel* model, float factor);
void ComputeFaceNormals(ObjMesh* mesh);
void ComputeModelNormals(ObjModel* model);

// Vector maths
void Normalize(Vector3& v);
Vector3 Cross(const Vector3& a, const Vector3& b);
Vector3 FaceNormal(const Vector3& p0, const Vector3& p1, const Vector3& p2);
void RotateX(const Vector3& src, Vector3& dst, float degrees);
void RotateY(const Vector3& src, Vector3& dst, float degrees);
void RotateZ(const Vector3& src, Vector3& dst, float degrees);

// Material library reader
void LoadMaterials(const std::string& fileName, const std::string& folder, bool mipmaps);
int FindMaterial(const std::string& name);
ObjMaterial* GetMaterial(const std::string& name);

// OBJ reader
// With lenientMaterials an unknown material is reported and its faces get the default material
// (defaultMaterialIndex) instead of failing the load.
ObjModel* LoadModel(const std::string& path, bool mipmaps, bool keepMaterials,
                    bool lenientMaterials = false);
std::string FolderOf(const std::string& path);

// Drawing (needs a current OpenGL context)
void DrawModel(ObjModel* model);
void DrawMesh(ObjMesh* mesh, bool disableColorMaterial, bool smooth, int textureOverride);
void CreateDisplayLists(ObjModel* model);
void DeleteDisplayLists(ObjModel* model);
void SetRenderMode(char mode);
void SetShowNormals(bool show);

// Report: prints and frees every material and texture record (and their GL texture objects).
void ReleaseMaterialsAndTextures();
