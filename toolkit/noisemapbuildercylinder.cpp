#include <libnoise/exception.h>
#include <libnoise/model/cylinder.h>

#include "toolkit/noisemapbuilder.h"

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
    double height = m_lowerHeight;
    for (int y = 0; y < m_destHeight; ++y) {
        float* dest = m_destNoiseMap->GetRowPtr(y);
        double angle = m_lowerAngle;
        for (int x = 0; x < m_destWidth; ++x) {
            *dest++ = static_cast<float>(cylinderModel.GetValue(angle, height));
            angle += deltaAngle;
        }
        height += deltaHeight;
        if (m_callback != nullptr) {
            m_callback(y);
        }
    }
}

} // namespace utils
} // namespace noise
