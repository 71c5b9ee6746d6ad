// Which random number becomes which parameter: scripted draws for exact cases, recorded draws of
// seeded runs for the order as a whole.
#include <gtest/gtest.h>

#include <libnoise/module/perlin.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/texgen/texgen_test_support.h"

namespace {

using noise::utils::Color;
using noise::utils::GradientPoint;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// A Perlin plane sampled through the toolkit directly, to compare a run's map with.
noise::utils::NoiseMap PerlinPlane(int octaves, float frequency, float persistence, int width,
                                   int height, const double bounds[4]) {
    noise::module::Perlin module;
    module.SetOctaveCount(octaves);
    module.SetFrequency(frequency);
    module.SetPersistence(persistence);
    noise::utils::NoiseMap map;
    noise::utils::NoiseMapBuilderPlane builder;
    builder.SetSourceModule(module);
    builder.SetDestNoiseMap(map);
    builder.SetDestSize(width, height);
    builder.SetBounds(bounds[0], bounds[1], bounds[2], bounds[3]);
    builder.Build();
    return map;
}

int Channel(int value) {
    return StepFor(0, 256, value);
}

// Draws of one gradient point: the alpha chance, the alpha when it applies, red, green, blue.
void AddPoint(std::vector<int>& draws, Color color, bool useAlpha) {
    draws.push_back(useAlpha ? 9999 : 0);
    if (useAlpha) {
        draws.push_back(Channel(color.alpha));
    }
    draws.push_back(Channel(color.red));
    draws.push_back(Channel(color.green));
    draws.push_back(Channel(color.blue));
}

void ExpectColor(const Color& actual, const Color& expected) {
    EXPECT_EQ(actual.red, expected.red);
    EXPECT_EQ(actual.green, expected.green);
    EXPECT_EQ(actual.blue, expected.blue);
    EXPECT_EQ(actual.alpha, expected.alpha);
}

std::string DrawGradient(ScriptedGenerator& generator, std::vector<GradientPoint>& points) {
    CaptureStdout();
    points = generator.randomGradient();
    return GetCapturedStdout();
}

TEST(HeightMapDrawsTest, OctaveFrequencyPersistenceAreDrawnPrintedAndSetInOrder) {
    ScriptedGenerator generator({StepFor(1.0, 6.1, 3), 1234, 4321});
    const float bounds[4] = {-1.5f, 2.0f, -3.0f, 4.25f};
    CaptureStdout();
    noise::utils::NoiseMap map = generator.generateHeightMap(16, 8, bounds);
    EXPECT_EQ(GetCapturedStdout(), "Octave: 3\nFrequency: 1.2468\nPersistence: 0.4321\n");
    EXPECT_EQ(generator.remaining(), 0u);

    // The same module set up by hand with the printed (float) values samples the same map.
    const double planeBounds[4] = {-1.5, 2.0, -3.0, 4.25};
    const noise::utils::NoiseMap expected = PerlinPlane(3, 1.2468f, 0.4321f, 16, 8, planeBounds);
    // The noise library's defaults: a map the drawn values must not be mistaken for.
    const noise::utils::NoiseMap unlike = PerlinPlane(6, 1.0f, 0.5f, 16, 8, planeBounds);

    ASSERT_EQ(map.GetWidth(), 16);
    ASSERT_EQ(map.GetHeight(), 8);
    int differences = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(map.GetValue(x, y), expected.GetValue(x, y)) << x << "," << y;
            differences += map.GetValue(x, y) != unlike.GetValue(x, y);
        }
    }
    EXPECT_GT(differences, 0);
}

TEST(HeightMapDrawsTest, LowestAndHighestStepsGiveTheEndsOfEachRange) {
    const float bounds[4] = {-1.0f, 1.0f, -1.0f, 1.0f};
    ScriptedGenerator lowest({0, 0, 0});
    CaptureStdout();
    lowest.generateHeightMap(1, 1, bounds);
    EXPECT_EQ(GetCapturedStdout(), "Octave: 1\nFrequency: 1\nPersistence: 0\n");

    ScriptedGenerator highest({9999, 9999, 9999});
    CaptureStdout();
    highest.generateHeightMap(1, 1, bounds);
    EXPECT_EQ(GetCapturedStdout(), "Octave: 6\nFrequency: 2.9998\nPersistence: 0.9999\n");
}

