// Private to the BMP reader: turning the stored pixels of one row into RGB bytes (and alpha
// bytes where the file has an alpha channel). Each decoder writes pixels [0, count) of a row;
// the caller never passes more pixels than the source bytes hold.
#ifndef QUILLMERE_IMAGE_BITMAP_ROWS_H
#define QUILLMERE_IMAGE_BITMAP_ROWS_H

#include "image/bitmap_layout.h"

#include <cstdint>

namespace bitmap {

struct Palette {
    unsigned char rgb[256][3] = {}; // entries the file does not have stay black
};

// One colour channel given by a bit mask. An n-bit value v becomes v * 255 / (2^n - 1),
// rounded to nearest, as other decoders scale 5- and 6-bit channels.
class MaskChannel {
public:
    // False for a mask whose bits are not contiguous. A zero mask gives a channel of zeros.
    bool SetMask(std::uint32_t mask) {
        m_mask = mask;
        m_shift = 0;
        m_max = 0;
        if (mask == 0) {
            return true;
        }
        while (((mask >> m_shift) & 1) == 0) {
            ++m_shift;
        }
        m_max = mask >> m_shift;
        if ((static_cast<std::uint64_t>(m_max) & (static_cast<std::uint64_t>(m_max) + 1)) != 0) {
            return false;
        }
        const std::uint32_t tableSize = m_max < 256 ? m_max + 1 : 0;
        for (std::uint32_t v = 0; v < tableSize; ++v) {
            m_table[v] = Scale(v);
        }
        return true;
    }
    std::uint32_t Mask() const { return m_mask; }
    unsigned char Of(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & m_mask) >> m_shift;
        return m_max < 256 ? m_table[v] : Scale(v);
    }

private:
    unsigned char Scale(std::uint32_t v) const {
        const std::uint64_t max = m_max;
        return static_cast<unsigned char>((v * std::uint64_t{510} + max) / (2 * max));
    }
    std::uint32_t m_mask = 0;
    int m_shift = 0;
    std::uint32_t m_max = 0;
    unsigned char m_table[256] = {};
};

class RowDecoder {
public:
    // False when a bit-field mask is not contiguous.
    bool SetUp(const Layout& layout) {
        m_kind = layout.kind;
        m_depth = layout.depth;
        for (int c = 0; c < 4; ++c) {
            if (!m_channels[c].SetMask(layout.masks[c])) {
                return false;
            }
        }
        // what image editors write: blue, green, red and alpha or padding in whole bytes
        m_bytesBgra = layout.kind == Kind::Masked32 && layout.masks[0] == 0xFF0000 &&
                      layout.masks[1] == 0xFF00 && layout.masks[2] == 0xFF &&
                      (layout.masks[3] == 0 || layout.masks[3] == 0xFF000000u);
        return true;
    }
    bool HasAlpha() const {
        return (m_kind == Kind::Masked16 || m_kind == Kind::Masked32) && m_channels[3].Mask() != 0;
    }
    Palette& palette() { return m_palette; }

    // `alpha` is written only when HasAlpha().
    void Decode(const unsigned char* src, int count, unsigned char* dst,
                unsigned char* alpha) const {
        switch (m_kind) {
        case Kind::Rgb24:
            for (int x = 0; x < count; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            break;
        case Kind::Masked32:
            if (m_bytesBgra) {
                DecodeBgra(src, count, dst, alpha);
            } else {
                DecodeMasked(src, count, 4, dst, alpha);
            }
            break;
        case Kind::Masked16:
            DecodeMasked(src, count, 2, dst, alpha);
            break;
        default:
            DecodeIndices(src, count, dst);
            break;
        }
    }

    void PutIndex(unsigned index, unsigned char* dst) const {
        dst[0] = m_palette.rgb[index][0];
        dst[1] = m_palette.rgb[index][1];
        dst[2] = m_palette.rgb[index][2];
    }

private:
    void DecodeIndices(const unsigned char* src, int count, unsigned char* dst) const {
        switch (m_depth) {
        case 8:
            for (int x = 0; x < count; ++x, dst += 3) {
                PutIndex(src[x], dst);
            }
            break;
        case 4: // high nibble first
            for (int x = 0; x < count; ++x, dst += 3) {
                const unsigned byte = src[x >> 1];
                PutIndex((x & 1) ? byte & 0x0F : byte >> 4, dst);
            }
            break;
        default: // most significant bit first
            for (int x = 0; x < count; ++x, dst += 3) {
                PutIndex((src[x >> 3] >> (7 - (x & 7))) & 1, dst);
            }
            break;
        }
    }

    void DecodeBgra(const unsigned char* src, int count, unsigned char* dst,
                    unsigned char* alpha) const {
        for (int x = 0; x < count; ++x) {
            dst[3 * x] = src[4 * x + 2];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x];
        }
        if (HasAlpha()) {
            for (int x = 0; x < count; ++x) {
                alpha[x] = src[4 * x + 3];
            }
        }
    }

    void DecodeMasked(const unsigned char* src, int count, int bytes, unsigned char* dst,
                      unsigned char* alpha) const {
        const bool hasAlpha = HasAlpha();
        for (int x = 0; x < count; ++x, src += bytes, dst += 3) {
            const std::uint32_t pixel = bytes == 2 ? ReadU16(src) : ReadU32(src);
            dst[0] = m_channels[0].Of(pixel);
            dst[1] = m_channels[1].Of(pixel);
            dst[2] = m_channels[2].Of(pixel);
            if (hasAlpha) {
                alpha[x] = m_channels[3].Of(pixel);
            }
        }
    }

    Kind m_kind = Kind::UnsupportedDepth;
    int m_depth = 0;
    bool m_bytesBgra = false;
    MaskChannel m_channels[4];
    Palette m_palette;
};

} // namespace bitmap

#endif
