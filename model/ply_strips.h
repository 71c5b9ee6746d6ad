// PLY files whose faces are stored as triangle strips (a "tristrips" element, common in scan
// archives), which assimp reads as a single triangle. Read here into the same plain records as
// every other imported format: one mesh, the strips cut into triangles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/import.h"

// True when the start of a file is a PLY header that declares a "tristrips" element. Cheap: it
// looks only at the header lines the bytes hold.
bool PlyHasTriStrips(std::string_view head);

// Whether a PLY file's header holds up before another reader is given the file: assimp loops
// forever on some headers cut short. head is the start of the file (the whole header), fileSize
// its length; the elements the header declares must fit in the bytes after it. False with the
// reason when the header is broken.
bool CheckPlyHeader(std::string_view head, std::uint64_t fileSize, std::string& error);

// Reads a whole PLY file (ASCII or binary of either byte order) with vertex x, y, z, optional
// normals, colours and texture coordinates, and a tristrips element whose vertex_indices lists
// hold strips separated by -1. Triangles alternate their winding as strips do; triangles that
// repeat a vertex (the joints between strips) are dropped. Every count and index is checked
// against the file before use; false with a reason in error when the file does not hold up.
bool ReadPlyTriStrips(std::string_view bytes, const std::string& meshName, ImportedModel& out,
                      std::string& error);
// The same for a file on disk; the mesh is named after the file.
bool ReadPlyTriStripsFile(const std::string& path, ImportedModel& out, std::string& error);