TEST(GradientDrawsTest, HighestStepGivesTwentyFourColours) {
    std::vector<int> draws = {9999};
    draws.insert(draws.end(), 23, 1000);
    for (int k = 0; k < 24; ++k) {
        AddPoint(draws, Color(k, 2 * k, 3 * k, 255), false);
    }
    ScriptedGenerator generator(draws);
    std::vector<GradientPoint> points;
    EXPECT_EQ(DrawGradient(generator, points), "numColors = 24\n");
    EXPECT_EQ(generator.remaining(), 0u);
    ASSERT_EQ(points.size(), 24u);
    for (int k = 0; k + 1 < 24; ++k) {
        EXPECT_NEAR(points[k].position, -1.0 + 2.0 * (k + 1) / 23, 1e-5) << k;
        ExpectColor(points[k].color, Color(k, 2 * k, 3 * k, 255));
    }
    EXPECT_EQ(points[23].position, -1.0);
}

TEST(GradientDrawsTest, PointsClimbByTheWeightsToOneAndTheLastSitsAtMinusOne) {
    const Color colors[4] = {Color(10, 20, 30, 255), Color(40, 50, 60, 255), Color(70, 80, 90, 255),
                             Color(100, 110, 120, 33)};
    std::vector<int> draws = {StepFor(2.1, 25.0, 4), 2500, 5000, 2500};
    for (int k = 0; k < 4; ++k) {
        AddPoint(draws, colors[k], k == 3);
    }
    ScriptedGenerator generator(draws);
    std::vector<GradientPoint> points;
    EXPECT_EQ(DrawGradient(generator, points), "numColors = 4\n");
    EXPECT_EQ(generator.remaining(), 0u);

    ASSERT_EQ(points.size(), 4u);
    const double positions[4] = {-0.5, 0.5, 1.0, -1.0};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(points[k].position, positions[k]) << k;
        ExpectColor(points[k].color, colors[k]);
    }
}

TEST(GradientDrawsTest, TwoColoursPutTheOnlyWeightedPointAtPlusOne) {
    std::vector<int> draws = {0, 3700};
    AddPoint(draws, Color(1, 2, 3, 255), false);
    AddPoint(draws, Color(4, 5, 6, 200), true);
    ScriptedGenerator generator(draws);
    std::vector<GradientPoint> points;
    EXPECT_EQ(DrawGradient(generator, points), "numColors = 2\n");
    EXPECT_EQ(generator.remaining(), 0u);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].position, 1.0);
    EXPECT_EQ(points[1].position, -1.0);
    ExpectColor(points[1].color, Color(4, 5, 6, 200));
}

TEST(GradientDrawsTest, ZeroWeightRepeatsAPositionWhosePointIsLeftOutButStillDrawn) {
    std::vector<int> draws = {StepFor(2.1, 25.0, 4), 5000, 0, 5000};
    const Color colors[4] = {Color(11, 12, 13, 255), Color(21, 22, 23, 99), Color(31, 32, 33, 255),
                             Color(41, 42, 43, 255)};
    for (int k = 0; k < 4; ++k) {
        AddPoint(draws, colors[k], k == 1);
    }
    ScriptedGenerator generator(draws);
    std::vector<GradientPoint> points;
    DrawGradient(generator, points);
    // Every colour was drawn, the left-out one included, so the draws after it stay in step.
    EXPECT_EQ(generator.remaining(), 0u);

    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].position, 0.0);
    ExpectColor(points[0].color, colors[0]);
    EXPECT_EQ(points[1].position, 1.0);
    ExpectColor(points[1].color, colors[2]);
    EXPECT_EQ(points[2].position, -1.0);
    ExpectColor(points[2].color, colors[3]);

    // The points go into a gradient without a rejected duplicate.
    noise::utils::GradientColor gradient;
    for (const GradientPoint& point : points) {
        EXPECT_NO_THROW(gradient.AddGradientPoint(point.position, point.color));
    }
}

