// Colour record of every toolkit image and the channel blending shared by the renderers.
#ifndef QUILLMERE_TOOLKIT_COLOR_H
#define QUILLMERE_TOOLKIT_COLOR_H

#include <libnoise/basictypes.h>

#include "toolkit/channeltable.h"

namespace noise {
namespace utils {

// Four 8-bit channels in one 4-byte record. The byte order (alpha, blue, green, red) is
// relied on by the writers and renderers: read as a little-endian word it is 0xRRGGBBAA.
class Color {
public:
    // Leaves the channels unset, so large images can be allocated without a fill pass.
    Color() {}
    Color(noise::uint8 red, noise::uint8 green, noise::uint8 blue, noise::uint8 alpha)
        : alpha(alpha), blue(blue), green(green), red(red) {}

    noise::uint8 alpha;
    noise::uint8 blue;
    noise::uint8 green;
    noise::uint8 red;
};

// Blends one channel: weight a = 0 gives c0, a = 1 gives c1; the result is truncated.
// Inline because the renderers call it four times for every cell.
inline noise::uint8 LerpChannel(noise::uint8 c0, noise::uint8 c1, float a) {
    // The channels go through float on purpose: the gradient's colours depend on this rounding.
    const float f0 = kChannelTable.unitFloat[c0];
    const float f1 = kChannelTable.unitFloat[c1];
    const double v = (static_cast<double>(f1) * a + (1.0 - static_cast<double>(a)) * f0) * 255.0;
    return static_cast<noise::uint8>(static_cast<int>(v) & 0xff);
}

// Blends all four channels, alpha included, into out.
inline void LerpColor(const Color& c0, const Color& c1, float a, Color& out) {
    out.alpha = LerpChannel(c0.alpha, c1.alpha, a);
    out.blue = LerpChannel(c0.blue, c1.blue, a);
    out.green = LerpChannel(c0.green, c1.green, a);
    out.red = LerpChannel(c0.red, c1.red, a);
}

} // namespace utils
} // namespace noise

#endif
