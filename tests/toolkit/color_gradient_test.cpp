#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "test_support.h"
#include "toolkit/toolkit.h"

using noise::utils::Color;
using noise::utils::GradientColor;
using quillmere_test::ExpectColor;

namespace {

GradientColor BlackToWhite() {
    GradientColor gradient;
    gradient.AddGradientPoint(-1.0, Color(0, 0, 0, 255));
    gradient.AddGradientPoint(1.0, Color(255, 255, 255, 255));
    return gradient;
}

} // namespace

TEST(ColorTest, StoresChannelsAsAlphaBlueGreenRed) {
    static_assert(sizeof(Color) == 4, "a colour is one 4-byte record");
    const Color color(10, 20, 30, 40);
    unsigned char bytes[4];
    std::memcpy(bytes, &color, 4);
    EXPECT_EQ(bytes[0], 40);
    EXPECT_EQ(bytes[1], 30);
    EXPECT_EQ(bytes[2], 20);
    EXPECT_EQ(bytes[3], 10);
}

TEST(ColorTest, InterpolationHelpers) {
    EXPECT_EQ(noise::utils::ClampIndex(-3, 0, 5), 0);
    EXPECT_EQ(noise::utils::ClampIndex(9, 0, 5), 5);
    EXPECT_EQ(noise::utils::ClampIndex(4, 0, 5), 4);
    EXPECT_EQ(noise::utils::Lerp(3.0, 7.0, 0.0), 3.0);
    EXPECT_EQ(noise::utils::Lerp(0.1, 0.7, 1.0), 0.7);
    EXPECT_DOUBLE_EQ(noise::utils::Lerp(2.0, 4.0, 0.25), 2.5);
}

TEST(ColorTest, LerpChannelMatchesTheDocumentedRoundingForEveryPair) {
    // Channels go through float fractions of 255, the blend is done in double and truncated.
    for (float a : {0.0f, 0.1f, 0.25f, 0.5f, 0.7f, 0.999f, 1.0f}) {
        for (int c0 = 0; c0 < 256; ++c0) {
            for (int c1 = 0; c1 < 256; ++c1) {
                const float f0 = static_cast<float>(c0 / 255.0);
                const float f1 = static_cast<float>(c1 / 255.0);
                const double v = (f1 * static_cast<double>(a) + (1.0 - a) * f0) * 255.0;
                const int expected = static_cast<int>(v) & 0xff;
                ASSERT_EQ(noise::utils::LerpChannel(static_cast<noise::uint8>(c0),
                                                    static_cast<noise::uint8>(c1), a),
                          expected)
                    << c0 << " " << c1 << " " << a;
            }
        }
    }
}

TEST(ColorTest, LerpColorBlendsAlphaToo) {
    Color out;
    noise::utils::LerpColor(Color(0, 255, 10, 0), Color(255, 0, 10, 255), 0.5f, out);
    ExpectColor(out, 127, 127, 10, 127);
}

TEST(GradientTest, KeepsPointsSortedAndRejectsDuplicatePositions) {
    GradientColor gradient;
    EXPECT_EQ(gradient.GetPointCount(), 0);
    gradient.AddGradientPoint(0.5, Color(1, 1, 1, 1));
    gradient.AddGradientPoint(-1.0, Color(2, 2, 2, 2));
    EXPECT_THROW(gradient.AddGradientPoint(-1.0, Color(9, 9, 9, 9)), noise::ExceptionInvalidParam);
    gradient.AddGradientPoint(1.0, Color(3, 3, 3, 3));
    gradient.AddGradientPoint(-1.0000001, Color(4, 4, 4, 4));
    const double positions[] = {-1.0000001, -1.0, 0.5, 1.0};
    const int reds[] = {4, 2, 1, 3};
    ASSERT_EQ(gradient.GetPointCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gradient.GetGradientPoint(i).position, positions[i]) << i;
        EXPECT_EQ(gradient.GetGradientPoint(i).color.red, reds[i]) << i;
    }
}

TEST(GradientTest, RejectsNonFinitePositionsAndStaysUnchanged) {
    GradientColor gradient = BlackToWhite();
    for (double position :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        EXPECT_THROW(gradient.AddGradientPoint(position, Color(9, 9, 9, 9)),
                     noise::ExceptionInvalidParam)
            << position;
    }
    ASSERT_EQ(gradient.GetPointCount(), 2);
    ExpectColor(gradient.GetColor(0.0), 127, 127, 127, 255);
}

