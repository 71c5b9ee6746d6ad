#include "model/file_window.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>

// The windows each thread has mapped, newest first. A bus error from reading a mapped page is
// delivered to the thread that read it, so the handler looks at that thread's windows only; they
// change only on their own thread, never while one of them is being read.
struct WindowRegistry {
    static thread_local FileWindow* windows;
    static std::mutex mutex; // over guards and previous
    static int guards;
    static struct sigaction previous;
    static std::size_t pageSize;

    static void Push(FileWindow* window) {
        window->m_below = windows;
        windows = window;
    }
    static void Remove(FileWindow* window) {
        FileWindow** link = &windows;
        while (*link != nullptr && *link != window) {
            link = &(*link)->m_below;
        }
        if (*link != nullptr) {
            *link = window->m_below;
        }
        window->m_below = nullptr;
    }

    static void OnBusError(int signal, siginfo_t* info, void* context) {
        const char* address = static_cast<const char*>(info->si_addr);
        if (info->si_code > 0) { // a fault, not a signal somebody sent
            for (FileWindow* window = windows; window != nullptr; window = window->m_below) {
                if (address < window->m_pages || address >= window->m_pages + window->m_length) {
                    continue;
                }
                // The page is gone from the file: a page of zeros takes its place, and the
                // reading goes on to its end, where the window tells that it was cut.
                const auto at = reinterpret_cast<std::uintptr_t>(address);
                void* page = reinterpret_cast<void*>(at - at % pageSize);
                if (mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                         0) != MAP_FAILED) {
                    window->m_cut = 1;
                    return;
                }
                break;
            }
        }
        PassOn(signal, info, context);
    }

    // A bus error that is not ours goes where it would have gone without the guard.
    static void PassOn(int signal, siginfo_t* info, void* context) {
        if ((previous.sa_flags & SA_SIGINFO) != 0) {
            previous.sa_sigaction(signal, info, context);
            return;
        }
        if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
            previous.sa_handler(signal);
            return;
        }
        // Default handling ends the program: a fault does so when the reading instruction
        // runs again on return; a sent signal is sent again.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        sigaction(SIGBUS, &fallback, nullptr);
        if (info->si_code <= 0) {
            raise(SIGBUS);
        }
    }
};

thread_local FileWindow* WindowRegistry::windows = nullptr;
std::mutex WindowRegistry::mutex;
int WindowRegistry::guards = 0;
struct sigaction WindowRegistry::previous {};
std::size_t WindowRegistry::pageSize = 4096;

BusErrorGuard::BusErrorGuard() {
    const std::lock_guard<std::mutex> lock(WindowRegistry::mutex);
    if (WindowRegistry::guards++ == 0) {
        WindowRegistry::pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = WindowRegistry::OnBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &WindowRegistry::previous);
    }
}

BusErrorGuard::~BusErrorGuard() {
    const std::lock_guard<std::mutex> lock(WindowRegistry::mutex);
    if (--WindowRegistry::guards == 0) {
        sigaction(SIGBUS, &WindowRegistry::previous, nullptr);
    }
}

bool FileWindow::Map(int file, std::uint64_t begin, std::uint64_t end, std::uint64_t fileSize,
                     std::size_t extra) {
    Unmap();
    const auto page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    const std::uint64_t first = begin / page * page;
    const std::uint64_t last = std::min(end + extra, fileSize);
    if (last < end || last <= first) {
        return false; // the file is shorter than it was
    }
    const auto length = static_cast<std::size_t>((last - first + page - 1) / page * page);
    void* pages = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, file, static_cast<off_t>(first));
    if (pages == MAP_FAILED) {
        return false;
    }
    m_pages = static_cast<char*>(pages);
    m_length = length;
    m_data = m_pages + (begin - first);
    m_readable = length - static_cast<std::size_t>(begin - first);
    m_cut = 0;
    WindowRegistry::Push(this);
    return true;
}

void FileWindow::Unmap() {
    if (m_pages == nullptr) {
        return;
    }
    WindowRegistry::Remove(this);
    munmap(m_pages, m_length);
    m_pages = nullptr;
    m_length = 0;
    m_data = nullptr;
    m_readable = 0;
}
