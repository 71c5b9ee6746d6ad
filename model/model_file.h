// What kind of file a model path names, judged by its first bytes rather than its extension:
// OBJ text, another model format, or something that is no model at all. Pure and GL-free, so
// that the viewer can refuse a file before any window opens and an importer can pick a reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct ModelFileCheck {
    std::string format;  // "OBJ" for OBJ text; a model format's name ("PLY", "STL", "glTF", "GLB",
                         // "COLLADA", "3DS", "OFF", "FBX", "3MF") when its signature is known;
                         // empty when not a model
    std::string problem; // empty when the file can be read as OBJ; otherwise a short reason, e.g.
                         // "a PNG picture, not an OBJ model"
};

// How much of a file CheckModelBytes looks at.
constexpr std::size_t modelFileHeadSize = 64 * 1024;

// head is the first modelFileHeadSize bytes of the file (all of it when shorter); fileSize is the
// whole file's size. A UTF-8 byte-order mark is skipped; Latin-1 and UTF-8 text is fine.
ModelFileCheck CheckModelBytes(std::string_view head, std::uint64_t fileSize);

// Opens the file and checks its head; a file that cannot be opened or read gives the system's
// reason ("No such file or directory", "Is a directory") as the problem.
ModelFileCheck CheckModelFile(const std::string& path);
