// Grid of 32-bit noise values, the output of the builders and the input of renderers and writers.
#ifndef QUILLMERE_TOOLKIT_NOISEMAP_H
#define QUILLMERE_TOOLKIT_NOISEMAP_H

#include "toolkit/gridstorage.h"

namespace noise {
namespace utils {

// Largest width or height of a grid; the file writers' 16-bit size fields rely on it.
const int kMaxGridSide = 32767;

// Rows are stored stride cells apart, the stride being the width rounded up to a multiple of
// 4 cells, so every row starts 16-byte aligned relative to the buffer. Reads outside the grid
// give the border value; writes outside it are ignored.
class NoiseMap : private detail::GridStorage<NoiseMap, float> {
public:
    NoiseMap() { Reset(); }
    NoiseMap(int width, int height) {
        Reset();
        SetSize(width, height);
    }
    NoiseMap(const NoiseMap& other) : GridStorage(other) {
        Reset();
        CopyFrom(other);
    }
    NoiseMap& operator=(const NoiseMap& other) {
        CopyFrom(other);
        return *this;
    }
    // A move hands over the buffer, size and border value; the other grid is left empty with a
    // zero border. No cell is copied.
    NoiseMap(NoiseMap&& other) noexcept {
        Reset();
        MoveFrom(other);
    }
    NoiseMap& operator=(NoiseMap&& other) noexcept {
        MoveFrom(other);
        return *this;
    }
    ~NoiseMap() { delete[] m_values; }

    // Throws noise::ExceptionInvalidParam for a side below 0 or above kMaxGridSide (grid
    // unchanged) and noise::ExceptionOutOfMemory when the buffer cannot grow (grid left empty).
    // A zero side empties the grid. Cell contents are undefined afterwards.
    void SetSize(int width, int height) { GridStorage::SetSize(width, height); }

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetStride() const { return m_stride; }
    unsigned int GetCapacity() const { return m_capacity; }
    float GetBorderValue() const { return m_borderValue; }
    void SetBorderValue(float borderValue) { m_borderValue = borderValue; }

    float GetValue(int x, int y) const { return GridStorage::GetValue(x, y); }
    void SetValue(int x, int y, float value) { GridStorage::SetValue(x, y, value); }
    // Writes the first width cells of every row; padding cells are left alone.
    void Clear(float value) { GridStorage::Clear(value); }

    // Unchecked addresses for row walks; callers stay inside the grid.
    const float* GetValuePtr(int x, int y) const { return m_values + x + y * m_stride; }
    float* GetValuePtr(int x, int y) { return m_values + x + y * m_stride; }
    const float* GetRowPtr(int y) const { return GetValuePtr(0, y); }
    float* GetRowPtr(int y) { return GetValuePtr(0, y); }

    // Gives back buffer space beyond stride * height; throws noise::ExceptionOutOfMemory
    // (grid unchanged) when the smaller buffer cannot be allocated.
    void ShrinkToFit() { GridStorage::ShrinkToFit(); }
    // Moves the source's buffer and size here without copying cells; this grid keeps its own
    // border value, the source becomes empty with border value 0.
    void TakeOwnership(NoiseMap& source) { GridStorage::TakeOwnership(source); }

private:
    friend class detail::GridStorage<NoiseMap, float>;

    float m_borderValue;
    int m_height;
    unsigned int m_capacity;
    float* m_values;
    int m_stride;
    int m_width;

    // The fields that carry the cell type's name, for the shared grid code.
    static constexpr float* NoiseMap::*kCells = &NoiseMap::m_values;
    static constexpr float NoiseMap::*kBorder = &NoiseMap::m_borderValue;
};

} // namespace utils
} // namespace noise

#endif
