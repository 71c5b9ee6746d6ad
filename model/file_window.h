// A stretch of a file mapped for reading, safe against the file being cut short by another
// program while it is read: the lost pages read as zero bytes instead of ending the program with
// a bus error, and the window says afterwards that it was cut. Private to model/.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>

// While one is alive, bus errors in the windows of the thread that meets them are caught; any
// other bus error goes to whatever handled bus errors before. Nest freely, on any thread.
class BusErrorGuard {
public:
    BusErrorGuard();
    ~BusErrorGuard();
    BusErrorGuard(const BusErrorGuard&) = delete;
    BusErrorGuard& operator=(const BusErrorGuard&) = delete;
};

class FileWindow {
public:
    FileWindow() = default;
    ~FileWindow() { Unmap(); }
    FileWindow(const FileWindow&) = delete;
    FileWindow& operator=(const FileWindow&) = delete;

    // Maps bytes begin to end of the open file, and up to extra bytes after them that the file
    // still had at fileSize. False when the file is shorter than end or cannot be mapped. Only
    // the thread that maps a window may read it while a guard is alive.
    bool Map(int file, std::uint64_t begin, std::uint64_t end, std::uint64_t fileSize,
             std::size_t extra);
    void Unmap();

    const char* Data() const { return m_data; }
    // How many bytes from Data() on may be read: the stretch, its extra bytes and the rest of
    // the last page.
    std::size_t Readable() const { return m_readable; }
    // Whether pages were lost to the file being cut short since Map.
    bool Cut() const { return m_cut != 0; }

private:
    friend struct WindowRegistry;

    char* m_pages = nullptr;
    std::size_t m_length = 0;
    const char* m_data = nullptr;
    std::size_t m_readable = 0;
    volatile std::sig_atomic_t m_cut = 0;
    FileWindow* m_below = nullptr; // the window this thread mapped before, still mapped
};
