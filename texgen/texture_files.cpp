#include "texgen/texture_files.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Writes path through write(temporaryName) and renames the result into place. A failed write
// removes the temporary file, so neither a half-written file nor a stray one stays behind.
void WriteThenRename(const std::string& path,
                     const std::function<void(const std::string&)>& write) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string temporary = folder + "." + name + "." + std::to_string(getpid()) + ".part";
    try {
        write(temporary);
    } catch (...) {
        std::remove(temporary.c_str());
        throw;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw noise::ExceptionUnknown();
    }
}

// One PNG file of height rows from the top line down; row(y, bytes) fills file row y.
void WritePng(const std::string& path, int width, int height, int bitDepth, int colorType,
              std::size_t rowBytes, const std::function<void(int, unsigned char*)>& row) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw noise::ExceptionUnknown();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<unsigned char> bytes(rowBytes);
    // libpng reports its errors by jumping back here; nothing with a destructor is made between
    // the setjmp and the writes.
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw noise::ExceptionUnknown();
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 bitDepth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        row(y, bytes.data());
        png_write_row(png, bytes.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    // Data the C library still holds reaches the file at close; a failure there is a failure.
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed)
        throw noise::ExceptionUnknown();
}

} // namespace

FileKind FileKindOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return FileKind::Other;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "bmp")
        return FileKind::Bmp;
    if (extension == "png")
        return FileKind::Png;
    if (extension == "ter")
        return FileKind::Ter;
    return FileKind::Other;
}

std::uint16_t HeightmapLevel(float value) {
    // Not a number has no place in the range; it gets the level of 0.
    if (std::isnan(value))
        value = 0.0f;
    const double clamped = std::clamp(static_cast<double>(value), -1.0, 1.0);
    return static_cast<std::uint16_t>(std::lround((clamped + 1.0) * 0.5 * 65535.0));
}

void WritePictureFile(noise::utils::Image& image, const std::string& path) {
    WriteThenRename(path, [&image, &path](const std::string& temporary) {
        if (FileKindOf(path) != FileKind::Png) {
            noise::utils::WriterBMP writer;
            writer.SetImage(image);
            writer.SetFileName(temporary);
            writer.Write();
            return;
        }
        const int width = image.GetWidth();
        const int height = image.GetHeight();
        WritePng(temporary, width, height, 8, PNG_COLOR_TYPE_RGB,
                 static_cast<std::size_t>(width) * 3,
                 [&picture = static_cast<const noise::utils::Image&>(image), width,
                  height](int y, unsigned char* bytes) {
                     const noise::utils::Color* cell = picture.GetRowPtr(height - 1 - y);
                     for (int x = 0; x < width; ++x, ++cell) {
                         *bytes++ = cell->red;
                         *bytes++ = cell->green;
                         *bytes++ = cell->blue;
                     }
                 });
    });
}

void WriteHeightmapFile(noise::utils::NoiseMap& heightMap, const std::string& path) {
    WriteThenRename(path, [&heightMap, &path](const std::string& temporary) {
        if (FileKindOf(path) == FileKind::Ter) {
            noise::utils::WriterTER writer;
            writer.SetNoiseMap(heightMap);
            writer.SetFileName(temporary);
            writer.Write();
            return;
        }
        const int width = heightMap.GetWidth();
        const int height = heightMap.GetHeight();
        WritePng(temporary, width, height, 16, PNG_COLOR_TYPE_GRAY,
                 static_cast<std::size_t>(width) * 2,
                 [&map = static_cast<const noise::utils::NoiseMap&>(heightMap), width,
                  height](int y, unsigned char* bytes) {
                     const float* cell = map.GetRowPtr(height - 1 - y);
                     for (int x = 0; x < width; ++x) {
                         // PNG keeps 16-bit samples most significant byte first.
                         const std::uint16_t level = HeightmapLevel(*cell++);
                         *bytes++ = static_cast<unsigned char>(level >> 8);
                         *bytes++ = static_cast<unsigned char>(level & 0xFF);
                     }
                 });
    });
}
