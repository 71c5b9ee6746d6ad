// The readers' stream entry points, so that parsing runs without files or a window (tests,
// fuzzing). Private to model/ and its tests.
#pragma once

#include <istream>
#include <string>

struct ObjModel;

// Everything LoadModel does after opening the file: prints "*** Objeto: " with the path, reads
// the model (material libraries and textures are taken relative to the path's folder), prints
// the statistics and limits, and appends the model to the model list. Null on failure, with
// everything built for the model freed.
// lenientMaterials as for LoadModel.
ObjModel* LoadModelFromStream(std::istream& in, const std::string& path, bool mipmaps,
                              bool lenientMaterials = false);

// Everything LoadMaterials does after opening the library. Ends the program on a read error.
void LoadMaterialsFromStream(std::istream& in, const std::string& folder, bool mipmaps);
