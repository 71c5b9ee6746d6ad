#include "noiseutils/image.h"

#include <cstring>

#include "noiseutils/gridstorage.h"

namespace noise {
namespace utils {

Image::Image() {
    Reset();
}

Image::Image(int width, int height) {
    Reset();
    SetSize(width, height);
}

Image::Image(const Image& other) {
    Reset();
    CopyFrom(other);
}

Image& Image::operator=(const Image& other) {
    // Copying onto itself would release the buffer it reads from.
    if (this != &other) {
        CopyFrom(other);
    }
    return *this;
}

Image::~Image() {
    delete[] m_colors;
}

void Image::SetSize(int width, int height) {
    detail::CheckGridSize(width, height);
    if (width == 0 || height == 0) {
        ReleaseAndReset();
        return;
    }
    const unsigned int needed = detail::CellCountFor(width, height);
    if (m_capacity < needed) {
        ReleaseAndReset();
        m_colors = detail::AllocateCells<Color>(needed);
        m_capacity = needed;
    }
    m_stride = detail::StrideFor(width);
    m_width = width;
    m_height = height;
}

Color Image::GetValue(int x, int y) const {
    if (m_colors != nullptr && x >= 0 && x < m_width && y >= 0 && y < m_height) {
        return m_colors[x + y * m_stride];
    }
    return m_borderColor;
}

void Image::SetValue(int x, int y, const Color& value) {
    if (m_colors != nullptr && x >= 0 && x < m_width && y >= 0 && y < m_height) {
        m_colors[x + y * m_stride] = value;
    }
}

void Image::Clear(const Color& value) {
    if (m_colors == nullptr) {
        return;
    }
    for (int y = 0; y < m_height; ++y) {
        Color* dest = GetRowPtr(y);
        for (int x = 0; x < m_width; ++x) {
            *dest++ = value;
        }
    }
}

void Image::ShrinkToFit() {
    const unsigned int needed = detail::CellCountFor(m_width, m_height);
    if (m_capacity <= needed) {
        return;
    }
    Color* values = detail::AllocateCells<Color>(needed);
    std::memcpy(values, m_colors, static_cast<std::size_t>(needed) * sizeof(Color));
    delete[] m_colors;
    m_colors = values;
    m_capacity = needed;
}

void Image::TakeOwnership(Image& source) {
    if (&source == this) {
        return;
    }
    delete[] m_colors;
    m_capacity = source.m_capacity;
    m_height = source.m_height;
    m_colors = source.m_colors;
    m_stride = source.m_stride;
    m_width = source.m_width;
    source.Reset();
}

void Image::CopyFrom(const Image& other) {
    SetSize(other.m_width, other.m_height);
    for (int y = 0; y < other.m_height; ++y) {
        std::memcpy(GetRowPtr(y), other.GetRowPtr(y),
                    static_cast<std::size_t>(other.m_width) * sizeof(Color));
    }
    m_borderColor = other.m_borderColor;
}

void Image::Reset() {
    m_borderColor = Color(0, 0, 0, 0);
    m_height = 0;
    m_capacity = 0;
    m_colors = nullptr;
    m_stride = 0;
    m_width = 0;
}

void Image::ReleaseAndReset() {
    delete[] m_colors;
    Reset();
}

} // namespace utils
} // namespace noise
