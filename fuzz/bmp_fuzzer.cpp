// The BMP decoder on arbitrary bytes, through all three ways in: memory, a seekable stream and
// a stream of unknown length. All three must agree, and every pixel and alpha byte of a decoded
// record must be readable. The project's BMP files (plain, bit fields, run-length encoded, every
// header size) are the seeds.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <streambuf>
#include <string>

#include "image/bitmap_stream.h"
#include "image/image.h"

namespace {

// A byte source that cannot seek, like a pipe: the reader has to find the length by reading.
class PipeBuffer : public std::streambuf {
public:
    PipeBuffer(const std::uint8_t* data, std::size_t size) {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }
};

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

// A record that already holds a 1 x 1 image, so that codes promising to leave it alone are
// checked.
void Prefill(BitmapFile* bitmap) {
    bitmap->width = 1;
    bitmap->height = 1;
    bitmap->Allocate();
    std::memcpy(bitmap->data, "\x11\x22\x33", 3);
}

unsigned Checksum(const BitmapFile& bitmap) {
    if (bitmap.data == nullptr) {
        return 0;
    }
    unsigned sum = 0;
    const std::size_t pixels = static_cast<std::size_t>(bitmap.width) * bitmap.height;
    for (std::size_t i = 0; i < pixels * 3; ++i) {
        sum = sum * 31 + bitmap.data[i];
    }
    if (bitmap.alpha != nullptr) {
        for (std::size_t i = 0; i < pixels; ++i) {
            sum = sum * 37 + bitmap.alpha[i];
        }
    }
    return sum;
}

void CheckRecord(char code, const BitmapFile& bitmap) {
    Require(code == 0 || code == 'b' || code == 'u' || code == 'f', "unexpected error code");
    if (code == 0 || code == 'f') {
        Require(bitmap.width > 0 && bitmap.height > 0 && bitmap.data != nullptr,
                "a decoded record has no image");
    }
    Require(bitmap.alpha == nullptr || bitmap.data != nullptr, "an alpha plane without pixels");
    if (code == 'b') {
        Require(bitmap.width == 1 && bitmap.height == 1 &&
                    std::memcmp(bitmap.data, "\x11\x22\x33", 3) == 0,
                "a file that is no bitmap changed the record");
    }
}

bool SameRecord(const BitmapFile& a, const BitmapFile& b) {
    return a.width == b.width && a.height == b.height &&
           (a.alpha == nullptr) == (b.alpha == nullptr) && Checksum(a) == Checksum(b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BitmapFile fromMemory;
    Prefill(&fromMemory);
    const char memoryCode = ReadBitmapMemory(data, size, &fromMemory);
    CheckRecord(memoryCode, fromMemory);

    BitmapFile fromStream;
    Prefill(&fromStream);
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    const char streamCode = ReadBitmapStream(stream, &fromStream);
    Require(streamCode == memoryCode, "stream and memory codes differ");
    Require(SameRecord(fromStream, fromMemory), "stream and memory records differ");

    BitmapFile fromPipe;
    Prefill(&fromPipe);
    PipeBuffer pipe(data, size);
    std::istream pipeStream(&pipe);
    const char pipeCode = ReadBitmapStream(pipeStream, &fromPipe);
    Require(pipeCode == memoryCode, "pipe and memory codes differ");
    Require(SameRecord(fromPipe, fromMemory), "pipe and memory records differ");
    return 0;
}
