#include "core/spline_fit.h"

#include <cmath>

#include <gtest/gtest.h>

#include "core/potential_forms.h"

namespace vantrel {
namespace {

// Sutton-Chen Cu, Z = 29, universal screening of the Cu-Cu pair.
JoiningSplineRequest CopperRequest(double lowAngstrom, double highAngstrom) {
    JoiningSplineRequest q;
    q.Pair.PotentialType = 0;
    q.Pair.Energy = 1.2382e-2 * JoulesPerEvInput;
    q.Pair.Length = 3.61e-10;
    q.Pair.Repulsive = 9;
    q.Pair.DensityExponent = 6;
    q.Pair.DensityStrength = 39.432;
    q.LowRadius = lowAngstrom * 1e-10;
    q.HighRadius = highAngstrom * 1e-10;
    q.Za = q.Zb = 29;
    q.Function = ScreeningFunction::Universal;
    q.ScreeningLength = 4.685e-11 / (2 * std::pow(29.0, 0.23));
    return q;
}

void ExpectJoins(const JoiningSplineRequest& q, const JoiningSpline& s) {
    const ScreeningRecord record = MakeScreeningRecord(q.ScreeningLength);
    const SplineCoefficients& c = s.Coefficients;
    const double v = ScreenedCoulombEnergy(q.Za, q.Zb, q.LowRadius, q.Function, record);
    const double dv = ScreenedCoulombSlope(q.Za, q.Zb, q.LowRadius, q.Function, record);
    const double phi = PairPotential(q.Pair, q.HighRadius);
    const double dphi = PairPotentialSlope(q.Pair, q.HighRadius);
    EXPECT_NEAR(SplineValue(c, q.LowRadius), v, 1e-9 * std::fabs(v));
    EXPECT_NEAR(SplineSlope(c, q.LowRadius), dv, 1e-9 * std::fabs(dv));
    EXPECT_NEAR(SplineValue(c, q.HighRadius), phi, 1e-9 * std::fabs(v));
    EXPECT_NEAR(SplineSlope(c, q.HighRadius), dphi, 1e-9 * std::fabs(dv));
}

TEST(SplineFit, CubicMatchesEnergyAndSlopeAtBothJoins) {
    JoiningSplineRequest sc = CopperRequest(1.4, 2.1);
    ExpectJoins(sc, FitJoiningSpline(sc));
    JoiningSplineRequest moliere = sc;
    moliere.Function = ScreeningFunction::Moliere;
    moliere.ScreeningLength = 4.685e-11 / std::sqrt(2 * std::pow(29.0, 2.0 / 3));
    ExpectJoins(moliere, FitJoiningSpline(moliere));
    JoiningSplineRequest tb = sc;
    tb.Pair.PotentialType = 1;
    tb.Pair.Energy = 0.171 * JoulesPerEvInput;
    tb.Pair.Length = 2.556e-10;
    tb.Pair.Repulsive = 10.96;
    tb.Pair.DensityExponent = 4.556;
    ExpectJoins(tb, FitJoiningSpline(tb));
}

// The slope's maximum found by brute force over the join interval.
double LargestSlopeBySampling(const JoiningSplineRequest& q, const JoiningSpline& s, double& at) {
    double largest = -1e300;
    for (int i = 0; i <= 100000; ++i) {
        const double r = q.LowRadius + (q.HighRadius - q.LowRadius) * i / 100000.0;
        const double slope = SplineSlope(s.Coefficients, r);
        if (slope > largest) largest = slope, at = r;
    }
    return largest;
}

TEST(SplineFit, ReportsADipBetweenTheJoins) {
    // Joined at 1.0 and 2.0 A the copper cubic rises near 1.8 A.
    const JoiningSplineRequest q = CopperRequest(1.0, 2.0);
    const JoiningSpline s = FitJoiningSpline(q);
    EXPECT_FALSE(s.Decreasing);
    double at = 0;
    const double largest = LargestSlopeBySampling(q, s, at);
    EXPECT_GT(largest, 0.0);
    EXPECT_NEAR(s.LargestSlope, largest, 1e-6 * std::fabs(largest));
    EXPECT_NEAR(s.LargestSlopeRadius, at, 1e-14);
    EXPECT_NEAR(s.LargestSlope * EvPerJoule * 1e-10, 21.97, 0.01);  // eV/A
}

TEST(SplineFit, MonotonicJoinIsRecognised) {
    for (auto radii : {std::pair{1.4, 2.1}, std::pair{1.2, 2.0}, std::pair{1.3, 1.6}}) {
        const JoiningSplineRequest q = CopperRequest(radii.first, radii.second);
        const JoiningSpline s = FitJoiningSpline(q);
        EXPECT_TRUE(s.Decreasing) << radii.first;
        double at = 0;
        EXPECT_LT(LargestSlopeBySampling(q, s, at), 0.0) << radii.first;
        EXPECT_LT(s.LargestSlope, 0.0);
    }
}

// Two copper atoms alone with the tapered density: E = p - 2 sqrt(T f).
// Joined at 1.4 and 2.1 A, E falls to the N-body pair's own minimum near
// r_hi (-3.34 eV at 2.08 A).  Joined at 1.0 and 2.4 A the taper digs a
// well of -34 eV at 1.71 A; at 1.0 and 2.0 A the cubic's bump (its slope
// turns positive near 1.8 A) stays behind a well of the taper's.
TEST(SplineFit, TaperedDimerCheckFindsTheWellsATaperDigs) {
    const struct {
        double Low, High;
        bool Acceptable, SingleMinimum;
        double Lowest, LowestAt;  // eV, A
    } cases[] = {
        {1.4, 2.1, true, true, -3.338, 2.08},
        {1.0, 2.4, false, true, -34.03, 1.71},
        {1.0, 2.0, false, false, -10.97, 1.625},
    };
    for (const auto& c : cases) {
        const JoiningSplineRequest q = CopperRequest(c.Low, c.High);
        const TaperedDimer d = CheckTaperedDimer(q, FitJoiningSpline(q).Coefficients);
        EXPECT_EQ(d.Acceptable, c.Acceptable) << c.Low << "-" << c.High;
        EXPECT_EQ(d.SingleMinimum, c.SingleMinimum) << c.Low << "-" << c.High;
        EXPECT_NEAR(d.Lowest * EvPerJoule, c.Lowest, 0.01) << c.Low << "-" << c.High;
        EXPECT_NEAR(d.LowestRadius * 1e10, c.LowestAt, 0.02) << c.Low << "-" << c.High;
    }
}

TEST(SplineFit, EmptyJoinIntervalFitsNothing) {
    const JoiningSpline s = FitJoiningSpline(CopperRequest(2.1, 2.1));
    EXPECT_FALSE(s.Decreasing);
    EXPECT_EQ(s.Coefficients, (SplineCoefficients{0, 0, 0, 0}));
}

TEST(SplineFit, TargetRequestUsesTheForceLoopsScreening) {
    ModelParameters m;
    m.TargetScreeningFactor = 0.9;
    m.SplineLowRadius = 1.4e-10;
    m.SplineHighRadius = 2.1e-10;
    m.PairEnergy = {0, 1e-21, 2e-21, 3e-21};
    JoiningSplineRequest q;
    m.TargetScreeningCode = 0;  // universal: the pair's own length
    ASSERT_TRUE(TargetSplineRequest(m, AB, 29, 47, q));
    EXPECT_EQ(q.Za, 29);
    EXPECT_EQ(q.Zb, 47);
    EXPECT_EQ(q.Pair.Energy, 3e-21);
    EXPECT_EQ(q.Function, ScreeningFunction::Universal);
    EXPECT_DOUBLE_EQ(q.ScreeningLength, 0.9 * 4.685e-11 / (std::pow(29.0, 0.23) + std::pow(47.0, 0.23)));
    ASSERT_TRUE(TargetSplineRequest(m, BB, 29, 47, q));
    EXPECT_EQ(q.Za, 47);
    EXPECT_EQ(q.Zb, 47);
    m.TargetScreeningCode = 2;  // Moliere: always the AA length
    ASSERT_TRUE(TargetSplineRequest(m, BB, 29, 47, q));
    EXPECT_EQ(q.Function, ScreeningFunction::Moliere);
    EXPECT_DOUBLE_EQ(q.ScreeningLength, 0.9 * 4.685e-11 / std::pow(2 * std::sqrt(29.0), 2.0 / 3));
    m.TargetScreeningCode = 3;
    EXPECT_FALSE(TargetSplineRequest(m, AA, 29, 29, q));
}

}  // namespace
}  // namespace vantrel
