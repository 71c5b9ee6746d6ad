// Stores an Image as an uncompressed 24-bit Windows BMP file.
#ifndef QUILLMERE_TOOLKIT_WRITERBMP_H
#define QUILLMERE_TOOLKIT_WRITERBMP_H

#include <string>

#include "toolkit/image.h"

namespace noise {
namespace utils {

class WriterBMP {
public:
    WriterBMP();

    // The image is not copied; it must outlive Write.
    void SetImage(Image& sourceImage) { m_sourceImage = &sourceImage; }
    void SetFileName(const std::string& filename) { m_destFilename = filename; }
    const std::string& GetFileName() const { return m_destFilename; }

    // Writes the whole file afresh. Throws noise::ExceptionInvalidParam without an image,
    // noise::ExceptionOutOfMemory when the row buffer cannot be allocated and
    // noise::ExceptionUnknown when the file cannot be opened or written.
    void Write();

    // Bytes of one stored pixel row: 3 * width rounded up to a multiple of 4.
    static int RowByteCount(int width);

private:
    std::string m_destFilename;
    Image* m_sourceImage;
};

} // namespace utils
} // namespace noise

#endif
