// Colour record of every toolkit image and the channel blending shared by the renderers.
#ifndef QUILLMERE_NOISEUTILS_COLOR_H
#define QUILLMERE_NOISEUTILS_COLOR_H

#include <libnoise/basictypes.h>

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
noise::uint8 LerpChannel(noise::uint8 c0, noise::uint8 c1, float a);

// Blends all four channels, alpha included, into out.
void LerpColor(const Color& c0, const Color& c1, float a, Color& out);

} // namespace utils
} // namespace noise

#endif
