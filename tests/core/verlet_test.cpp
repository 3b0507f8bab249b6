#include "core/verlet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "core/energy_sums.h"
#include "core/units.h"
#include "tests/support/kernel_crystal.h"

namespace vantrel {
namespace {

using testing::KernelCrystal;
using testing::KernelCrystalSpec;

constexpr double A = MetresPerAngstrom;
constexpr double CopperMass = 63.546 * KilogramsPerAmu;

// An argon projectile and `atoms` copper atoms at rest at the origin, with
// one pair listed (1, 2) when there are two atoms or more.
struct Motion {
    ParticleTable p;
    PartnerLists lists;
    TrajectoryState t;
    RandomGenerator random;

    explicit Motion(std::int32_t atoms) {
        p.AtomCount = atoms;
        const std::size_t size = static_cast<std::size_t>(atoms) + 1;
        for (auto* field : {&p.X, &p.Y, &p.Z, &p.VX, &p.VY, &p.VZ, &p.Mass}) field->assign(size, 0.0);
        p.Mass[0] = 39.948 * KilogramsPerAmu;
        for (std::int32_t i = 1; i <= atoms; ++i) p.Mass[i] = CopperMass;
        lists.Start.assign(size + 1, 0u);
    }

    void Initialise(double energyKeV, double altitude, double azimuth, bool hot = false,
                    double temperature = 0) {
        InitialiseVelocities(p, {energyKeV, altitude, azimuth, hot, temperature}, random);
    }
};

// A cold target is left at rest and takes no random numbers.
TEST(InitialiseVelocities, NormalIncidenceMovesTheProjectileStraightDown) {
    Motion m(3);
    m.random.Seed(7);
    m.p.VX[2] = 5.0;
    m.Initialise(3.0, std::numbers::pi / 2, 0.7);
    const double v = std::sqrt(3.204384e-16 * 3.0 / m.p.Mass[0]);
    EXPECT_NEAR(m.p.VX[0], 0.0, 1e-12 * v);
    EXPECT_NEAR(m.p.VY[0], 0.0, 1e-12 * v);
    EXPECT_DOUBLE_EQ(m.p.VZ[0], -v);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(m.p.VX[i], 0.0);
        EXPECT_EQ(m.p.VY[i], 0.0);
        EXPECT_EQ(m.p.VZ[i], 0.0);
    }
    EXPECT_EQ(m.random.State, 7u);
}

TEST(InitialiseVelocities, ObliqueBeamHasTheEnergyAndPointsAlongAltitudeAndAzimuth) {
    Motion m(1);
    m.Initialise(0.5, 30 * std::numbers::pi / 180, 45 * std::numbers::pi / 180);
    const ParticleTable& p = m.p;
    const double kinetic = 0.5 * p.Mass[0] * (p.VX[0] * p.VX[0] + p.VY[0] * p.VY[0] + p.VZ[0] * p.VZ[0]);
    EXPECT_NEAR(kinetic, 0.5 * 1.602192e-16, 1e-12 * kinetic);
    const double v = std::sqrt(2 * kinetic / p.Mass[0]);
    EXPECT_NEAR(p.VZ[0], -0.5 * v, 1e-9 * v);            // sin 30
    EXPECT_NEAR(p.VX[0], p.VY[0], 1e-9 * v);             // azimuth 45
    EXPECT_NEAR(p.VX[0], -std::sqrt(3.0 / 8) * v, 1e-9 * v);  // cos 30 cos 45
}

TEST(InitialiseVelocities, HotTargetDrawsXYZOfEachAtomInTurnFromTheSharedGenerator) {
    Motion m(4);
    m.random.Seed(20240611u);

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
    m.Initialise(1.0, std::numbers::pi / 2, 0, true, 300);
    const ParticleTable& p = m.p;
    for (int i = 1; i <= 4; ++i) {
        EXPECT_DOUBLE_EQ(p.VX[i], expected[3 * (i - 1)]) << i;
        EXPECT_DOUBLE_EQ(p.VY[i], expected[3 * (i - 1) + 1]) << i;
        EXPECT_DOUBLE_EQ(p.VZ[i], expected[3 * (i - 1) + 2]) << i;
    }
    EXPECT_EQ(m.random.State, state);  // exactly 36 draws
}

TEST(GaussianSample, ThermalComponentsHaveMeanZeroAndVarianceKTOverM) {
    const int atoms = 20000;
    Motion m(atoms);
    m.random.Seed(99);
    m.Initialise(1.0, std::numbers::pi / 2, 0, true, 450);
    double sum = 0, sumSq = 0;
    for (const auto* v : {&m.p.VX, &m.p.VY, &m.p.VZ})
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

struct StepRule : Motion {
    bool ProjectileOnly = false;
    // Projectile far above atom 1, everything inside a wide zone, one pair listed.
    StepRule() : Motion(3) {
        const double z[] = {10 * A, 0, -2 * A, -4 * A};
        for (int i = 0; i <= 3; ++i) p.Z[i] = z[i];
        p.VZ[0] = -1e4;
        p.VX[1] = 2e4;
        lists.Start = {0, 0, 1, 1, 1};
        lists.Index = {2};
        t.Zone = {20 * A, -20 * A, 20 * A, -20 * A, 20 * A, -20 * A};
        t.Timestep = 1e-15;
        t.StepLength = 1e-11;
        t.FastestSpeed = t.WatchedSpeed = 1e4;
    }
    void Adjust() { AdjustTimestep(p, lists, ProjectileOnly, t); }
};

TEST(AdjustTimestep, MovesOneThirdOfTheWayToStepLengthOverTheFastestSpeed) {
    StepRule job;
    job.Adjust();
    EXPECT_EQ(job.t.FastestIndex, 1);
    EXPECT_EQ(job.t.FastestSpeed, 2e4);
    const double target = 1e-11 / 2e4;
    EXPECT_NEAR(job.t.Timestep - target, (2.0 / 3) * (1e-15 - target), 1e-30);
    EXPECT_EQ(job.t.WatchedIndex, 1);
    EXPECT_EQ(job.t.WatchedSpeed, 2e4);
}

TEST(AdjustTimestep, TiesGoToTheLowerIndexAndParticlesOutsideTheZoneDoNotCount) {
    StepRule job;
    job.p.VY[3] = -2e4;  // as fast as particle 1
    job.p.VX[0] = 5e4;   // fastest of all, but outside the zone
    job.p.Z[0] = 25 * A;
    job.Adjust();
    EXPECT_EQ(job.t.FastestIndex, 1);
}

TEST(AdjustTimestep, ProjectileOnlyTestWatchesTheProjectileWhileItIsInsideTheZone) {
    StepRule job;
    job.ProjectileOnly = true;
    job.Adjust();
    EXPECT_EQ(job.t.WatchedIndex, 0);
    EXPECT_EQ(job.t.WatchedSpeed, 1e4);
    EXPECT_EQ(job.t.FastestIndex, 1);

    job.p.Z[0] = 30 * A;  // gone through the top of the zone
    job.t.WatchedIndex = 2;
    job.Adjust();
    EXPECT_EQ(job.t.WatchedIndex, 0);
    EXPECT_EQ(job.t.WatchedSpeed, 0.0);
}

TEST(AdjustTimestep, NothingChangesNearAtomOneWithoutPartnersOrWithoutMotionInTheZone) {
    auto unchanged = [](const TrajectoryState& t) {
        return t.Timestep == 1e-15 && t.FastestSpeed == 1e4 && t.FastestIndex == 0 &&
               t.WatchedSpeed == 1e4 && t.WatchedIndex == 0;
    };
    {
        StepRule job;  // projectile 1.4 A from atom 1
        job.p.Z[0] = 1.0 * A;
        job.p.X[0] = 1.0 * A;
        job.Adjust();
        EXPECT_TRUE(unchanged(job.t));
        job.p.X[0] = 1.2 * A;  // 1.56 A: the rule runs
        job.Adjust();
        EXPECT_FALSE(unchanged(job.t));
    }
    {
        StepRule job;  // every list empty
        job.lists.Start = {0, 0, 0, 0, 0};
        job.lists.Index.clear();
        job.Adjust();
        EXPECT_TRUE(unchanged(job.t));
    }
    {
        StepRule job;  // the only moving particles are outside the zone
        job.p.X[1] = 30 * A;
        job.p.Z[0] = 30 * A;
        job.Adjust();
        EXPECT_TRUE(unchanged(job.t));
    }
}

// ---------------------------------------------------------------------------
// The step and its conservation laws.

// Rebuilds every 10 steps, one step per iteration, as the trajectory
// driver runs them without the optional models.
void RunSteps(KernelCrystal& c, double dt, int steps, int& sinceRebuild) {
    for (int k = 0; k < steps; ++k) {
        if (++sinceRebuild == 10) {
            c.BuildLists();
            sinceRebuild = 0;
        }
        c.Step(dt);
    }
}

double Momentum(const ParticleTable& p, int axis) {
    long double sum = 0;
    const std::vector<double>& v = axis == 0 ? p.VX : axis == 1 ? p.VY : p.VZ;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) sum += p.Mass[i] * static_cast<long double>(v[i]);
    return static_cast<double>(sum);
}

// A 1 keV Ar projectile enters a small crystal obliquely: every pair force
// acts on both particles, so the total momentum keeps its start value up to
// rounding.  The bound: each step rounds every velocity (a relative 1e-16 of
// momenta that add up to a few times the projectile's), 200 steps make some
// 1e-13; a force applied to one particle only would change it by a
// relative 1e-5 per step.
TEST(VerletStep, ConservesTheTotalMomentumOfAProjectileEnteringACrystal) {
    const double altitude = 60 * std::numbers::pi / 180, azimuth = 20 * std::numbers::pi / 180;
    KernelCrystalSpec spec;
    spec.Crystal.Cells = {3, 3, 2};
    // On the beam line through the aim point (0.7, 0.4) A from atom 1, 3 A up.
    const double run = 3.0 * std::cos(altitude) / std::sin(altitude);
    spec.DeltaX = 0.7 + run * std::cos(azimuth), spec.DeltaY = 0.4 + run * std::sin(azimuth);
    spec.Height = 3.0;
    KernelCrystal c(spec);
    ASSERT_TRUE(c.Ok);
    ParticleTable& p = c.Particles;
    RandomGenerator random;
    InitialiseVelocities(p, {1.0, altitude, azimuth}, random);
    c.BuildLists();
    c.EvaluateForces();
    const double start[3] = {Momentum(p, 0), Momentum(p, 1), Momentum(p, 2)};
    const double scale = std::sqrt(start[0] * start[0] + start[1] * start[1] + start[2] * start[2]);
    const double z0 = p.Z[0];

    int sinceRebuild = 0;
    for (int block = 0; block < 10; ++block) {
        RunSteps(c, 0.1e-15, 20, sinceRebuild);
        // The forces of each step add up to nothing.
        long double sum = 0, magnitude = 0;
        for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
            sum += p.FZ[i];
            magnitude += std::fabs(p.FZ[i]);
        }
        EXPECT_LT(std::fabs(static_cast<double>(sum)), 1e-13 * static_cast<double>(magnitude));
        for (int axis = 0; axis < 3; ++axis)
            ASSERT_NEAR(Momentum(p, axis), start[axis], 1e-12 * scale) << "axis " << axis << ", block " << block;
    }
    // The projectile did hit the crystal: it has lost speed, and target atoms move.
    const double v0 = std::sqrt(3.204384e-16 * 1.0 / p.Mass[0]);
    EXPECT_LT(std::sqrt(p.VX[0] * p.VX[0] + p.VY[0] * p.VY[0] + p.VZ[0] * p.VZ[0]), 0.9 * v0);
    EXPECT_LT(p.Z[0], z0 - 1.0 * A);
}

