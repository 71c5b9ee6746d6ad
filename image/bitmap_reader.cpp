// Decodes Windows and OS/2 BMP files into packed RGB rows (and an alpha plane where the file has
// alpha): 1, 4 and 8 bits with a palette, 4 and 8 bits run-length encoded, 16 and 32 bits with
// bit-field masks, 24 bits. The input is untrusted: every size is checked before anything is
// allocated, reads past the end of the data give zeros, and the record is changed only once the
// image is known to fit. Files are read a bounded piece at a time, so that beyond the decoded
// image only a few rows are ever held.
#include "image/bitmap.h"
#include "image/bitmap_layout.h"
#include "image/bitmap_rle.h"
#include "image/bitmap_rows.h"
#include "image/bitmap_source.h"
#include "image/bitmap_stream.h"

#include <algorithm>
#include <cstring>
#include <ios>
#include <memory>
#include <new>
#include <streambuf>
#include <vector>

namespace {

using namespace bitmap;

// About 64 KB of stored rows per read: few calls, and the rows stay in the cache while they
// are decoded.
constexpr std::size_t chunkBytes = 65536;

void ReadPalette(ByteSource& source, const Layout& layout, Palette* palette) {
    unsigned char stored[256 * 4];
    const std::size_t entrySize = layout.paletteEntryBytes;
    // entries past the end of the data read as zeros, that is black
    source.ReadAt(layout.paletteStart, stored, layout.paletteEntries * entrySize);
    for (std::size_t i = 0; i < layout.paletteEntries; ++i) {
        const unsigned char* entry = stored + entrySize * i;
        palette->rgb[i][0] = entry[2];
        palette->rgb[i][1] = entry[1];
        palette->rgb[i][2] = entry[0];
    }
}

// Masks stored after a 40-byte header, as BI_BITFIELDS files with that header have them.
void ReadMasksAfterHeader(ByteSource& source, Layout* layout) {
    unsigned char stored[16];
    const int count = layout->masksAfterHeader;
    source.ReadAt(layout->maskStart, stored, 4 * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        layout->masks[i] = ReadU32(stored + 4 * i);
    }
}

// Pixels of one row whose bytes are all present in the data.
int PixelsPresent(const Layout& layout, std::size_t bytesPresent) {
    const std::size_t count = bytesPresent * 8 / static_cast<std::size_t>(layout.depth);
    return static_cast<int>(std::min<std::size_t>(count, layout.width));
}

// Decodes every stored row; pixels the data does not reach are zeros. True when nothing was
// missing.
bool DecodeStoredRows(ByteSource& source, const Layout& layout, const RowDecoder& rows,
                      unsigned char* pixels, unsigned char* alpha) {
    const std::size_t height = static_cast<std::size_t>(layout.height);
    const std::size_t width = static_cast<std::size_t>(layout.width);
    const std::size_t chunkRows =
        std::min(height, std::max<std::size_t>(1, chunkBytes / layout.storedRow));
    std::vector<unsigned char> buffer(chunkRows * layout.storedRow);
    bool complete = true;
    for (std::size_t first = 0; first < height; first += chunkRows) {
        const std::size_t count = std::min(chunkRows, height - first);
        const std::size_t got = source.ReadAt(layout.offset + first * layout.storedRow,
                                              buffer.data(), count * layout.storedRow);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t start = i * layout.storedRow;
            // a missing padding after the last pixel of a row costs nothing
            const std::size_t present =
                got > start ? std::min(got - start, layout.rowDataBytes) : std::size_t{0};
            const int decoded = PixelsPresent(layout, present);
            // rows are kept bottom-up like OpenGL wants them, so a top-down file is flipped
            const std::size_t row = first + i;
            const std::size_t target = layout.topDown ? height - 1 - row : row;
            unsigned char* dst = pixels + target * width * 3;
            unsigned char* alphaRow = alpha != nullptr ? alpha + target * width : nullptr;
            rows.Decode(buffer.data() + start, decoded, dst, alphaRow);
            if (decoded < layout.width) {
                complete = false;
                std::memset(dst + 3 * decoded, 0, 3 * (width - decoded));
                if (alphaRow != nullptr) {
                    std::memset(alphaRow + decoded, 0, width - decoded);
                }
            }
        }
    }
    return complete;
}

