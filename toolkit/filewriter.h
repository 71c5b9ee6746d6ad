// Private helper of the file writers: the file is opened, written and closed in one place, so
// every stream failure surfaces the same way whatever the format.
#ifndef QUILLMERE_TOOLKIT_FILEWRITER_H
#define QUILLMERE_TOOLKIT_FILEWRITER_H

#include <cstddef>
#include <fstream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <libnoise/exception.h>

namespace noise {
namespace utils {
namespace detail {

// Closes a stream that failed after opening and reports the failure; the file keeps what was
// written so far.
inline void FailAfterOpen(std::ofstream& stream) {
    stream.clear();
    stream.close();
    stream.clear();
    throw noise::ExceptionUnknown();
}

inline void WriteChecked(std::ofstream& stream, const unsigned char* bytes, int count) {
    stream.write(reinterpret_cast<const char*>(bytes), count);
    if (stream.fail() || stream.bad()) {
        FailAfterOpen(stream);
    }
}

// Creates or truncates filename and writes headerSize header bytes followed by rowCount rows of
// rowBytes bytes. fillRow(y, row) fills the one row buffer, reused for every row, before row y
// goes out in one write call.
// Throws noise::ExceptionOutOfMemory when the row buffer cannot be allocated (no file touched)
// and noise::ExceptionUnknown when the file cannot be opened, written or closed.
template <class FillRow>
void WriteHeaderAndRows(const std::string& filename, const unsigned char* header, int headerSize,
                        int rowBytes, int rowCount, FillRow fillRow) {
    std::ofstream stream;
    stream.clear();

    std::vector<unsigned char> row;
    try {
        row.resize(static_cast<std::size_t>(rowBytes));
    } catch (const std::bad_alloc&) {
        throw noise::ExceptionOutOfMemory();
    } catch (const std::length_error&) {
        throw noise::ExceptionOutOfMemory();
    }

    stream.open(filename.c_str(), std::ios::out | std::ios::binary | std::ios::trunc);
    if (stream.fail() || stream.bad()) {
        stream.clear();
        throw noise::ExceptionUnknown();
    }

    WriteChecked(stream, header, headerSize);
    for (int y = 0; y < rowCount; ++y) {
        fillRow(y, row.data());
        WriteChecked(stream, row.data(), rowBytes);
    }

    // Buffered bytes reach the file only now; a failure here (a full disk) must not pass for
    // success.
    stream.close();
    if (stream.fail()) {
        stream.clear();
        throw noise::ExceptionUnknown();
    }
    stream.clear();
}

} // namespace detail
} // namespace utils
} // namespace noise

#endif
