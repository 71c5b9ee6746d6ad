// Private to the BMP reader: what a file's headers say about its pixels. Every header kind is
// read here: OS/2 1.x (12 bytes), OS/2 2.x (16 to 64 bytes), Windows 40, 52, 56, 108 and 124.
#ifndef QUILLMERE_IMAGE_BITMAP_LAYOUT_H
#define QUILLMERE_IMAGE_BITMAP_LAYOUT_H

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace bitmap {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t windowsHeaderEnd = 54; // file header + 40-byte information header
constexpr std::size_t unknownLength = SIZE_MAX;
// a header may claim this many stored bytes per byte the file really has
constexpr std::size_t maxClaimRatio = 4;
// run-length data: decoded pixels per byte present (a 2-byte run gives 255 pixels, an
// end-of-line escape a whole row); more than this is a bogus size, not a picture
constexpr std::size_t maxRlePixelsPerByte = 1024;

enum class Kind { Palette, Rle8, Rle4, Rgb24, Masked16, Masked32, UnsupportedDepth };

struct Layout {
    std::size_t offset = 0; // start of the pixel data
    int width = 0;
    int height = 0;       // row count, always positive
    bool topDown = false; // a top-down file stores a negative height
    int depth = 0;        // bits per pixel
    Kind kind = Kind::UnsupportedDepth;
    std::size_t headerEnd = 0;   // file header + information header, as far as it is trusted
    std::size_t maskStart = 0;   // where bit-field masks stored after the header begin
    int masksAfterHeader = 0;    // how many masks are stored there (0, 3 or 4)
    std::uint32_t masks[4] = {}; // red, green, blue, alpha (from the header or the defaults)
    std::size_t paletteStart = 0;
    std::size_t paletteEntries = 0;
    std::size_t paletteEntryBytes = 4; // blue, green, red, reserved; OS/2 1.x has no reserved
    std::size_t rowDataBytes = 0;      // bytes holding the row's width pixels
    std::size_t storedRow = 0;         // the same, rounded up to 4 bytes
    std::size_t storedSize = 0;        // all stored rows of an uncompressed file
    std::size_t pixelBytes = 0;        // the decoded RGB array
};

inline std::uint32_t ReadU16(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}

inline std::uint32_t ReadU32(const unsigned char* p) {
    return ReadU16(p) | ReadU16(p + 2) << 16;
}

inline std::int64_t ReadS32(const unsigned char* p) {
    std::int64_t value = ReadU32(p);
    return value >= 0x80000000LL ? value - 0x100000000LL : value;
}

inline bool MultiplyFits(std::size_t a, std::size_t b, std::size_t* product) {
    if (a != 0 && b > SIZE_MAX / a) {
        return false;
    }
    *product = a * b;
    return true;
}

// The file's first bytes, enough for every field this reader takes from inside a header (the
// alpha mask of a V3 or later header ends at 70).
constexpr std::size_t headBytes = 70;

// Sizes and the pixel layout; false when they describe no possible image at all.
inline bool SizeRows(std::int64_t width, std::int64_t height, Layout* layout) {
    if (width <= 0 || height == 0 || height == INT32_MIN || width > INT32_MAX) {
        return false;
    }
    layout->width = static_cast<int>(width);
    layout->height = static_cast<int>(height < 0 ? -height : height);
    layout->topDown = height < 0;
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

// The kind of pixel data; 'u' for a compression this reader does not decode.
inline char ChooseKind(std::uint32_t compression, std::size_t infoSize, Layout* layout) {
    const int depth = layout->depth;
    // OS/2 2.x headers give 3 and 4 other meanings (Huffman 1D, 24-bit RLE)
    const bool os2 = infoSize == 64 || (infoSize >= 16 && infoSize < 40);
    if (compression == 0) {
        switch (depth) {
        case 1:
        case 4:
        case 8:
            layout->kind = Kind::Palette;
            break;
        case 24:
            layout->kind = Kind::Rgb24;
            break;
        case 16:
            layout->kind = Kind::Masked16;
            layout->masks[0] = 0x7C00;
            layout->masks[1] = 0x03E0;
            layout->masks[2] = 0x001F;
            break;
        case 32:
            // the fourth byte is padding, not alpha
            layout->kind = Kind::Masked32;
            layout->masks[0] = 0xFF0000;
            layout->masks[1] = 0x00FF00;
            layout->masks[2] = 0x0000FF;
            break;
        default:
            layout->kind = Kind::UnsupportedDepth;
            break;
        }
        return 0;
    }
    if (compression == 1 && depth == 8) {
        layout->kind = Kind::Rle8;
        return 0;
    }
    if (compression == 2 && depth == 4) {
        layout->kind = Kind::Rle4;
        return 0;
    }
    // 3 is BI_BITFIELDS, 6 BI_ALPHABITFIELDS (all four masks)
    if ((compression == 3 || compression == 6) && !os2 && (depth == 16 || depth == 32)) {
        layout->kind = depth == 16 ? Kind::Masked16 : Kind::Masked32;
        // masks lie inside V2 and later headers, after a 40-byte one
        if (infoSize < 52) {
            layout->masksAfterHeader = compression == 6 ? 4 : 3;
        } else if (compression == 6 && infoSize < 56) {
            return 'u';
        }
        return 0;
    }
    return 'u';
}

// Reads the headers from `head` (the file's first headBytes bytes, zeros past its end; `size`
// is the file's length, or unknownLength) into `layout`. Returns 0 when the file can hold the
// image its header describes, else the code to return: 'f' for a file that ends inside its
// header, 'u' for what cannot be decoded. Masks inside the header are read; masks after it and
// the palette are only located.
inline char ParseLayout(const unsigned char* head, std::size_t size, Layout* layout) {
    if (size < fileHeaderSize + 4) {
        return 'f';
    }
    const std::uint32_t infoSize = ReadU32(head + 14);
    layout->offset = ReadU32(head + 10);
    const bool os2v1 = infoSize == 12;
    // A header size that would reach into the pixels is not believed: such a file is read as
    // having the common 40-byte header, as it always was.
    std::size_t trustedInfo = 40;
    if (os2v1 || (infoSize >= 16 && fileHeaderSize + infoSize <= layout->offset)) {
        trustedInfo = infoSize;
    }
    layout->headerEnd = fileHeaderSize + trustedInfo;
    const std::size_t needed = std::min(layout->headerEnd, headBytes);
    if (size < needed) {
        return 'f';
    }
    // fields past the end of a short header are absent, that is 0
    auto field32 = [&](std::size_t at) -> std::uint32_t {
        return at + 4 <= fileHeaderSize + trustedInfo && at + 4 <= headBytes ? ReadU32(head + at)
                                                                             : 0;
    };
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    if (os2v1) {
        width = ReadU16(head + 18);
        height = ReadU16(head + 20);
        // only the low byte of the 16-bit bits-per-pixel field counts
        layout->depth = head[24];
        layout->paletteEntryBytes = 3;
    } else {
        width = ReadS32(head + 18);
        height = ReadS32(head + 22);
        layout->depth = head[28];
        compression = field32(30);
        coloursUsed = field32(46);
    }
    if (!SizeRows(width, height, layout)) {
        return 'u';
    }
    // pixel data cannot start inside the header
    if (layout->offset < layout->headerEnd) {
        return 'u';
    }
    const char kindCode = ChooseKind(compression, trustedInfo, layout);
    if (kindCode != 0) {
        return kindCode;
    }
    if (layout->kind == Kind::Masked16 || layout->kind == Kind::Masked32) {
        if (compression != 0 && layout->masksAfterHeader == 0) {
            for (int i = 0; i < 4; ++i) {
                layout->masks[i] = field32(54 + 4 * static_cast<std::size_t>(i));
            }
        }
        layout->maskStart = layout->headerEnd;
    }
    if (layout->kind == Kind::Palette || layout->kind == Kind::Rle8 || layout->kind == Kind::Rle4) {
        const std::size_t full = std::size_t{1} << layout->depth;
        // a header may state fewer colours than the depth allows, never more
        layout->paletteEntries = coloursUsed > 0 && coloursUsed < full ? coloursUsed : full;
        layout->paletteStart = layout->headerEnd;
    }
    if (size == unknownLength) {
        return 0;
    }
    // A header claiming far more pixels than the file has bytes left is a bogus size, not a
    // cut-off file: trusting it would let a few bytes allocate gigabytes.
    const std::size_t available = size > layout->offset ? size - layout->offset : 0;
    if (available == 0) {
        return 'u';
    }
    if (layout->kind == Kind::Rle8 || layout->kind == Kind::Rle4) {
        if (layout->pixelBytes / 3 / maxRlePixelsPerByte > available) {
            return 'u';
        }
    } else if (layout->storedSize / maxClaimRatio > available) {
        return 'u';
    }
    return 0;
}

} // namespace bitmap

#endif
