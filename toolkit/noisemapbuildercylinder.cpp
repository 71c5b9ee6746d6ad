#include <vector>

#include <libnoise/exception.h>
#include <libnoise/model/cylinder.h>

#include "toolkit/noisemapbuilder.h"
#include "toolkit/parallelrows.h"

namespace noise {
namespace utils {

NoiseMapBuilderCylinder::NoiseMapBuilderCylinder()
    : m_lowerAngle(0.0), m_lowerHeight(0.0), m_upperAngle(0.0), m_upperHeight(0.0) {}

void NoiseMapBuilderCylinder::SetBounds(double lowerAngle, double upperAngle, double lowerHeight,
                                        double upperHeight) {
    m_lowerAngle = lowerAngle;
    m_upperAngle = upperAngle;
    m_lowerHeight = lowerHeight;
    m_upperHeight = upperHeight;
}

void NoiseMapBuilderCylinder::Build() {
    if (!(m_lowerAngle < m_upperAngle) || !(m_lowerHeight < m_upperHeight) || !HasValidTargets()) {
        throw noise::ExceptionInvalidParam();
    }
    m_destNoiseMap->SetSize(m_destWidth, m_destHeight);

    noise::model::Cylinder cylinderModel;
    cylinderModel.SetModule(*m_sourceModule);

    const double deltaAngle = (m_upperAngle - m_lowerAngle) / m_destWidth;
    const double deltaHeight = (m_upperHeight - m_lowerHeight) / m_destHeight;
    // Each row starts where the serial walk, adding one step per row, would reach.
    const std::vector<double> rowStarts =
        detail::RowStarts(m_lowerHeight, deltaHeight, m_destHeight);
    NoiseMap& dest = *m_destNoiseMap;
    const int width = m_destWidth;
    const double firstAngle = m_lowerAngle;
    auto fillRow = [&](int y) {
        float* cell = dest.GetRowPtr(y);
        const double height = rowStarts[y];
        double angle = firstAngle;
        for (int x = 0; x < width; ++x) {
            *cell++ = static_cast<float>(cylinderModel.GetValue(angle, height));
            angle += deltaAngle;
        }
    };
    detail::ForEachRowReporting(m_destHeight, CanSampleInParallel(), fillRow, m_callback);
}

} // namespace utils
} // namespace noise
