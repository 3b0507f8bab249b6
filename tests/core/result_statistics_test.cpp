// Means with errors, histograms, and the two fits recovering the parameters
// of synthetic samples drawn from the laws they fit.
#include "core/result_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace vantrel {
namespace {

TEST(ResultStatistics, MeansAndStandardErrors) {
    const std::vector<double> values{2, 4, 4, 4, 5, 5, 7, 9};  // mean 5, sum of squares 32
    const MeanWithError m = MeanOf(values);
    EXPECT_EQ(m.Count, 8);
    EXPECT_DOUBLE_EQ(m.Mean, 5.0);
    EXPECT_DOUBLE_EQ(m.Deviation, std::sqrt(32.0 / 7.0));
    EXPECT_DOUBLE_EQ(m.Error, std::sqrt(32.0 / 7.0) / std::sqrt(8.0));
    RunningMean running;
    for (const double v : values) running.Add(v);
    EXPECT_DOUBLE_EQ(running.Mean(), m.Mean);
    EXPECT_NEAR(running.StandardError(), m.Error, 1e-12);
    // One value has no spread to speak of.
    RunningMean one;
    one.Add(3);
    EXPECT_EQ(one.StandardError(), 0.0);
    EXPECT_EQ(MeanOf(std::vector<double>{3}).Error, 0.0);
}

TEST(ResultStatistics, HistogramBinsAndOverflows) {
    const Histogram h = MakeHistogram(std::vector<double>{-1, 0, 0.99, 1, 2.5, 3, 4, NAN}, 0, 3, 3);
    EXPECT_EQ(h.Counts, (std::vector<double>{2, 1, 1}));
    EXPECT_EQ(h.Below, 1);
    EXPECT_EQ(h.Above, 2);  // the upper edge belongs to no bin
    EXPECT_DOUBLE_EQ(h.Centre(1), 1.5);
    EXPECT_EQ(h.Total(), 4);
}

// Energies drawn from the Thompson law with binding u by inverting its
// cumulative (E / (E + U))^2 = x.
std::vector<double> ThompsonSample(double u, int count, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> energies;
    for (int k = 0; k < count; ++k) {
        const double root = std::sqrt(uniform(generator));
        energies.push_back(u * root / (1.0 - root));
    }
    return energies;
}

TEST(ResultStatistics, ThompsonFitRecoversTheBindingEnergy) {
    const struct {
        double Binding, Truncation;
    } cases[] = {{3.5, 0.0}, {3.5, 30.0}, {1.2, 10.0}, {8.0, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Binding);
        const std::vector<double> sample = ThompsonSample(c.Binding, 20000, 11);
        const ThompsonFit fit = FitThompson(sample, c.Truncation);
        ASSERT_TRUE(fit.Converged);
        // Within three standard errors, and the error about 1.5 % at this size.
        EXPECT_NEAR(fit.Binding, c.Binding, 3 * fit.Error);
        EXPECT_LT(fit.Error / c.Binding, 0.03);
        EXPECT_GT(fit.Error / c.Binding, 0.005);
        if (c.Truncation > 0) {
            EXPECT_LT(fit.Count, 20000);
        }
    }
    EXPECT_FALSE(FitThompson(std::vector<double>{1, 2}, 0).Converged);
    EXPECT_DOUBLE_EQ(ThompsonCumulative(3.0, 3.0), 0.25);
}

TEST(ResultStatistics, CosinePowerFitRecoversTheExponent) {
    for (const double n : {0.0, 1.0, 2.5}) {
        SCOPED_TRACE(n);
        // cos(theta) = x^(1 / (n + 1)) is distributed as (n + 1) c^n.
        std::mt19937 generator(5);
        std::uniform_real_distribution<double> uniform(0.0, 1.0);
        std::vector<double> polar;
        for (int k = 0; k < 20000; ++k)
            polar.push_back(std::acos(std::pow(uniform(generator), 1.0 / (n + 1.0))));
        const CosinePowerFit fit = FitCosinePower(polar);
        ASSERT_TRUE(fit.Converged);
        EXPECT_NEAR(fit.Power, n, 3 * fit.Error);
        EXPECT_NEAR(fit.Error, (n + 1) / std::sqrt(20000.0), 0.05 * (n + 1) / std::sqrt(20000.0));
    }
    EXPECT_DOUBLE_EQ(CosinePowerCumulative(std::numbers::pi / 3, 1.0), 0.75);
}

}  // namespace
}  // namespace vantrel
