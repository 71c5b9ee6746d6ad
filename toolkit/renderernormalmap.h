// Renders a NoiseMap, read as a height field, as a bump-mapping normal map.
#ifndef QUILLMERE_TOOLKIT_RENDERERNORMALMAP_H
#define QUILLMERE_TOOLKIT_RENDERERNORMALMAP_H

#include "toolkit/color.h"
#include "toolkit/image.h"
#include "toolkit/noisemap.h"

namespace noise {
namespace utils {

class RendererNormalMap {
public:
    // Bump height 1, wrap off, no source or destination.
    RendererNormalMap();

    void SetBumpHeight(double bumpHeight) { m_bumpHeight = bumpHeight; }
    double GetBumpHeight() const { return m_bumpHeight; }
    void EnableWrap(bool enable = true) { m_isWrapEnabled = enable; }
    bool IsWrapEnabled() const { return m_isWrapEnabled; }
    void SetSourceNoiseMap(NoiseMap& sourceNoiseMap) { m_sourceNoiseMap = &sourceNoiseMap; }
    void SetDestImage(Image& destImage) { m_destImage = &destImage; }

    // Throws noise::ExceptionInvalidParam, destination untouched, unless a non-empty source and
    // a destination are set. The destination takes the source's size.
    void Render();

    // Encodes the normal of a cell from its height and its right and upper neighbours: each
    // component n as floor((n + 1) * 127.5) in red, green, blue; alpha 0.
    Color NormalColor(double centre, double right, double up, double bumpHeight) const;

private:
    double m_bumpHeight;
    bool m_isWrapEnabled;
    Image* m_destImage;
    NoiseMap* m_sourceNoiseMap;
};

} // namespace utils
} // namespace noise

#endif
