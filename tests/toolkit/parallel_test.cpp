// Builders and renderers on several threads: the same cells as on one, callbacks in order on the
// calling thread, failures brought back to it, and parallel sampling only of sources that allow it.
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <libnoise/module/module.h>
#include <omp.h>

#include "test_support.h"
#include "toolkit/modulegraph.h"
#include "toolkit/toolkit.h"

using noise::utils::Color;
using noise::utils::Image;
using noise::utils::NoiseMap;
using noise::utils::NoiseMapBuilderCylinder;
using noise::utils::NoiseMapBuilderPlane;
using noise::utils::NoiseMapBuilderSphere;
using noise::utils::RendererImage;
using noise::utils::RendererNormalMap;

namespace {

// A stateless source that notes whether it was sampled by a team of several threads, and that
// can be made to fail from a given z on.
class TeamProbe : public noise::module::Module {
public:
    TeamProbe() : noise::module::Module(0) {}
    int GetSourceModuleCount() const override { return 0; }
    double GetValue(double x, double y, double z) const override {
        if (omp_get_num_threads() > 1) {
            m_sampledByTeam.store(true);
        }
        if (z >= m_failFromZ) {
            throw noise::ExceptionUnknown();
        }
        return x + 10.0 * y + 100.0 * z;
    }
    bool SampledByTeam() const { return m_sampledByTeam.load(); }
    void FailFromZ(double z) { m_failFromZ = z; }

private:
    mutable std::atomic<bool> m_sampledByTeam{false};
    double m_failFromZ = std::numeric_limits<double>::infinity();
};

// The cells of a grid, row by row without the padding.
template <class Grid> std::vector<unsigned char> CellBytes(const Grid& grid) {
    std::vector<unsigned char> bytes;
    for (int y = 0; y < grid.GetHeight(); ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(grid.GetRowPtr(y));
        bytes.insert(bytes.end(), row, row + 4 * grid.GetWidth());
    }
    return bytes;
}

// What the callback saw: rows in call order, the calling thread, and whether each reported row
// was complete.
struct RowLog {
    std::vector<int> rows;
    std::thread::id caller;
    bool allOnCaller = true;
    bool allComplete = true;
    const NoiseMap* map = nullptr;
    int throwAtRow = -1;
};
RowLog* rowLog = nullptr;

void LogRow(int row) {
    rowLog->rows.push_back(row);
    rowLog->allOnCaller = rowLog->allOnCaller && std::this_thread::get_id() == rowLog->caller;
    for (int x = 0; x < rowLog->map->GetWidth(); ++x) {
        rowLog->allComplete = rowLog->allComplete && !std::isnan(rowLog->map->GetValue(x, row));
    }
    if (row == rowLog->throwAtRow) {
        throw noise::ExceptionOutOfMemory();
    }
}

class ParallelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_threads = omp_get_max_threads();
        m_log.caller = std::this_thread::get_id();
        m_log.map = &m_map;
        rowLog = &m_log;
        m_perlin.SetOctaveCount(4);
        m_perlin.SetFrequency(1.9);
    }
    void TearDown() override {
        omp_set_num_threads(m_threads);
        rowLog = nullptr;
    }

    // A plane build of the probe into m_map, 37 x 45, after filling the map with NaN.
    void BuildProbe(TeamProbe& probe, bool declareSafe, NoiseMapBuilderPlane& builder) {
        m_map.SetSize(37, 45);
        m_map.Clear(std::numeric_limits<float>::quiet_NaN());
        builder.SetSourceModule(probe);
        builder.SetSourceThreadSafe(declareSafe);
        builder.SetDestNoiseMap(m_map);
        builder.SetDestSize(37, 45);
        builder.SetBounds(0.0, 3.7, 0.0, 4.5);
    }

    int m_threads = 1;
    RowLog m_log;
    NoiseMap m_map;
    noise::module::Perlin m_perlin;
};

