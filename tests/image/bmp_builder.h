// Builds BMP files byte by byte for the image tests, so each test shows the bytes it feeds in.
#ifndef QUILLMERE_TESTS_IMAGE_BMP_BUILDER_H
#define QUILLMERE_TESTS_IMAGE_BMP_BUILDER_H

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

inline void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// A bottom-up BMP with a 40-byte information header. The palette (4 bytes per entry: blue,
// green, red, reserved) follows the header; each row's given bytes are padded to 4 bytes with
// 0xEE, so a reader that takes padding for pixels shows it.
inline Bytes MakeBmp(int width, int height, int depth, const Bytes& palette,
                     const std::vector<Bytes>& rows) {
    Bytes bytes(54, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 10, static_cast<std::uint32_t>(54 + palette.size()));
    Put32(bytes, 14, 40);
    Put32(bytes, 18, static_cast<std::uint32_t>(width));
    Put32(bytes, 22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = static_cast<unsigned char>(depth);
    bytes.insert(bytes.end(), palette.begin(), palette.end());
    const std::size_t stored = (static_cast<std::size_t>(width) * depth + 31) / 32 * 4;
    for (const Bytes& row : rows) {
        bytes.insert(bytes.end(), row.begin(), row.end());
        bytes.insert(bytes.end(), stored - row.size(), 0xEE);
    }
    Put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#endif
