#include "toolkit/rendererimage.h"

#include <cmath>

#include <libnoise/exception.h>

#include "toolkit/channeltable.h"
#include "toolkit/interpolation.h"
#include "toolkit/parallelrows.h"

namespace noise {
namespace utils {

namespace {

const double kPi = 3.14159265358979323846;
const double kSqrt2 = 1.41421356237309504880;
const double kDegreesToRadians = kPi / 180.0;

// Offsets to the previous and next neighbour along one axis, in cells. A side of one cell has
// no neighbours, so the cell stands in for them.
void NeighbourOffsets(int index, int size, bool wrap, int& previous, int& next) {
    if (size == 1) {
        previous = 0;
        next = 0;
    } else if (index == 0) {
        previous = wrap ? size - 1 : 0;
        next = 1;
    } else if (index == size - 1) {
        previous = -1;
        next = wrap ? -(size - 1) : 0;
    } else {
        previous = -1;
        next = 1;
    }
}

// NaN, which a NaN cell can bring in through the light, is taken as 0.
double ClampUnit(double value) {
    if (!(value >= 0.0)) {
        return 0.0;
    }
    if (value > 1.0) {
        return 1.0;
    }
    return value;
}

} // namespace

RendererImage::RendererImage()
    : m_cosAzimuth(0.0), m_cosElevation(0.0), m_isLightEnabled(false), m_isWrapEnabled(false),
      m_lightAzimuth(45.0), m_lightBrightness(1.0), m_lightColor(255, 255, 255, 255),
      m_lightContrast(1.0), m_lightElevation(45.0), m_backgroundImage(nullptr),
      m_destImage(nullptr), m_sourceNoiseMap(nullptr), m_recalcLight(true), m_sinAzimuth(0.0),
      m_sinElevation(0.0) {
    BuildGrayscaleGradient();
}

void RendererImage::SetLightContrast(double contrast) {
    if (!(contrast > 0.0)) {
        throw noise::ExceptionInvalidParam();
    }
    m_lightContrast = contrast;
    m_recalcLight = true;
}

void RendererImage::SetLightBrightness(double brightness) {
    m_lightBrightness = brightness;
    m_recalcLight = true;
}

void RendererImage::SetLightAzimuth(double degrees) {
    m_lightAzimuth = degrees;
    m_recalcLight = true;
}

void RendererImage::SetLightElevation(double degrees) {
    m_lightElevation = degrees;
    m_recalcLight = true;
}

void RendererImage::BuildGrayscaleGradient() {
    ClearGradient();
    m_gradient.AddGradientPoint(-1.0, Color(0, 0, 0, 255));
    m_gradient.AddGradientPoint(1.0, Color(255, 255, 255, 255));
}

void RendererImage::BuildTerrainGradient() {
    ClearGradient();
    m_gradient.AddGradientPoint(-1.00, Color(0, 0, 128, 255));
    m_gradient.AddGradientPoint(-0.20, Color(32, 64, 128, 255));
    m_gradient.AddGradientPoint(-0.04, Color(64, 96, 192, 255));
    m_gradient.AddGradientPoint(-0.02, Color(192, 192, 128, 255));
    m_gradient.AddGradientPoint(0.00, Color(0, 192, 0, 255));
    m_gradient.AddGradientPoint(0.25, Color(192, 192, 0, 255));
    m_gradient.AddGradientPoint(0.50, Color(160, 96, 64, 255));
    m_gradient.AddGradientPoint(0.75, Color(128, 255, 255, 255));
    m_gradient.AddGradientPoint(1.00, Color(255, 255, 255, 255));
}

void RendererImage::Render() {
    if (m_sourceNoiseMap == nullptr || m_destImage == nullptr ||
        m_sourceNoiseMap->GetWidth() <= 0 || m_sourceNoiseMap->GetHeight() <= 0 ||
        m_gradient.GetPointCount() < 2) {
        throw noise::ExceptionInvalidParam();
    }
    const NoiseMap& source = *m_sourceNoiseMap;
    const int width = source.GetWidth();
    const int height = source.GetHeight();
    if (m_backgroundImage != nullptr &&
        (m_backgroundImage->GetWidth() != width || m_backgroundImage->GetHeight() != height)) {
        throw noise::ExceptionInvalidParam();
    }
    // Rendering onto the background itself: the image has the size already, and every cell is
    // read as background before it is overwritten.
    if (m_destImage != m_backgroundImage) {
        m_destImage->SetSize(width, height);
    }

    const LightFactors light = m_isLightEnabled ? CurrentLightFactors() : LightFactors{};
    const int sourceStride = source.GetStride();
    Image& dest = *m_destImage;
    const Image* background = m_backgroundImage;
    // Rows are independent: each reads the source rows around it and its own background row,
    // and writes its own destination row, so they can run on several threads. (In place, a cell
    // is read as background just before it is overwritten, in the same row.)
    auto fillRow = [&](int y) {
        const float* sourceCell = source.GetRowPtr(y);
        Color* destCell = dest.GetRowPtr(y);
        const Color* backgroundCell = background != nullptr ? background->GetRowPtr(y) : nullptr;
        int downRows = 0;
        int upRows = 0;
        NeighbourOffsets(y, height, m_isWrapEnabled, downRows, upRows);
        const int downOffset = downRows * sourceStride;
        const int upOffset = upRows * sourceStride;
        // Each row keeps its own memory of the gradient interval last looked up.
        int gradientIndex = 0;
        for (int x = 0; x < width; ++x) {
            const Color destColor =
                m_gradient.ColorAt(static_cast<double>(*sourceCell), gradientIndex);
            double intensity = 1.0;
            if (m_isLightEnabled) {
                int leftOffset = 0;
                int rightOffset = 0;
                NeighbourOffsets(x, width, m_isWrapEnabled, leftOffset, rightOffset);
                const double centre = sourceCell[0];
                const double left = sourceCell[leftOffset];
                const double right = sourceCell[rightOffset];
                const double down = sourceCell[downOffset];
                const double up = sourceCell[upOffset];
                intensity =
                    LightIntensity(light, centre, left, right, down, up) * m_lightBrightness;
            }
            const Color backgroundColor =
                backgroundCell != nullptr ? *backgroundCell : Color(255, 255, 255, 255);
            *destCell = ComposeColor(destColor, backgroundColor, intensity);
            ++sourceCell;
            ++destCell;
            if (backgroundCell != nullptr) {
                ++backgroundCell;
            }
        }
    };
    detail::ForEachRow(height, true, fillRow);
}

RendererImage::LightFactors RendererImage::CurrentLightFactors() {
    if (m_recalcLight) {
        m_cosAzimuth = std::cos(m_lightAzimuth * kDegreesToRadians);
        m_sinAzimuth = std::sin(m_lightAzimuth * kDegreesToRadians);
        m_cosElevation = std::cos(m_lightElevation * kDegreesToRadians);
        m_sinElevation = std::sin(m_lightElevation * kDegreesToRadians);
        m_recalcLight = false;
    }
    LightFactors factors;
    factors.io = 1.0 * kSqrt2 * m_sinElevation / 2.0;
    factors.ix = (1.0 - factors.io) * m_lightContrast * kSqrt2 * m_cosElevation * m_cosAzimuth;
    factors.iy = (1.0 - factors.io) * m_lightContrast * kSqrt2 * m_cosElevation * m_sinAzimuth;
    return factors;
}

Color RendererImage::ComposeColor(const Color& source, const Color& background,
                                  double light) const {
    const auto& unit = kChannelTable.unit;
    const double sourceRed = unit[source.red];
    const double sourceGreen = unit[source.green];
    const double sourceBlue = unit[source.blue];
    const double sourceAlpha = unit[source.alpha];
    const double backgroundRed = unit[background.red];
    const double backgroundGreen = unit[background.green];
    const double backgroundBlue = unit[background.blue];

    double red = Lerp(backgroundRed, sourceRed, sourceAlpha);
    double green = Lerp(backgroundGreen, sourceGreen, sourceAlpha);
    double blue = Lerp(backgroundBlue, sourceBlue, sourceAlpha);
    if (m_isLightEnabled) {
        const double redLight = m_lightColor.red * light / 255.0;
        // A grey (usually white) light gives the three channels the very same factor.
        const bool grey =
            m_lightColor.red == m_lightColor.green && m_lightColor.red == m_lightColor.blue;
        red = red * redLight;
        green = green * (grey ? redLight : m_lightColor.green * light / 255.0);
        blue = blue * (grey ? redLight : m_lightColor.blue * light / 255.0);
    }
    red = ClampUnit(red);
    green = ClampUnit(green);
    blue = ClampUnit(blue);

    const noise::uint8 alpha = source.alpha > background.alpha ? source.alpha : background.alpha;
    return Color(static_cast<noise::uint8>(red * 255.0), static_cast<noise::uint8>(green * 255.0),
                 static_cast<noise::uint8>(blue * 255.0), alpha);
}

} // namespace utils
} // namespace noise