TEST_F(ParallelTest, OneThreadAndSeveralWriteTheSameCells) {
    // Odd sizes, seamless blending, wrap, a coloured light at an odd angle, a translucent
    // gradient over a background, rendering in place: every path of the rows.
    NoiseMap plane;
    auto buildPlane = [&](bool seamless) {
        NoiseMapBuilderPlane builder;
        builder.SetSourceModule(m_perlin);
        builder.SetDestNoiseMap(plane);
        builder.SetDestSize(67, 45);
        builder.SetBounds(-1.3, 2.9, 0.7, 3.1);
        builder.EnableSeamless(seamless);
        builder.Build();
        return CellBytes(plane);
    };
    auto buildCurved = [&](auto&& builder, int width, int height, double a, double b, double c,
                           double d) {
        NoiseMap map;
        builder.SetSourceModule(m_perlin);
        builder.SetDestNoiseMap(map);
        builder.SetDestSize(width, height);
        builder.SetBounds(a, b, c, d);
        builder.Build();
        return CellBytes(map);
    };
    auto renderImage = [&](bool inPlace) {
        buildPlane(false);
        RendererImage renderer;
        renderer.BuildTerrainGradient();
        renderer.AddGradientPoint(0.6, Color(200, 30, 90, 100));
        renderer.EnableLight(true);
        renderer.EnableWrap(true);
        renderer.SetLightAzimuth(117.0);
        renderer.SetLightContrast(3.1);
        renderer.SetLightBrightness(2.2);
        renderer.SetLightColor(Color(250, 180, 90, 255));
        Image background(67, 45);
        for (int y = 0; y < 45; ++y) {
            for (int x = 0; x < 67; ++x) {
                background.SetValue(x, y, Color(x * 3, y * 5, 77, (x * y) & 0xff));
            }
        }
        Image dest;
        renderer.SetSourceNoiseMap(plane);
        renderer.SetBackgroundImage(background);
        renderer.SetDestImage(inPlace ? background : dest);
        renderer.Render();
        return CellBytes(inPlace ? background : dest);
    };
    const std::vector<std::function<std::vector<unsigned char>()>> jobs = {
        [&] { return buildPlane(false); },
        [&] { return buildPlane(true); },
        [&] { return buildCurved(NoiseMapBuilderCylinder(), 53, 31, -170.0, 130.0, -0.9, 1.7); },
        [&] { return buildCurved(NoiseMapBuilderSphere(), 59, 29, -80.0, 85.0, -175.0, 160.0); },
        [&] { return renderImage(false); },
        [&] { return renderImage(true); },
        [&] {
            buildPlane(false);
            RendererNormalMap renderer;
            renderer.SetSourceNoiseMap(plane);
            renderer.EnableWrap(true);
            renderer.SetBumpHeight(3.5);
            Image dest;
            renderer.SetDestImage(dest);
            renderer.Render();
            return CellBytes(dest);
        },
    };
    for (std::size_t job = 0; job < jobs.size(); ++job) {
        omp_set_num_threads(1);
        const std::vector<unsigned char> serial = jobs[job]();
        omp_set_num_threads(4);
        const std::vector<unsigned char> parallel = jobs[job]();
        ASSERT_FALSE(serial.empty());
        EXPECT_TRUE(serial == parallel) << "job " << job;
    }
}

TEST_F(ParallelTest, CallbackReportsEachCompleteRowInOrderOnTheCallingThread) {
    omp_set_num_threads(4);
    TeamProbe probe;
    NoiseMapBuilderPlane builder;
    BuildProbe(probe, true, builder);
    builder.SetCallback(LogRow);
    builder.Build();
    EXPECT_TRUE(probe.SampledByTeam());
    std::vector<int> expected(45);
    for (int y = 0; y < 45; ++y) {
        expected[y] = y;
    }
    EXPECT_EQ(m_log.rows, expected);
    EXPECT_TRUE(m_log.allOnCaller);
    EXPECT_TRUE(m_log.allComplete);
}

TEST_F(ParallelTest, FailuresOnAnyThreadReachTheCaller) {
    omp_set_num_threads(4);
    // The source fails from row 20 on: the rows reported before it are complete and in order.
    TeamProbe failing;
    failing.FailFromZ(2.0);
    NoiseMapBuilderPlane sourceFails;
    BuildProbe(failing, true, sourceFails);
    sourceFails.SetCallback(LogRow);
    EXPECT_THROW(sourceFails.Build(), noise::ExceptionUnknown);
    ASSERT_LE(m_log.rows.size(), 20u);
    for (std::size_t i = 0; i < m_log.rows.size(); ++i) {
        EXPECT_EQ(m_log.rows[i], static_cast<int>(i));
    }
    EXPECT_TRUE(m_log.allComplete);

    // The callback fails at row 10: no row is reported after it.
    m_log.rows.clear();
    m_log.throwAtRow = 10;
    TeamProbe probe;
    NoiseMapBuilderPlane callbackFails;
    BuildProbe(probe, true, callbackFails);
    callbackFails.SetCallback(LogRow);
    EXPECT_THROW(callbackFails.Build(), noise::ExceptionOutOfMemory);
    EXPECT_EQ(m_log.rows.size(), 11u);
    EXPECT_TRUE(m_log.allOnCaller);
}

TEST_F(ParallelTest, SourcesAreSampledInParallelOnlyWhenKnownOrDeclaredStateless) {
    omp_set_num_threads(4);
    for (bool declared : {false, true}) {
        TeamProbe probe;
        NoiseMapBuilderPlane builder;
        BuildProbe(probe, declared, builder);
        builder.Build();
        EXPECT_EQ(probe.SampledByTeam(), declared);
    }

    using noise::utils::detail::IsStatelessGraph;
    noise::module::ScaleBias scaled;
    scaled.SetSourceModule(0, m_perlin);
    noise::module::Cache cache;
    cache.SetSourceModule(0, m_perlin);
    noise::module::Add overCache;
    overCache.SetSourceModule(0, scaled);
    overCache.SetSourceModule(1, cache);
    noise::module::Select halfSet;
    halfSet.SetSourceModule(0, m_perlin);
    halfSet.SetSourceModule(1, scaled);
    struct OwnPerlin : noise::module::Perlin {};
    OwnPerlin ownPerlin;
    TeamProbe probe;
    EXPECT_TRUE(IsStatelessGraph(m_perlin));
    EXPECT_TRUE(IsStatelessGraph(scaled));
    EXPECT_FALSE(IsStatelessGraph(cache));
    EXPECT_FALSE(IsStatelessGraph(overCache));
    EXPECT_FALSE(IsStatelessGraph(halfSet)) << "the control module is missing";
    EXPECT_FALSE(IsStatelessGraph(ownPerlin));
    EXPECT_FALSE(IsStatelessGraph(probe));
}

} // namespace
