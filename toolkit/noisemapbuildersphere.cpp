#include <libnoise/exception.h>
#include <libnoise/model/sphere.h>

#include "toolkit/noisemapbuilder.h"

namespace noise {
namespace utils {

NoiseMapBuilderSphere::NoiseMapBuilderSphere()
    : m_eastLon(0.0), m_northLat(0.0), m_southLat(0.0), m_westLon(0.0) {}

void NoiseMapBuilderSphere::SetBounds(double southLat, double northLat, double westLon,
                                      double eastLon) {
    m_southLat = southLat;
    m_northLat = northLat;
    m_westLon = westLon;
    m_eastLon = eastLon;
}

void NoiseMapBuilderSphere::Build() {
    if (!(m_westLon < m_eastLon) || !(m_southLat < m_northLat) || !HasValidTargets()) {
        throw noise::ExceptionInvalidParam();
    }
    m_destNoiseMap->SetSize(m_destWidth, m_destHeight);

    noise::model::Sphere sphereModel;
    sphereModel.SetModule(*m_sourceModule);

    const double deltaLon = (m_eastLon - m_westLon) / m_destWidth;
    const double deltaLat = (m_northLat - m_southLat) / m_destHeight;
    double lat = m_southLat;
    for (int y = 0; y < m_destHeight; ++y) {
        float* dest = m_destNoiseMap->GetRowPtr(y);
        double lon = m_westLon;
        for (int x = 0; x < m_destWidth; ++x) {
            // The sphere model takes latitude first.
            *dest++ = static_cast<float>(sphereModel.GetValue(lat, lon));
            lon += deltaLon;
        }
        lat += deltaLat;
        if (m_callback != nullptr) {
            m_callback(y);
        }
    }
}

} // namespace utils
} // namespace noise