void Commit(const Layout& layout, std::unique_ptr<unsigned char[]> pixels,
            std::unique_ptr<unsigned char[]> alpha, BitmapFile* bitmap) {
    delete[] bitmap->data;
    delete[] bitmap->alpha;
    bitmap->data = pixels.release();
    bitmap->alpha = alpha.release();
    bitmap->width = layout.width;
    bitmap->height = layout.height;
}

char Decode(ByteSource& source, BitmapFile* bitmap) {
    unsigned char head[headBytes];
    const std::size_t got = source.ReadAt(0, head, headBytes);
    if ((got >= 1 && head[0] != 'B') || (got >= 2 && head[1] != 'M')) {
        return 'b';
    }
    Layout layout;
    const char code = ParseLayout(head, source.Size(), &layout);
    if (code != 0) {
        return code;
    }
    if (layout.masksAfterHeader > 0) {
        ReadMasksAfterHeader(source, &layout);
    }
    auto rows = std::make_unique<RowDecoder>();
    if (!rows->SetUp(layout)) {
        return 'u';
    }
    ReadPalette(source, layout, &rows->palette());
    const bool runLength = layout.kind == Kind::Rle8 || layout.kind == Kind::Rle4;
    try {
        // stored rows set every byte themselves; other pixels start black
        std::unique_ptr<unsigned char[]> pixels(runLength || layout.kind == Kind::UnsupportedDepth
                                                    ? new unsigned char[layout.pixelBytes]()
                                                    : new unsigned char[layout.pixelBytes]);
        if (layout.kind == Kind::UnsupportedDepth) {
            // an unsupported depth still tells the size: the record gets it, in black
            Commit(layout, std::move(pixels), nullptr, bitmap);
            return 'u';
        }
        std::unique_ptr<unsigned char[]> alpha;
        if (rows->HasAlpha()) {
            alpha.reset(new unsigned char[layout.pixelBytes / 3]);
        }
        bool complete = runLength
                            ? DecodeRle(source, layout, *rows, chunkBytes, pixels.get())
                            : DecodeStoredRows(source, layout, *rows, pixels.get(), alpha.get());
        complete = complete && !source.Failed();
        Commit(layout, std::move(pixels), std::move(alpha), bitmap);
        return complete ? 0 : 'f';
    } catch (const std::bad_alloc&) {
        return 'f';
    }
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

// Appends up to count bytes. The buffer grows by chunks, so its size follows what the stream
// really holds rather than what a header claims.
void ReadMore(std::istream& in, std::vector<unsigned char>* bytes, std::size_t count) {
    while (count > 0 && in.good()) {
        const std::size_t chunk = std::min(count, std::max<std::size_t>(65536, bytes->size()));
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

// What a stream of unknown length must give for the header's image, so that it is not read
// beyond the image: run-length data has no stated end and is read to the end of the stream.
std::size_t BytesWanted(const std::vector<unsigned char>& bytes) {
    unsigned char head[headBytes] = {};
    std::memcpy(head, bytes.data(), std::min(bytes.size(), headBytes));
    Layout layout;
    if (bytes.size() < headBytes || ParseLayout(head, unknownLength, &layout) != 0) {
        return bytes.size();
    }
    if (layout.kind == Kind::Rle8 || layout.kind == Kind::Rle4) {
        return unknownLength;
    }
    const std::size_t paletteEnd =
        layout.paletteStart + layout.paletteEntries * layout.paletteEntryBytes;
    const std::size_t maskEnd = layout.maskStart + 4 * layout.masksAfterHeader;
    const std::size_t pixelEnd =
        layout.storedSize > SIZE_MAX - layout.offset ? SIZE_MAX : layout.offset + layout.storedSize;
    return std::max({paletteEnd, maskEnd, pixelEnd});
}

} // namespace

char ReadBitmapMemory(const unsigned char* bytes, std::size_t size, BitmapFile* bitmap) {
    if (sizeof(int) != 4) {
        return 'i';
    }
    MemorySource source(bytes, size);
    return Decode(source, bitmap);
}

char ReadBitmapStream(std::istream& in, BitmapFile* bitmap) {
    try {
        const std::size_t remaining = RemainingLength(in);
        if (remaining != unknownLength) {
            StreamSource source(in, in.tellg(), remaining);
            return Decode(source, bitmap);
        }
        // a pipe: its bytes are gathered first, as far as the header asks for them
        std::vector<unsigned char> bytes;
        ReadMore(in, &bytes, headBytes);
        const std::size_t wanted = BytesWanted(bytes);
        if (wanted > bytes.size()) {
            ReadMore(in, &bytes, wanted - bytes.size());
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
