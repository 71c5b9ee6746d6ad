// Which random number becomes which parameter: scripted draws, and a scripted run compared with
// the toolkit driven by hand. The order of a seeded run's draws is checked in texture_run_test.
#include <gtest/gtest.h>

#include <libnoise/module/perlin.h>

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

TEST(GradientDrawsTest, WeightsPlaceThePointsAndRepeatedPositionsAreLeftOut) {
    // Points climb by their share of the weights to 1.0 and the last sits at -1.0; a zero weight
    // repeats a position, whose point is left out but still drawn so later draws stay in step.
    struct Case {
        const char* name;
        int countStep; // the draw that picks the number of colours
        std::vector<int> weights;
        int alphaPoint;        // the point drawn with an alpha, or -1
        std::vector<int> kept; // the drawn colours that become points, in order
        std::vector<double> positions;
        double tolerance;
    };
    Case highest{"highest step", 9999, std::vector<int>(23, 1000), -1, {}, {}, 1e-5};
    for (int k = 0; k < 24; ++k) {
        highest.kept.push_back(k);
        highest.positions.push_back(k + 1 < 24 ? -1.0 + 2.0 * (k + 1) / 23 : -1.0);
    }
    const Case cases[] = {
        highest,
        {"by weight",
         StepFor(2.1, 25.0, 4),
         {2500, 5000, 2500},
         3,
         {0, 1, 2, 3},
         {-0.5, 0.5, 1.0, -1.0},
         0.0},
        {"two colours", 0, {3700}, 1, {0, 1}, {1.0, -1.0}, 0.0},
        {"zero weight inside",
         StepFor(2.1, 25.0, 4),
         {5000, 0, 5000},
         1,
         {0, 2, 3},
         {0.0, 1.0, -1.0},
         0.0},
        {"zero weight first", StepFor(2.1, 25.0, 3), {0, 5000}, -1, {0, 1}, {-1.0, 1.0}, 0.0},
        {"all zero",
         StepFor(2.1, 25.0, 4),
         {0, 0, 0},
         -1,
         {0, 1, 2, 3},
         {-1.0 / 3.0, 1.0 / 3.0, 1.0, -1.0},
         1e-6},
        {"two colours all zero", 0, {0}, -1, {0, 1}, {1.0, -1.0}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int count = static_cast<int>(c.weights.size()) + 1;
        auto colorOf = [&](int k) {
            return Color(10 * k + 1, 10 * k + 2, 10 * k + 3, k == c.alphaPoint ? 99 : 255);
        };
        std::vector<int> draws = {c.countStep};
        draws.insert(draws.end(), c.weights.begin(), c.weights.end());
        for (int k = 0; k < count; ++k) {
            AddPoint(draws, colorOf(k), k == c.alphaPoint);
        }
        ScriptedGenerator generator(draws);
        std::vector<GradientPoint> points;
        EXPECT_EQ(DrawGradient(generator, points), "numColors = " + std::to_string(count) + "\n");
        EXPECT_EQ(generator.remaining(), 0u);
        ASSERT_EQ(points.size(), c.kept.size());
        noise::utils::GradientColor gradient;
        for (size_t p = 0; p < points.size(); ++p) {
            EXPECT_NEAR(points[p].position, c.positions[p], c.tolerance) << "point " << p;
            ExpectColor(points[p].color, colorOf(c.kept[p]));
            // No repeated position reaches the gradient, which would reject it.
            EXPECT_NO_THROW(gradient.AddGradientPoint(points[p].position, points[p].color));
        }
    }
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
    // four colours at -0.5, 0.5, 1.0 and -1.0, contrast 2 and brightness 1.5 (drawn in that
    // order: equal values would hide a swap).
    std::vector<int> draws = {3000, 6000, 8000, 1000, 0, 5000, 5000, StepFor(2.1, 25.0, 4),
                              2500, 5000, 2500};
    const Color colors[4] = {Color(200, 40, 90, 255), Color(30, 160, 220, 255),
                             Color(250, 240, 10, 255), Color(90, 20, 60, 140)};
    for (int k = 0; k < 4; ++k) {
        AddPoint(draws, colors[k], k == 3);
    }
    draws.push_back(2500);
    draws.push_back(1250);
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
    renderer.SetLightBrightness(1.5);
    renderer.Render();
    noise::utils::WriterBMP writer;
    writer.SetImage(image);
    writer.SetFileName("./Data/expected.bmp");
    writer.Write();

    EXPECT_TRUE(ReadFile("Data/example0.bmp") == ReadFile("Data/expected.bmp"));
}

} // namespace
