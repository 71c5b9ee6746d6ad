// Drawing of large meshes through vertex arrays. Private to model/.
#pragma once

#include <cstddef>

struct ObjMesh;

// Whether large meshes use vertex arrays at all (on by default; off draws every mesh face by
// face, which the drawing benchmark compares against).
extern bool largeMeshArrays;

// Meshes with at least this many faces are drawn through vertex arrays when they can be.
constexpr std::size_t largeMeshFaces = 20000;

// Draws a large mesh from vertex arrays built on its first draw (one vertex per distinct
// combination of vertex, texture and normal index, faces split into triangle fans, one draw
// per run of faces with the same material), with the materials, textures and state changes
// that the per-face drawing would leave. False, with nothing drawn, when the mesh must be drawn
// face by face: small meshes, meshes in display lists, outlines, shown normals, flat shading,
// and faces whose indices the arrays cannot express (corners outside the lists, some corners
// with normals or texture coordinates and some without).
bool DrawMeshArrays(ObjMesh* mesh, bool disableColorMaterial, bool smooth, int textureOverride);
