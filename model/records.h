// The model records: models, meshes, faces, elements and materials, what PrepareDrawing adds to
// a mesh, and the program-wide tables that hold what has been loaded. Plain data: no OpenGL.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct Texture;
struct MeshArrays;
struct PreparedDrawing;

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

// One polygon, a view over its mesh's index list, so that a face costs no allocation of its
// own. Corner j's numbers start at firstIndex + j * Stride(): the vertex index, then the
// texture-coordinate index when the face has them, then the normal index when it has them.
// Indices are mesh-local and 0-based; they are not verified against the lists.
struct ObjFace {
    std::uint32_t firstIndex = 0;
    std::uint32_t shape = 0; // corner count << 2 | has normals << 1 | has texture coordinates
    int materialIndex = -1;  // into materialTable, -1 before any "usemtl"

    static constexpr std::uint32_t texCoordsFlag = 1;
    static constexpr std::uint32_t normalsFlag = 2;
    static constexpr std::uint32_t maxCorners = UINT32_MAX >> 2;

    int VertexCount() const { return static_cast<int>(shape >> 2); }
    bool HasTexCoords() const { return (shape & texCoordsFlag) != 0; }
    bool HasNormals() const { return (shape & normalsFlag) != 0; }
    int Stride() const {
        return 1 + static_cast<int>(shape & 1) + static_cast<int>(shape >> 1 & 1);
    }
};

// A "p" or "l" statement: count vertex indices from firstIndex in the mesh's elementIndices.
struct ObjElement {
    std::uint32_t firstIndex = 0;
    std::uint32_t count = 0;
    int materialIndex = -1;
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
    std::vector<int> indices; // every face's corner numbers, in face order
    // What files may add beyond faces; each list stays empty (and costs nothing) in files
    // without such statements.
    std::vector<ObjElement> points;  // "p" statements
    std::vector<ObjElement> lines;   // "l" statements, each one polyline
    std::vector<int> elementIndices; // mesh-local vertex indices of points and lines
    // Per face once a face in a smoothing group is read: its group, 0 for off. While every face
    // is off the list stays empty and smoothingOff tells "s off" (faces flat) from a file
    // without "s" (smooth all over), so a file that only turns smoothing off keeps no list.
    std::vector<std::uint32_t> smoothingGroups;
    bool smoothingOff = false;   // only read while smoothingGroups is empty
    std::vector<Vector3> colors; // per vertex: "v x y z r g b" colours (0..1)
    // Vertex arrays for drawing a large mesh, made on its first draw from the lists above;
    // whatever changes the lists afterwards drops them.
    std::shared_ptr<MeshArrays> arrays;
    // What PrepareDrawing worked out beyond the file (computed normals, triangles of concave
    // faces, faces left out); null for a mesh drawn as read.
    std::shared_ptr<const PreparedDrawing> prepared;

    // A corner's indices; -1 when the face has no such numbers.
    int VertexIndex(const ObjFace& face, int corner) const {
        return indices[face.firstIndex + static_cast<std::size_t>(corner) * face.Stride()];
    }
    int TexCoordIndex(const ObjFace& face, int corner) const {
        return face.HasTexCoords()
                   ? indices[face.firstIndex + static_cast<std::size_t>(corner) * face.Stride() + 1]
                   : -1;
    }
    int NormalIndex(const ObjFace& face, int corner) const {
        return face.HasNormals()
                   ? indices[face.firstIndex + static_cast<std::size_t>(corner) * face.Stride() +
                             face.Stride() - 1]
                   : -1;
    }

    // Appends a face; texCoords and normals are either empty (the face has none) or hold one
    // index per vertex. False, and nothing appended, when they do not, or when the face or the
    // index list would outgrow what a face record can address.
    // The same from numbers already in the index list's order (corner by corner, each corner's
    // vertex, then texture-coordinate and normal index as the flags say).
    bool AddInterleavedFace(const int* numbers, std::size_t corners, bool hasTexCoords,
                            bool hasNormals, int materialIndex);
    bool AddFace(const int* vertexIndices, const int* texCoordIndices, const int* normalIndices,
                 std::size_t corners, int materialIndex);
    bool AddFace(const std::vector<int>& vertexIndices, const std::vector<int>& texCoordIndices,
                 const std::vector<int>& normalIndices, int materialIndex);
};

// How PrepareDrawing has a face drawn.
enum class FaceForm : std::uint8_t {
    asRead,    // one polygon of its corners, as the file gives them
    triangles, // the triangles the tessellator made of it (a concave or self-touching face)
    skipped,   // no area: repeated or collinear corners, fewer than three valid corners
};

struct PreparedDrawing {
    std::vector<Vector3> normals; // computed unit normals
    // Every corner without a normal of the file's takes normals[its vertex index]: the faces
    // that need normals are all smooth in one group. cornerNormals is then empty.
    bool normalsByVertex = false;
    // Otherwise one per corner of every face, the corners of all faces one after the other in
    // face order: into normals, or -1 where the file's own normal is used. Empty when every
    // corner has one of the file's.
    std::vector<int> cornerNormals;
    // One per face; empty when every face is drawn as read.
    std::vector<FaceForm> faceForms;
    // The faces drawn as triangles, in face order: face k's triangles are the corner numbers
    // triangleCorners[triangleStarts[k]] up to triangleCorners[triangleStarts[k + 1]], three
    // per triangle (triangleStarts holds one more entry than there are such faces).
    std::vector<int> triangleCorners;
    std::vector<std::uint32_t> triangleStarts;
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
