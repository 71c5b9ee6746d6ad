// Texture records and the program-wide texture table, and the decoding of BMP, PNG, JPEG and TGA
// files into a record. No OpenGL: image/upload.h makes the texture objects.
#pragma once

#include <string>
#include <vector>

#include "image/bitmap.h"

struct Texture {
    std::string name;
    int channels = 3; // 4 for images with an alpha channel, uploaded as RGBA
    int width = 0;
    int height = 0;
    unsigned int id = 0; // OpenGL texture object name
    // RGB or RGBA rows, row 0 = bottom line: taken over from image for the upload, none afterwards
    unsigned char* data = nullptr;
    BitmapFile image;
    ~Texture(); // releases what data/image still hold; never deletes the GL object
};

// Program-wide: every record LoadTexture made, in load order. Only the model report destroys them.
extern std::vector<Texture*> textureTable;

// A new record holding the file's picture, ready for the upload: decoded by the file's first
// bytes (BMP, PNG, JPEG, else TGA). Prints "carregou bmp"; an unreadable file still gives a
// record (without pixels), and the reason is reported.
Texture* ReadTextureImage(const std::string& fileName);
int FindTexture(const std::string& name);
