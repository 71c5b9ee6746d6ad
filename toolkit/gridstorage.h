// The rules shared by the two grids, NoiseMap and Image, written once for any cell type. Only
// the grid headers include it; nothing outside the toolkit uses it directly.
#ifndef QUILLMERE_TOOLKIT_GRIDSTORAGE_H
#define QUILLMERE_TOOLKIT_GRIDSTORAGE_H

namespace noise {
namespace utils {
namespace detail {

// A grid derives from GridStorage<Grid, Cell> privately, makes it a friend and forwards its
// public operations to it. The grid keeps its own fields (m_height, m_capacity, m_stride,
// m_width, and a buffer and border named for its cell type, which it points out as kCells and
// kBorder), so its layout is its own; this base adds no data.
template <class Grid, class Cell> class GridStorage {
protected:
    GridStorage() = default;
    GridStorage(const GridStorage&) = default;
    GridStorage& operator=(const GridStorage&) = default;
    ~GridStorage() = default;

    void SetSize(int width, int height);
    Cell GetValue(int x, int y) const;
    void SetValue(int x, int y, const Cell& value);
    void Clear(const Cell& value);
    void ShrinkToFit();
    void TakeOwnership(Grid& source);

    // Deep copy: the other grid's size, its cells row by row (padding skipped), its border. A
    // copy onto itself changes nothing.
    void CopyFrom(const Grid& other);
    // Takes the other grid's buffer, size and border, leaving it empty with a zero border. A
    // move onto itself changes nothing.
    void MoveFrom(Grid& other) noexcept;
    // Empty grid with a zero border; the buffer is forgotten, not released.
    void Reset();
    void ReleaseAndReset();

private:
    Grid& Self() { return static_cast<Grid&>(*this); }
    const Grid& Self() const { return static_cast<const Grid&>(*this); }
};

} // namespace detail
} // namespace utils
} // namespace noise

#endif
