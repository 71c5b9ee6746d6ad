// Decodes uncompressed Windows BMP files of 1, 4, 8 and 24 bits per pixel into packed RGB rows.
// The input is untrusted: every size is checked before anything is allocated, reads past the
// end of the data give zeros, and the record is changed only once the image is known to fit.
#include "image/bitmap_stream.h"
#include "image/image.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ios>
#include <limits>
#include <memory>
#include <new>
#include <streambuf>
#include <vector>

namespace {

constexpr std::size_t headerSize = 54;    // 14-byte file header + 40-byte information header
constexpr std::size_t paletteOffset = 54; // palettes always follow a 40-byte information header
constexpr std::size_t maxClaimRatio = 4;  // pixel bytes a header may claim per byte present
constexpr std::size_t unknownLength = SIZE_MAX;

struct Layout {
    std::size_t offset = 0; // start of the pixel data
    int width = 0;
    int height = 0;       // row count, always positive
    bool topDown = false; // a top-down file stores a negative height
    int depth = 0;        // bits per pixel
    std::uint32_t compression = 0;
    std::size_t rowDataBytes = 0; // bytes holding the row's width pixels
    std::size_t storedRow = 0;    // the same, rounded up to 4 bytes
    std::size_t storedSize = 0;   // all stored rows
    std::size_t pixelBytes = 0;   // the decoded RGB array
};

std::uint32_t ReadU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int64_t ReadS32(const unsigned char* p) {
    std::int64_t value = ReadU32(p);
    return value >= 0x80000000LL ? value - 0x100000000LL : value;
}

bool MultiplyFits(std::size_t a, std::size_t b, std::size_t* product) {
    if (a != 0 && b > SIZE_MAX / a) {
        return false;
    }
    *product = a * b;
    return true;
}

std::size_t PaletteEntries(int depth) {
    return depth == 1 || depth == 4 || depth == 8 ? std::size_t{1} << depth : 0;
}

// Reads the header's numbers; false when they describe no possible image at all.
bool ParseLayout(const unsigned char* bytes, Layout* layout) {
    const std::int64_t width = ReadS32(bytes + 18);
    const std::int64_t height = ReadS32(bytes + 22);
    if (width <= 0 || height == 0 || height == INT32_MIN) {
        return false;
    }
    layout->offset = ReadU32(bytes + 10);
    layout->width = static_cast<int>(width);
    layout->height = static_cast<int>(height < 0 ? -height : height);
    layout->topDown = height < 0;
    // only the low byte of the 16-bit bits-per-pixel field counts
    layout->depth = bytes[28];
    layout->compression = ReadU32(bytes + 30);
    // depth 0 is unsupported anyway; sizing it as 1 bit keeps the length check meaningful
    const std::uint64_t rowBits =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(std::max(layout->depth, 1));
    if (rowBits / 8 + 4 > SIZE_MAX / 2) {
        return false;
    }
    layout->rowDataBytes = static_cast<std::size_t>((rowBits + 7) / 8);
    layout->storedRow = static_cast<std::size_t>((rowBits + 31) / 32 * 4);
    std::size_t rowPixelBytes = 0;
    return MultiplyFits(layout->height, layout->storedRow, &layout->storedSize) &&
           MultiplyFits(static_cast<std::size_t>(layout->width), 3, &rowPixelBytes) &&
           MultiplyFits(rowPixelBytes, layout->height, &layout->pixelBytes);
}

// 0 when the file can hold the image its header describes, else the code to return.
char ExamineLayout(const unsigned char* bytes, std::size_t size, Layout* layout) {
    if (!ParseLayout(bytes, layout)) {
        return 'u';
    }
    // pixel data cannot start inside the header
    if (layout->offset < headerSize) {
        return 'u';
    }
    // A header claiming far more pixel bytes than the file has left is a bogus size, not a
    // cut-off file: trusting it would let a few bytes allocate gigabytes.
    const std::size_t available = size > layout->offset ? size - layout->offset : 0;
    if (available == 0 || layout->storedSize / maxClaimRatio > available) {
        return 'u';
    }
    return 0;
}

// Returns what the header asks for, so a stream is not read beyond the image.
std::size_t BytesWanted(const unsigned char* bytes, std::size_t size) {
    Layout layout;
    if (size < headerSize || !ParseLayout(bytes, &layout)) {
        return headerSize;
    }
    const std::size_t paletteEnd = paletteOffset + 4 * PaletteEntries(layout.depth);
    const std::size_t pixelEnd =
        layout.storedSize > SIZE_MAX - layout.offset ? SIZE_MAX : layout.offset + layout.storedSize;
    return std::max(paletteEnd, pixelEnd);
}

struct Palette {
    unsigned char rgb[256][3] = {};
};

// Entries are blue, green, red, reserved; entries beyond the end of the data stay black.
void ReadPalette(const unsigned char* bytes, std::size_t size, int depth, Palette* palette) {
    const std::size_t entries = PaletteEntries(depth);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t at = paletteOffset + 4 * i;
        for (int c = 0; c < 3; ++c) {
            const std::size_t byte = at + 2 - c;
            palette->rgb[i][c] = byte < size ? bytes[byte] : 0;
        }
    }
}

