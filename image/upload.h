// Texture objects: image files and pictures in memory uploaded to OpenGL. Needs a current
// OpenGL context.
#pragma once

#include <cstddef>
#include <string>

#include "image/texture.h"

// Needs a current OpenGL context. Null for an empty name; otherwise a registered record with a
// texture object, even when the file could not be read (which is reported on standard error).
// The file's first bytes choose the decoder: BMP, PNG, JPEG, else TGA.
Texture* LoadTexture(const std::string& fileName, bool mipmaps);
// From now on LoadTexture reads the file `to` whenever it is asked for `from` (an empty `to`
// ends that): a data set installed read-only names its generated texture beside its model,
// while the texture is written to a folder of the user's.
void RedirectTextureFile(const std::string& from, const std::string& to);
// The same decoding and upload without console lines, for readers that report through a summary
// of their own: a picture held in memory (BMP, PNG, JPEG or TGA, told apart as files are), or
// RGBA texels with the bottom row first. Null, with the reason, when the bytes do not decode;
// no texture object is made then. The record is named `name` and registered as LoadTexture's.
Texture* LoadTextureFromMemory(const std::string& name, const unsigned char* bytes,
                               std::size_t size, bool mipmaps, std::string* problem);
Texture* LoadTextureFromPixels(const std::string& name, const unsigned char* rgba, int width,
                               int height, bool mipmaps);
// The one release of texture records: deletes the first count records of the texture table (all
// of them when count is larger) with their texture objects, and drops them from the table.
void ReleaseTextures(std::size_t count);
// id -1 changes every texture of the table.
void SetTextureFilters(int id, int minFilter, int magFilter);
