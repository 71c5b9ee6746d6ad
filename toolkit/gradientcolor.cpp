#include "toolkit/gradientcolor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <libnoise/exception.h>

#include "toolkit/interpolation.h"

namespace noise {
namespace utils {

namespace {

// GetColor with fewer than two points is a caller's bug. It stops the program in every build
// type instead of reading a missing point when assertions are compiled out.
[[noreturn]] void FailPointCountCheck() {
    std::fprintf(stderr, "quillmere: %s:%d: %s: Assertion `%s' failed.\n", __FILE__, __LINE__,
                 "GradientColor::GetColor", "m_gradientPointCount >= 2");
    std::abort();
}

} // namespace

GradientColor::GradientColor()
    : m_gradientPointCount(0), m_points(nullptr), m_resultColor(0, 0, 0, 0) {}

GradientColor::GradientColor(const GradientColor& other)
    : m_gradientPointCount(0), m_points(nullptr), m_resultColor(other.m_resultColor) {
    if (other.m_gradientPointCount > 0) {
        m_points = new GradientPoint[other.m_gradientPointCount];
        for (int i = 0; i < other.m_gradientPointCount; ++i) {
            m_points[i] = other.m_points[i];
        }
        m_gradientPointCount = other.m_gradientPointCount;
    }
}

GradientColor& GradientColor::operator=(const GradientColor& other) {
    if (this != &other) {
        GradientColor copy(other);
        GradientPoint* oldPoints = m_points;
        m_points = copy.m_points;
        m_gradientPointCount = copy.m_gradientPointCount;
        m_resultColor = copy.m_resultColor;
        copy.m_points = oldPoints;
    }
    return *this;
}

GradientColor::~GradientColor() {
    delete[] m_points;
}

void GradientColor::AddGradientPoint(double position, const Color& color) {
    // NaN would break the sorted order, and an infinite end point makes the interpolation weight
    // next to it NaN.
    if (!std::isfinite(position)) {
        throw noise::ExceptionInvalidParam();
    }
    int insertionIndex = m_gradientPointCount;
    for (int i = 0; i < m_gradientPointCount; ++i) {
        if (position < m_points[i].position) {
            insertionIndex = i;
            break;
        }
        if (position == m_points[i].position) {
            throw noise::ExceptionInvalidParam();
        }
    }

    // A failed allocation leaves the old array in place.
    GradientPoint* newPoints = new GradientPoint[m_gradientPointCount + 1];
    for (int i = 0; i < insertionIndex; ++i) {
        newPoints[i] = m_points[i];
    }
    for (int i = insertionIndex; i < m_gradientPointCount; ++i) {
        newPoints[i + 1] = m_points[i];
    }
    delete[] m_points;
    m_points = newPoints;
    ++m_gradientPointCount;
    m_points[insertionIndex].position = position;
    m_points[insertionIndex].color = color;
}

void GradientColor::Clear() {
    delete[] m_points;
    m_points = nullptr;
    m_gradientPointCount = 0;
}

const Color& GradientColor::GetColor(double position) {
    m_resultColor = ColorAt(position, m_lastIndex);
    return m_resultColor;
}

Color GradientColor::ColorAt(double position, int& lastIndex) const {
    if (m_gradientPointCount < 2) {
        FailPointCountCheck();
    }

    // i = the number of leading points at or below the position. The points are sorted, so the
    // last lookup's count is still right when the position lies in the same interval, and a
    // binary search finds the same count otherwise (also for NaN, which no point is at or below).
    int i = lastIndex;
    const bool sameInterval = i >= 0 && i <= m_gradientPointCount &&
                              (i == 0 || m_points[i - 1].position <= position) &&
                              (i == m_gradientPointCount || !(m_points[i].position <= position));
    if (!sameInterval) {
        const GradientPoint* begin = m_points;
        const GradientPoint* end = m_points + m_gradientPointCount;
        i = static_cast<int>(
            std::partition_point(
                begin, end, [position](const GradientPoint& p) { return p.position <= position; }) -
            m_points);
        lastIndex = i;
    }
    const int index0 = ClampIndex(i - 1, 0, m_gradientPointCount - 1);
    const int index1 = ClampIndex(i, 0, m_gradientPointCount - 1);

    if (index0 == index1) {
        return m_points[index1].color;
    }

    const double p0 = m_points[index0].position;
    const double p1 = m_points[index1].position;
    const float a = static_cast<float>((position - p0) / (p1 - p0));
    Color result;
    LerpColor(m_points[index0].color, m_points[index1].color, a, result);
    return result;
}

} // namespace utils
} // namespace noise
