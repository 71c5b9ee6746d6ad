#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"
#include "toolkit/toolkit.h"

using noise::utils::NoiseMap;
using noise::utils::WriterTER;
using quillmere_test::MapOf;
using quillmere_test::ReadBytes;
using quillmere_test::ReadU16;
using quillmere_test::ReadU32;

namespace {

int Elevation(const std::vector<unsigned char>& bytes, int width, int x, int y) {
    return static_cast<std::int16_t>(ReadU16(bytes, 64 + 2 * (x + y * width)));
}

float ReadFloat(const std::vector<unsigned char>& bytes, std::size_t offset) {
    const std::uint32_t bits = static_cast<std::uint32_t>(ReadU32(bytes, offset));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string Tag(const std::vector<unsigned char>& bytes, std::size_t offset, std::size_t length) {
    return std::string(bytes.begin() + offset, bytes.begin() + offset + length);
}

class WriterTERTest : public ::testing::Test {
protected:
    std::vector<unsigned char> WriteAndRead(NoiseMap& map, const std::string& name,
                                            float spacing = 30.0f) {
        WriterTER writer;
        writer.SetNoiseMap(map);
        writer.SetPointSpacing(spacing);
        writer.SetFileName(m_dir.File(name));
        writer.Write();
        return ReadBytes(m_dir.File(name));
    }

    quillmere_test::ScratchDir m_dir;
};

TEST_F(WriterTERTest, SmallMapGivesTheDocumentedLayout) {
    NoiseMap map = MapOf(3, 2, {1.25f, -0.25f, 0.0f, 100.0f, -3.5f, 7.75f});
    WriterTER writer;
    EXPECT_EQ(writer.GetPointSpacing(), 30.0f);
    writer.SetNoiseMap(map);
    writer.SetFileName(m_dir.File("small.ter"));
    writer.Write();
    const auto bytes = ReadBytes(m_dir.File("small.ter"));

    ASSERT_EQ(bytes.size(), 76u);
    EXPECT_EQ(Tag(bytes, 0, 16), "TERRAGENTERRAIN ");
    EXPECT_EQ(Tag(bytes, 16, 4), "SIZE");
    EXPECT_EQ(ReadU16(bytes, 20), 1u);
    EXPECT_EQ(ReadU16(bytes, 22), 0u);
    EXPECT_EQ(Tag(bytes, 24, 4), "XPTS");
    EXPECT_EQ(ReadU16(bytes, 28), 3u);
    EXPECT_EQ(ReadU16(bytes, 30), 0u);
    EXPECT_EQ(Tag(bytes, 32, 4), "YPTS");
    EXPECT_EQ(ReadU16(bytes, 36), 2u);
    EXPECT_EQ(ReadU16(bytes, 38), 0u);
    EXPECT_EQ(Tag(bytes, 40, 4), "SCAL");
    // 30.0f is 0x41f00000, least-significant byte first.
    EXPECT_EQ(bytes[44], 0x00);
    EXPECT_EQ(bytes[45], 0x00);
    EXPECT_EQ(bytes[46], 0xf0);
    EXPECT_EQ(bytes[47], 0x41);
    for (std::size_t offset : {44u, 48u, 52u}) {
        EXPECT_EQ(ReadFloat(bytes, offset), 30.0f) << "offset " << offset;
    }
    EXPECT_EQ(Tag(bytes, 56, 4), "ALTW");
    EXPECT_EQ(ReadU16(bytes, 60), 1092u);
    EXPECT_EQ(ReadU16(bytes, 62), 0u);

    const int expected[2][3] = {{2, -1, 0}, {200, -7, 15}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(Elevation(bytes, 3, x, y), expected[y][x]) << x << ", " << y;
        }
    }
    // -1 is stored as ff ff, 200 as c8 00.
    EXPECT_EQ(bytes[66], 0xff);
    EXPECT_EQ(bytes[67], 0xff);
    EXPECT_EQ(bytes[70], 0xc8);
    EXPECT_EQ(bytes[71], 0x00);
}

TEST_F(WriterTERTest, SizeFieldUsesTheShorterSide) {
    NoiseMap tall(5, 9);
    tall.Clear(0.0f);
    const auto bytes = WriteAndRead(tall, "tall.ter");
    EXPECT_EQ(bytes.size(), 64u + 2u * 45u);
    EXPECT_EQ(ReadU16(bytes, 20), 4u);
    EXPECT_EQ(ReadU16(bytes, 28), 5u);
    EXPECT_EQ(ReadU16(bytes, 36), 9u);

    NoiseMap single = MapOf(1, 1, {-0.75f});
    const auto one = WriteAndRead(single, "one.ter");
    ASSERT_EQ(one.size(), 66u);
    EXPECT_EQ(ReadU16(one, 20), 0u);
    EXPECT_EQ(Elevation(one, 1, 0, 0), -2);
}

TEST_F(WriterTERTest, ElevationsOutsideSixteenBitsAreClampedNotWrapped) {
    NoiseMap map = MapOf(4, 1, {16383.5f, 20000.0f, -16384.0f, -1.0e9f});
    const auto bytes = WriteAndRead(map, "clamp.ter");
    EXPECT_EQ(Elevation(bytes, 4, 0, 0), 32767);
    EXPECT_EQ(Elevation(bytes, 4, 1, 0), 32767);
    EXPECT_EQ(Elevation(bytes, 4, 2, 0), -32768);
    EXPECT_EQ(Elevation(bytes, 4, 3, 0), -32768);
}

TEST_F(WriterTERTest, PointSpacingSetsScaleAndRejectsValuesThatCannotFit) {
    WriterTER writer;
    writer.SetPointSpacing(1.5f);
    EXPECT_THROW(writer.SetPointSpacing(1.0f), noise::ExceptionInvalidParam);
    EXPECT_THROW(writer.SetPointSpacing(0.5f), noise::ExceptionInvalidParam);
    EXPECT_THROW(writer.SetPointSpacing(0.0f), noise::ExceptionInvalidParam);
    EXPECT_THROW(writer.SetPointSpacing(-30.0f), noise::ExceptionInvalidParam);
    EXPECT_THROW(writer.SetPointSpacing(std::numeric_limits<float>::infinity()),
                 noise::ExceptionInvalidParam);
    EXPECT_THROW(writer.SetPointSpacing(std::numeric_limits<float>::quiet_NaN()),
                 noise::ExceptionInvalidParam);
    // Beyond 32768 metres the height scale would be 0 and flatten every altitude.
    EXPECT_THROW(writer.SetPointSpacing(std::nextafter(32768.0f, 1e9f)),
                 noise::ExceptionInvalidParam);
    EXPECT_THROW(writer.SetPointSpacing(1e30f), noise::ExceptionInvalidParam);
    EXPECT_EQ(writer.GetPointSpacing(), 1.5f);

    NoiseMap map = MapOf(2, 2, {0.0f, 0.0f, 0.0f, 0.0f});
    // The scale is 32768 / spacing rounded down, also where rounding to nearest would go up.
    const std::pair<float, unsigned> scales[] = {{1.5f, 21845u}, {9.0f, 3640u}, {32768.0f, 1u}};
    for (const auto& [spacing, scale] : scales) {
        const auto bytes = WriteAndRead(map, "spacing.ter", spacing);
        EXPECT_EQ(ReadFloat(bytes, 44), spacing);
        EXPECT_EQ(ReadU16(bytes, 60), scale) << "spacing " << spacing;
    }
}

TEST_F(WriterTERTest, FailuresThrowAndLeaveNoFile) {
    NoiseMap map = MapOf(2, 1, {1.0f, 2.0f});
    quillmere_test::ExpectWriterFailuresThrow<WriterTER>(
        m_dir, ".ter", [&](WriterTER& writer) { writer.SetNoiseMap(map); }, 68u);
}

TEST_F(WriterTERTest, SecondWriteTruncatesTheFirst) {
    NoiseMap large(6, 6);
    large.Clear(1.0f);
    NoiseMap small = MapOf(2, 1, {3.0f, -3.0f});
    WriteAndRead(large, "twice.ter");
    const auto bytes = WriteAndRead(small, "twice.ter");
    ASSERT_EQ(bytes.size(), 68u);
    EXPECT_EQ(Elevation(bytes, 2, 1, 0), -6);
}

// Cell values as GDAL reads them: (column, stored row) -> altitude in metres.
std::map<std::pair<int, int>, double> GdalAltitudes(const std::string& path, int height,
                                                    double spacing, bool unscale) {
    int status = 0;
    const std::string output = quillmere_test::RunCommand(
        std::string("gdal_translate -q ") + (unscale ? "-unscale " : "") + "-ot Float64 -of XYZ '" +
            path + "' /vsistdout/",
        status);
    std::map<std::pair<int, int>, double> values;
    if (status != 0) {
        return values;
    }
    std::istringstream lines(output);
    double x;
    double y;
    double value;
    while (lines >> x >> y >> value) {
        const int column = static_cast<int>(std::lround(x / spacing - 0.5));
        const int line = static_cast<int>(std::lround(y / spacing - 0.5));
        // GDAL's first raster line is the last stored row.
        values[{column, height - 1 - line}] = value;
    }
    return values;
}

TEST_F(WriterTERTest, GdalReadsTheAltitudesWeMeant) {
    if (!quillmere_test::CommandSucceeds("command -v gdal_translate") ||
        !quillmere_test::CommandSucceeds("command -v gdalinfo")) {
        GTEST_SKIP() << "GDAL is not installed";
    }
    const int width = 5;
    const int height = 3;
    std::vector<float> values;
    for (int i = 0; i < width * height; ++i) {
        values.push_back(static_cast<float>((i * 37 % 23) - 11) * 0.8f + (i == 7 ? 9000.0f : 0));
    }
    NoiseMap map = MapOf(width, height, values);

    for (float spacing : {30.0f, 2.5f}) {
        SCOPED_TRACE("spacing " + std::to_string(spacing));
        const std::string path = m_dir.File("gdal.ter");
        WriteAndRead(map, "gdal.ter", spacing);

        int status = 0;
        const std::string info = quillmere_test::RunCommand("gdalinfo '" + path + "'", status);
        ASSERT_EQ(status, 0) << info;
        EXPECT_NE(info.find("Terragen"), std::string::npos) << info;
        EXPECT_NE(info.find("Size is 5, 3"), std::string::npos) << info;

        const auto raw = GdalAltitudes(path, height, spacing, false);
        const auto metres = GdalAltitudes(path, height, spacing, true);
        ASSERT_EQ(raw.size(), static_cast<std::size_t>(width * height));
        ASSERT_EQ(metres.size(), static_cast<std::size_t>(width * height));
        // The format's height scale is floor(32768 / s) * s / 65536 metres per step, a hair
        // under half a metre.
        const double step = std::floor(32768.0 / spacing) * spacing / 65536.0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const double v = map.GetValue(x, y);
                EXPECT_EQ(raw.at({x, y}), std::floor(2.0 * v)) << x << ", " << y;
                const double altitude = metres.at({x, y});
                // GDAL keeps the scale in single precision.
                EXPECT_NEAR(altitude, std::floor(2.0 * v) * step, 1e-6 * (1.0 + std::fabs(v)))
                    << x << ", " << y;
                // Within the two roundings: half a metre of floor, plus the scale's shortfall.
                EXPECT_NEAR(altitude, v, 0.5 + std::fabs(v) * (1.0 - 2.0 * step) + 1e-9)
                    << x << ", " << y;
            }
        }
    }
}

} // namespace