// Each Decode* writes pixels [0, count) of one row; count never exceeds what the source holds.
void Decode24(const unsigned char* src, int count, unsigned char* dst) {
    for (int x = 0; x < count; ++x, src += 3, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
}

void PutIndex(const Palette& palette, unsigned index, unsigned char* dst) {
    dst[0] = palette.rgb[index][0];
    dst[1] = palette.rgb[index][1];
    dst[2] = palette.rgb[index][2];
}

void Decode8(const unsigned char* src, int count, const Palette& palette, unsigned char* dst) {
    for (int x = 0; x < count; ++x, dst += 3) {
        PutIndex(palette, src[x], dst);
    }
}

// high nibble first
void Decode4(const unsigned char* src, int count, const Palette& palette, unsigned char* dst) {
    for (int x = 0; x < count; ++x, dst += 3) {
        const unsigned byte = src[x >> 1];
        PutIndex(palette, (x & 1) ? byte & 0x0F : byte >> 4, dst);
    }
}

// most significant bit first
void Decode1(const unsigned char* src, int count, const Palette& palette, unsigned char* dst) {
    for (int x = 0; x < count; ++x, dst += 3) {
        PutIndex(palette, (src[x >> 3] >> (7 - (x & 7))) & 1, dst);
    }
}

// Pixels of one row whose bytes are all present in the data.
int PixelsPresent(const Layout& layout, std::size_t bytesPresent) {
    std::size_t count = 0;
    switch (layout.depth) {
    case 24:
        count = bytesPresent / 3;
        break;
    case 8:
        count = bytesPresent;
        break;
    case 4:
        count = bytesPresent * 2;
        break;
    default:
        count = bytesPresent * 8;
        break;
    }
    return static_cast<int>(std::min<std::size_t>(count, layout.width));
}

void Commit(const Layout& layout, std::unique_ptr<unsigned char[]> pixels, BitmapFile* bitmap) {
    delete[] bitmap->data;
    bitmap->data = pixels.release();
    bitmap->width = layout.width;
    bitmap->height = layout.height;
}

// Decodes every stored row; pixels the data does not reach stay 0. True when nothing was missing.
bool DecodeRows(const unsigned char* bytes, std::size_t size, const Layout& layout,
                unsigned char* pixels) {
    Palette palette;
    ReadPalette(bytes, size, layout.depth, &palette);
    const std::size_t rowPixelBytes = static_cast<std::size_t>(layout.width) * 3;
    bool complete = true;
    for (int row = 0; row < layout.height; ++row) {
        // rows are kept bottom-up like OpenGL wants them, so a top-down file is flipped
        const int target = layout.topDown ? layout.height - 1 - row : row;
        unsigned char* dst = pixels + rowPixelBytes * target;
        const std::size_t start = layout.offset + layout.storedRow * row;
        // a missing padding after the last pixel of a row costs nothing
        const std::size_t present =
            start < size ? std::min(size - start, layout.rowDataBytes) : std::size_t{0};
        const int count = PixelsPresent(layout, present);
        complete = complete && count == layout.width;
        const unsigned char* src = bytes + std::min(start, size);
        switch (layout.depth) {
        case 24:
            Decode24(src, count, dst);
            break;
        case 8:
            Decode8(src, count, palette, dst);
            break;
        case 4:
            Decode4(src, count, palette, dst);
            break;
        default:
            Decode1(src, count, palette, dst);
            break;
        }
    }
    return complete;
}

std::size_t RemainingLength(std::istream& in) {
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr) {
        return unknownLength;
    }
    const std::streampos here = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
    if (here == std::streampos(std::streamoff(-1))) {
        return unknownLength;
    }
    const std::streampos end = buffer->pubseekoff(0, std::ios::end, std::ios::in);
    buffer->pubseekpos(here, std::ios::in);
    if (end == std::streampos(std::streamoff(-1)) || end < here) {
        return unknownLength;
    }
    return static_cast<std::size_t>(end - here);
}