TEST(GradientDrawsTest, LastPointRepeatingAZeroWeightedFirstPointIsLeftOut) {
    std::vector<int> draws = {StepFor(2.1, 25.0, 3), 0, 5000};
    for (int k = 0; k < 3; ++k) {
        AddPoint(draws, Color(k, k, k, 255), false);
    }
    ScriptedGenerator generator(draws);
    std::vector<GradientPoint> points;
    DrawGradient(generator, points);
    EXPECT_EQ(generator.remaining(), 0u);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].position, -1.0);
    ExpectColor(points[0].color, Color(0, 0, 0, 255));
    EXPECT_EQ(points[1].position, 1.0);
}

TEST(GradientDrawsTest, AllZeroWeightsAreSpacedEvenly) {
    std::vector<int> draws = {StepFor(2.1, 25.0, 4), 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        AddPoint(draws, Color(k, k, k, 255), false);
    }
    ScriptedGenerator generator(draws);
    std::vector<GradientPoint> points;
    DrawGradient(generator, points);
    EXPECT_EQ(generator.remaining(), 0u);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_NEAR(points[0].position, -1.0 / 3.0, 1e-6);
    EXPECT_NEAR(points[1].position, 1.0 / 3.0, 1e-6);
    EXPECT_NEAR(points[2].position, 1.0, 1e-6);
    EXPECT_EQ(points[3].position, -1.0);

    std::vector<int> single = {0, 0};
    AddPoint(single, Color(1, 1, 1, 255), false);
    AddPoint(single, Color(2, 2, 2, 255), false);
    ScriptedGenerator two(single);
    DrawGradient(two, points);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].position, 1.0);
    EXPECT_EQ(points[1].position, -1.0);
}

TEST(GradientDrawsTest, SeededParametersStayInTheirRanges) {
    const float bounds[4] = {-1.0f, 1.0f, -1.0f, 1.0f};
    int octaveSeen[7] = {0};
    for (unsigned int seed = 1; seed <= 1500; ++seed) {
        RecordingGenerator generator(seed);
        CaptureStdout();
        generator.generateHeightMap(1, 1, bounds);
        std::vector<std::string> lines = SplitLines(GetCapturedStdout());
        ASSERT_EQ(lines.size(), 3u);
        ASSERT_EQ(generator.draws.size(), 3u);

        int octave = std::stoi(lines[0].substr(std::string("Octave: ").size()));
        double frequency = std::stod(lines[1].substr(std::string("Frequency: ").size()));
        double persistence = std::stod(lines[2].substr(std::string("Persistence: ").size()));
        ASSERT_GE(octave, 1);
        ASSERT_LE(octave, 6);
        ++octaveSeen[octave];
        ASSERT_GE(frequency, 1.0);
        ASSERT_LT(frequency, 3.0);
        ASSERT_GE(persistence, 0.0);
        ASSERT_LT(persistence, 1.0);
        // Each printed value is the one of its own draw.
        FixedRandom replay;
        replay.step = generator.draws[0];
        EXPECT_EQ(octave, static_cast<int>(replay.uniform(1.0, 6.1)));
        EXPECT_NEAR(frequency, 1.0 + 2.0 * generator.draws[1] / 10000, 1e-5);
        EXPECT_NEAR(persistence, generator.draws[2] / 10000.0, 1e-5);
    }
    for (int octave = 1; octave <= 6; ++octave) {
        EXPECT_GT(octaveSeen[octave], 0) << "octave " << octave << " never drawn";
    }
}

class RenderDrawsTest : public WorkFolderTest {};

TEST_F(RenderDrawsTest, FlatMapShowsTheDrawnColourUnderTheDrawnBrightness) {
    MakeDataFolder();
    noise::utils::NoiseMap flat(2, 2);
    flat.Clear(0.0f);

    // Three colours, weights 0.5 and 0.5: the first point sits at 0.0, where the map lies.
    std::vector<int> draws = {StepFor(2.1, 25.0, 3), 5000, 5000};
    AddPoint(draws, Color(201, 121, 41, 255), false);
    AddPoint(draws, Color(250, 250, 250, 255), false);
    AddPoint(draws, Color(5, 5, 5, 255), false);
    draws.push_back(5000); // contrast 3.0: no effect on a flat map
    draws.push_back(1250); // brightness 1.5: intensity 0.5 x 1.5
    ScriptedGenerator generator(draws);
    CaptureStdout();
    generator.renderTexture(flat, "./Data/flat.bmp");
    EXPECT_EQ(GetCapturedStdout(), "numColors = 3\n");
    EXPECT_EQ(generator.remaining(), 0u);

    std::string file = ReadFile("Data/flat.bmp");
    ASSERT_EQ(file.size(), 54u + 2 * 8);
    for (size_t pixel : {54u, 57u, 62u, 65u}) {
        EXPECT_EQ(static_cast<unsigned char>(file[pixel]), 30);      // blue 41 x 0.75
        EXPECT_EQ(static_cast<unsigned char>(file[pixel + 1]), 90);  // green 121 x 0.75
        EXPECT_EQ(static_cast<unsigned char>(file[pixel + 2]), 150); // red 201 x 0.75
    }
}

