// The end-of-run classification on hand-made particle tables: every class of
// target atom and projectile, with and without the planar barrier; angles
// and energies; the layers and the lattice's cohesive energy.
#include "core/run_outcome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/units.h"
#include "tests/support/kernel_crystal.h"

namespace vantrel {
namespace {

constexpr double A = MetresPerAngstrom;
constexpr double Ev = JoulesPerEvInput;
constexpr double Mass = 63.546 * KilogramsPerAmu;
constexpr double ArMass = 39.948 * KilogramsPerAmu;
constexpr double Us = 3.5 * Ev;
constexpr double Cutoff = 7.6 * A;

// Speed of a particle of mass m with kinetic energy e (J).
double Speed(double e, double m) { return std::sqrt(2 * e / m); }

// Projectile and one target atom; the crystal's sites span z = 0 .. -10 A
// (two more resting atoms hold the top and the bottom site).
struct Scene {
    ParticleTable P;
    OutcomeGeometry G;

    Scene() {
        P.AtomCount = 3;
        for (auto* v : {&P.X, &P.Y, &P.Z, &P.VX, &P.VY, &P.VZ, &P.SiteX, &P.SiteY, &P.SiteZ, &P.Mass})
            v->assign(4, 0.0);
        P.Flags.assign(4, 0);
        P.InitialFlags.assign(4, 0);
        P.AtomicNumber = {18, 29, 29, 29};
        P.Mass = {ArMass, Mass, Mass, Mass};
        P.SiteZ = {0, 0, 0, -10 * A};
        P.Z = {5 * A, 0, 0, -10 * A};
        P.VZ[0] = -1e4;  // the projectile on its way in
        G.SurfaceZ = 0;
        G.BottomZ = -10 * A;
        G.CutoffRadius = Cutoff;
        G.SurfaceBinding = Us;
        G.XMin = G.YMin = -20 * A;
        G.XMax = G.YMax = 20 * A;
    }
    void Barrier(double energyEv) {
        G.BarrierEnergy = energyEv * Ev;
        G.BarrierPlane = Cutoff;
    }
    // Atom 1 at height z (A) with normal and lateral velocities (m/s).
    void Atom(double zA, double vz, double vx = 0, std::uint32_t flags = 0, double xA = 0) {
        P.X[1] = xA * A;
        P.Z[1] = zA * A;
        P.VZ[1] = vz;
        P.VX[1] = vx;
        P.Flags[1] = flags;
    }
    // The projectile at height z (A); z below -20 A puts it 30 A to the side instead.
    void Projectile(double zA, double vz, std::uint32_t flags = 0) {
        if (zA < -20) {
            P.X[0] = 30 * A;
            zA = -5;
        }
        P.Z[0] = zA * A;
        P.VZ[0] = vz;
        P.Flags[0] = flags;
    }
};

TEST(RunOutcome, TargetAtomClasses) {
    const double up = Speed(4.0 * Ev, Mass);    // normal energy above U_s
    const double slow = Speed(1.0 * Ev, Mass);  // below it
    const struct {
        const char* Name;
        double Z;  // A
        double Vz, Vx;
        double BarrierEv;
        std::uint32_t Flags;
        int Sputtered, Vibrating, LeftBottom, Fast;
        double X = 0;  // A; the sites span -20 .. 20 A
        int LeftSide = 0;
    } cases[] = {
        {"beyond the cut-off, whatever its motion", 8.0, -slow, 0, 0, 0, 1, 0, 0, 0},
        {"above and out with more than U_s", 0.2, up, 0, 0, 0, 1, 0, 0, 0},
        {"above and out with less than U_s", 3.0, slow, 0, 0, 0, 0, 1, 0, 0},
        {"lateral energy does not lift it", 3.0, slow, up * 2, 0, 0, 0, 1, 0, 1},
        {"at the surface plane, not above it", 0.0, up, 0, 0, 0, 0, 0, 0, 1},
        {"within the 0.5 A margin", 0.4, slow, 0, 0, 0, 0, 0, 0, 0},
        {"fast inside the crystal", -3.0, -up, 0, 0, 0, 0, 0, 0, 1},
        {"fast but deeper than r_c", -9.0, -up, 0, 0, 0, 0, 0, 0, 0},
        {"below the lower face by more than r_c", -18.0, 0, 0, 0, 0, 0, 0, 1, 0},
        {"below it and moving down fast", -10.6, -up, 0, 0, 0, 0, 0, 1, 0},
        {"below it, moving down slowly", -10.6, -slow, 0, 0, 0, 0, 0, 0, 0},
        {"beyond a side by more than r_c", -2.0, 0, 0, 0, 0, 0, 0, 0, 0, 28.0, 1},
        {"outside a side, moving away fast", -2.0, 0, up, 0, 0, 0, 0, 0, 0, 20.6, 1},
        {"outside a side, moving back in", -2.0, 0, -up, 0, 0, 0, 0, 0, 1, 20.6, 0},
        // With a barrier of 2 eV at the cut-off plane.
        {"must also pay the barrier still ahead", 2.0, up, 0, 2.0, 0, 0, 1, 0, 1},
        {"passed the barrier", 9.0, slow, 0, 2.0, LeftSurface, 1, 0, 0, 0},
        {"turned back above the barrier plane", 9.0, -slow, 0, 2.0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Scene s;
        if (c.BarrierEv > 0) s.Barrier(c.BarrierEv);
        s.Atom(c.Z, c.Vz, c.Vx, c.Flags, c.X);
        std::vector<SputteredAtom> sputtered;
        const RunOutcome o = ClassifyRun(s.P, s.G, sputtered);
        EXPECT_EQ(o.Sputtered, c.Sputtered);
        EXPECT_EQ(sputtered.size(), static_cast<std::size_t>(c.Sputtered));
        EXPECT_EQ(o.Vibrating, c.Vibrating);
        EXPECT_EQ(o.LeftBottom, c.LeftBottom);
        EXPECT_EQ(o.LeftSide, c.LeftSide);
        EXPECT_EQ(o.FastNearSurface, c.Fast);
    }
}

TEST(RunOutcome, ProjectileFates) {
    const double fast = Speed(100 * Ev, ArMass);
    const double slow = Speed(1 * Ev, ArMass);
    const struct {
        const char* Name;
        double Z, Vz, BarrierEv;
        std::uint32_t Flags;
        bool SelfBombard;
        ProjectileFate Fate;
    } cases[] = {
        {"inside the crystal", -4.0, slow, 0, 0, false, ProjectileFate::Stopped},
        {"above and leaving: nothing binds it", 1.0, slow, 0, 0, false, ProjectileFate::Reflected},
        {"never arrived (still incoming)", 5.0, -fast, 0, 0, false, ProjectileFate::Trapped},
        {"below the crystal, going down", -11.0, -fast, 0, 0, false, ProjectileFate::Transmitted},
        {"out through a side", -25.0, 0, 0, 0, false, ProjectileFate::LeftSide},
        {"under the barrier, too slow to pass it", 3.0, slow, 2.0, 0, false, ProjectileFate::Trapped},
        {"under the barrier, fast enough", 3.0, fast, 2.0, 0, false, ProjectileFate::Reflected},
        {"passed the barrier", 9.0, slow, 2.0, LeftSurface, false, ProjectileFate::Reflected},
        {"self-bombardment: bound like a target atom", 3.0, slow, 0, 0, true, ProjectileFate::Trapped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Scene s;
        if (c.BarrierEv > 0) s.Barrier(c.BarrierEv);
        s.G.ProjectileBound = c.SelfBombard;
        s.Projectile(c.Z, c.Vz, c.Flags);
        std::vector<SputteredAtom> sputtered;
        const RunOutcome o = ClassifyRun(s.P, s.G, sputtered);
        EXPECT_EQ(o.Projectile, c.Fate);
        const bool left = c.Fate == ProjectileFate::Reflected || c.Fate == ProjectileFate::Transmitted;
        if (c.Fate == ProjectileFate::LeftSide) continue;
        EXPECT_EQ(std::isnan(o.ProjectilePolar), !left);
        EXPECT_EQ(std::isnan(o.ProjectileDepth), left);
        if (!left) {
            EXPECT_NEAR(o.ProjectileDepth, -c.Z * A, 1e-20);
        }
    }
}

// A sputtered atom's record: its energy, the polar angle of its momentum
// from the outward normal and its azimuth; a transmitted projectile's polar
// angle is measured from the inward normal.
TEST(RunOutcome, EnergiesAndAngles) {
    Scene s;
    const double v = 5000;
    // 30 degrees from the normal, azimuth 225 degrees.
    const double theta = std::numbers::pi / 6, phi = 1.25 * std::numbers::pi;
    s.Atom(9.0, v * std::cos(theta));
    s.P.VX[1] = v * std::sin(theta) * std::cos(phi);
    s.P.VY[1] = v * std::sin(theta) * std::sin(phi);
    s.Projectile(-20.0, -v * std::cos(theta));
    s.P.VX[0] = v * std::sin(theta);
    std::vector<SputteredAtom> sputtered;
    const RunOutcome o = ClassifyRun(s.P, s.G, sputtered);
    ASSERT_EQ(sputtered.size(), 1u);
    EXPECT_EQ(sputtered[0].Index, 1);
    EXPECT_NEAR(sputtered[0].Energy, 0.5 * Mass * v * v, 1e-30);
    EXPECT_NEAR(sputtered[0].Polar, theta, 1e-12);
    EXPECT_NEAR(sputtered[0].Azimuth, phi, 1e-12);
    EXPECT_NEAR(sputtered[0].Height, 9.0 * A, 1e-22);
    EXPECT_EQ(o.Projectile, ProjectileFate::Transmitted);
    EXPECT_NEAR(o.ProjectilePolar, theta, 1e-12);
    EXPECT_NEAR(o.ProjectileAzimuth, 0.0, 1e-12);
    EXPECT_NEAR(o.ProjectileEnergy, 0.5 * ArMass * v * v, 1e-30);
}

TEST(RunOutcome, LayersHeightsAndTheCentralSite) {
    testing::KernelCrystalSpec spec;
    spec.Crystal.Cells = {3, 3, 2};  // four (100) layers 1.805 A apart
    testing::KernelCrystal c(spec);
    ASSERT_TRUE(c.Ok);
    const ParticleTable& p = c.Particles;
    std::vector<std::int32_t> layers;
    EXPECT_EQ(SiteLayers(p, 0.3 * A, layers), 4);
    for (std::int32_t i = 1; i <= p.AtomCount; ++i)
        EXPECT_EQ(layers[i], 1 + static_cast<int>(std::lround(-p.SiteZ[i] / (1.805 * A))));
    double top = 0, bottom = 0;
    SiteHeights(p, top, bottom);
    EXPECT_NEAR(top, 0.0, 1e-20);
    EXPECT_NEAR(bottom, -3 * 1.805 * A, 1e-20);
    const std::int32_t centre = CentralSite(p);
    ASSERT_GT(centre, 0);
    EXPECT_TRUE(layers[centre] == 2 || layers[centre] == 3);
}

// The binding energy the classification defaults to is the cohesive energy
// of the central atom of the perfect crystal: the energy sums' value for the
// same atom after a force evaluation on the sites.
TEST(RunOutcome, LatticeCohesiveEnergyIsTheEnergySumsValueOnTheSites) {
    testing::KernelCrystalSpec spec;
    spec.Crystal.Cells = {5, 5, 5};
    testing::KernelCrystal c(spec);
    ASSERT_TRUE(c.Ok);
    c.BuildLists();
    c.EvaluateForces();
    const std::int32_t centre = CentralSite(c.Particles);
    const double sums = CohesiveEnergy(c.Energy(), centre) * EvPerJoule;
    const double lattice = LatticeCohesiveEnergy(c.Particles, c.Model, false, centre) * EvPerJoule;
    EXPECT_NEAR(lattice, sums, 1e-6);
    EXPECT_NEAR(lattice, -3.456, 0.01);
}

TEST(RunOutcome, FateNamesReadBack) {
    for (const ProjectileFate fate : {ProjectileFate::Stopped, ProjectileFate::Reflected,
                                      ProjectileFate::Transmitted, ProjectileFate::Trapped,
                                      ProjectileFate::LeftSide}) {
        ProjectileFate back = ProjectileFate::Stopped;
        EXPECT_TRUE(FateFromName(FateName(fate), back));
        EXPECT_EQ(back, fate);
    }
    ProjectileFate unused;
    EXPECT_FALSE(FateFromName("Reflected", unused));
}

}  // namespace
}  // namespace vantrel
