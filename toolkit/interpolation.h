// Small numeric helpers shared by the gradient, the builders and the renderers.
#ifndef QUILLMERE_TOOLKIT_INTERPOLATION_H
#define QUILLMERE_TOOLKIT_INTERPOLATION_H

namespace noise {
namespace utils {

// lower if value < lower, else upper if value > upper, else value.
inline int ClampIndex(int value, int lower, int upper) {
    if (value < lower) {
        return lower;
    }
    if (value > upper) {
        return upper;
    }
    return value;
}

// Linear interpolation written as (1 - t) * a0 + t * a1, so that t = 0 and t = 1 give the
// end values exactly.
inline double Lerp(double a0, double a1, double t) {
    return (1.0 - t) * a0 + t * a1;
}

} // namespace utils
} // namespace noise

#endif
