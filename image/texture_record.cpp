// Texture records, the program-wide texture table and the decoding of image files into a record.
#include "common/diagnostics.h"
#include "image/picture_decoder.h"
#include "image/texture.h"
#include "image/texture_decoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <new>

std::vector<Texture*> textureTable;

Texture::~Texture() {
    delete[] data;
}

namespace {

// The file's first bytes; false, with the system's reason, when it cannot be opened or read.
bool ReadSignature(const std::string& fileName, unsigned char* first, std::size_t size,
                   std::size_t* count, std::string* reason) {
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        *reason = std::strerror(errno);
        return false;
    }
    *count = std::fread(first, 1, size, file);
    const bool failed = std::ferror(file) != 0;
    if (failed) {
        *reason = std::strerror(errno);
    }
    std::fclose(file);
    return !failed;
}

// PNG, JPEG and TGA files: decoded whole, straight into the record's upload array.
bool TakePicture(const std::string& fileName, Texture* texture, std::string* reason) {
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    if (size < 0) {
        *reason = std::strerror(errno);
        return false;
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return TakePictureBytes(bytes.data(), bytes.size(), texture, reason);
}

} // namespace

// PNG, JPEG and TGA pictures in memory, decoded straight into the record's upload array.
bool TakePictureBytes(const unsigned char* bytes, std::size_t size, Texture* texture,
                      std::string* reason) {
    DecodedPicture picture;
    if (!DecodePicture(bytes, size, &picture, reason)) {
        return false;
    }
    texture->image.width = picture.width;
    texture->image.height = picture.height;
    texture->width = picture.width;
    texture->height = picture.height;
    texture->channels = picture.channels;
    texture->data = picture.pixels.release();
    return true;
}

// The BMP reader's record: RGB taken over as it is, or joined with its alpha plane into RGBA.
void TakeBitmap(Texture* texture) {
    BitmapFile& image = texture->image;
    texture->width = image.width;
    texture->height = image.height;
    texture->channels = 3;
    texture->data = image.data;
    image.data = nullptr;
    if (image.alpha == nullptr || texture->data == nullptr) {
        delete[] image.alpha;
        image.alpha = nullptr;
        return;
    }
    const std::size_t pixels =
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    // without memory for the joined array the picture is still shown, opaque
    unsigned char* rgba = new (std::nothrow) unsigned char[pixels * 4];
    if (rgba != nullptr) {
        for (std::size_t i = 0; i < pixels; ++i) {
            std::memcpy(rgba + 4 * i, texture->data + 3 * i, 3);
            rgba[4 * i + 3] = image.alpha[i];
        }
        delete[] texture->data;
        texture->data = rgba;
        texture->channels = 4;
    }
    delete[] image.alpha;
    image.alpha = nullptr;
}

Texture* ReadTextureImage(const std::string& fileName) {
    Texture* texture = new Texture;
    // an unreadable file still gives a record: the caller's material keeps a texture object
    std::string problem;
    unsigned char first[8];
    std::size_t count = 0;
    bool taken = false;
    if (ReadSignature(fileName, first, sizeof first, &count, &problem)) {
        const PictureFormat format = FormatOf(first, count);
        if (format != PictureFormat::Bmp) {
            taken = TakePicture(fileName, texture, &problem);
            // a file without a signature that is no TGA either is left to the BMP reader's verdict
            if (!taken && format == PictureFormat::Tga) {
                problem.clear();
            }
        }
    }
    if (!taken) {
        const char code = ReadBitmapFile(fileName, &texture->image);
        if (code != 0 && problem.empty()) {
            problem = BitmapProblemText(code);
        }
        TakeBitmap(texture);
    }
    std::cout << "carregou bmp\n";
    if (!problem.empty()) {
        Report(Level::warning, "cannot load the texture \"" + fileName + "\": " + problem);
    }
    return texture;
}

int FindTexture(const std::string& name) {
    for (std::size_t i = 0; i < textureTable.size(); ++i) {
        if (textureTable[i] != nullptr && textureTable[i]->name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
