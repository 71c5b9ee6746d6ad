// Private helpers shared by the two grid classes; not part of the toolkit's public headers.
#ifndef QUILLMERE_NOISEUTILS_GRIDSTORAGE_H
#define QUILLMERE_NOISEUTILS_GRIDSTORAGE_H

#include <cstddef>
#include <new>

#include <libnoise/exception.h>

#include "noiseutils/noisemap.h"

namespace noise {
namespace utils {
namespace detail {

// Rows are padded to whole groups of 4 cells (16 bytes).
inline int StrideFor(int width) {
    return ((width + 3) / 4) * 4;
}

// Cells needed for a grid of this size; at most 32768 * 32767, which fits 32 bits unsigned.
inline unsigned int CellCountFor(int width, int height) {
    return static_cast<unsigned int>(StrideFor(width)) * static_cast<unsigned int>(height);
}

inline void CheckGridSize(int width, int height) {
    if (width < 0 || height < 0 || width > kMaxGridSide || height > kMaxGridSide) {
        throw noise::ExceptionInvalidParam();
    }
}

// Allocates cells with operator new[]; any allocation failure becomes the toolkit's
// out-of-memory exception.
template <class Cell> Cell* AllocateCells(unsigned int count) {
    try {
        return new Cell[count];
    } catch (const std::bad_alloc&) {
        throw noise::ExceptionOutOfMemory();
    }
}

} // namespace detail
} // namespace utils
} // namespace noise

#endif
