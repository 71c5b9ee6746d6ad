// Texture images: the BMP reader (1, 4, 8, 16, 24 and 32 bits per pixel, palettes, bit fields,
// run-length encoding, Windows and OS/2 headers) and the loading of BMP, PNG, JPEG and TGA files
// into OpenGL texture objects.
#ifndef QUILLMERE_IMAGE_IMAGE_H
#define QUILLMERE_IMAGE_IMAGE_H

#include <cstddef>
#include <string>
#include <vector>

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

// Needs a current OpenGL context. Null for an empty name; otherwise a registered record with a
// texture object, even when the file could not be read (which is reported on standard error).
// The file's first bytes choose the decoder: BMP, PNG, JPEG, else TGA.
Texture* LoadTexture(const std::string& fileName, bool mipmaps);
// From now on LoadTexture reads the file `to` whenever it is asked for `from` (an empty `to`
// ends that): a data set installed read-only names its generated texture beside its model,
// while the texture is written to a folder of the user's.
void RedirectTextureFile(const std::string& from, const std::string& to);
Texture* ReadTextureImage(const std::string& fileName);
int FindTexture(const std::string& name);
// The same decoding and upload without console lines, for readers that report through a summary
// of their own: a picture held in memory (BMP, PNG, JPEG or TGA, told apart as files are), or
// RGBA texels with the bottom row first. Null, with the reason, when the bytes do not decode;
// no texture object is made then. The record is named `name` and registered as LoadTexture's.
Texture* LoadTextureFromMemory(const std::string& name, const unsigned char* bytes,
                               std::size_t size, bool mipmaps, std::string* problem);
Texture* LoadTextureFromPixels(const std::string& name, const unsigned char* rgba, int width,
                               int height, bool mipmaps);
// id -1 changes every texture of the table.
void SetTextureFilters(int id, int minFilter, int magFilter);

#endif
