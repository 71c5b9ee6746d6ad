// The display loop's frame pacing and the seeds of texture runs, without a window.
#include "app/frame_pacer.h"
#include "app/seed.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace std::chrono;
using Clock = FramePacer::Clock;

TEST(FramePacerTest, FramesStartAWholePeriodApartAndAStallDoesNotCatchUp) {
    FramePacer pacer(60.0);
    const Clock::time_point t0{};
    const auto period = duration_cast<Clock::duration>(duration<double>(1.0 / 60.0));
    // Frames that take 2 ms wait for their slot; one late by less than a frame starts at once
    // and the schedule keeps its step; a stall of ten frames restarts it from now.
    const struct {
        Clock::duration now;
        Clock::duration expected;
    } steps[] = {
        {milliseconds(2), milliseconds(2) + period},
        {period + milliseconds(4), 2 * period + milliseconds(2)},
        {3 * period + milliseconds(5), 3 * period + milliseconds(2)},
        {3 * period + milliseconds(7), 4 * period + milliseconds(2)},
        {14 * period, 14 * period},
        {14 * period + milliseconds(1), 15 * period},
    };
    for (const auto& step : steps)
        EXPECT_EQ(pacer.NextFrame(t0 + step.now) - t0, step.expected)
            << duration<double, std::milli>(step.now).count() << " ms";
}

TEST(SeedSourceTest, PressesWithinOneSecondGetDistinctNonZeroSeeds) {
    SeedSource source;
    std::set<unsigned int> seeds;
    unsigned int last = 0;
    // 100 presses in 0.1 s, and then 100 more with a clock that does not move at all.
    for (int press = 0; press < 200; ++press) {
        unsigned int seed =
            source.Next(1765000000000000000ull + (press < 100 ? press : 100) * 1000000ull);
        EXPECT_NE(seed, 0u);
        EXPECT_NE(seed, last);
        seeds.insert(seed);
        last = seed;
    }
    EXPECT_EQ(seeds.size(), 200u);
}

} // namespace
