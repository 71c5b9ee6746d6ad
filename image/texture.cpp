// Loading image files into OpenGL texture objects, and the program-wide texture table.
#include "image/bitmap_stream.h"
#include "image/image.h"
#include "image/picture_decoder.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
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

// Makes the record's texture object from its pixels and lets the pixels go: only OpenGL keeps
// them from here on.
void Upload(Texture* texture, bool mipmaps, bool reportMissing) {
    glGenTextures(1, &texture->id);
    // the RGB rows are packed without padding
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, texture->id);
    const GLenum format = texture->channels == 1   ? GL_LUMINANCE
                          : texture->channels == 4 ? GL_RGBA
                                                   : GL_RGB;
    // pictures with alpha keep it on the card
    const GLint internalFormat = texture->channels == 4 ? GL_RGBA : GL_RGB;
    if (mipmaps) {
        if (texture->data == nullptr) {
            // reported, but a desktop program must not stop and wait for a missing texture
            if (reportMissing) {
                std::cout << "\xE9 null\n";
            }
        } else {
            gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, texture->width, texture->height,
                              format, GL_UNSIGNED_BYTE, texture->data);
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, texture->channels == 4 ? 4 : 3, texture->width,
                     texture->height, 0, format, GL_UNSIGNED_BYTE, texture->data);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    // only OpenGL keeps the pixels from here on
    delete[] texture->data;
    texture->data = nullptr;
}

} // namespace

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
            problem = BitmapErrorText(code);
        }
        TakeBitmap(texture);
    }
    std::cout << "carregou bmp\n";
    if (!problem.empty()) {
        std::cerr << "Error: could not load the texture \"" << fileName << "\": " << problem
                  << std::endl;
    }
    return texture;
}

namespace {
std::map<std::string, std::string>& TextureRedirects() {
    static std::map<std::string, std::string> redirects;
    return redirects;
}
} // namespace

void RedirectTextureFile(const std::string& from, const std::string& to) {
    if (to.empty())
        TextureRedirects().erase(from);
    else
        TextureRedirects()[from] = to;
}

Texture* LoadTexture(const std::string& requestedName, bool mipmaps) {
    if (requestedName.empty()) {
        return nullptr;
    }
    const auto redirect = TextureRedirects().find(requestedName);
    const std::string& fileName =
        redirect == TextureRedirects().end() ? requestedName : redirect->second;
    // A name already in the table is read again: the generated texture is rewritten under the
    // same name between runs, so an earlier record may hold an outdated picture.
    Texture* texture = ReadTextureImage(fileName);
    texture->name = fileName;

    Upload(texture, mipmaps, true);
    textureTable.push_back(texture);
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

void SetTextureFilters(int id, int minFilter, int magFilter) {
    glEnable(GL_TEXTURE_2D);
    if (id == -1) {
        for (Texture* texture : textureTable) {
            if (texture == nullptr) {
                continue;
            }
            glBindTexture(GL_TEXTURE_2D, texture->id);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
        }
    } else {
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    }
    glDisable(GL_TEXTURE_2D);
}

Texture* LoadTextureFromMemory(const std::string& name, const unsigned char* bytes,
                               std::size_t size, bool mipmaps, std::string* problem) {
    std::unique_ptr<Texture> texture(new Texture);
    if (FormatOf(bytes, size) == PictureFormat::Bmp) {
        const char code = ReadBitmapMemory(bytes, size, &texture->image);
        TakeBitmap(texture.get());
        // a cut file still shows what it holds, as LoadTexture's do
        if (texture->data == nullptr) {
            *problem = BitmapErrorText(code != 0 ? code : 'f');
            return nullptr;
        }
    } else if (!TakePictureBytes(bytes, size, texture.get(), problem)) {
        return nullptr;
    }
    texture->name = name;
    Upload(texture.get(), mipmaps, false);
    textureTable.push_back(texture.get());
    return texture.release();
}

Texture* LoadTextureFromPixels(const std::string& name, const unsigned char* rgba, int width,
                               int height, bool mipmaps) {
    if (rgba == nullptr || width <= 0 || height <= 0) {
        return nullptr;
    }
    std::unique_ptr<Texture> texture(new Texture);
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    texture->data = new unsigned char[size];
    std::memcpy(texture->data, rgba, size);
    texture->width = width;
    texture->height = height;
    texture->image.width = width;
    texture->image.height = height;
    texture->channels = 4;
    texture->name = name;
    Upload(texture.get(), mipmaps, false);
    textureTable.push_back(texture.get());
    return texture.release();
}
