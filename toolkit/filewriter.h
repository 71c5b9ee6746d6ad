// Private helper of the file writers: the file is opened, written and closed in one place, so
// every failure surfaces the same way whatever the format.
#ifndef QUILLMERE_TOOLKIT_FILEWRITER_H
#define QUILLMERE_TOOLKIT_FILEWRITER_H

#include <cstddef>
#include <string>
#include <vector>

namespace noise {
namespace utils {
namespace detail {

// A file rewritten from its first byte. An existing file is overwritten in place and cut to the
// written length at the end rather than emptied when opened: emptying makes the file system drop
// its blocks and allocate them again, and ext4 then also forces the data out at close, which
// took most of the time of writing a 512 x 512 texture over the previous one.
class OutputFile {
public:
    // Creates or opens filename for writing; throws noise::ExceptionUnknown when it cannot.
    explicit OutputFile(const std::string& filename);
    // Closes the file if Finish was not reached; what was written stays.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes every byte or throws noise::ExceptionUnknown (a full disk, an I/O error); the file
    // is then cut after the bytes written so far.
    void Write(const unsigned char* bytes, std::size_t count);
    // Cuts the file after the written bytes and closes it; throws noise::ExceptionUnknown when
    // either fails.
    void Finish();

private:
    void FailAndClose();

    int m_descriptor;
    bool m_isRegular;
    unsigned long long m_written;
};

// About this many bytes of rows are gathered before each write; a wider row is written alone.
const std::size_t kWriteChunkBytes = 64 * 1024;

// Throws noise::ExceptionOutOfMemory when the bytes cannot be had.
std::vector<unsigned char> AllocateWriteBuffer(std::size_t bytes);

// Creates or rewrites filename with headerSize header bytes followed by rowCount rows of
// rowBytes bytes. fillRow(y, row) fills row y in a buffer that gathers many rows, so the file
// is written in a few large calls.
// Throws noise::ExceptionOutOfMemory when the buffer cannot be allocated (no file touched) and
// noise::ExceptionUnknown when the file cannot be opened, written or closed.
template <class FillRow>
void WriteHeaderAndRows(const std::string& filename, const unsigned char* header, int headerSize,
                        int rowBytes, int rowCount, FillRow fillRow) {
    const std::size_t rowSize = static_cast<std::size_t>(rowBytes);
    const std::size_t rowsPerChunk =
        rowSize == 0 ? 1 : (rowSize >= kWriteChunkBytes ? 1 : kWriteChunkBytes / rowSize);
    std::vector<unsigned char> chunk = AllocateWriteBuffer(rowsPerChunk * rowSize);

    OutputFile file(filename);
    file.Write(header, static_cast<std::size_t>(headerSize));
    for (int y = 0; y < rowCount;) {
        unsigned char* row = chunk.data();
        int filled = 0;
        for (; y < rowCount && static_cast<std::size_t>(filled) < rowsPerChunk; ++y, ++filled) {
            fillRow(y, row);
            row += rowSize;
        }
        file.Write(chunk.data(), static_cast<std::size_t>(filled) * rowSize);
    }
    // Data buffered by the system reaches the disk later; a failure to close or cut the file
    // (a full disk on a network file system) must not pass for success.
    file.Finish();
}

} // namespace detail
} // namespace utils
} // namespace noise

#endif
