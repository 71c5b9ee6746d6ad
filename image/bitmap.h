// The BMP reader (1, 4, 8, 16, 24 and 32 bits per pixel, palettes, bit fields, run-length
// encoding, Windows and OS/2 headers) and its error codes. No OpenGL.
#pragma once

#include <string>

// A decoded image: packed RGB bytes, rows without padding, row 0 = bottom line of the picture,
// which is the row order OpenGL takes, so the array is uploaded unchanged.
struct BitmapFile {
    int width = 0;
    int height = 0;
    unsigned char* data = nullptr; // width*height*3 bytes, RGB, row 0 = bottom line
    // width*height bytes in the same order, only for files with an alpha channel
    unsigned char* alpha = nullptr;
    BitmapFile() = default;
    ~BitmapFile();
    BitmapFile(const BitmapFile&) = delete;
    BitmapFile& operator=(const BitmapFile&) = delete;
    // Replaces the pixel array with width*height*3 zero bytes (none for an empty size) and drops
    // any alpha plane.
    void Allocate();
    // No bounds check: 0 <= x < width, 0 <= y < height, 0 <= channel < 3.
    unsigned char* PixelAt(int x, int y, int channel);
};

// Error codes: 0 when the file was read, else 'o' (cannot open), 'b' (not "BM"),
// 'u' (unsupported or impossible format: 2 or 64 bits, JPEG or PNG inside a BMP, Huffman,
// bit-field masks that are not contiguous), 'f' (file ends early or cannot be read; what is
// missing is black), 'i'.
char ReadBitmapFile(const std::string& fileName, BitmapFile* bitmap);
char CheckBitmapFile(const std::string& fileName);
std::string BitmapErrorText(char code);
// What a nonzero code means for a picture the program tried to read, for messages: the table of
// BitmapErrorText predates most of what the reader reads and must stay as it is.
std::string BitmapProblemText(char code);
