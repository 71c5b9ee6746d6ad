// Colour gradient: sorted points on the noise value axis, colours interpolated between them.
#ifndef QUILLMERE_TOOLKIT_GRADIENTCOLOR_H
#define QUILLMERE_TOOLKIT_GRADIENTCOLOR_H

#include "toolkit/color.h"

namespace noise {
namespace utils {

class GradientPoint {
public:
    GradientPoint() {}

    double position;
    Color color;
};

class GradientColor {
public:
    GradientColor();
    // Copies own their point array: a copy never shares it with the original.
    GradientColor(const GradientColor& other);
    GradientColor& operator=(const GradientColor& other);
    ~GradientColor();

    // Inserts in ascending order; throws noise::ExceptionInvalidParam when a point with exactly
    // this position exists (the gradient is then unchanged).
    void AddGradientPoint(double position, const Color& color);
    void Clear();
    int GetPointCount() const { return m_gradientPointCount; }
    // The point at index 0 .. GetPointCount() - 1, in ascending position order.
    const GradientPoint& GetGradientPoint(int index) const { return m_points[index]; }

    // Colour at a position, clamped to the end colours. Needs at least two points; fewer is a
    // programming error that aborts. The reference stays valid until the next call.
    const Color& GetColor(double position);
    // The same colour, for lookups from several threads at once: the caller keeps the memory of
    // the last interval in lastIndex (0 to begin with, then left to this function) and gets the
    // colour by value. The gradient itself is not changed.
    Color ColorAt(double position, int& lastIndex) const;

private:
    int m_gradientPointCount;
    GradientPoint* m_points;
    Color m_resultColor;
    // Where the last lookup landed. Neighbouring cells of a noise map mostly fall between the
    // same two points, so the next lookup checks this interval before searching.
    int m_lastIndex = 0;
};

} // namespace utils
} // namespace noise

#endif
