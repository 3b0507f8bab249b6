#include "core/target_setup.h"

#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

namespace vantrel {
namespace {

constexpr double Degree = std::numbers::pi / 180.0;

// A particle table of n atoms with every array the set-up touches.
ParticleTable Table(std::int32_t n) {
    ParticleTable p;
    p.AtomCount = n;
    for (std::vector<double>* v : {&p.X, &p.Y, &p.Z, &p.SiteX, &p.SiteY, &p.SiteZ, &p.Mass})
        v->assign(n + 1, 0.0);
    p.AtomicNumber.assign(n + 1, 29);
    p.Flags.assign(n + 1, 0u);
    p.InitialFlags.assign(n + 1, 0u);
    return p;
}

void Site(ParticleTable& p, std::int32_t i, double x, double y, double z, std::uint32_t flags = 0) {
    PlaceOnSite(p, i, {x * 1e-10, y * 1e-10, z * 1e-10, 29, 63.546, flags});
}

TEST(TargetSetup, ProjectileStartsOnTheBeamLineThroughTheAimPoint) {
    struct Case {
        double Altitude, Azimuth, DeltaX, DeltaY, Height;
    };
    const Case cases[] = {{90, 0, 0, 0, 10},    {90, 45, 1.5, -0.5, 12}, {30, 135, 0.7, 0.2, 8},
                          {60, 300, -2, 1, 15}, {120, 10, 0, 0, 5},      {5, 0, 0, 0, 3}};
    for (const Case& c : cases) {
        ParticleTable p = Table(2);
        Site(p, 1, 1.0, 2.0, -3.0);
        p.X[1] += 1e-11;  // a displaced atom 1: the site counts
        p.InitialFlags[0] = ImageCharge;
        RunParameters run;
        run.Altitude = c.Altitude * Degree;
        run.Azimuth = c.Azimuth * Degree;
        PlaceProjectile(p, {c.DeltaX, c.DeltaY, c.Height}, run);
        // The velocity direction the run is given (towards -z at the altitude).
        const double dx = -std::cos(run.Altitude) * std::cos(run.Azimuth);
        const double dy = -std::cos(run.Altitude) * std::sin(run.Azimuth);
        const double dz = -std::sin(run.Altitude);
        const double t = c.Height * 1e-10 / -dz;  // path length down to the aim plane
        EXPECT_NEAR(p.X[0] + t * dx, p.SiteX[1] + c.DeltaX * 1e-10, 1e-20) << c.Altitude;
        EXPECT_NEAR(p.Y[0] + t * dy, p.SiteY[1] + c.DeltaY * 1e-10, 1e-20) << c.Altitude;
        EXPECT_DOUBLE_EQ(p.Z[0], p.SiteZ[1] + c.Height * 1e-10);
        EXPECT_EQ(p.Flags[0], static_cast<std::uint32_t>(ImageCharge));
    }
    for (double altitude : {0.0, 180.0}) EXPECT_FALSE(BeamStartDefined(altitude * Degree));
    EXPECT_TRUE(BeamStartDefined(0.5 * Degree));
}

// Expected mean of d^2 / sigma^2 for the sampler: with w = sign cos(2 pi c)
// fixed and R^2 = -2 ln(1 - U) exponential of mean 2, a positive deviate
// beyond 2.5 sigma is redrawn, i.e. R^2 is conditioned on R^2 < T = 6.25/w^2:
//   E[R^2 | R^2 < T] = 2 - T e^(-T/2) / (1 - e^(-T/2)).
// Negative w are never cut.  Averaging over the angle:
//   E = 1 - 1/2 <6.25 e^(-T/2) / (1 - e^(-T/2))>.
double ExpectedMeanSquareRatio() {
    const int steps = 100000;
    double sum = 0;
    for (int i = 0; i < steps; ++i) {
        const double c2 = std::pow(std::cos(2 * std::numbers::pi * (i + 0.5) / steps), 2);
        if (c2 < 1e-12) continue;
        const double e = std::exp(-3.125 / c2);
        sum += 6.25 * e / (1 - e);
    }
    return 1 - 0.5 * sum / steps;
}

struct MeanSquare {
    double Mean = 0;
    double StandardError = 0;
};

MeanSquare MeanSquareOf(const std::vector<double>& d2) {
    double sum = 0, sumSq = 0;
    for (double v : d2) sum += v, sumSq += v * v;
    const double n = static_cast<double>(d2.size());
    const double mean = sum / n;
    return {mean, std::sqrt((sumSq / n - mean * mean) / n)};
}

TEST(TargetSetup, DisplacementsHaveTheModelsMeanSquareLessTheCutTail) {
    const double ratio = ExpectedMeanSquareRatio();
    EXPECT_NEAR(ratio, 0.9599, 0.0005);
    RandomGenerator random;
    random.Seed(2024);
    std::vector<double> d2;
    for (int i = 0; i < 200000; ++i) {
        const double d = ThermalDisplacementSample(random, 0.01) * 1e10;
        EXPECT_LT(d, 2.5 * 0.1);
        d2.push_back(d * d / 0.01);
    }
    const MeanSquare m = MeanSquareOf(d2);
    EXPECT_NEAR(m.Mean, ratio, 4 * m.StandardError);
    EXPECT_GT(std::fabs(m.Mean - 1.0), 4 * m.StandardError);  // the cut is visible
}

TEST(TargetSetup, BulkAtomsOfEachSpeciesVibrateWithTheirOwnAmplitude) {
    // Atom 1 on top; 30,000 bulk atoms below it, species A and B alternating.
    const std::int32_t n = 30001;
    ParticleTable p = Table(n);
    Site(p, 1, 0, 0, 10);
    for (std::int32_t i = 2; i <= n; ++i)
        Site(p, i, 2.5 * (i % 100), 2.5 * (i / 100 % 100), -2.5 * (i / 10000), i % 2 == 0 ? 0u : static_cast<std::uint32_t>(TypeB));
    ModelParameters m;
    m.MsdBulkA = 0.01;
    m.MsdBulkB = 0.04;
    m.MsdSurfaceNormalA = m.MsdSurfaceInPlaneA = m.MsdSurfaceNormalB = m.MsdSurfaceInPlaneB = 0.5;
    RandomGenerator random;
    random.Seed(7);
    for (std::int32_t i = 1; i <= n; ++i) DisplaceThermally(p, i, m, false, random);
    std::vector<double> a, b;
    for (std::int32_t i = 2; i <= n; ++i) {
        const bool isB = (p.Flags[i] & TypeB) != 0;
        const double msd = isB ? 0.04 : 0.01;
        for (double delta : {p.X[i] - p.SiteX[i], p.Y[i] - p.SiteY[i], p.Z[i] - p.SiteZ[i]}) {
            const double angstrom = delta * 1e10;
            (isB ? b : a).push_back(angstrom * angstrom / msd);
        }
    }
    const double ratio = ExpectedMeanSquareRatio();
    for (const std::vector<double>* set : {&a, &b}) {
        const MeanSquare s = MeanSquareOf(*set);
        EXPECT_NEAR(s.Mean, ratio, 4 * s.StandardError);
    }
}

TEST(TargetSetup, ZeroMeanSquareGivesNoDisplacementAndDrawsNothing) {
    RandomGenerator random;
    random.Seed(99);
    for (double s : {0.0, -0.01}) {
        EXPECT_EQ(ThermalDisplacementSample(random, s), 0.0);
        EXPECT_EQ(random.State, 99u);
    }
    // Surface atoms with no normal vibration move in the plane only.
    ParticleTable p = Table(2);
    Site(p, 1, 0, 0, 0);
    Site(p, 2, 2.5, 0, 0);
    ModelParameters m;
    m.MsdSurfaceInPlaneA = 0.02;
    for (std::int32_t i = 1; i <= 2; ++i) DisplaceThermally(p, i, m, false, random);
    for (std::int32_t i = 1; i <= 2; ++i) {
        EXPECT_EQ(p.Z[i], p.SiteZ[i]);
        EXPECT_NE(p.X[i], p.SiteX[i]);
        EXPECT_NE(p.Y[i], p.SiteY[i]);
    }
}

TEST(TargetSetup, LatticeZoneAndSurfaceHeight) {
    ParticleTable p = Table(3);
    Site(p, 1, 0, 0, 0);
    Site(p, 2, -3, 4, -6);
    Site(p, 3, 5, -2, 5);
    const double rc = 7.6e-10;
    for (double height : {10.0, 2.0}) {
        p.X[0] = 1e-10;
        p.Y[0] = 1e-10;
        p.Z[0] = height * 1e-10;
        LatticeZone z;
        double surfaceZ = -1;
        ComputeLatticeZone(p, rc, z, surfaceZ);
        EXPECT_DOUBLE_EQ(z.XMax, 5e-10 + rc);
        EXPECT_DOUBLE_EQ(z.XMin, -3e-10 - rc);
        EXPECT_DOUBLE_EQ(z.YMax, 4e-10 + rc);
        EXPECT_DOUBLE_EQ(z.YMin, -2e-10 - rc);
        EXPECT_DOUBLE_EQ(z.ZMax, std::max(height, 5.0) * 1e-10 + rc);
        EXPECT_DOUBLE_EQ(z.ZMin, -6e-10 - rc);
        // Atom 3 lies above a projectile that starts 2 A up, not above one at 10 A.
        EXPECT_DOUBLE_EQ(surfaceZ, height == 2.0 ? 5e-10 : 0.0);
    }
}

TEST(TargetSetup, CellEdgeGrowsUntilTheGridCoversTheZone) {
    struct Case {
        double Half, Top;  // the zone's lateral half width and top (A)
        bool Grows;
    };
    const Case cases[] = {{40, 10, false}, {40, 40, true}, {120, 10, true}, {250, 20, true}};
    for (const Case& c : cases) {
        const LatticeZone z{c.Half * 1e-10, -c.Half * 1e-10, c.Half * 1e-10,
                            -c.Half * 1e-10, c.Top * 1e-10, -20e-10};
        double edge = 4e-10, half = 0, top = 0;
        FitCellGrid(z, edge, half, top);
        const auto fits = [&](double w) {
            return z.XMax <= 12 * w && z.XMin >= -12 * w && z.YMax <= 12 * w && z.YMin >= -12 * w &&
                   z.ZMax <= 4 * w && z.ZMin >= -12 * w;
        };
        EXPECT_TRUE(fits(edge)) << c.Half;
        const double steps = std::log(edge / 4e-10) / std::log(1.1);
        EXPECT_NEAR(steps, std::round(steps), 1e-9) << c.Half;
        EXPECT_EQ(edge > 4e-10, c.Grows) << c.Half;
        if (c.Grows) {
            EXPECT_FALSE(fits(edge / 1.1)) << c.Half;
        }
        EXPECT_EQ(half, 12 * edge);
        EXPECT_EQ(top, 12 * edge / 3);
    }
}

}  // namespace
}  // namespace vantrel
