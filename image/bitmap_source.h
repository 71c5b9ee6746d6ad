// Private to the BMP reader: the bytes of one file, in memory or behind a seekable stream, read
// by position. Bytes past the end of the data read as zeros, so no decoder ever sees stale
// memory, and a stream is read a bounded piece at a time into the decoder's own buffer.
#ifndef QUILLMERE_IMAGE_BITMAP_SOURCE_H
#define QUILLMERE_IMAGE_BITMAP_SOURCE_H

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <istream>

namespace bitmap {

class ByteSource {
public:
    explicit ByteSource(std::size_t size) : m_size(size) {}
    virtual ~ByteSource() = default;
    std::size_t Size() const { return m_size; }
    // Copies bytes [at, at + count) to `to`, zeros for those past the end; returns how many
    // came from the data.
    std::size_t ReadAt(std::size_t at, unsigned char* to, std::size_t count) {
        const std::size_t inside = at < m_size ? std::min(count, m_size - at) : 0;
        const std::size_t got = inside > 0 ? Copy(at, to, inside) : 0;
        std::memset(to + got, 0, count - got);
        return got;
    }
    // True when the data could not be read although it was there.
    virtual bool Failed() const { return false; }

protected:
    virtual std::size_t Copy(std::size_t at, unsigned char* to, std::size_t count) = 0;

private:
    std::size_t m_size;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const unsigned char* bytes, std::size_t size) : ByteSource(size), m_bytes(bytes) {}

protected:
    std::size_t Copy(std::size_t at, unsigned char* to, std::size_t count) override {
        std::memcpy(to, m_bytes + at, count);
        return count;
    }

private:
    const unsigned char* m_bytes;
};

// A stream whose length is known; position 0 is where the file starts in it. Reads in order
// cost no seek.
class StreamSource : public ByteSource {
public:
    StreamSource(std::istream& in, std::streampos start, std::size_t size)
        : ByteSource(size), m_in(in), m_start(start) {}
    bool Failed() const override { return m_failed; }

protected:
    std::size_t Copy(std::size_t at, unsigned char* to, std::size_t count) override {
        if (at != m_position) {
            m_in.clear();
            m_in.seekg(m_start + static_cast<std::streamoff>(at));
            m_position = at;
        }
        m_in.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(count));
        const std::size_t got = static_cast<std::size_t>(m_in.gcount());
        m_position += got;
        if (got < count) {
            // the stream is shorter than it said, or could not be read
            m_failed = m_failed || m_in.bad();
            m_in.clear();
            m_position = static_cast<std::size_t>(-1);
        }
        return got;
    }

private:
    std::istream& m_in;
    std::streampos m_start;
    std::size_t m_position = 0;
    bool m_failed = false;
};

} // namespace bitmap

#endif
