// The percentiles the latency figures are reported with: nearest rank, so a
// 99th percentile of 100 samples is the 99th smallest, never the largest.
#include <gtest/gtest.h>

#include <vector>

#include "../../bench/RealClock.h"

TEST(BenchQuantile, NearestRank) {
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    struct Case {
        std::vector<double> samples;
        double q, expected;
    } cases[] = {
        {hundred, 0.50, 50}, {hundred, 0.99, 99}, {hundred, 1.0, 100}, {hundred, 0.0, 1},
        {{7}, 0.99, 7},      {{3, 1, 2}, 0.5, 2}, {{}, 0.5, 0},
    };
    for (Case& c : cases)
        EXPECT_EQ(vbench::Quantile(c.samples, c.q), c.expected) << "q=" << c.q << " n=" << c.samples.size();
}
