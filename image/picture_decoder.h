// Private to texture loading: which decoder a file's first bytes call for, and the decoding of
// PNG, JPEG and TGA files by stb_image (BMP files go to our own reader).
#ifndef QUILLMERE_IMAGE_PICTURE_DECODER_H
#define QUILLMERE_IMAGE_PICTURE_DECODER_H

#include <cstddef>
#include <memory>
#include <string>

enum class PictureFormat { Bmp, Png, Jpeg, Tga };

// The signature decides, not the file name. TGA files carry none: whatever is neither BMP, PNG
// nor JPEG is offered to the TGA decoder.
PictureFormat FormatOf(const unsigned char* first, std::size_t count);

struct DecodedPicture {
    int width = 0;
    int height = 0;
    int channels = 0; // 3 (RGB) or 4 (RGBA); grey pictures are widened to RGB
    std::unique_ptr<unsigned char[]> pixels; // rows bottom-up, as OpenGL takes them
};

// Decodes a whole PNG, JPEG or TGA file held in memory; false with the decoder's reason when
// it cannot.
bool DecodePicture(const unsigned char* bytes, std::size_t size, DecodedPicture* picture,
                   std::string* reason);

#endif
