// Loading image files into OpenGL texture objects, and the program-wide texture table.
#include "image/image.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <iostream>

std::vector<Texture*> textureTable;

Texture::~Texture() {
    delete[] data;
}

Texture* ReadTextureImage(const std::string& fileName) {
    Texture* texture = new Texture;
    // an unreadable file still gives a record: the caller's material keeps a texture object
    ReadBitmapFile(fileName, &texture->image);
    std::cout << "carregou bmp\n";
    texture->data = texture->image.data;
    texture->image.data = nullptr;
    texture->width = texture->image.width;
    texture->height = texture->image.height;
    texture->channels = 3;
    return texture;
}

Texture* LoadTexture(const std::string& fileName, bool mipmaps) {
    if (fileName.empty()) {
        return nullptr;
    }
    // A name already in the table is read again: the generated texture is rewritten under the
    // same name between runs, so an earlier record may hold an outdated picture.
    Texture* texture = ReadTextureImage(fileName);
    texture->name = fileName;

    glGenTextures(1, &texture->id);
    // the RGB rows are packed without padding
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, texture->id);
    const GLenum format = texture->channels == 1 ? GL_LUMINANCE : GL_RGB;
    if (mipmaps) {
        if (texture->data == nullptr) {
            // reported, but a desktop program must not stop and wait for a missing texture
            std::cout << "\xE9 null\n";
        } else {
            gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, texture->width, texture->height, format,
                              GL_UNSIGNED_BYTE, texture->data);
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, 3, texture->width, texture->height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, texture->data);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    // only OpenGL keeps the pixels from here on
    delete[] texture->data;
    texture->data = nullptr;

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