// Appends up to count bytes. Without a known length the buffer grows by chunks, so its size
// follows what the stream really holds rather than what a header claims.
void ReadMore(std::istream& in, std::vector<unsigned char>* bytes, std::size_t count,
              bool lengthKnown) {
    while (count > 0 && in.good()) {
        const std::size_t chunk =
            lengthKnown ? count : std::min(count, std::max<std::size_t>(65536, bytes->size()));
        const std::size_t old = bytes->size();
        bytes->resize(old + chunk);
        in.read(reinterpret_cast<char*>(bytes->data() + old), static_cast<std::streamsize>(chunk));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        bytes->resize(old + got);
        count -= got;
        if (got < chunk) {
            break;
        }
    }
}

} // namespace

char ReadBitmapMemory(const unsigned char* bytes, std::size_t size, BitmapFile* bitmap) {
    if (sizeof(int) != 4) {
        return 'i';
    }
    if ((size >= 1 && bytes[0] != 'B') || (size >= 2 && bytes[1] != 'M')) {
        return 'b';
    }
    // the file ends inside its header
    if (size < headerSize) {
        return 'f';
    }
    Layout layout;
    const char code = ExamineLayout(bytes, size, &layout);
    if (code != 0) {
        return code;
    }
    // compressed data read as raw bytes would be noise
    if (layout.compression != 0) {
        return 'u';
    }
    try {
        std::unique_ptr<unsigned char[]> pixels(new unsigned char[layout.pixelBytes]());
        if (PaletteEntries(layout.depth) == 0 && layout.depth != 24) {
            // an unsupported depth still tells the size: the record gets it, in black
            Commit(layout, std::move(pixels), bitmap);
            return 'u';
        }
        const bool complete = DecodeRows(bytes, size, layout, pixels.get());
        Commit(layout, std::move(pixels), bitmap);
        return complete ? 0 : 'f';
    } catch (const std::bad_alloc&) {
        return 'f';
    }
}

char ReadBitmapStream(std::istream& in, BitmapFile* bitmap) {
    try {
        const std::size_t remaining = RemainingLength(in);
        const bool lengthKnown = remaining != unknownLength;
        std::vector<unsigned char> bytes;
        ReadMore(in, &bytes, std::min(remaining, headerSize), lengthKnown);
        const std::size_t wanted = std::min(remaining, BytesWanted(bytes.data(), bytes.size()));
        if (wanted > bytes.size()) {
            ReadMore(in, &bytes, wanted - bytes.size(), lengthKnown);
        }
        if (in.bad()) {
            return 'f';
        }
        return ReadBitmapMemory(bytes.data(), bytes.size(), bitmap);
    } catch (const std::bad_alloc&) {
        return 'f';
    } catch (const std::ios_base::failure&) {
        return 'f';
    }
}
