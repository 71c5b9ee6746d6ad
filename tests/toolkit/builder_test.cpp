#include <cmath>
#include <vector>

#include <gtest/gtest.h>
#include <libnoise/model/cylinder.h>
#include <libnoise/model/plane.h>
#include <libnoise/model/sphere.h>

#include "test_support.h"
#include "toolkit/toolkit.h"

using noise::utils::NoiseMap;
using noise::utils::NoiseMapBuilderCylinder;
using noise::utils::NoiseMapBuilderPlane;
using noise::utils::NoiseMapBuilderSphere;
using quillmere_test::LinearModule;

namespace {

// Rows reported by the callback, with the map's state at the time of each call.
struct CallbackLog {
    std::vector<int> rows;
    std::vector<float> lastCellOfRow;
    const NoiseMap* map = nullptr;
};
CallbackLog* activeLog = nullptr;

void RecordRow(int row) {
    activeLog->rows.push_back(row);
    activeLog->lastCellOfRow.push_back(
        activeLog->map->GetValue(activeLog->map->GetWidth() - 1, row));
}

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override { activeLog = &m_log; }
    void TearDown() override { activeLog = nullptr; }

    // Points a builder at a source module and a destination map of the given size.
    template <class Builder>
    static void Aim(Builder& builder, const noise::module::Module& source, NoiseMap& map, int width,
                    int height) {
        builder.SetSourceModule(source);
        builder.SetDestNoiseMap(map);
        builder.SetDestSize(width, height);
    }

    CallbackLog m_log;
    LinearModule m_xPlusTenZ{1.0, 0.0, 10.0};
};

TEST_F(BuilderTest, PlaneFillsRowsFromLowerBounds) {
    NoiseMap map;
    NoiseMapBuilderPlane builder;
    Aim(builder, m_xPlusTenZ, map, 4, 2);
    builder.SetBounds(0.0, 4.0, 0.0, 2.0);
    builder.Build();

    ASSERT_EQ(map.GetWidth(), 4);
    ASSERT_EQ(map.GetHeight(), 2);
    const float expected[2][4] = {{0, 1, 2, 3}, {10, 11, 12, 13}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(map.GetValue(x, y), expected[y][x]) << x << ", " << y;
        }
    }
    EXPECT_EQ(m_xPlusTenZ.Calls(), 8);
}

TEST_F(BuilderTest, PlaneAccumulatesCoordinatesByAddition) {
    // 0.1 is not exact in binary: ten additions differ from 0.1 * index in the last bits,
    // which the float cells keep for values near 1.
    LinearModule xOnly(1.0, 0.0, 0.0);
    NoiseMap map;
    NoiseMapBuilderPlane builder;
    Aim(builder, xOnly, map, 10, 1);
    builder.SetBounds(0.0, 1.0, 0.0, 1.0);
    builder.Build();
    double x = 0.0;
    for (int column = 0; column < 10; ++column) {
        EXPECT_EQ(map.GetValue(column, 0), static_cast<float>(x)) << column;
        x += 0.1;
    }
    // The upper bound itself is never sampled.
    EXPECT_LT(map.GetValue(9, 0), 1.0f);
}

// How far one coordinate lies from the nearest tenth, magnified so that a float cell shows
// the last bits of a double.
class TenthDeviation : public noise::module::Module {
public:
    explicit TenthDeviation(int axis) : noise::module::Module(0), m_axis(axis) {}
    int GetSourceModuleCount() const override { return 0; }
    double GetValue(double x, double y, double z) const override {
        const double v = m_axis == 0 ? x : m_axis == 1 ? y : z;
        return Deviation(v);
    }
    static double Deviation(double v) { return (v - std::round(v * 10.0) / 10.0) * 1e17; }

private:
    int m_axis;
};