struct EnergyTrace {
    double Start = 0;      // eV
    double Deviation = 0;  // largest |E - E0| over the run, eV
    double Drift = 0;      // mean of the last tenth minus mean of the first tenth, eV
    double Kinetic = 0;    // eV, at the start
};

double TotalEnergyEv(KernelCrystal& c) {
    return (MotionSumsOf(c.Particles).Kinetic +
            PotentialEnergy(c.Energy(), c.Terms(), c.EnergyWork)) *
           EvPerJoule;
}

// A 3 x 3 x 3 crystal (108 atoms) at 600 K, slightly displaced, the
// projectile far above: the total energy over `steps` steps of `timestepFs`.
// (No pair may come within r_hi: the density starts there with a jump,
// which no integration follows.)
EnergyTrace HotCrystalEnergy(double timestepFs, int steps) {
    KernelCrystalSpec spec;
    spec.Crystal.Cells = {3, 3, 3};
    spec.Height = 40.0;
    KernelCrystal c(spec);
    EnergyTrace trace;
    if (!c.Ok) return trace;
    ParticleTable& p = c.Particles;
    std::mt19937 gen(600);
    std::normal_distribution<double> shake(0.0, 0.05 * A);
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) p.X[i] += shake(gen), p.Y[i] += shake(gen), p.Z[i] += shake(gen);
    RandomGenerator random;
    random.Seed(4711);
    InitialiseVelocities(p, {0.010, std::numbers::pi / 2, 0, true, 600.0}, random);
    c.BuildLists();
    c.EvaluateForces();
    trace.Start = TotalEnergyEv(c);
    trace.Kinetic = MotionSumsOf(p).Kinetic * EvPerJoule;
    std::vector<double> energies;
    int sinceRebuild = 0;
    for (int k = 0; k < steps; ++k) {
        RunSteps(c, timestepFs * 1e-15, 1, sinceRebuild);
        energies.push_back(TotalEnergyEv(c));
        trace.Deviation = std::max(trace.Deviation, std::fabs(energies.back() - trace.Start));
    }
    const std::size_t tenth = energies.size() / 10;
    double first = 0, last = 0;
    for (std::size_t k = 0; k < tenth; ++k) {
        first += energies[k];
        last += energies[energies.size() - 1 - k];
    }
    trace.Drift = (last - first) / static_cast<double>(tenth);
    return trace;
}

