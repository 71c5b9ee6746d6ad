// Private to image/: filling a texture record's upload array from a decoded picture.
#pragma once

#include <cstddef>
#include <string>

struct Texture;

// PNG, JPEG and TGA pictures in memory, decoded straight into the record's upload array. False,
// with the reason, when they do not decode.
bool TakePictureBytes(const unsigned char* bytes, std::size_t size, Texture* texture,
                      std::string* reason);

// The BMP reader's record: RGB taken over as it is, or joined with its alpha plane into RGBA.
void TakeBitmap(Texture* texture);
