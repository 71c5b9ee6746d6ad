// Grid of colours, the output of the renderers and the input of the BMP writer.
#ifndef QUILLMERE_TOOLKIT_IMAGE_H
#define QUILLMERE_TOOLKIT_IMAGE_H

#include "toolkit/color.h"
#include "toolkit/noisemap.h"

namespace noise {
namespace utils {

// Same layout and rules as NoiseMap, with Color cells and a border colour (transparent black
// unless copied from another image).
class Image : private detail::GridStorage<Image, Color> {
public:
    Image() { Reset(); }
    Image(int width, int height) {
        Reset();
        SetSize(width, height);
    }
    Image(const Image& other) : GridStorage(other) {
        Reset();
        CopyFrom(other);
    }
    Image& operator=(const Image& other) {
        CopyFrom(other);
        return *this;
    }
    // A move hands over the buffer, size and border colour; the other grid is left empty with a
    // zero border. No cell is copied.
    Image(Image&& other) noexcept {
        Reset();
        MoveFrom(other);
    }
    Image& operator=(Image&& other) noexcept {
        MoveFrom(other);
        return *this;
    }
    ~Image() { delete[] m_colors; }

    void SetSize(int width, int height) { GridStorage::SetSize(width, height); }

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetStride() const { return m_stride; }
    unsigned int GetCapacity() const { return m_capacity; }
    Color GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(const Color& borderColor) { m_borderColor = borderColor; }

    Color GetValue(int x, int y) const { return GridStorage::GetValue(x, y); }
    void SetValue(int x, int y, const Color& value) { GridStorage::SetValue(x, y, value); }
    void Clear(const Color& value) { GridStorage::Clear(value); }

    const Color* GetValuePtr(int x, int y) const { return m_colors + x + y * m_stride; }
    Color* GetValuePtr(int x, int y) { return m_colors + x + y * m_stride; }
    const Color* GetRowPtr(int y) const { return GetValuePtr(0, y); }
    Color* GetRowPtr(int y) { return GetValuePtr(0, y); }

    void ShrinkToFit() { GridStorage::ShrinkToFit(); }
    void TakeOwnership(Image& source) { GridStorage::TakeOwnership(source); }

private:
    friend class detail::GridStorage<Image, Color>;

    Color m_borderColor;
    int m_height;
    unsigned int m_capacity;
    Color* m_colors;
    int m_stride;
    int m_width;

    // The fields that carry the cell type's name, for the shared grid code.
    static constexpr Color* Image::*kCells = &Image::m_colors;
    static constexpr Color Image::*kBorder = &Image::m_borderColor;
};

} // namespace utils
} // namespace noise

#endif