// A complete run whose gradient draws are forced: bounds, parameters (octave 1 keeps it quick),
// four colours with the given weights, contrast and brightness.
std::vector<int> ForcedRun(const std::vector<int>& weights) {
    std::vector<int> draws = {5000, 5000, 5000, 5000, 0, 5000, 5000, StepFor(2.1, 25.0, 4)};
    draws.insert(draws.end(), weights.begin(), weights.end());
    for (int k = 0; k < 4; ++k) {
        AddPoint(draws, Color(60 * k, 255 - 60 * k, 128, 255), k == 2);
    }
    draws.push_back(2500);
    draws.push_back(2500);
    return draws;
}

TEST_F(RenderDrawsTest, RunsWithZeroWeightsStillWriteTheirTexture) {
    MakeDataFolder();
    for (const std::vector<int>& weights :
         {std::vector<int>{5000, 0, 5000}, std::vector<int>{0, 0, 0},
          std::vector<int>{0, 7000, 3000}}) {
        std::filesystem::remove("Data/example0.bmp");
        ScriptedGenerator generator(ForcedRun(weights));
        CaptureStdout();
        EXPECT_NO_THROW(generator.run());
        std::vector<std::string> lines = SplitLines(GetCapturedStdout());
        EXPECT_EQ(generator.remaining(), 0u);
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(lines[4], "numColors = 4");
        EXPECT_EQ(std::filesystem::file_size("Data/example0.bmp"), 54u + 512 * 1536);
    }
}

TEST_F(RenderDrawsTest, RunPaintsTheDrawnRectangleWithTheRendererDefaults) {
    MakeDataFolder();
    // Distinct x and z bounds (-7, 6, -2, 1), one octave at frequency 2 and persistence 0.5,
    // four colours at -0.5, 0.5, 1.0 and -1.0, contrast 2 and brightness 2.
    std::vector<int> draws = {3000, 6000, 8000, 1000, 0, 5000, 5000, StepFor(2.1, 25.0, 4),
                              2500, 5000, 2500};
    const Color colors[4] = {Color(200, 40, 90, 255), Color(30, 160, 220, 255),
                             Color(250, 240, 10, 255), Color(90, 20, 60, 140)};
    for (int k = 0; k < 4; ++k) {
        AddPoint(draws, colors[k], k == 3);
    }
    draws.push_back(2500);
    draws.push_back(2500);
    ScriptedGenerator generator(draws);
    CaptureStdout();
    generator.run();
    GetCapturedStdout();
    EXPECT_EQ(generator.remaining(), 0u);

    // The same picture made with the toolkit directly: light at the renderer's default azimuth,
    // elevation and colour, wrap off, no background.
    const double planeBounds[4] = {-7.0, 6.0, -2.0, 1.0};
    noise::utils::NoiseMap map = PerlinPlane(1, 2.0f, 0.5f, 512, 512, planeBounds);
    noise::utils::RendererImage renderer;
    noise::utils::Image image;
    renderer.SetSourceNoiseMap(map);
    renderer.SetDestImage(image);
    renderer.ClearGradient();
    const double positions[4] = {-0.5, 0.5, 1.0, -1.0};
    for (int k = 0; k < 4; ++k) {
        renderer.AddGradientPoint(positions[k], colors[k]);
    }
    renderer.EnableLight(true);
    renderer.SetLightContrast(2.0);
    renderer.SetLightBrightness(2.0);
    renderer.Render();
    noise::utils::WriterBMP writer;
    writer.SetImage(image);
    writer.SetFileName("./Data/expected.bmp");
    writer.Write();

    EXPECT_TRUE(ReadFile("Data/example0.bmp") == ReadFile("Data/expected.bmp"));
}

} // namespace
