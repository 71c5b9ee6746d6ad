#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/texgen/texgen_test_support.h"

namespace {

std::vector<int> ReplayRand(unsigned int seed, int count) {
    std::srand(seed);
    std::vector<int> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(std::rand() % 10000);
    }
    return values;
}

TEST(RandomTest, SeededSourceDrawsRandModuloTenThousand) {
    for (unsigned int seed : {0u, 1u, 4242u, 1765000000u}) {
        Random random(seed);
        std::vector<int> drawn;
        for (int i = 0; i < 2000; ++i) {
            drawn.push_back(random.next());
        }
        EXPECT_EQ(drawn, ReplayRand(seed, 2000)) << "seed " << seed;
        for (int value : drawn) {
            ASSERT_GE(value, 0);
            ASSERT_LE(value, 9999);
        }
    }
}

TEST(RandomTest, UniformSpansTenThousandStepsFromLowUpToButExcludingHigh) {
    FixedRandom random;
    random.step = 0;
    EXPECT_EQ(random.uniform(-10.0, 0.0), -10.0);
    EXPECT_EQ(static_cast<int>(random.uniform(0, 256)), 0);
    EXPECT_EQ(static_cast<int>(random.uniform(1.0, 6.1)), 1);
    EXPECT_EQ(static_cast<int>(random.uniform(2.1, 25.0)), 2);

    random.step = 9999;
    EXPECT_DOUBLE_EQ(random.uniform(0.0, 10.0), 9.999);
    EXPECT_LT(random.uniform(0.0, 1.0), 1.0);
    EXPECT_EQ(static_cast<int>(random.uniform(0, 256)), 255);
    EXPECT_EQ(static_cast<int>(random.uniform(1.0, 6.1)), 6);
    EXPECT_EQ(static_cast<int>(random.uniform(2.1, 25.0)), 24);

    for (random.step = 0; random.step < 10000; random.step += 333) {
        EXPECT_EQ(random.uniform(3.25, 3.25), 3.25);
    }

    // Steps 9000..9999 give 1.0..1.0999 from [0.1, 1.1), the only ones that truncate to 1.
    EXPECT_EQ(StepFor(0.1, 1.1, 1), 9000);
}

TEST(RandomTest, UniformMultipliesFirstThenDividesThenAddsLow) {
    // Ten thousand steps from low up to but excluding high, over the ranges the program draws
    // from. Other orders of the same arithmetic round differently for some steps; find such
    // steps and check that the result is the one of span * r / granularity + low.
    FixedRandom random;
    int differsFromScaledStep = 0;
    int differsFromScaledSpan = 0;
    for (double low : {-10.0, 0.0, 0.1, 1.0, 2.1, 3.25}) {
        for (double high : {0.0, 1.0, 1.1, 3.0, 3.25, 5.0, 6.1, 10.0, 25.0, 256.0}) {
            for (random.step = 0; random.step < 10000; ++random.step) {
                double r = random.step;
                double expected = ((high - low) * r) / 10000 + low;
                ASSERT_EQ(random.uniform(low, high), expected);
                differsFromScaledStep += (high - low) * (r / 10000) + low != expected;
                differsFromScaledSpan += (high - low) / 10000 * r + low != expected;
            }
        }
    }
    EXPECT_GT(differsFromScaledStep, 0);
    EXPECT_GT(differsFromScaledSpan, 0);
}

} // namespace
