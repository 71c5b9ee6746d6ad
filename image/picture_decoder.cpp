// PNG, JPEG and TGA through stb_image, compiled here with only those three decoders so that no
// other format can slip in through a file that merely looks like one.
#include "image/picture_decoder.h"

#include <climits>
#include <cstring>
#include <new>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#include <stb/stb_image.h>

PictureFormat FormatOf(const unsigned char* first, std::size_t count) {
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (count >= 2 && first[0] == 'B' && first[1] == 'M') {
        return PictureFormat::Bmp;
    }
    if (count >= 8 && std::memcmp(first, png, 8) == 0) {
        return PictureFormat::Png;
    }
    if (count >= 3 && first[0] == 0xFF && first[1] == 0xD8 && first[2] == 0xFF) {
        return PictureFormat::Jpeg;
    }
    return PictureFormat::Tga;
}

namespace {

struct StbPixels {
    unsigned char* pixels;
    ~StbPixels() { stbi_image_free(pixels); }
};

} // namespace

bool DecodePicture(const unsigned char* bytes, std::size_t size, DecodedPicture* picture,
                   std::string* reason) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        *reason = "file too large";
        return false;
    }
    const int length = static_cast<int>(size);
    int width = 0;
    int height = 0;
    int stored = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &stored)) {
        *reason = stbi_failure_reason();
        return false;
    }
    // grey with alpha and colour with alpha keep their alpha
    const int channels = stored == 2 || stored == 4 ? 4 : 3;
    StbPixels decoded{stbi_load_from_memory(bytes, length, &width, &height, &stored, channels)};
    if (decoded.pixels == nullptr) {
        *reason = stbi_failure_reason();
        return false;
    }
    const std::size_t row = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    try {
        picture->pixels.reset(new unsigned char[row * static_cast<std::size_t>(height)]);
    } catch (const std::bad_alloc&) {
        *reason = "out of memory";
        return false;
    }
    // the decoder gives the top line first; OpenGL takes the bottom line first
    for (int y = 0; y < height; ++y) {
        std::memcpy(picture->pixels.get() + row * static_cast<std::size_t>(height - 1 - y),
                    decoded.pixels + row * static_cast<std::size_t>(y), row);
    }
    picture->width = width;
    picture->height = height;
    picture->channels = channels;
    return true;
}
