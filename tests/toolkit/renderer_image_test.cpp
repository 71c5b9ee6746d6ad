#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"
#include "toolkit/toolkit.h"

using noise::utils::Color;
using noise::utils::Image;
using noise::utils::NoiseMap;
using noise::utils::RendererImage;
using quillmere_test::ExpectColor;
using quillmere_test::ExpectEveryCell;
using quillmere_test::ExpectMissingInputsThrow;
using quillmere_test::MapOf;

namespace {

// Light on a white surface: the channel value is the intensity scaled by the (white) light.
int LitWhiteChannel(double intensity) {
    double value = 1.0 * (255 * intensity / 255.0);
    value = std::fmin(std::fmax(value, 0.0), 1.0);
    return static_cast<int>(value * 255.0);
}

// The shading rule written out independently of the renderer, with neighbours found by index
// arithmetic: clamped to the map without wrap, modulo its size with wrap.
double ReferenceIntensity(const NoiseMap& map, int x, int y, bool wrap, double azimuth,
                          double elevation, double contrast, double brightness) {
    const int width = map.GetWidth();
    const int height = map.GetHeight();
    auto column = [&](int c) {
        return wrap ? (c + width) % width : std::min(std::max(c, 0), width - 1);
    };
    auto row = [&](int r) {
        return wrap ? (r + height) % height : std::min(std::max(r, 0), height - 1);
    };
    const double left = map.GetValue(column(x - 1), y);
    const double right = map.GetValue(column(x + 1), y);
    const double down = map.GetValue(x, row(y - 1));
    const double up = map.GetValue(x, row(y + 1));
    const double pi = std::acos(-1.0);
    const double az = azimuth * pi / 180.0;
    const double el = elevation * pi / 180.0;
    const double io = std::sqrt(2.0) * std::sin(el) / 2.0;
    const double ix = (1.0 - io) * contrast * std::sqrt(2.0) * std::cos(el) * std::cos(az);
    const double iy = (1.0 - io) * contrast * std::sqrt(2.0) * std::cos(el) * std::sin(az);
    const double intensity = std::fmax(0.0, ix * (left - right) + iy * (down - up) + io);
    return intensity * brightness;
}

// Higher on the left and on the previous row: both slope terms are positive at azimuth 45.
NoiseMap SlopeTowardsTheLight() {
    return MapOf(3, 3,
                 {0.6f, 0.5f, 0.4f, //
                  0.5f, 0.4f, 0.3f, //
                  0.4f, 0.3f, 0.2f});
}

class RendererImageTest : public ::testing::Test {
protected:
    // A gradient that is white everywhere isolates the light's effect.
    void UseWhiteGradient() {
        m_renderer.ClearGradient();
        m_renderer.AddGradientPoint(-100.0, Color(255, 255, 255, 255));
        m_renderer.AddGradientPoint(100.0, Color(255, 255, 255, 255));
    }

    // Renders from map into m_image.
    void UseMap(NoiseMap& map) {
        m_renderer.SetSourceNoiseMap(map);
        m_renderer.SetDestImage(m_image);
    }

    // The white gradient with the light on, from map into m_image.
    void LightWhiteMap(NoiseMap& map) {
        UseWhiteGradient();
        UseMap(map);
        m_renderer.EnableLight(true);
    }

    void ExpectMatchesReference(const NoiseMap& map, bool wrap, double azimuth = 45.0,
                                double elevation = 45.0, double contrast = 1.0,
                                double brightness = 1.0) {
        for (int y = 0; y < map.GetHeight(); ++y) {
            for (int x = 0; x < map.GetWidth(); ++x) {
                const int expected = LitWhiteChannel(
                    ReferenceIntensity(map, x, y, wrap, azimuth, elevation, contrast, brightness));
                const Color color = m_image.GetValue(x, y);
                EXPECT_EQ(color.red, expected) << "cell " << x << ", " << y;
                EXPECT_EQ(color.blue, expected) << "cell " << x << ", " << y;
                EXPECT_EQ(color.alpha, 255);
            }
        }
    }

