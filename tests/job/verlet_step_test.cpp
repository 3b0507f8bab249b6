#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "job/energy_report.h"
#include "job/forces.h"
#include "job/verlet.h"
#include "tests/support/small_job.h"

namespace vantrel {
namespace {

using testing::SmallJob;
using testing::SmallJobSpec;

constexpr double A = MetresPerAngstrom;

// The trajectory driver's loop without its reports: a rebuild every
// PartnerUpdateInterval steps, one Verlet step per iteration.
void RunSteps(SmallJob& job, int steps) {
    TrajectoryState& t = job.Trajectory;
    for (int k = 0; k < steps; ++k) {
        if (t.StepsSinceRebuild == job.State.Run.PartnerUpdateInterval) {
            ASSERT_TRUE(job.Rebuild());
            t.StepsSinceRebuild = 1;
        } else {
            ++t.StepsSinceRebuild;
        }
        VerletStep(job.State, t);
        t.Time += t.Timestep;
        ++t.StepCount;
    }
}

// Two atoms 2.4 A apart, moving, the projectile far away: one step is the
// velocity-Verlet update with the old and the new forces, term for term.
TEST(VerletStep, MovesAndAcceleratesAsVelocityVerlet) {
    SmallJobSpec spec;
    spec.Atoms = {{0, 0, 0, 29, 63.546, 0}, {1.2, 1.6, 1.2, 29, 63.546, 0}};
    spec.Impact = {0.0, 0.0, 20.0};
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    ParticleTable& p = job.State.Particles;
    p.VX[1] = 300.0, p.VY[1] = -150.0, p.VZ[1] = 80.0;
    p.VX[2] = -120.0;
    EvaluateInitialForces(job.State);
    const ParticleTable before = p;
    const double dt = job.Trajectory.Timestep;

    VerletStep(job.State, job.Trajectory);
    for (std::int32_t i = 0; i <= 2; ++i) {
        const double h = 0.5 * dt * dt / p.Mass[i];
        EXPECT_EQ(p.X[i], dt * before.VX[i] + before.X[i] + before.FX[i] * h) << i;
        EXPECT_EQ(p.Y[i], dt * before.VY[i] + before.Y[i] + before.FY[i] * h) << i;
        EXPECT_EQ(p.Z[i], dt * before.VZ[i] + before.Z[i] + before.FZ[i] * h) << i;
        EXPECT_EQ(p.PrevFX[i], before.FX[i]) << i;
        const double g = 0.5 * dt / p.Mass[i];
        EXPECT_EQ(p.VX[i], before.VX[i] + (before.FX[i] + p.FX[i]) * g) << i;
        EXPECT_EQ(p.VY[i], before.VY[i] + (before.FY[i] + p.FY[i]) * g) << i;
        EXPECT_EQ(p.VZ[i], before.VZ[i] + (before.FZ[i] + p.FZ[i]) * g) << i;
    }
    // The new forces are those of the new positions.
    const std::vector<double> fx = p.FX, fy = p.FY, fz = p.FZ, q = p.Density;
    EvaluateInitialForces(job.State);
    EXPECT_EQ(p.FX, fx);
    EXPECT_EQ(p.FY, fy);
    EXPECT_EQ(p.FZ, fz);
    EXPECT_EQ(p.Density, q);
    EXPECT_NE(p.FX[1], before.FX[1]);
}

double Momentum(const ParticleTable& p, int axis) {
    long double sum = 0;
    const std::vector<double>& v = axis == 0 ? p.VX : axis == 1 ? p.VY : p.VZ;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) sum += p.Mass[i] * static_cast<long double>(v[i]);
    return static_cast<double>(sum);
}

// A 1 keV Ar projectile enters a small crystal obliquely, with no barrier
// and no inelastic model: every pair force acts on both particles, so the
// total momentum keeps its start value up to rounding.  The bound: each
// step rounds every velocity (a relative 1e-16 of momenta that add up to a
// few times the projectile's), 200 steps make some 1e-13; a force applied
// to one particle only would change it by a relative 1e-5 per step.
TEST(VerletStep, ConservesTheTotalMomentumOfAProjectileEnteringACrystal) {
    SmallJobSpec spec;
    spec.Crystal.Cells = {3, 3, 2};
    spec.EnergyKeV = 1.0;
    spec.AltitudeDegrees = 60.0;
    spec.AzimuthDegrees = 20.0;
    spec.Impact = {0.7, 0.4, 3.0};
    spec.TimestepFs = 0.1;
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    EvaluateInitialForces(job.State);
    const ParticleTable& p = job.State.Particles;
    const double start[3] = {Momentum(p, 0), Momentum(p, 1), Momentum(p, 2)};
    const double scale = std::sqrt(start[0] * start[0] + start[1] * start[1] + start[2] * start[2]);
    const double z0 = p.Z[0];

    for (int block = 0; block < 10; ++block) {
        RunSteps(job, 20);
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

// A 3 x 3 x 3 crystal (108 atoms) at 600 K with thermal displacements, the
// projectile far above: the total energy of the energy report over `steps`
// steps of `timestepFs`.
EnergyTrace HotCrystalEnergy(double timestepFs, int steps) {
    SmallJobSpec spec;
    spec.Crystal.Cells = {3, 3, 3};
    spec.StaticLattice = false;
    spec.Model.TargetTemperature = 600.0;
    spec.EnergyKeV = 0.010;
    spec.Impact = {0.0, 0.0, 40.0};
    spec.TimestepFs = timestepFs;
    SmallJob job;
    job.Program.Options.HotTarget = true;
    job.Program.Options.Verbose = false;
    job.Program.Options.FixedTimestep = true;
    EnergyTrace trace;
    if (!job.SetUp(spec)) return trace;
    EvaluateInitialForces(job.State);
    trace.Start = EnergyReport(job.State);
    const ParticleTable& p = job.State.Particles;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i)
        trace.Kinetic += 0.5 * p.Mass[i] * (p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]) * EvPerJoule;
    std::vector<double> energies;
    for (int k = 0; k < steps; ++k) {
        RunSteps(job, 1);
        energies.push_back(EnergyReport(job.State));
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

// Velocity Verlet keeps a shadow energy: the reported energy oscillates
// about its start with an amplitude of order (w dt)^2 / 8 of the kinetic
// energy, w the highest vibration frequency (copper: about 4.6e13 /s, so
// 3e-4 at 1 fs), and falls fourfold when dt halves.  It does not drift; the
// tables' small departure from the exact gradient (the force tests: a few
// 1e-5 eV/A per atom) adds no more than a fraction of the oscillation over
// 400 fs.
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
