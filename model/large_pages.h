// Large pages for large lists. Private to model/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <vector>

// Filling a large list touches its pages one by one, and on a busy machine each first touch of a
// small page is a costly trap: large pages, where the system offers them on request, make it one
// trap per 2 MB. Only the part of the block that is whole large pages is asked for.
inline void AskForLargePages(const void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t large = std::uintptr_t(2) << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + large - 1) & ~(large - 1);
    const std::uintptr_t last = (begin + bytes) & ~(large - 1);
    if (bytes >= 2 * large && last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}

// Fills list with count copies of value, in large pages where the list is large.
template <typename T> void AssignInLargePages(std::vector<T>& list, std::size_t count, T value) {
    list.clear();
    list.reserve(count);
    AskForLargePages(list.data(), count * sizeof(T));
    list.assign(count, value);
}