TEST(GradientTest, ClampsAtTheEndsAndTruncatesBetween) {
    GradientColor gradient = BlackToWhite();
    ExpectColor(gradient.GetColor(-5.0), 0, 0, 0, 255);
    ExpectColor(gradient.GetColor(-1.0), 0, 0, 0, 255);
    ExpectColor(gradient.GetColor(1.0), 255, 255, 255, 255);
    ExpectColor(gradient.GetColor(7.0), 255, 255, 255, 255);
    ExpectColor(gradient.GetColor(0.0), 127, 127, 127, 255);
    // a = 0.25 gives 63.75 per channel.
    ExpectColor(gradient.GetColor(-0.5), 63, 63, 63, 255);
}

TEST(GradientTest, InteriorPointGivesItsOwnColour) {
    GradientColor gradient = BlackToWhite();
    gradient.AddGradientPoint(0.25, Color(10, 200, 30, 128));
    ExpectColor(gradient.GetColor(0.25), 10, 200, 30, 128);
    // Halfway to the white point: every channel interpolates, alpha included.
    ExpectColor(gradient.GetColor(0.625), 132, 227, 142, 191);
}

TEST(GradientTest, ClearEmptiesAndIsHarmlessWhenEmpty) {
    GradientColor gradient = BlackToWhite();
    gradient.Clear();
    EXPECT_EQ(gradient.GetPointCount(), 0);
    gradient.Clear();
    EXPECT_EQ(gradient.GetPointCount(), 0);
    gradient.AddGradientPoint(0.0, Color(1, 2, 3, 4));
    EXPECT_EQ(gradient.GetPointCount(), 1);
}

TEST(GradientTest, LookupsDoNotDependOnThePreviousLookup) {
    GradientColor gradient;
    gradient.AddGradientPoint(-1.0, Color(0, 0, 0, 255));
    gradient.AddGradientPoint(-0.25, Color(200, 10, 30, 128));
    gradient.AddGradientPoint(0.3, Color(5, 250, 90, 0));
    gradient.AddGradientPoint(0.6, Color(60, 70, 80, 90));
    gradient.AddGradientPoint(1.0, Color(255, 255, 255, 255));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double positions[] = {0.5,  0.55,  -0.9, 0.6, 0.6,  2.0,  -0.25, nan, 0.3,
                                -7.0, 0.299, 0.45, 1.0, -1.0, 0.61, nan,   0.0};
    for (double position : positions) {
        GradientColor fresh(gradient); // a copy has looked nothing up yet
        const Color expected = fresh.GetColor(position);
        const Color actual = gradient.GetColor(position);
        ExpectColor(actual, expected.red, expected.green, expected.blue, expected.alpha);
    }
    // Fewer points than the last lookup's interval: still right.
    gradient.GetColor(0.9);
    gradient.Clear();
    gradient.AddGradientPoint(0.0, Color(0, 0, 0, 0));
    gradient.AddGradientPoint(0.5, Color(100, 100, 100, 100));
    ExpectColor(gradient.GetColor(0.25), 50, 50, 50, 50);
    ExpectColor(gradient.GetColor(0.9), 100, 100, 100, 100);
    ExpectColor(gradient.GetColor(nan), 0, 0, 0, 0); // no point lies at or below NaN
}

TEST(GradientTest, CopiesAreIndependent) {
    GradientColor original = BlackToWhite();
    GradientColor copy(original);
    copy.AddGradientPoint(0.0, Color(255, 0, 0, 255));
    original.Clear();
    ASSERT_EQ(copy.GetPointCount(), 3);
    ExpectColor(copy.GetColor(0.0), 255, 0, 0, 255);

    GradientColor assigned;
    assigned = copy;
    copy.Clear();
    ASSERT_EQ(assigned.GetPointCount(), 3);
    EXPECT_EQ(assigned.GetGradientPoint(1).position, 0.0);
    assigned = assigned;
    EXPECT_EQ(assigned.GetPointCount(), 3);
}

TEST(GradientDeathTest, GetColorWithFewerThanTwoPointsAborts) {
    GradientColor gradient;
    gradient.AddGradientPoint(0.0, Color(1, 2, 3, 4));
    EXPECT_DEATH(gradient.GetColor(0.0), "quillmere: .*m_gradientPointCount >= 2");
    GradientColor empty;
    EXPECT_DEATH(empty.GetColor(0.0), "m_gradientPointCount >= 2");
}
