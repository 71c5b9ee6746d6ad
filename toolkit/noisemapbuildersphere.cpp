#include <vector>

#include <libnoise/exception.h>
#include <libnoise/model/sphere.h>

#include "toolkit/noisemapbuilder.h"
#include "toolkit/parallelrows.h"

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
    // Each row starts where the serial walk, adding one step per row, would reach.
    const std::vector<double> rowStarts = detail::RowStarts(m_southLat, deltaLat, m_destHeight);
    NoiseMap& dest = *m_destNoiseMap;
    const int width = m_destWidth;
    const double firstLon = m_westLon;
    auto fillRow = [&](int y) {
        float* cell = dest.GetRowPtr(y);
        const double lat = rowStarts[y];
        double lon = firstLon;
        for (int x = 0; x < width; ++x) {
            // The sphere model takes latitude first.
            *cell++ = static_cast<float>(sphereModel.GetValue(lat, lon));
            lon += deltaLon;
        }
    };
    detail::ForEachRowReporting(m_destHeight, CanSampleInParallel(), fillRow, m_callback);
}

} // namespace utils
} // namespace noise
