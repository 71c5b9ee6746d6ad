#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"
#include "toolkit/toolkit.h"

using noise::utils::Color;
using noise::utils::Image;
using noise::utils::NoiseMap;
using noise::utils::RendererNormalMap;
using quillmere_test::ExpectColor;
using quillmere_test::ExpectEveryCell;
using quillmere_test::ExpectMissingInputsThrow;
using quillmere_test::MapOf;

namespace {

bool SameColor(const Color& a, const Color& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

class RendererNormalMapTest : public ::testing::Test {
protected:
    // Each cell against its right and upper neighbours, found by index arithmetic: the cell
    // itself past the last column or row without wrap, the first column or row with wrap.
    void ExpectNeighbourRule(const NoiseMap& map, bool wrap) {
        const int width = map.GetWidth();
        const int height = map.GetHeight();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int rightX = x + 1 < width ? x + 1 : (wrap ? 0 : x);
                const int upY = y + 1 < height ? y + 1 : (wrap ? 0 : y);
                const Color expected =
                    m_renderer.NormalColor(map.GetValue(x, y), map.GetValue(rightX, y),
                                           map.GetValue(x, upY), m_renderer.GetBumpHeight());
                EXPECT_TRUE(SameColor(m_image.GetValue(x, y), expected))
                    << "cell " << x << ", " << y << (wrap ? " with wrap" : " without wrap");
            }
        }
    }

    RendererNormalMap m_renderer;
    Image m_image;
};

TEST_F(RendererNormalMapTest, EncodesNormalsWithFloorAndZeroAlpha) {
    ExpectColor(m_renderer.NormalColor(0.3, 0.3, 0.3, 1.0), 127, 127, 255, 0);
    ExpectColor(m_renderer.NormalColor(1.0, 0.0, 1.0, 1.0), 217, 127, 217, 0);
    ExpectColor(m_renderer.NormalColor(0.0, 1.0, 1.0, 1.0), 53, 53, 201, 0);
    // The bump height scales all three heights before the slope is taken.
    ExpectColor(m_renderer.NormalColor(2.0, 0.0, 2.0, 0.5), 217, 127, 217, 0);
    ExpectColor(m_renderer.NormalColor(5.0, -3.0, 7.0, 0.0), 127, 127, 255, 0);
}

TEST_F(RendererNormalMapTest, FlatOrUnbumpedMapsPointStraightUp) {
    NoiseMap flat(5, 3);
    flat.Clear(0.7f);
    m_image.SetSize(7, 7); // the destination takes the source's size
    m_renderer.SetSourceNoiseMap(flat);
    m_renderer.SetDestImage(m_image);
    m_renderer.Render();
    EXPECT_EQ(m_image.GetWidth(), 5);
    EXPECT_EQ(m_image.GetHeight(), 3);
    ExpectEveryCell(m_image, 5, 3, 127, 127, 255, 0);

    NoiseMap rough = MapOf(3, 2, {0.0f, 9.0f, -4.0f, 2.0f, 1.0f, 8.0f});
    m_renderer.SetSourceNoiseMap(rough);
    m_renderer.SetBumpHeight(0.0);
    m_renderer.Render();
    ExpectEveryCell(m_image, 3, 2, 127, 127, 255, 0);
}

TEST_F(RendererNormalMapTest, LastColumnAndRowFollowTheWrapSetting) {
    NoiseMap map = MapOf(4, 3,
                         {1.0f, 0.0f, 0.5f, 0.25f, //
                          0.0f, 1.0f, 0.75f, 0.0f, //
                          0.5f, 0.25f, 1.0f, 0.5f});
    m_renderer.SetSourceNoiseMap(map);
    m_renderer.SetDestImage(m_image);
    m_renderer.Render();
    ExpectNeighbourRule(map, false);
    // Last column without wrap: no slope to the right.
    const Color lastOfFirstRow = m_image.GetValue(3, 0);
    EXPECT_EQ(lastOfFirstRow.red, 127);

    m_renderer.EnableWrap(true);
    m_renderer.Render();
    ExpectNeighbourRule(map, true);
    // With wrap the first column (height 1.0) is the right neighbour of the last (0.25).
    EXPECT_LT(m_image.GetValue(3, 0).red, 127);
}

TEST_F(RendererNormalMapTest, OneCellMapsUseTheCellItself) {
    NoiseMap single = MapOf(1, 1, {0.5f});
    // The padding cells hold junk that must not be read as neighbours.
    for (int x = 1; x < 4; ++x) {
        *single.GetValuePtr(x, 0) = 100.0f;
    }
    NoiseMap column = MapOf(1, 3, {0.0f, 1.0f, 3.0f});
    for (int y = 0; y < 3; ++y) {
        *column.GetValuePtr(1, y) = -50.0f;
    }
    m_renderer.SetDestImage(m_image);
    for (bool wrap : {false, true}) {
        m_renderer.EnableWrap(wrap);
        m_renderer.SetSourceNoiseMap(single);
        m_renderer.Render();
        ExpectColor(m_image.GetValue(0, 0), 127, 127, 255, 0);
        m_renderer.SetSourceNoiseMap(column);
        m_renderer.Render();
        ExpectNeighbourRule(column, wrap);
        EXPECT_EQ(m_image.GetValue(0, 1).red, 127);
    }
}

TEST_F(RendererNormalMapTest, InvalidSetupThrowsWithoutTouchingTheDestination) {
    m_image.SetSize(2, 2);
    m_image.Clear(Color(1, 2, 3, 4));
    NoiseMap map(3, 3);
    map.Clear(0.0f);

    ExpectMissingInputsThrow<RendererNormalMap>(map, m_image);

    EXPECT_EQ(m_image.GetWidth(), 2);
    ExpectColor(m_image.GetValue(1, 1), 1, 2, 3, 4);
}

} // namespace
