#include "toolkit/writerter.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include <libnoise/exception.h>

#include "toolkit/filewriter.h"
#include "toolkit/littleendian.h"

namespace noise {
namespace utils {

namespace {

const int kHeaderSize = 64;

// The XPTS, YPTS and SIZE fields are unsigned 16-bit.
static_assert(kMaxGridSide <= 65535, "grid sides must fit the terrain file's size fields");
const float kDefaultPointSpacing = 30.0f;

// Elevation of one cell in half-metre units. Values beyond the signed 16-bit range are held at
// its ends rather than wrapping into the opposite sign; NaN has no height and is stored as 0.
std::int16_t ElevationOf(float value) {
    const double scaled = std::floor(2.0 * static_cast<double>(value));
    if (scaled != scaled) {
        return 0;
    }
    if (scaled < std::numeric_limits<std::int16_t>::min()) {
        return std::numeric_limits<std::int16_t>::min();
    }
    if (scaled > std::numeric_limits<std::int16_t>::max()) {
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(scaled);
}

// The header's height scale, 32768 / spacing rounded down; for a finite spacing above 1 only.
int HeightScaleFor(float metres) {
    return static_cast<int>(std::floor(32768.0 / metres));
}

} // namespace

WriterTER::WriterTER() : m_metersPerPoint(kDefaultPointSpacing), m_sourceNoiseMap(nullptr) {}

void WriterTER::SetPointSpacing(float metres) {
    // Above 32768 metres the height scale floor(32768 / spacing) would be 0 and every altitude
    // would be stored as 0.
    if (!std::isfinite(metres) || !(metres > 1.0f) || HeightScaleFor(metres) < 1) {
        throw noise::ExceptionInvalidParam();
    }
    m_metersPerPoint = metres;
}

void WriterTER::Write() {
    if (m_sourceNoiseMap == nullptr) {
        throw noise::ExceptionInvalidParam();
    }
    const NoiseMap& noiseMap = *m_sourceNoiseMap;
    // Grids stop at 32767 on each side, so both fit the 16-bit size fields.
    const int width = noiseMap.GetWidth();
    const int height = noiseMap.GetHeight();
    const int rowBytes = RowByteCount(width);

    // The spacing is above 1 metre and at most 32768, so the scale lies in 1 .. 32767.
    const int heightScale = HeightScaleFor(m_metersPerPoint);
    const int shorterSide = width < height ? width : height;
    // An empty map has no points; its SIZE field is 0 rather than a wrapped -1.
    const int sizeField = shorterSide > 0 ? shorterSide - 1 : 0;

    unsigned char header[kHeaderSize];
    unsigned char* out = header;
    out = detail::PutTag(out, "TERRAGENTERRAIN ", 16);
    out = detail::PutTag(out, "SIZE", 4);
    out = detail::PutUint16(out, static_cast<std::uint16_t>(sizeField));
    out = detail::PutUint16(out, 0);
    out = detail::PutTag(out, "XPTS", 4);
    out = detail::PutUint16(out, static_cast<std::uint16_t>(width));
    out = detail::PutUint16(out, 0);
    out = detail::PutTag(out, "YPTS", 4);
    out = detail::PutUint16(out, static_cast<std::uint16_t>(height));
    out = detail::PutUint16(out, 0);
    out = detail::PutTag(out, "SCAL", 4);
    out = detail::PutFloat32(out, m_metersPerPoint);
    out = detail::PutFloat32(out, m_metersPerPoint);
    out = detail::PutFloat32(out, m_metersPerPoint);
    out = detail::PutTag(out, "ALTW", 4);
    out = detail::PutUint16(out, static_cast<std::uint16_t>(heightScale & 0xffff));
    detail::PutUint16(out, 0);

    detail::WriteHeaderAndRows(
        m_destFilename, header, kHeaderSize, rowBytes, height, [&](int y, unsigned char* row) {
            const float* source = noiseMap.GetRowPtr(y);
            unsigned char* dest = row;
            for (int x = 0; x < width; ++x) {
                dest = detail::PutUint16(dest, static_cast<std::uint16_t>(ElevationOf(*source)));
                ++source;
            }
        });
}

} // namespace utils
} // namespace noise