    RendererImage m_renderer;
    Image m_image;
};

TEST_F(RendererImageTest, NewRendererUsesTheGrayscalePreset) {
    NoiseMap map = MapOf(3, 1, {-1.0f, 0.0f, 1.0f});
    UseMap(map);
    m_renderer.Render();
    ASSERT_EQ(m_image.GetWidth(), 3);
    ASSERT_EQ(m_image.GetHeight(), 1);
    ExpectColor(m_image.GetValue(0, 0), 0, 0, 0, 255);
    ExpectColor(m_image.GetValue(1, 0), 127, 127, 127, 255);
    ExpectColor(m_image.GetValue(2, 0), 255, 255, 255, 255);
}

TEST_F(RendererImageTest, TerrainPresetReplacesTheGradient) {
    m_renderer.BuildTerrainGradient();
    const auto& gradient = m_renderer.GetGradient();
    ASSERT_EQ(gradient.GetPointCount(), 9);
    EXPECT_EQ(gradient.GetGradientPoint(0).position, -1.0);
    EXPECT_EQ(gradient.GetGradientPoint(3).position, -0.02);
    EXPECT_EQ(gradient.GetGradientPoint(8).position, 1.0);

    NoiseMap map = MapOf(3, 1, {-1.0f, 0.0f, 0.75f});
    UseMap(map);
    m_renderer.Render();
    ExpectColor(m_image.GetValue(0, 0), 0, 0, 128, 255);
    ExpectColor(m_image.GetValue(1, 0), 0, 192, 0, 255);
    ExpectColor(m_image.GetValue(2, 0), 128, 255, 255, 255);

    m_renderer.BuildGrayscaleGradient();
    EXPECT_EQ(m_renderer.GetGradient().GetPointCount(), 2);
}

TEST_F(RendererImageTest, DefaultLightHalvesAFlatWhiteMap) {
    NoiseMap map(4, 3);
    map.Clear(1.0f);
    UseMap(map);
    m_renderer.EnableLight(true);
    m_renderer.Render();
    ExpectEveryCell(m_image, 4, 3, 127, 127, 127, 255);
}

TEST_F(RendererImageTest, SlopeFacingTheLightIsBrighterAndChannelsClampAtWhite) {
    NoiseMap map = SlopeTowardsTheLight();
    LightWhiteMap(map);
    m_renderer.Render();
    EXPECT_GT(m_image.GetValue(1, 1).red, 127);
    ExpectMatchesReference(map, false);

    // Intensity above 1 is not limited by the light but by the channel clamp.
    m_renderer.SetLightBrightness(4.0);
    m_renderer.Render();
    ExpectColor(m_image.GetValue(1, 1), 255, 255, 255, 255);
}

// The channel of a grey gradient colour under a light of the given intensity and colour channel.
int LitChannel(int colour, int light, double intensity) {
    const double value = colour / 255.0 * (light * intensity / 255.0);
    return static_cast<int>(std::fmin(std::fmax(value, 0.0), 1.0) * 255.0);
}

TEST_F(RendererImageTest, IntensityAboveOneBrightensColoursBelowWhite) {
    // The texture run lights with brightness 1 to 5: neither the intensity nor its product
    // with the brightness is limited to 1, only the channels are.
    NoiseMap flat(2, 2);
    flat.Clear(0.0f);
    NoiseMap slope = SlopeTowardsTheLight();
    struct Case {
        NoiseMap* map;
        double contrast;
        double brightness;
    };
    for (const Case& c : {Case{&flat, 1.0, 3.0}, Case{&slope, 5.0, 1.0}}) {
        m_renderer.ClearGradient();
        m_renderer.AddGradientPoint(-1.0, Color(100, 100, 100, 255));
        m_renderer.AddGradientPoint(1.0, Color(100, 100, 100, 255));
        UseMap(*c.map);
        m_renderer.EnableLight(true);
        m_renderer.SetLightContrast(c.contrast);
        m_renderer.SetLightBrightness(c.brightness);
        m_renderer.Render();
        const double intensity =
            ReferenceIntensity(*c.map, 1, 1, false, 45.0, 45.0, c.contrast, c.brightness);
        ASSERT_GT(intensity, 1.0);
        const int expected = LitChannel(100, 255, intensity);
        EXPECT_GT(expected, 100);
        ExpectColor(m_image.GetValue(1, 1), expected, expected, expected, 255);
    }
}

TEST_F(RendererImageTest, LightColourTintsOnlyWhileTheLightIsOn) {
    NoiseMap map(2, 2);
    map.Clear(1.0f);
    UseWhiteGradient();
    UseMap(map);
    // Light colours with two equal channels must not pass for grey ones.
    const Color lights[] = {Color(200, 200, 50, 255), Color(200, 50, 200, 255),
                            Color(50, 200, 200, 255), Color(90, 90, 90, 255),
                            Color(255, 128, 0, 255)};
    for (const Color& light : lights) {
        SCOPED_TRACE(testing::Message()
                     << int(light.red) << " " << int(light.green) << " " << int(light.blue));
        m_renderer.SetLightColor(light);
        m_renderer.EnableLight(false);
        m_renderer.Render();
        ExpectColor(m_image.GetValue(1, 1), 255, 255, 255, 255);

        m_renderer.EnableLight(true);
        m_renderer.SetLightBrightness(1.5); // intensity 0.75 on a flat map
        m_renderer.Render();
        ExpectColor(m_image.GetValue(1, 1), LitChannel(255, light.red, 0.75),
                    LitChannel(255, light.green, 0.75), LitChannel(255, light.blue, 0.75), 255);
    }
}

TEST_F(RendererImageTest, IntensityNeverGoesNegative) {
    NoiseMap map = MapOf(3, 1, {0.0f, 0.0f, 5.0f});
    LightWhiteMap(map);
    m_renderer.SetLightBrightness(-1.0);
    m_renderer.Render();
    // A negative brightness turns the clamped intensity negative: the channel clamp gives 0.
    ExpectColor(m_image.GetValue(0, 0), 0, 0, 0, 255);
    m_renderer.SetLightBrightness(1.0);
    m_renderer.SetLightContrast(4.0);
    m_renderer.Render();
    // Cell 1 faces away from the light (right side higher), steeply enough to reach 0.
    ExpectColor(m_image.GetValue(1, 0), 0, 0, 0, 255);
}

TEST_F(RendererImageTest, EdgesFollowTheWrapSettingAndTheLightFollowsEachChange) {
    NoiseMap map = MapOf(4, 3,
                         {0.9f, 0.1f, 0.4f, 0.2f, //
                          0.3f, 0.8f, 0.0f, 0.6f, //
                          0.5f, 0.2f, 0.7f, 0.1f});
    LightWhiteMap(map);
    m_renderer.SetLightContrast(0.5);
    m_renderer.Render();
    ExpectMatchesReference(map, false, 45.0, 45.0, 0.5);

    m_renderer.EnableWrap(true);
    m_renderer.Render();
    ExpectMatchesReference(map, true, 45.0, 45.0, 0.5);

    // The light's angles are read again after every change.
    m_renderer.SetLightAzimuth(200.0);
    m_renderer.Render();
    ExpectMatchesReference(map, true, 200.0, 45.0, 0.5);
    m_renderer.SetLightElevation(30.0);
    m_renderer.Render();
    ExpectMatchesReference(map, true, 200.0, 30.0, 0.5);
    m_renderer.SetLightContrast(2.0);
    m_renderer.SetLightBrightness(0.8);
    m_renderer.Render();
    ExpectMatchesReference(map, true, 200.0, 30.0, 2.0, 0.8);
}

TEST_F(RendererImageTest, OneCellWideOrHighMapsUseTheCentreForMissingNeighbours) {
    NoiseMap column = MapOf(1, 3, {0.0f, 0.3f, 0.9f});
    NoiseMap row = MapOf(3, 1, {0.9f, 0.3f, 0.0f});
    // Padding cells and the cells past the last row hold junk that must not be read.
    for (int y = 0; y < 3; ++y) {
        *column.GetValuePtr(1, y) = 1000.0f;
        *column.GetValuePtr(3, y) = -1000.0f;
    }
    *row.GetValuePtr(3, 0) = 1000.0f;
    UseWhiteGradient();
    m_renderer.EnableLight(true);
    m_renderer.SetDestImage(m_image);
    for (bool wrap : {false, true}) {
        m_renderer.EnableWrap(wrap);
        m_renderer.SetSourceNoiseMap(column);
        m_renderer.Render();
        ExpectMatchesReference(column, wrap);
        m_renderer.SetSourceNoiseMap(row);
        m_renderer.Render();
        ExpectMatchesReference(row, wrap);
    }
}

TEST_F(RendererImageTest, LightColourTintsEachChannel) {
    NoiseMap map(2, 2);
    map.Clear(1.0f);
    LightWhiteMap(map);
    m_renderer.SetLightBrightness(2.0);
    m_renderer.SetLightColor(Color(255, 128, 0, 255));
    m_renderer.Render();
    // Intensity 1.0: red 1.0, green 128 / 255, blue 0.
    ExpectColor(m_image.GetValue(0, 0), 255, 128, 0, 255);
}

TEST_F(RendererImageTest, TransparentGradientShowsTheWhiteDefaultBackground) {
    NoiseMap map(2, 1);
    map.Clear(0.0f);
    m_renderer.ClearGradient();
    m_renderer.AddGradientPoint(-1.0, Color(10, 20, 30, 0));
    m_renderer.AddGradientPoint(1.0, Color(10, 20, 30, 0));
    UseMap(map);
    m_renderer.Render();
    ExpectColor(m_image.GetValue(0, 0), 255, 255, 255, 255);
}

TEST_F(RendererImageTest, ComposesOverABackgroundImage) {
    NoiseMap map(2, 1);
    map.Clear(0.0f);
    Image background(2, 1);
    background.SetValue(0, 0, Color(0, 0, 201, 100));
    background.SetValue(1, 0, Color(100, 50, 0, 10));
    m_renderer.ClearGradient();
    m_renderer.AddGradientPoint(-1.0, Color(255, 0, 100, 51));
    m_renderer.AddGradientPoint(1.0, Color(255, 0, 100, 51));
    UseMap(map);
    m_renderer.SetBackgroundImage(background);
    m_renderer.Render();
    // Weight 51 / 255 = 0.2 for the gradient colour; the larger alpha wins.
    ExpectColor(m_image.GetValue(0, 0), 51, 0, 180, 100);
    ExpectColor(m_image.GetValue(1, 0), 131, 40, 20, 51);
}

TEST_F(RendererImageTest, DestinationMayBeItsOwnBackground) {
    NoiseMap map(3, 2);
    map.Clear(0.0f);
    Image canvas(3, 2);
    canvas.Clear(Color(0, 0, 200, 255));
    const Color* buffer = canvas.GetRowPtr(0);
    m_renderer.ClearGradient();
    m_renderer.AddGradientPoint(-1.0, Color(255, 0, 0, 51));
    m_renderer.AddGradientPoint(1.0, Color(255, 0, 0, 51));
    m_renderer.SetSourceNoiseMap(map);
    m_renderer.SetDestImage(canvas);
    m_renderer.SetBackgroundImage(canvas);
    m_renderer.Render();
    EXPECT_EQ(canvas.GetRowPtr(0), buffer);
    ExpectColor(canvas.GetValue(2, 1), 51, 0, 160, 255);
}

TEST_F(RendererImageTest, InvalidSetupThrowsWithoutTouchingTheDestination) {
    m_image.SetSize(2, 2);
    m_image.Clear(Color(1, 2, 3, 4));
    NoiseMap map(3, 3);
    map.Clear(0.0f);

    ExpectMissingInputsThrow<RendererImage>(map, m_image);

    RendererImage onePoint;
    onePoint.ClearGradient();
    onePoint.AddGradientPoint(0.0, Color(9, 9, 9, 9));
    onePoint.SetSourceNoiseMap(map);
    onePoint.SetDestImage(m_image);
    EXPECT_THROW(onePoint.Render(), noise::ExceptionInvalidParam);

    Image smallBackground(3, 2);
    RendererImage wrongBackground;
    wrongBackground.SetSourceNoiseMap(map);
    wrongBackground.SetDestImage(m_image);
    wrongBackground.SetBackgroundImage(smallBackground);
    EXPECT_THROW(wrongBackground.Render(), noise::ExceptionInvalidParam);

    EXPECT_EQ(m_image.GetWidth(), 2);
    EXPECT_EQ(m_image.GetHeight(), 2);
    ExpectColor(m_image.GetValue(1, 1), 1, 2, 3, 4);
}

TEST_F(RendererImageTest, ContrastMustBePositive) {
    m_renderer.SetLightContrast(2.5);
    EXPECT_THROW(m_renderer.SetLightContrast(0.0), noise::ExceptionInvalidParam);
    EXPECT_THROW(m_renderer.SetLightContrast(-1.0), noise::ExceptionInvalidParam);
    EXPECT_THROW(m_renderer.SetLightContrast(std::nan("")), noise::ExceptionInvalidParam);
    EXPECT_EQ(m_renderer.GetLightContrast(), 2.5);
}

TEST_F(RendererImageTest, CopiedRendererKeepsItsOwnGradient) {
    RendererImage copy(m_renderer);
    m_renderer.ClearGradient();
    EXPECT_EQ(copy.GetGradient().GetPointCount(), 2);
    NoiseMap map = MapOf(1, 1, {1.0f});
    copy.SetSourceNoiseMap(map);
    copy.SetDestImage(m_image);
    copy.Render();
    ExpectColor(m_image.GetValue(0, 0), 255, 255, 255, 255);
}

// Copies of a new renderer copy every field, so construction must give each one a value: built
// in storage filled with a marker, no aligned 8-byte word (a double or a pointer) keeps it.
TEST(RendererImageStateTest, ConstructionSetsEveryWord) {
    alignas(RendererImage) unsigned char storage[sizeof(RendererImage)];
    std::memset(storage, 0xA5, sizeof storage);
    RendererImage* renderer = new (storage) RendererImage;
    std::uint64_t marker;
    std::memset(&marker, 0xA5, sizeof marker);
    for (std::size_t offset = 0; offset + 8 <= sizeof storage; offset += 8) {
        std::uint64_t word;
        std::memcpy(&word, storage + offset, sizeof word);
        EXPECT_NE(word, marker) << "unset word at offset " << offset;
    }
    RendererImage copy(*renderer);
    renderer->~RendererImage();
}

} // namespace
