#include "job/verlet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tests/support/recording_ui.h"

namespace vantrel {
namespace {

constexpr double A = MetresPerAngstrom;
constexpr double CopperMass = 63.546 * KilogramsPerAmu;

struct VelocityJob {
    testing::RecordingUserInterface ui;
    ProgramContext program{ui};
    SimulationState s{program};
    TrajectoryState t;

    explicit VelocityJob(std::int32_t atoms) {
        AllocateParticleTable(s, atoms);
        AllocateMassAndAtomicNumber(s);
        AllocatePartnerLists(s, 10);
        s.Particles.Mass[0] = 39.948 * KilogramsPerAmu;
        for (std::int32_t i = 1; i <= atoms; ++i) s.Particles.Mass[i] = CopperMass;
    }
};

TEST(InitialiseVelocities, NormalIncidenceMovesTheProjectileStraightDown) {
    VelocityJob job(3);
    job.s.Run.Altitude = std::numbers::pi / 2;
    job.s.Run.Azimuth = 0.7;
    EXPECT_TRUE(InitialiseVelocities(job.s, 3.0));
    const double v = std::sqrt(3.204384e-16 * 3.0 / job.s.Particles.Mass[0]);
    EXPECT_NEAR(job.s.Particles.VX[0], 0.0, 1e-12 * v);
    EXPECT_NEAR(job.s.Particles.VY[0], 0.0, 1e-12 * v);
    EXPECT_DOUBLE_EQ(job.s.Particles.VZ[0], -v);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(job.s.Particles.VX[i] + job.s.Particles.VY[i] + job.s.Particles.VZ[i], 0.0);
}

TEST(InitialiseVelocities, ObliqueBeamHasTheEnergyAndPointsAlongAltitudeAndAzimuth) {
    VelocityJob job(1);
    job.s.Run.Altitude = 30 * std::numbers::pi / 180;
    job.s.Run.Azimuth = 45 * std::numbers::pi / 180;
    InitialiseVelocities(job.s, 0.5);
    const ParticleTable& p = job.s.Particles;
    const double kinetic = 0.5 * p.Mass[0] * (p.VX[0] * p.VX[0] + p.VY[0] * p.VY[0] + p.VZ[0] * p.VZ[0]);
    EXPECT_NEAR(kinetic, 0.5 * 1.602192e-16, 1e-12 * kinetic);
    const double v = std::sqrt(2 * kinetic / p.Mass[0]);
    EXPECT_NEAR(p.VZ[0], -0.5 * v, 1e-9 * v);            // sin 30
    EXPECT_NEAR(p.VX[0], p.VY[0], 1e-9 * v);             // azimuth 45
    EXPECT_NEAR(p.VX[0], -std::sqrt(3.0 / 8) * v, 1e-9 * v);  // cos 30 cos 45
}

TEST(InitialiseVelocities, HotTargetDrawsXYZOfEachAtomInTurnFromTheSharedGenerator) {
    VelocityJob job(4);
    job.program.Options.HotTarget = true;
    job.s.Model.TargetTemperature = 300;
    job.program.Random.Seed(20240611u);

    // The generator's sequence, rolled by hand.
    std::uint32_t state = 20240611u;
    auto uniform = [&] {
        state = state * 134775813u + 1u;
        return state / 4294967296.0;
    };
    const double sigma = std::sqrt(1.38066e-23 * 300 / CopperMass);
    std::vector<double> expected;
    for (int k = 0; k < 12; ++k) {
        const double r1 = uniform(), r2 = uniform(), r3 = uniform();
        expected.push_back(std::sqrt(-2 * std::log(1 - r3)) * sigma * (r1 >= 0.5 ? -1 : 1) *
                           std::cos(2 * std::numbers::pi * (1 - r2)));
    }
    InitialiseVelocities(job.s, 1.0);
    const ParticleTable& p = job.s.Particles;
    for (int i = 1; i <= 4; ++i) {
        EXPECT_DOUBLE_EQ(p.VX[i], expected[3 * (i - 1)]) << i;
        EXPECT_DOUBLE_EQ(p.VY[i], expected[3 * (i - 1) + 1]) << i;
        EXPECT_DOUBLE_EQ(p.VZ[i], expected[3 * (i - 1) + 2]) << i;
    }
    EXPECT_EQ(job.program.Random.State, state);  // exactly 36 draws
}

TEST(InitialiseVelocities, ColdTargetTakesNoRandomNumbers) {
    VelocityJob job(2);
    job.program.Random.Seed(7);
    job.s.Particles.VX[2] = 55;
    InitialiseVelocities(job.s, 1.0);
    EXPECT_EQ(job.s.Particles.VX[2], 0.0);
    EXPECT_EQ(job.program.Random.State, 7u);
}

TEST(GaussianSample, ThermalComponentsHaveMeanZeroAndVarianceKTOverM) {
    const int atoms = 20000;
    VelocityJob job(atoms);
    job.program.Options.HotTarget = true;
    job.s.Model.TargetTemperature = 450;
    job.program.Random.Seed(99);
    InitialiseVelocities(job.s, 1.0);
    double sum = 0, sumSq = 0;
    for (const auto* v : {&job.s.Particles.VX, &job.s.Particles.VY, &job.s.Particles.VZ})
        for (int i = 1; i <= atoms; ++i) sum += (*v)[i], sumSq += (*v)[i] * (*v)[i];
    const double n = 3.0 * atoms;
    const double variance = 1.38066e-23 * 450 / CopperMass;
    // Five standard errors: sigma / sqrt(n) for the mean, sqrt(2 / n) relative
    // for the variance of a normal sample.
    EXPECT_NEAR(sum / n, 0.0, 5 * std::sqrt(variance / n));
    EXPECT_NEAR(sumSq / n / variance, 1.0, 5 * std::sqrt(2 / n));
}

TEST(GaussianSample, NonPositiveVarianceGivesZeroButStillTakesThreeDraws) {
    RandomGenerator random;
    random.Seed(3);
    EXPECT_EQ(GaussianSample(random, -1.0), 0.0);
    EXPECT_EQ(GaussianSample(random, 0.0), 0.0);
    RandomGenerator reference;
    reference.Seed(3);
    for (int k = 0; k < 6; ++k) reference.Uniform();
    EXPECT_EQ(random.State, reference.State);
}

// ---------------------------------------------------------------------------
// Timestep rule.

struct StepJob : VelocityJob {
    // Projectile far above atom 1, everything inside a wide zone, one pair listed.
    StepJob() : VelocityJob(3) {
        ParticleTable& p = s.Particles;
        const double z[] = {10 * A, 0, -2 * A, -4 * A};
        for (int i = 0; i <= 3; ++i) p.X[i] = p.Y[i] = 0, p.Z[i] = z[i];
        p.VZ[0] = -1e4;
        p.VX[1] = 2e4;
        s.Partners.Start = {0, 0, 1, 1, 1};
        s.Partners.Index = {2};
        t.Zone = {20 * A, -20 * A, 20 * A, -20 * A, 20 * A, -20 * A};
        t.Timestep = 1e-15;
        t.StepLength = 1e-11;
        t.FastestSpeed = t.WatchedSpeed = 1e4;
    }
};

TEST(AdjustTimestep, MovesOneThirdOfTheWayToStepLengthOverTheFastestSpeed) {
    StepJob job;
    AdjustTimestep(job.s, job.t);
    EXPECT_EQ(job.t.FastestIndex, 1);
    EXPECT_EQ(job.t.FastestSpeed, 2e4);
    const double target = 1e-11 / 2e4;
    EXPECT_NEAR(job.t.Timestep - target, (2.0 / 3) * (1e-15 - target), 1e-30);
    EXPECT_EQ(job.t.WatchedIndex, 1);
    EXPECT_EQ(job.t.WatchedSpeed, 2e4);
}

TEST(AdjustTimestep, TiesGoToTheLowerIndexAndParticlesOutsideTheZoneDoNotCount) {
    StepJob job;
    ParticleTable& p = job.s.Particles;
    p.VY[3] = -2e4;          // as fast as particle 1
    p.VX[0] = 5e4;           // fastest of all, but outside the zone
    p.Z[0] = 25 * A;
    AdjustTimestep(job.s, job.t);
    EXPECT_EQ(job.t.FastestIndex, 1);
}

TEST(AdjustTimestep, ProjectileOnlyTestWatchesTheProjectileWhileItIsInsideTheZone) {
    StepJob job;
    job.s.Model.ProjectileOnlyTest = true;
    AdjustTimestep(job.s, job.t);
    EXPECT_EQ(job.t.WatchedIndex, 0);
    EXPECT_EQ(job.t.WatchedSpeed, 1e4);
    EXPECT_EQ(job.t.FastestIndex, 1);

    job.s.Particles.Z[0] = 30 * A;  // gone through the top of the zone
    job.t.WatchedIndex = 2;
    AdjustTimestep(job.s, job.t);
    EXPECT_EQ(job.t.WatchedIndex, 0);
    EXPECT_EQ(job.t.WatchedSpeed, 0.0);
}

TEST(AdjustTimestep, NothingChangesNearAtomOneWithoutPartnersOrWithoutMotionInTheZone) {
    auto unchanged = [](const TrajectoryState& t) {
        return t.Timestep == 1e-15 && t.FastestSpeed == 1e4 && t.FastestIndex == 0 &&
               t.WatchedSpeed == 1e4 && t.WatchedIndex == 0;
    };
    {
        StepJob job;  // projectile 1.4 A from atom 1
        job.s.Particles.Z[0] = 1.0 * A;
        job.s.Particles.X[0] = 1.0 * A;
        AdjustTimestep(job.s, job.t);
        EXPECT_TRUE(unchanged(job.t));
        job.s.Particles.X[0] = 1.2 * A;  // 1.56 A: the rule runs
        AdjustTimestep(job.s, job.t);
        EXPECT_FALSE(unchanged(job.t));
    }
    {
        StepJob job;  // every list empty
        job.s.Partners.Start = {0, 0, 0, 0, 0};
        job.s.Partners.Index.clear();
        AdjustTimestep(job.s, job.t);
        EXPECT_TRUE(unchanged(job.t));
    }
    {
        StepJob job;  // the only moving particles are outside the zone
        job.s.Particles.X[1] = 30 * A;
        job.s.Particles.Z[0] = 30 * A;
        AdjustTimestep(job.s, job.t);
        EXPECT_TRUE(unchanged(job.t));
    }
}

}  // namespace
}  // namespace vantrel
