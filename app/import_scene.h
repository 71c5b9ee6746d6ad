// Models of other formats than OBJ in the viewer: read by assimp before the window opens, so
// that a file that cannot be read ends the program first, and registered once there is a
// context.
#pragma once

#include <string>

struct ObjModel;

// True when the file holds a model that assimp reads rather than the OBJ reader.
bool IsImportedModel(const std::string& path);
// Reads such a model now and keeps it for the first LoadImportedModel; false, said on standard
// error, when it cannot be read. True for every other file, which the OBJ reader opens.
bool ReadImportedModel(const std::string& path);
// The model ReadImportedModel kept, or the file read again (a reload), put into the tables
// (emptied first unless keepMaterials) with its one summary line on standard output and its
// warnings on standard error. Null when the file cannot be read, which is said there too.
ObjModel* LoadImportedModel(const std::string& path, bool mipmaps, bool keepMaterials);
