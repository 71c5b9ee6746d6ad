#include <vector>

#include <libnoise/exception.h>
#include <libnoise/model/plane.h>

#include "toolkit/interpolation.h"
#include "toolkit/noisemapbuilder.h"
#include "toolkit/parallelrows.h"

namespace noise {
namespace utils {

NoiseMapBuilderPlane::NoiseMapBuilderPlane()
    : m_isSeamless(false), m_lowerX(0.0), m_lowerZ(0.0), m_upperX(0.0), m_upperZ(0.0) {}

void NoiseMapBuilderPlane::SetBounds(double lowerX, double upperX, double lowerZ, double upperZ) {
    if (upperX <= lowerX || upperZ <= lowerZ) {
        throw noise::ExceptionInvalidParam();
    }
    m_lowerX = lowerX;
    m_upperX = upperX;
    m_lowerZ = lowerZ;
    m_upperZ = upperZ;
}

void NoiseMapBuilderPlane::Build() {
    // Written as negated "<" so that NaN bounds are refused too.
    if (!(m_lowerX < m_upperX) || !(m_lowerZ < m_upperZ) || !HasValidTargets()) {
        throw noise::ExceptionInvalidParam();
    }
    m_destNoiseMap->SetSize(m_destWidth, m_destHeight);

    noise::model::Plane planeModel;
    planeModel.SetModule(*m_sourceModule);

    const double extentX = m_upperX - m_lowerX;
    const double extentZ = m_upperZ - m_lowerZ;
    const double deltaX = extentX / m_destWidth;
    const double deltaZ = extentZ / m_destHeight;
    // Coordinates advance by repeated addition, so each sample lies one step from the last. The
    // rows' z values are added up here, in order, so that any thread can start any row exactly
    // where the serial walk would.
    const std::vector<double> rowZ = detail::RowStarts(m_lowerZ, deltaZ, m_destHeight);
    NoiseMap& dest = *m_destNoiseMap;
    const int width = m_destWidth;
    const bool isSeamless = m_isSeamless;
    const double lowerX = m_lowerX;
    const double lowerZ = m_lowerZ;
    auto fillRow = [&](int y) {
        float* cell = dest.GetRowPtr(y);
        const double z = rowZ[y];
        double x = lowerX;
        if (isSeamless) {
            const double blendZ = 1.0 - (z - lowerZ) / extentZ;
            for (int column = 0; column < width; ++column) {
                const double sw = planeModel.GetValue(x, z);
                const double se = planeModel.GetValue(x + extentX, z);
                const double nw = planeModel.GetValue(x, z + extentZ);
                const double ne = planeModel.GetValue(x + extentX, z + extentZ);
                const double blendX = 1.0 - (x - lowerX) / extentX;
                const double row0 = Lerp(sw, se, blendX);
                const double row1 = Lerp(nw, ne, blendX);
                *cell++ = static_cast<float>(Lerp(row0, row1, blendZ));
                x += deltaX;
            }
        } else {
            for (int column = 0; column < width; ++column) {
                *cell++ = static_cast<float>(planeModel.GetValue(x, z));
                x += deltaX;
            }
        }
    };
    detail::ForEachRowReporting(m_destHeight, CanSampleInParallel(), fillRow, m_callback);
}

} // namespace utils
} // namespace noise
