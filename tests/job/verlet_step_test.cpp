#include <gtest/gtest.h>

#include <vector>

#include "job/forces.h"
#include "job/verlet.h"
#include "tests/support/small_job.h"

namespace vantrel {
namespace {

using testing::SmallJob;
using testing::SmallJobSpec;

// The step driver: two atoms 2.4 A apart, moving, the projectile far away;
// one step is the velocity-Verlet update with the old and the new forces,
// term for term.  (The conservation laws of the step are tested in core.)
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
    const std::vector<double> fx = p.FX, fy = p.FY, fz = p.FZ, q = p.EmbeddingFactor;
    EvaluateInitialForces(job.State);
    EXPECT_EQ(p.FX, fx);
    EXPECT_EQ(p.FY, fy);
    EXPECT_EQ(p.FZ, fz);
    EXPECT_EQ(p.EmbeddingFactor, q);
    EXPECT_NE(p.FX[1], before.FX[1]);
}

}  // namespace
}  // namespace vantrel