TEST_F(BuilderTest, CoordinatesAccumulateByAddition) {
    // Cell i samples the lower bound plus i additions of the step, whichever thread fills it:
    // 0.1 added up eight times is not 0.8, which 8 * 0.1 would give.
    auto build = [](auto&& builder, int axis, int width, int height) {
        TenthDeviation source(axis);
        NoiseMap map;
        Aim(builder, source, map, width, height);
        builder.SetSourceThreadSafe(true);
        builder.SetBounds(0.0, 1.0, 0.0, 1.0);
        builder.Build();
        return map;
    };
    const struct {
        const char* name;
        NoiseMap map;
        bool alongRows;
    } cases[] = {
        {"plane columns", build(NoiseMapBuilderPlane(), 0, 10, 1), false},
        {"plane rows", build(NoiseMapBuilderPlane(), 2, 1, 10), true},
        {"cylinder rows", build(NoiseMapBuilderCylinder(), 1, 1, 10), true},
    };
    for (const auto& c : cases) {
        double v = 0.0;
        int inexact = 0;
        for (int i = 0; i < 10; ++i) {
            const float expected = static_cast<float>(TenthDeviation::Deviation(v));
            EXPECT_EQ(c.alongRows ? c.map.GetValue(0, i) : c.map.GetValue(i, 0), expected)
                << c.name << " cell " << i;
            inexact += expected != 0.0f;
            v += 0.1;
        }
        EXPECT_GT(inexact, 0) << c.name;
    }
}

TEST_F(BuilderTest, CallbackFollowsEachFinishedRow) {
    NoiseMap map;
    m_log.map = &map;
    NoiseMapBuilderPlane builder;
    Aim(builder, m_xPlusTenZ, map, 3, 5);
    builder.SetBounds(0.0, 3.0, 0.0, 5.0);
    builder.SetCallback(RecordRow);
    builder.Build();
    ASSERT_EQ(m_log.rows, (std::vector<int>{0, 1, 2, 3, 4}));
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(m_log.lastCellOfRow[y], 2.0f + 10.0f * y) << "row " << y;
    }

    builder.SetCallback(nullptr);
    builder.Build();
    EXPECT_EQ(m_log.rows.size(), 5u);
}

TEST_F(BuilderTest, InvalidConfigurationThrowsBeforeTouchingTheMap) {
    NoiseMap map(2, 2);
    map.SetValue(0, 0, 42.0f);
    m_log.map = &map;
    const struct {
        const char* name;
        bool hasModule;
        bool hasMap;
        bool hasBounds;
        int width;
        int height;
    } cases[] = {
        {"no bounds", true, true, false, 4, 4},        {"zero width", true, true, true, 0, 10},
        {"negative height", true, true, true, 10, -1}, {"zero height", true, true, true, 10, 0},
        {"no module", false, true, true, 4, 4},        {"no map", true, false, true, 4, 4},
        {"oversized", true, true, true, 32768, 1},
    };
    for (const auto& c : cases) {
        NoiseMapBuilderPlane builder;
        if (c.hasModule) {
            builder.SetSourceModule(m_xPlusTenZ);
        }
        if (c.hasMap) {
            builder.SetDestNoiseMap(map);
        }
        if (c.hasBounds) {
            builder.SetBounds(0.0, 1.0, 0.0, 1.0);
        }
        builder.SetDestSize(c.width, c.height);
        builder.SetCallback(RecordRow);
        EXPECT_THROW(builder.Build(), noise::ExceptionInvalidParam) << c.name;
    }
    EXPECT_EQ(map.GetWidth(), 2);
    EXPECT_EQ(map.GetValue(0, 0), 42.0f);
    EXPECT_TRUE(m_log.rows.empty());
    EXPECT_EQ(m_xPlusTenZ.Calls(), 0);
}

TEST_F(BuilderTest, PlaneSetBoundsRejectsNonIncreasingBoundsAndKeepsOldOnes) {
    NoiseMapBuilderPlane builder;
    builder.SetBounds(-1.0, 2.0, -3.0, 4.0);
    EXPECT_THROW(builder.SetBounds(1.0, 1.0, 0.0, 1.0), noise::ExceptionInvalidParam);
    EXPECT_THROW(builder.SetBounds(0.0, 1.0, 2.0, 1.0), noise::ExceptionInvalidParam);
    EXPECT_EQ(builder.GetLowerXBound(), -1.0);
    EXPECT_EQ(builder.GetUpperXBound(), 2.0);
    EXPECT_EQ(builder.GetLowerZBound(), -3.0);
    EXPECT_EQ(builder.GetUpperZBound(), 4.0);
}

TEST_F(BuilderTest, SeamlessFirstColumnContinuesTheRightEdge) {
    LinearModule xOnly(1.0, 0.0, 0.0);
    NoiseMap map;
    NoiseMapBuilderPlane builder;
    Aim(builder, xOnly, map, 4, 3);
    builder.SetBounds(2.0, 6.0, 0.0, 3.0);
    builder.Build();
    EXPECT_EQ(map.GetValue(0, 1), 2.0f);

    builder.EnableSeamless(true);
    builder.Build();
    EXPECT_EQ(xOnly.Calls(), 12 + 4 * 12);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(map.GetValue(0, y), 6.0f) << "row " << y;
    }
    // Column 1 samples x = 3 and x = 7; blendX = 0.75 weights the far sample:
    // 0.25 * 3 + 0.75 * 7 = 6.
    EXPECT_FLOAT_EQ(map.GetValue(1, 0), 6.0f);
}