// Velocity Verlet keeps a shadow energy: the total energy oscillates about
// its start with an amplitude of order (w dt)^2 / 8 of the kinetic energy,
// w the highest vibration frequency (copper: about 4.6e13 /s, so 3e-4 at
// 1 fs), and falls fourfold when dt halves.  It does not drift; the tables'
// small departure from the exact gradient (the force tests: a few 1e-5 eV/A
// per atom) adds no more than a fraction of the oscillation over 400 fs.
TEST(VerletStep, ConservesTheEnergyOfAHotCrystal) {
    const EnergyTrace coarse = HotCrystalEnergy(1.0, 400);
    const EnergyTrace fine = HotCrystalEnergy(0.5, 800);
    ASSERT_GT(coarse.Kinetic, 5.0);  // 108 atoms at 600 K: some 8 eV
    EXPECT_NEAR(fine.Start, coarse.Start, 1e-9 * std::fabs(coarse.Start));  // the same crystal
    EXPECT_GT(coarse.Deviation, 0.0);
    EXPECT_LT(coarse.Deviation, 3e-4 * coarse.Kinetic);
    const double ratio = coarse.Deviation / fine.Deviation;
    EXPECT_GT(ratio, 3.0);
    EXPECT_LT(ratio, 5.5);
    EXPECT_LT(std::fabs(coarse.Drift), 5e-5 * coarse.Kinetic);
    EXPECT_LT(std::fabs(fine.Drift), 5e-5 * coarse.Kinetic / 4);
}

}  // namespace
}  // namespace vantrel
