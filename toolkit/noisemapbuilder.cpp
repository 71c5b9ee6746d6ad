#include "toolkit/noisemapbuilder.h"

#include "toolkit/modulegraph.h"

namespace noise {
namespace utils {

NoiseMapBuilder::NoiseMapBuilder()
    : m_callback(nullptr), m_destHeight(0), m_destWidth(0), m_destNoiseMap(nullptr),
      m_sourceModule(nullptr), m_isSourceThreadSafe(false) {}

bool NoiseMapBuilder::HasValidTargets() const {
    return m_destWidth >= 1 && m_destHeight >= 1 && m_sourceModule != nullptr &&
           m_destNoiseMap != nullptr;
}

bool NoiseMapBuilder::CanSampleInParallel() const {
    return m_isSourceThreadSafe || detail::IsStatelessGraph(*m_sourceModule);
}

} // namespace utils
} // namespace noise
