#include "toolkit/filewriter.h"

#include <cerrno>
#include <new>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libnoise/exception.h>

namespace noise {
namespace utils {
namespace detail {

std::vector<unsigned char> AllocateWriteBuffer(std::size_t bytes) {
    try {
        return std::vector<unsigned char>(bytes);
    } catch (const std::bad_alloc&) {
        throw noise::ExceptionOutOfMemory();
    } catch (const std::length_error&) {
        throw noise::ExceptionOutOfMemory();
    }
}

OutputFile::OutputFile(const std::string& filename)
    : m_descriptor(-1), m_isRegular(false), m_written(0) {
    do {
        m_descriptor = ::open(filename.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    } while (m_descriptor < 0 && errno == EINTR);
    if (m_descriptor < 0) {
        throw noise::ExceptionUnknown();
    }
    // Only a regular file can be cut to length; a device or a pipe is simply written to.
    struct stat status;
    m_isRegular = ::fstat(m_descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

OutputFile::~OutputFile() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
}

void OutputFile::Write(const unsigned char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t done = ::write(m_descriptor, bytes, count);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            FailAndClose();
        }
        bytes += done;
        count -= static_cast<std::size_t>(done);
        m_written += static_cast<unsigned long long>(done);
    }
}

void OutputFile::Finish() {
    const bool cut = !m_isRegular || ::ftruncate(m_descriptor, static_cast<off_t>(m_written)) == 0;
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    // close is not retried after EINTR: on Linux the descriptor is released either way.
    const bool closed = ::close(descriptor) == 0;
    if (!cut || !closed) {
        throw noise::ExceptionUnknown();
    }
}

void OutputFile::FailAndClose() {
    // The old contents after the failure point would pass for part of the new file.
    if (m_isRegular) {
        (void)::ftruncate(m_descriptor, static_cast<off_t>(m_written));
    }
    ::close(m_descriptor);
    m_descriptor = -1;
    throw noise::ExceptionUnknown();
}

} // namespace detail
} // namespace utils
} // namespace noise
