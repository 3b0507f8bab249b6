// The planar barriers and the termination test.
#include "core/barriers.h"

#include <cmath>

#include <gtest/gtest.h>

namespace vantrel {
namespace {

// Particles of mass 1 kg in a zone x, y in (-10, 10), z in (-20, 5) m.
struct Particles {
    ParticleTable P;
    LatticeZone Zone{10, -10, 10, -10, 5, -20};
    double Sum = 0;  // J, the barrier energy taken

    explicit Particles(int count) {
        P.AtomCount = count;
        const std::size_t size = static_cast<std::size_t>(count) + 1;
        for (auto* field : {&P.X, &P.Y, &P.Z, &P.VX, &P.VY, &P.VZ}) field->assign(size, 0.0);
        P.Mass.assign(size, 1.0);
        P.Flags.assign(size, 0u);
    }
};

TEST(Barriers, SurfaceBarrierPassesOnlyStrictlyGreaterNormalEnergy) {
    Particles p(3);
    auto& P = p.P;
    const double plane = 2.0;
    P.Z = {3, 3, 3, 1};
    P.VZ = {2.0, 3.0, 1.0, 5.0};  // E = 2 (exactly the barrier), 4.5, 0.5; the last below the plane
    ApplySurfaceBarrier(P, 2.0, plane, p.Sum);
    EXPECT_EQ(P.VZ[0], -2.0);  // reflected
    EXPECT_EQ(P.VZ[2], -1.0);
    EXPECT_FALSE(P.Flags[0] & LeftSurface);
    EXPECT_DOUBLE_EQ(P.VZ[1], std::sqrt(2.0 * (4.5 - 2.0)));
    EXPECT_TRUE(P.Flags[1] & LeftSurface);
    EXPECT_EQ(P.VZ[3], 5.0);  // below the plane: untouched
    EXPECT_DOUBLE_EQ(p.Sum, 2.0);
    // A particle that has left is never tested again.
    ApplySurfaceBarrier(P, 2.0, plane, p.Sum);
    EXPECT_DOUBLE_EQ(P.VZ[1], std::sqrt(5.0));
    EXPECT_DOUBLE_EQ(p.Sum, 2.0);
}

TEST(Barriers, SideBarrierInXIsTestedOnceButInYAtEveryStep) {
    Particles p(1);
    auto& P = p.P;
    // Particle 0 leaves through +x with E = 8, particle 1 through -y with E = 8.
    P.X = {11, 0};
    P.VX = {4, 0};
    P.Y = {0, -11};
    P.VY = {0, -4};
    ApplySideBarriers(P, 1.0, p.Zone, p.Sum);
    EXPECT_DOUBLE_EQ(P.VX[0], std::sqrt(14.0));
    EXPECT_TRUE(P.Flags[0] & LeftSide);
    EXPECT_DOUBLE_EQ(P.VY[1], -std::sqrt(14.0));
    EXPECT_TRUE(P.Flags[1] & LeftSide);
    EXPECT_DOUBLE_EQ(p.Sum, 2.0);
    // Next step: x is not tested again, y is, and loses the barrier again.
    ApplySideBarriers(P, 1.0, p.Zone, p.Sum);
    EXPECT_DOUBLE_EQ(P.VX[0], std::sqrt(14.0));
    EXPECT_DOUBLE_EQ(P.VY[1], -std::sqrt(12.0));
    EXPECT_DOUBLE_EQ(p.Sum, 3.0);
    // Once its lateral energy is at most the barrier, it is reflected back.
    P.VY[1] = -1.0;  // E = 0.5
    ApplySideBarriers(P, 1.0, p.Zone, p.Sum);
    EXPECT_EQ(P.VY[1], 1.0);
    EXPECT_DOUBLE_EQ(p.Sum, 3.0);
}

TEST(Barriers, SideBarrierReflectsWeakParticlesInsideTheZone) {
    Particles p(0);
    auto& P = p.P;
    P.X = {-10.5};
    P.VX = {-1.0};
    ApplySideBarriers(P, 10.0, p.Zone, p.Sum);
    EXPECT_EQ(P.VX[0], 1.0);
    EXPECT_FALSE(P.Flags[0] & LeftSide);
    // Moving back inward is not a crossing.
    ApplySideBarriers(P, 10.0, p.Zone, p.Sum);
    EXPECT_EQ(P.VX[0], 1.0);
}

TEST(Barriers, ZoneInsideIsStrictOnAllFaces) {
    const LatticeZone zone{1, -1, 2, -2, 3, -3};
    EXPECT_TRUE(InsideZone(zone, 0, 0, 0));
    EXPECT_FALSE(InsideZone(zone, 1, 0, 0));
    EXPECT_FALSE(InsideZone(zone, 0, -2, 0));
    EXPECT_FALSE(InsideZone(zone, 0, 0, 3));
    EXPECT_TRUE(InsideZone(zone, 0.999, 1.999, -2.999));
}

TEST(Termination, MinTimeMaxTimeAndTheWatchedEnergy) {
    const TerminationLimits limits{10, 20, 2.0};
    const double mass = 1.0;
    TrajectoryState t;
    t.WatchedSpeed = 1.0;  // E = 0.5: below the termination energy
    struct Case {
        double Time, Speed;
        bool AbortNow, Ends;
    };
    const Case cases[] = {
        {9, 1.0, false, false},   // before MinTime nothing stops
        {9, 1.0, true, true},     // ... except AbortNow
        {10, 1.0, false, true},   // the watched energy is spent
        {10, 3.0, false, false},  // E = 4.5: goes on
        {20, 3.0, false, true},   // MaxTime
    };
    for (const Case& c : cases) {
        t.Time = c.Time;
        t.WatchedSpeed = c.Speed;
        EXPECT_EQ(TrajectoryEnds(t, limits, mass, c.AbortNow), c.Ends) << c.Time << " " << c.Speed;
    }
    // MinTime beyond MaxTime: the first step at or after MinTime ends it.
    const TerminationLimits late{30, 20, 2.0};
    t.Time = 25;
    EXPECT_FALSE(TrajectoryEnds(t, late, mass, false));
    t.Time = 30;
    EXPECT_TRUE(TrajectoryEnds(t, late, mass, false));
}

}  // namespace
}  // namespace vantrel
