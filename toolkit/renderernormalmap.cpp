#include "toolkit/renderernormalmap.h"

#include <cmath>

#include <libnoise/exception.h>

#include "toolkit/parallelrows.h"

namespace noise {
namespace utils {

namespace {

// Maps a normal component in [-1, 1] to 0 .. 255; the low 8 bits are kept. A NaN component
// (from infinite or NaN heights) would make the integer conversion undefined, so it gives 0.
noise::uint8 EncodeComponent(double n) {
    const double scaled = std::floor((n + 1.0) * 127.5);
    if (!(scaled >= 0.0 && scaled <= 255.0)) {
        return 0;
    }
    return static_cast<noise::uint8>(static_cast<int>(scaled) & 0xff);
}

} // namespace

RendererNormalMap::RendererNormalMap()
    : m_bumpHeight(1.0), m_isWrapEnabled(false), m_destImage(nullptr), m_sourceNoiseMap(nullptr) {}

void RendererNormalMap::Render() {
    if (m_sourceNoiseMap == nullptr || m_destImage == nullptr ||
        m_sourceNoiseMap->GetWidth() <= 0 || m_sourceNoiseMap->GetHeight() <= 0) {
        throw noise::ExceptionInvalidParam();
    }
    const NoiseMap& source = *m_sourceNoiseMap;
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    m_destImage->SetSize(width, height);

    const int sourceStride = source.GetStride();
    Image& dest = *m_destImage;
    const bool isWrapEnabled = m_isWrapEnabled;
    const double bumpHeight = m_bumpHeight;
    // Rows are independent (each reads its own source row and the next, and writes its own
    // destination row), so they can run on several threads.
    auto fillRow = [&](int y) {
        // The last row's upper neighbour is itself, or the first row when wrapping; testing
        // for the last index first makes a one-row map use the cell itself.
        int upOffset = 1;
        if (y == height - 1) {
            upOffset = isWrapEnabled ? -(height - 1) : 0;
        }
        upOffset *= sourceStride;
        const float* sourceCell = source.GetRowPtr(y);
        Color* destCell = dest.GetRowPtr(y);
        for (int x = 0; x < width; ++x) {
            int rightOffset = 1;
            if (x == width - 1) {
                rightOffset = isWrapEnabled ? -(width - 1) : 0;
            }
            const double centre = sourceCell[0];
            const double right = sourceCell[rightOffset];
            const double up = sourceCell[upOffset];
            *destCell = NormalColor(centre, right, up, bumpHeight);
            ++sourceCell;
            ++destCell;
        }
    };
    detail::ForEachRow(height, true, fillRow);
}

Color RendererNormalMap::NormalColor(double centre, double right, double up,
                                     double bumpHeight) const {
    centre *= bumpHeight;
    right *= bumpHeight;
    up *= bumpHeight;
    const double dx = centre - right;
    const double dy = centre - up;
    const double length = std::sqrt(dy * dy + dx * dx + 1.0);
    const double nx = dx / length;
    const double ny = dy / length;
    const double nz = 1.0 / length;
    return Color(EncodeComponent(nx), EncodeComponent(ny), EncodeComponent(nz), 0);
}

} // namespace utils
} // namespace noise
