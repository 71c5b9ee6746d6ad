#include "toolkit/gridstorage.h"

#include <cstddef>
#include <cstring>
#include <new>

#include <libnoise/exception.h>

#include "toolkit/image.h"
#include "toolkit/noisemap.h"

namespace noise {
namespace utils {
namespace detail {

namespace {

// Rows are padded to whole groups of 4 cells (16 bytes).
int StrideFor(int width) {
    return ((width + 3) / 4) * 4;
}

// Cells needed for a grid of this size; at most 32768 * 32767, which fits 32 bits unsigned.
unsigned int CellCountFor(int width, int height) {
    return static_cast<unsigned int>(StrideFor(width)) * static_cast<unsigned int>(height);
}

void CheckGridSize(int width, int height) {
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

// The border of an empty grid. A default-constructed Color leaves its channels unset, so the
// zero is spelled out per cell type.
template <class Cell> Cell ZeroCell();

template <> float ZeroCell<float>() {
    return 0.0f;
}

template <> Color ZeroCell<Color>() {
    return Color(0, 0, 0, 0);
}

} // namespace

template <class Grid, class Cell> void GridStorage<Grid, Cell>::SetSize(int width, int height) {
    CheckGridSize(width, height);
    if (width == 0 || height == 0) {
        ReleaseAndReset();
        return;
    }
    Grid& grid = Self();
    const unsigned int needed = CellCountFor(width, height);
    if (grid.m_capacity < needed) {
        ReleaseAndReset();
        grid.*Grid::kCells = AllocateCells<Cell>(needed);
        grid.m_capacity = needed;
    }
    grid.m_stride = StrideFor(width);
    grid.m_width = width;
    grid.m_height = height;
}

template <class Grid, class Cell> Cell GridStorage<Grid, Cell>::GetValue(int x, int y) const {
    const Grid& grid = Self();
    const Cell* cells = grid.*Grid::kCells;
    if (cells != nullptr && x >= 0 && x < grid.m_width && y >= 0 && y < grid.m_height) {
        return cells[x + y * grid.m_stride];
    }
    return grid.*Grid::kBorder;
}

template <class Grid, class Cell>
void GridStorage<Grid, Cell>::SetValue(int x, int y, const Cell& value) {
    Grid& grid = Self();
    Cell* cells = grid.*Grid::kCells;
    if (cells != nullptr && x >= 0 && x < grid.m_width && y >= 0 && y < grid.m_height) {
        cells[x + y * grid.m_stride] = value;
    }
}

template <class Grid, class Cell> void GridStorage<Grid, Cell>::Clear(const Cell& value) {
    Grid& grid = Self();
    if (grid.*Grid::kCells == nullptr) {
        return;
    }
    for (int y = 0; y < grid.m_height; ++y) {
        Cell* dest = grid.GetRowPtr(y);
        for (int x = 0; x < grid.m_width; ++x) {
            *dest++ = value;
        }
    }
}

template <class Grid, class Cell> void GridStorage<Grid, Cell>::ShrinkToFit() {
    Grid& grid = Self();
    const unsigned int needed = CellCountFor(grid.m_width, grid.m_height);
    if (grid.m_capacity <= needed) {
        return;
    }
    Cell* cells = AllocateCells<Cell>(needed);
    std::memcpy(cells, grid.*Grid::kCells, static_cast<std::size_t>(needed) * sizeof(Cell));
    delete[](grid.*Grid::kCells);
    grid.*Grid::kCells = cells;
    grid.m_capacity = needed;
}

template <class Grid, class Cell> void GridStorage<Grid, Cell>::TakeOwnership(Grid& source) {
    Grid& grid = Self();
    if (&source == &grid) {
        return;
    }
    delete[](grid.*Grid::kCells);
    grid.m_capacity = source.m_capacity;
    grid.m_height = source.m_height;
    grid.*Grid::kCells = source.*Grid::kCells;
    grid.m_stride = source.m_stride;
    grid.m_width = source.m_width;
    source.Reset();
}

template <class Grid, class Cell> void GridStorage<Grid, Cell>::CopyFrom(const Grid& other) {
    Grid& grid = Self();
    // Copying onto itself would release the buffer it reads from.
    if (&other == &grid) {
        return;
    }
    SetSize(other.m_width, other.m_height);
    for (int y = 0; y < other.m_height; ++y) {
        std::memcpy(grid.GetRowPtr(y), other.GetRowPtr(y),
                    static_cast<std::size_t>(other.m_width) * sizeof(Cell));
    }
    grid.*Grid::kBorder = other.*Grid::kBorder;
}

template <class Grid, class Cell> void GridStorage<Grid, Cell>::MoveFrom(Grid& other) noexcept {
    Grid& grid = Self();
    if (&other == &grid) {
        return;
    }
    const Cell border = other.*Grid::kBorder;
    TakeOwnership(other);
    grid.*Grid::kBorder = border;
}

template <class Grid, class Cell> void GridStorage<Grid, Cell>::Reset() {
    Grid& grid = Self();
    grid.*Grid::kBorder = ZeroCell<Cell>();
    grid.m_height = 0;
    grid.m_capacity = 0;
    grid.*Grid::kCells = nullptr;
    grid.m_stride = 0;
    grid.m_width = 0;
}

template <class Grid, class Cell> void GridStorage<Grid, Cell>::ReleaseAndReset() {
    delete[](Self().*Grid::kCells);
    Reset();
}

template class GridStorage<NoiseMap, float>;
template class GridStorage<Image, Color>;

} // namespace detail
} // namespace utils
} // namespace noise
