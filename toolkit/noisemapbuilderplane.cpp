#include <libnoise/exception.h>
#include <libnoise/model/plane.h>

#include "toolkit/interpolation.h"
#include "toolkit/noisemapbuilder.h"

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
    // Coordinates advance by repeated addition, so each sample lies one step from the last.
    double z = m_lowerZ;
    for (int y = 0; y < m_destHeight; ++y) {
        float* dest = m_destNoiseMap->GetRowPtr(y);
        double x = m_lowerX;
        if (m_isSeamless) {
            const double blendZ = 1.0 - (z - m_lowerZ) / extentZ;
            for (int column = 0; column < m_destWidth; ++column) {
                const double sw = planeModel.GetValue(x, z);
                const double se = planeModel.GetValue(x + extentX, z);
                const double nw = planeModel.GetValue(x, z + extentZ);
                const double ne = planeModel.GetValue(x + extentX, z + extentZ);
                const double blendX = 1.0 - (x - m_lowerX) / extentX;
                const double row0 = Lerp(sw, se, blendX);
                const double row1 = Lerp(nw, ne, blendX);
                *dest++ = static_cast<float>(Lerp(row0, row1, blendZ));
                x += deltaX;
            }
        } else {
            for (int column = 0; column < m_destWidth; ++column) {
                *dest++ = static_cast<float>(planeModel.GetValue(x, z));
                x += deltaX;
            }
        }
        z += deltaZ;
        if (m_callback != nullptr) {
            m_callback(y);
        }
    }
}

} // namespace utils
} // namespace noise
