// The trajectory driver's own rules: the planar barriers and the
// termination test.
#include "job/trajectory.h"

#include <cmath>

#include <gtest/gtest.h>

#include "tests/support/recording_ui.h"

namespace vantrel {
namespace {

struct Particles {
    testing::RecordingUserInterface Ui;
    ProgramContext Program{Ui};
    SimulationState State{Program};
    TrajectoryState Trajectory;

    explicit Particles(int count) {
        AllocateParticleTable(State, count);
        AllocateMassAndAtomicNumber(State);
        for (double& m : State.Particles.Mass) m = 1.0;
        Trajectory.Zone = {10, -10, 10, -10, 5, -20};
        State.Impact.StartHeight = 3.0e10;  // A: barrier plane at ZMax - 3 m = 2 m
    }
};

TEST(Barriers, SurfaceBarrierPassesOnlyStrictlyGreaterNormalEnergy) {
    Particles p(3);
    p.State.Model.SurfaceBarrier = 2.0;  // J, mass 1 kg
    auto& P = p.State.Particles;
    P.Z = {3, 3, 3, 1};
    P.VZ = {2.0, 3.0, 1.0, 5.0};  // E = 2 (exactly the barrier), 4.5, 0.5; the last below the plane
    ApplySurfaceBarrier(p.State, p.Trajectory);
    EXPECT_EQ(P.VZ[0], -2.0);  // reflected
    EXPECT_EQ(P.VZ[2], -1.0);
    EXPECT_FALSE(P.Flags[0] & LeftSurface);
    EXPECT_DOUBLE_EQ(P.VZ[1], std::sqrt(2.0 * (4.5 - 2.0)));
    EXPECT_TRUE(P.Flags[1] & LeftSurface);
    EXPECT_EQ(P.VZ[3], 5.0);  // below the plane: untouched
    EXPECT_DOUBLE_EQ(p.Trajectory.SurfaceEnergySum, 2.0);
    // A particle that has left is never tested again.
    ApplySurfaceBarrier(p.State, p.Trajectory);
    EXPECT_DOUBLE_EQ(P.VZ[1], std::sqrt(5.0));
    EXPECT_DOUBLE_EQ(p.Trajectory.SurfaceEnergySum, 2.0);
}

TEST(Barriers, SideBarrierInXIsTestedOnceButInYAtEveryStep) {
    Particles p(1);
    p.State.Model.SideBarrier = 1.0;
    auto& P = p.State.Particles;
    // Particle 0 leaves through +x with E = 8, particle 1 through -y with E = 8.
    P.X = {11, 0};
    P.VX = {4, 0};
    P.Y = {0, -11};
    P.VY = {0, -4};
    ApplySideBarriers(p.State, p.Trajectory);
    EXPECT_DOUBLE_EQ(P.VX[0], std::sqrt(14.0));
    EXPECT_TRUE(P.Flags[0] & LeftSide);
    EXPECT_DOUBLE_EQ(P.VY[1], -std::sqrt(14.0));
    EXPECT_TRUE(P.Flags[1] & LeftSide);
    EXPECT_DOUBLE_EQ(p.Trajectory.SideEnergySum, 2.0);
    // Next step: x is not tested again, y is, and loses the barrier again.
    ApplySideBarriers(p.State, p.Trajectory);
    EXPECT_DOUBLE_EQ(P.VX[0], std::sqrt(14.0));
    EXPECT_DOUBLE_EQ(P.VY[1], -std::sqrt(12.0));
    EXPECT_DOUBLE_EQ(p.Trajectory.SideEnergySum, 3.0);
    // Once its lateral energy is at most the barrier, it is reflected back.
    P.VY[1] = -1.0;  // E = 0.5
    ApplySideBarriers(p.State, p.Trajectory);
    EXPECT_EQ(P.VY[1], 1.0);
    EXPECT_DOUBLE_EQ(p.Trajectory.SideEnergySum, 3.0);
}

TEST(Barriers, SideBarrierReflectsWeakParticlesInsideTheZone) {
    Particles p(0);
    p.State.Model.SideBarrier = 10.0;
    auto& P = p.State.Particles;
    P.X = {-10.5};
    P.VX = {-1.0};
    ApplySideBarriers(p.State, p.Trajectory);
    EXPECT_EQ(P.VX[0], 1.0);
    EXPECT_FALSE(P.Flags[0] & LeftSide);
    // Moving back inward is not a crossing.
    ApplySideBarriers(p.State, p.Trajectory);
    EXPECT_EQ(P.VX[0], 1.0);
}

TEST(Termination, MinTimeMaxTimeAndTheWatchedEnergy) {
    Particles p(1);
    p.State.Run.MinTime = 10;
    p.State.Run.MaxTime = 20;
    p.State.Model.TerminationEnergy = 2.0;
    TrajectoryState& t = p.Trajectory;
    t.WatchedIndex = 1;
    t.WatchedSpeed = 1.0;  // E = 0.5: below the termination energy
    t.Time = 9;
    EXPECT_FALSE(TrajectoryEnds(p.State, t));  // before MinTime nothing stops
    p.Program.AbortNow = true;
    EXPECT_TRUE(TrajectoryEnds(p.State, t));  // ... except AbortNow
    p.Program.AbortNow = false;
    t.Time = 10;
    EXPECT_TRUE(TrajectoryEnds(p.State, t));
    t.WatchedSpeed = 3.0;  // E = 4.5
    EXPECT_FALSE(TrajectoryEnds(p.State, t));
    t.Time = 20;
    EXPECT_TRUE(TrajectoryEnds(p.State, t));
    // MinTime beyond MaxTime: the first step at or after MinTime ends it.
    p.State.Run.MinTime = 30;
    t.Time = 25;
    EXPECT_FALSE(TrajectoryEnds(p.State, t));
    t.Time = 30;
    EXPECT_TRUE(TrajectoryEnds(p.State, t));
}

}  // namespace
}  // namespace vantrel
