#include "noiseutils/noisemap.h"

#include <cstring>

#include "noiseutils/gridstorage.h"

namespace noise {
namespace utils {

NoiseMap::NoiseMap() {
    Reset();
}

NoiseMap::NoiseMap(int width, int height) {
    Reset();
    SetSize(width, height);
}

NoiseMap::NoiseMap(const NoiseMap& other) {
    Reset();
    CopyFrom(other);
}

NoiseMap& NoiseMap::operator=(const NoiseMap& other) {
    // Copying onto itself would release the buffer it reads from.
    if (this != &other) {
        CopyFrom(other);
    }
    return *this;
}

NoiseMap::~NoiseMap() {
    delete[] m_values;
}

void NoiseMap::SetSize(int width, int height) {
    detail::CheckGridSize(width, height);
    if (width == 0 || height == 0) {
        ReleaseAndReset();
        return;
    }
    const unsigned int needed = detail::CellCountFor(width, height);
    if (m_capacity < needed) {
        ReleaseAndReset();
        m_values = detail::AllocateCells<float>(needed);
        m_capacity = needed;
    }
    m_stride = detail::StrideFor(width);
    m_width = width;
    m_height = height;
}

float NoiseMap::GetValue(int x, int y) const {
    if (m_values != nullptr && x >= 0 && x < m_width && y >= 0 && y < m_height) {
        return m_values[x + y * m_stride];
    }
    return m_borderValue;
}

void NoiseMap::SetValue(int x, int y, float value) {
    if (m_values != nullptr && x >= 0 && x < m_width && y >= 0 && y < m_height) {
        m_values[x + y * m_stride] = value;
    }
}

void NoiseMap::Clear(float value) {
    if (m_values == nullptr) {
        return;
    }
    for (int y = 0; y < m_height; ++y) {
        float* dest = GetRowPtr(y);
        for (int x = 0; x < m_width; ++x) {
            *dest++ = value;
        }
    }
}

void NoiseMap::ShrinkToFit() {
    const unsigned int needed = detail::CellCountFor(m_width, m_height);
    if (m_capacity <= needed) {
        return;
    }
    float* values = detail::AllocateCells<float>(needed);
    std::memcpy(values, m_values, static_cast<std::size_t>(needed) * sizeof(float));
    delete[] m_values;
    m_values = values;
    m_capacity = needed;
}

void NoiseMap::TakeOwnership(NoiseMap& source) {
    if (&source == this) {
        return;
    }
    delete[] m_values;
    m_capacity = source.m_capacity;
    m_height = source.m_height;
    m_values = source.m_values;
    m_stride = source.m_stride;
    m_width = source.m_width;
    source.Reset();
}

void NoiseMap::CopyFrom(const NoiseMap& other) {
    SetSize(other.m_width, other.m_height);
    for (int y = 0; y < other.m_height; ++y) {
        std::memcpy(GetRowPtr(y), other.GetRowPtr(y),
                    static_cast<std::size_t>(other.m_width) * sizeof(float));
    }
    m_borderValue = other.m_borderValue;
}

void NoiseMap::Reset() {
    m_borderValue = 0.0f;
    m_height = 0;
    m_capacity = 0;
    m_values = nullptr;
    m_stride = 0;
    m_width = 0;
}

void NoiseMap::ReleaseAndReset() {
    delete[] m_values;
    Reset();
}

} // namespace utils
} // namespace noise
