// The files a texture run writes when it is told where: the picture as a BMP or PNG file and
// the noise map as a 16-bit greyscale PNG or a Terragen file. Each appears under its name
// complete or not at all: it is written under a temporary name in the same folder and renamed.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/toolkit.h"

enum class FileKind { Bmp, Png, Ter, Other };

// By the name's extension, in any letter case.
FileKind FileKindOf(const std::string& path);

// The 16-bit level of a noise value: -1 .. 1 (values beyond are clamped) linearly onto
// 0 .. 65535, rounded to the nearest level (0 gives 32768; not a number counts as 0).
std::uint16_t HeightmapLevel(float value);

// A ".png" name gets an 8-bit RGB PNG, any other a 24-bit BMP (the BMP writer's layout). Both
// show the picture the same way up: image row 0 is the bottom line.
// Throws noise::ExceptionUnknown when the file cannot be written; no file is then left behind.
void WritePictureFile(noise::utils::Image& image, const std::string& path);
// A ".ter" name gets the toolkit's terrain file, any other a 16-bit greyscale PNG of
// HeightmapLevel values, row 0 at the bottom like the picture's.
// Throws noise::ExceptionUnknown when the file cannot be written; no file is then left behind.
void WriteHeightmapFile(noise::utils::NoiseMap& heightMap, const std::string& path);
