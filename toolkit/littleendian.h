// Private helpers of the file writers: integers split into bytes by shifting, so the files are
// the same on any host.
#ifndef QUILLMERE_TOOLKIT_LITTLEENDIAN_H
#define QUILLMERE_TOOLKIT_LITTLEENDIAN_H

#include <cstdint>
#include <cstring>

namespace noise {
namespace utils {
namespace detail {

inline unsigned char* PutUint16(unsigned char* out, std::uint16_t value) {
    out[0] = static_cast<unsigned char>(value & 0xff);
    out[1] = static_cast<unsigned char>((value >> 8) & 0xff);
    return out + 2;
}

inline unsigned char* PutUint32(unsigned char* out, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) {
        out[k] = static_cast<unsigned char>((value >> (8 * k)) & 0xff);
    }
    return out + 4;
}

inline unsigned char* PutFloat32(unsigned char* out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return PutUint32(out, bits);
}

inline unsigned char* PutTag(unsigned char* out, const char* tag, std::size_t length) {
    std::memcpy(out, tag, length);
    return out + length;
}

} // namespace detail
} // namespace utils
} // namespace noise

#endif
