#include "noiseutils/color.h"

#include "noiseutils/channeltable.h"

namespace noise {
namespace utils {

noise::uint8 LerpChannel(noise::uint8 c0, noise::uint8 c1, float a) {
    // The channels go through float on purpose: the gradient's colours depend on this rounding.
    const float f0 = kChannelTable.unitFloat[c0];
    const float f1 = kChannelTable.unitFloat[c1];
    const double v = (static_cast<double>(f1) * a + (1.0 - static_cast<double>(a)) * f0) * 255.0;
    return static_cast<noise::uint8>(static_cast<int>(v) & 0xff);
}

void LerpColor(const Color& c0, const Color& c1, float a, Color& out) {
    out.alpha = LerpChannel(c0.alpha, c1.alpha, a);
    out.blue = LerpChannel(c0.blue, c1.blue, a);
    out.green = LerpChannel(c0.green, c1.green, a);
    out.red = LerpChannel(c0.red, c1.red, a);
}

} // namespace utils
} // namespace noise
