// The decoded-image record, reading a BMP file from disk, and the reader's error messages.
#include "image/bitmap.h"
#include "image/bitmap_stream.h"

#include <cstddef>
#include <fstream>

BitmapFile::~BitmapFile() {
    delete[] data;
    delete[] alpha;
}

void BitmapFile::Allocate() {
    // the new array is made before the old one goes, so a failed allocation loses nothing
    unsigned char* pixels = nullptr;
    if (width > 0 && height > 0) {
        pixels = new unsigned char[static_cast<std::size_t>(width) *
                                   static_cast<std::size_t>(height) * 3]();
    }
    delete[] data;
    data = pixels;
    delete[] alpha;
    alpha = nullptr;
}

unsigned char* BitmapFile::PixelAt(int x, int y, int channel) {
    return data +
           (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
            static_cast<std::size_t>(x)) *
               3 +
           channel;
}

char ReadBitmapFile(const std::string& fileName, BitmapFile* bitmap) {
    if (sizeof(int) != 4) {
        return 'i';
    }
    std::ifstream file(fileName, std::ios::in | std::ios::binary);
    if (!file.is_open()) {
        return 'o';
    }
    return ReadBitmapStream(file, bitmap);
}

char CheckBitmapFile(const std::string& fileName) {
    BitmapFile bitmap;
    return ReadBitmapFile(fileName, &bitmap);
}

std::string BitmapErrorText(char code) {
    switch (code) {
    case 0:
        return "No errors detected";
    case 'o':
        return "Failed to open the file, suspect it doesn't exist";
    case 'b':
        return "This file is not a bitmap, specifically it doesn't start 'BM'";
    case 'u':
        return "Unknown bmp format, ie not 24bit, 256,16 or 2 colour";
    case 'f':
        return "ferror said we had an error. This error seems to not always mean anything, try "
               "ignoring it";
    case 'i':
        return "sizeof(int)!=4 quite a lot of rewriting probably needs to be done on the code";
    default:
        return "Not a valid error code";
    }
}

std::string BitmapProblemText(char code) {
    switch (code) {
    case 'o':
        return "the file cannot be opened";
    case 'b':
        return "not a BMP, PNG, JPEG or TGA picture";
    case 'u':
        return "a BMP kind that is not supported (2 or 64 bits per pixel, JPEG or PNG inside, "
               "Huffman coding, or bit-field masks that are not contiguous)";
    case 'f':
        return "the file ends early or cannot be read; the missing pixels are black";
    default:
        return BitmapErrorText(code);
    }
}
