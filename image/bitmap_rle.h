// Private to the BMP reader: run-length encoded 8-bit and 4-bit pixel data (BI_RLE8, BI_RLE4).
#ifndef QUILLMERE_IMAGE_BITMAP_RLE_H
#define QUILLMERE_IMAGE_BITMAP_RLE_H

#include "image/bitmap_layout.h"
#include "image/bitmap_rows.h"
#include "image/bitmap_source.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace bitmap {

// The source's bytes in order through a bounded buffer; -1 at the end of the data.
class ByteStream {
public:
    ByteStream(ByteSource& source, std::size_t start, std::size_t bufferBytes)
        : m_source(source), m_next(start), m_buffer(bufferBytes) {}
    int Next() {
        if (m_at == m_end) {
            m_end = m_source.ReadAt(m_next, m_buffer.data(), m_buffer.size());
            m_next += m_end;
            m_at = 0;
            if (m_end == 0) {
                return -1;
            }
        }
        return m_buffer[m_at++];
    }

private:
    ByteSource& m_source;
    std::size_t m_next;
    std::vector<unsigned char> m_buffer;
    std::size_t m_at = 0;
    std::size_t m_end = 0;
};

// Decodes into `pixels`, which holds zeros: pixels that no run sets stay black. A run or a
// delta that leaves the picture is cut at its edge. True when the data reached its
// end-of-bitmap escape or filled the last row; false when it ended first.
inline bool DecodeRle(ByteSource& source, const Layout& layout, const RowDecoder& rows,
                      std::size_t bufferBytes, unsigned char* pixels) {
    ByteStream in(source, layout.offset, bufferBytes);
    const bool nibbles = layout.kind == Kind::Rle4;
    const int width = layout.width;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    int x = 0;
    int y = 0;
    unsigned char* row = nullptr;
    auto seekRow = [&]() {
        // rows are kept bottom-up like OpenGL wants them, so a top-down file is flipped
        const int target = layout.topDown ? layout.height - 1 - y : y;
        row = pixels + rowBytes * static_cast<std::size_t>(target);
    };
    auto put = [&](unsigned index) {
        if (x < width) {
            rows.PutIndex(index, row + 3 * static_cast<std::size_t>(x));
            ++x;
        }
    };
    seekRow();
    while (y < layout.height) {
        const int count = in.Next();
        const int value = in.Next();
        if (value < 0) {
            return false;
        }
        if (count > 0) {
            // a run: one index, or two alternating nibbles
            for (int i = 0; i < count && x < width; ++i) {
                put(nibbles ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            }
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return true;
        case 2: { // delta: move right and up
            const int dx = in.Next();
            const int dy = in.Next();
            if (dy < 0) {
                return false;
            }
            x = std::min(x + dx, width);
            y += dy;
            break;
        }
        default: { // absolute mode: `value` indices stored as they are, padded to 16 bits
            const int bytes = nibbles ? (value + 1) / 2 : value;
            int byte = 0;
            for (int i = 0; i < value; ++i) {
                if (!nibbles || (i & 1) == 0) {
                    byte = in.Next();
                    if (byte < 0) {
                        return false;
                    }
                }
                put(nibbles ? ((i & 1) ? byte & 0x0F : byte >> 4) : byte);
            }
            if (bytes & 1) {
                in.Next();
            }
            break;
        }
        }
        if (y < layout.height) {
            seekRow();
        }
    }
    return true;
}

} // namespace bitmap

#endif
