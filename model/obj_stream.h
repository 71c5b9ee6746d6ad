// The readers' stream entry points, so that parsing runs without files or a window (tests,
// fuzzing). Private to model/ and its tests.
#pragma once

#include <istream>
#include <string>

#include "model/reading.h"

// Everything ReadModel does after opening the file: prints "*** Objeto: " with the path, reads
// the model (material libraries and textures are taken relative to the path's folder), prints
// the statistics and limits, and appends the model to the model list. Null on failure, with
// everything built for the model freed. lenientMaterials as in ModelReadOptions.
ObjModel* ReadModelFromStream(std::istream& in, const std::string& path, bool mipmaps,
                              bool lenientMaterials, const TextureLoader& textures);

// ReadMaterials for a library that a statement names: a library that cannot be opened is reported
// as "<origin>: cannot open the material library ...", origin being the naming file and line.
void ReadMaterialsNamedAt(const std::string& fileName, const std::string& folder, bool mipmaps,
                          const TextureLoader& textures, const std::string& origin);

// Everything ReadMaterials does after opening the library. Ends the program on a read error.
void ReadMaterialsFromStream(std::istream& in, const std::string& folder, bool mipmaps,
                             const TextureLoader& textures);
