// Loading image files into OpenGL texture objects.
#include "image/bitmap_stream.h"
#include "image/picture_decoder.h"
#include "image/texture_decoding.h"
#include "image/upload.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>

namespace {

// Makes the record's texture object from its pixels and lets the pixels go: only OpenGL keeps
// them from here on.
void Upload(Texture* texture, bool mipmaps, bool reportMissing) {
    glGenTextures(1, &texture->id);
    // the RGB rows are packed without padding
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, texture->id);
    // every record holds RGB or RGBA rows
    const GLenum format = texture->channels == 4 ? GL_RGBA : GL_RGB;
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

void ReleaseTextures(std::size_t count) {
    count = std::min(count, textureTable.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (textureTable[i] == nullptr) {
            continue;
        }
        // nothing can bind the texture once its record is gone, so its GL object goes too
        const GLuint id = textureTable[i]->id;
        if (id != 0) {
            glDeleteTextures(1, &id);
        }
        delete textureTable[i];
    }
    textureTable.erase(textureTable.begin(),
                       textureTable.begin() + static_cast<std::ptrdiff_t>(count));
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
            *problem = BitmapProblemText(code != 0 ? code : 'f');
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
