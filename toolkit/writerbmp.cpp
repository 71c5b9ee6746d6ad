#include "toolkit/writerbmp.h"

#include <algorithm>
#include <cstdint>

#include <libnoise/exception.h>

#include "toolkit/filewriter.h"
#include "toolkit/littleendian.h"

namespace noise {
namespace utils {

namespace {

const int kHeaderSize = 54;
const std::uint32_t kPixelsPerMetre = 2834; // 72 dots per inch

} // namespace

WriterBMP::WriterBMP() : m_sourceImage(nullptr) {}

int WriterBMP::RowByteCount(int width) {
    return (width * 3 + 3) & ~0x03;
}

void WriterBMP::Write() {
    if (m_sourceImage == nullptr) {
        throw noise::ExceptionInvalidParam();
    }
    const Image& image = *m_sourceImage;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int rowBytes = RowByteCount(width);
    // Grids stop at 32767 on each side, so the pixel data stays below 4 GiB.
    const std::uint32_t dataSize =
        static_cast<std::uint32_t>(rowBytes) * static_cast<std::uint32_t>(height);

    unsigned char header[kHeaderSize];
    unsigned char* out = header;
    out = detail::PutTag(out, "BM", 2);
    out = detail::PutUint32(out, dataSize + kHeaderSize);
    out = detail::PutUint32(out, 0);
    out = detail::PutUint32(out, kHeaderSize);
    out = detail::PutUint32(out, 40);
    out = detail::PutUint32(out, static_cast<std::uint32_t>(width));
    out = detail::PutUint32(out, static_cast<std::uint32_t>(height));
    out = detail::PutUint16(out, 1);
    out = detail::PutUint16(out, 24);
    out = detail::PutUint32(out, 0);
    out = detail::PutUint32(out, dataSize);
    out = detail::PutUint32(out, kPixelsPerMetre);
    out = detail::PutUint32(out, kPixelsPerMetre);
    out = detail::PutUint32(out, 0);
    detail::PutUint32(out, 0);

    // Row 0 goes first: with a positive height it is the bottom line of the picture.
    detail::WriteHeaderAndRows(m_destFilename, header, kHeaderSize, rowBytes, height,
                               [&](int y, unsigned char* row) {
                                   unsigned char* dest = row;
                                   const Color* source = image.GetRowPtr(y);
                                   for (int x = 0; x < width; ++x) {
                                       dest[0] = source->blue;
                                       dest[1] = source->green;
                                       dest[2] = source->red;
                                       dest += 3;
                                       ++source;
                                   }
                                   // Only the padding at the end of the row is not a pixel.
                                   std::fill(dest, row + rowBytes, 0);
                               });
}

} // namespace utils
} // namespace noise