TEST_F(BuilderTest, SeamlessFirstRowContinuesTheTopEdge) {
    LinearModule zOnly(0.0, 0.0, 1.0);
    NoiseMap map;
    NoiseMapBuilderPlane builder;
    Aim(builder, zOnly, map, 2, 4);
    builder.SetBounds(0.0, 1.0, -1.0, 3.0);
    builder.EnableSeamless(true);
    builder.Build();
    EXPECT_EQ(map.GetValue(0, 0), 3.0f);
    EXPECT_EQ(map.GetValue(1, 0), 3.0f);
}

TEST_F(BuilderTest, CylinderSamplesAngleByColumnAndHeightByRow) {
    LinearModule xyz(1.0, 10.0, 100.0);
    NoiseMap map;
    NoiseMapBuilderCylinder builder;
    Aim(builder, xyz, map, 4, 3);
    EXPECT_THROW(builder.Build(), noise::ExceptionInvalidParam);
    builder.SetBounds(-90.0, 90.0, 0.0, 3.0);
    builder.Build();

    noise::model::Cylinder reference;
    reference.SetModule(xyz);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const double angle = -90.0 + 45.0 * x;
            const double height = 1.0 * y;
            EXPECT_FLOAT_EQ(map.GetValue(x, y),
                            static_cast<float>(reference.GetValue(angle, height)))
                << x << ", " << y;
        }
    }
}

TEST_F(BuilderTest, CylinderAndSphereBuildRejectNonIncreasingBounds) {
    NoiseMap map(1, 1);
    map.SetValue(0, 0, 5.0f);
    NoiseMapBuilderCylinder cylinder;
    Aim(cylinder, m_xPlusTenZ, map, 2, 2);
    cylinder.SetBounds(10.0, 10.0, 0.0, 1.0);
    EXPECT_EQ(cylinder.GetLowerAngleBound(), 10.0);
    EXPECT_THROW(cylinder.Build(), noise::ExceptionInvalidParam);
    cylinder.SetBounds(0.0, 10.0, 1.0, 0.0);
    EXPECT_THROW(cylinder.Build(), noise::ExceptionInvalidParam);

    NoiseMapBuilderSphere sphere;
    Aim(sphere, m_xPlusTenZ, map, 2, 2);
    EXPECT_THROW(sphere.Build(), noise::ExceptionInvalidParam);
    sphere.SetBounds(45.0, -45.0, 0.0, 90.0);
    EXPECT_EQ(sphere.GetSouthLatBound(), 45.0);
    EXPECT_THROW(sphere.Build(), noise::ExceptionInvalidParam);
    sphere.SetBounds(-45.0, 45.0, 90.0, 0.0);
    EXPECT_THROW(sphere.Build(), noise::ExceptionInvalidParam);

    EXPECT_EQ(map.GetWidth(), 1);
    EXPECT_EQ(map.GetValue(0, 0), 5.0f);
}

TEST_F(BuilderTest, SphereRowsSelectLatitudeAndColumnsLongitude) {
    LinearModule xyz(1.0, 10.0, 100.0);
    NoiseMap map;
    m_log.map = &map;
    NoiseMapBuilderSphere builder;
    Aim(builder, xyz, map, 4, 2);
    builder.SetBounds(-60.0, 60.0, -180.0, 0.0);
    builder.SetCallback(RecordRow);
    builder.Build();

    noise::model::Sphere reference;
    reference.SetModule(xyz);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            const double lat = -60.0 + 60.0 * y;
            const double lon = -180.0 + 45.0 * x;
            EXPECT_FLOAT_EQ(map.GetValue(x, y), static_cast<float>(reference.GetValue(lat, lon)))
                << x << ", " << y;
        }
    }
    // Swapped arguments would give another value for this asymmetric module.
    EXPECT_NE(static_cast<float>(reference.GetValue(-180.0 + 45.0, -60.0)), map.GetValue(1, 0));
    EXPECT_EQ(m_log.rows, (std::vector<int>{0, 1}));
}

} // namespace
