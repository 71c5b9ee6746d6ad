#include "toolkit/noisemapbuilder.h"

namespace noise {
namespace utils {

NoiseMapBuilder::NoiseMapBuilder()
    : m_callback(nullptr), m_destHeight(0), m_destWidth(0), m_destNoiseMap(nullptr),
      m_sourceModule(nullptr) {}

bool NoiseMapBuilder::HasValidTargets() const {
    return m_destWidth >= 1 && m_destHeight >= 1 && m_sourceModule != nullptr &&
           m_destNoiseMap != nullptr;
}

} // namespace utils
} // namespace noise
