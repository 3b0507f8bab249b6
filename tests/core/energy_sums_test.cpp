#include "core/energy_sums.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/potential_forms.h"
#include "core/screening.h"
#include "core/units.h"
#include "tests/support/kernel_crystal.h"

namespace vantrel {
namespace {

using testing::KernelCrystal;
using testing::KernelCrystalSpec;

constexpr double A = MetresPerAngstrom;

void Shake(KernelCrystal& c, double amplitude, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> d(-amplitude * A, amplitude * A);
    ParticleTable& p = c.Particles;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        p.X[i] += d(gen);
        p.Y[i] += d(gen);
        p.Z[i] += d(gen);
    }
}

KernelCrystalSpec Crystal(int cells) {
    KernelCrystalSpec spec;
    spec.Crystal.Cells = {cells, cells, cells};
    return spec;
}

KernelCrystalSpec Alloy(int cells) {
    KernelCrystalSpec spec = Crystal(cells);
    spec.Crystal.FractionB = 0.4;
    spec.Crystal.AtomicNumberB = 28;
    spec.Crystal.MassB = 58.69;
    spec.Model.PairEnergy = {0.012382, 0.015707, 0.0140};
    spec.Model.PairLength = {3.61, 3.52, 3.565};
    return spec;
}

// ---------------------------------------------------------------------------
// The cell search against the direct sum over all pairs.

TEST(EnergySums, PotentialAndLatticeEnergiesEqualTheirSumsOverAllPairs) {
    struct Case {
        const char* Name;
        KernelCrystalSpec Spec;
        bool IgnoreTargetForces = false;
        bool Image = false;
    };
    KernelCrystalSpec close = Crystal(3);
    close.DeltaX = 0.4, close.DeltaY = 0.3, close.Height = 1.2;  // inside r_lo of atom 1
    KernelCrystalSpec unswitched = Crystal(3);
    unswitched.Model.UseSwitching = false;
    KernelCrystalSpec self = Alloy(3);
    self.ProjectileZ = 29;
    self.ProjectileMassAmu = 63.546;
    self.DeltaX = 0.4, self.DeltaY = 0.3, self.Height = 1.8;
    self.SelfBombard = true;
    KernelCrystalSpec image = Alloy(2);
    image.ProjectileFlags = ImageCharge;
    const Case cases[] = {
        {"elemental", close},
        {"elemental without switching", unswitched},
        {"binary", Alloy(3)},
        {"binary, self-bombardment", self},
        {"self-bombardment, target forces ignored", self, true},
        {"target forces ignored", close, true},
        {"binary with image charges", image, false, true},
        {"larger crystal", Crystal(8)},
    };
    for (const Case& c : cases) {
        KernelCrystal crystal(c.Spec);
        ASSERT_TRUE(crystal.Ok) << c.Name;
        InelasticParameters parameters;
        parameters.ImageEnergy = 5.0 * JoulesPerEvInput;
        parameters.ImageDistance = -1.0 * A;
        parameters.ImageLengthSquare = std::pow(CoulombConstant / parameters.ImageEnergy, 2);
        ParticleTable& p = crystal.Particles;
        for (std::int32_t i = 1; i <= p.AtomCount; i += 3) p.Flags[i] |= ImageCharge;
        Shake(crystal, 0.3, 5);
        // Two atoms closer than r_lo, one on the spline.
        p.X[7] = p.X[6] + 1.1 * A, p.Y[7] = p.Y[6], p.Z[7] = p.Z[6];
        p.X[9] = p.X[8], p.Y[9] = p.Y[8] + 1.7 * A, p.Z[9] = p.Z[8];
        // One atom far out sideways, one a metre away.
        p.X[11] = 60 * A;
        p.Z[12] = 1.0;
        crystal.BuildLists();
        crystal.EvaluateForces();
        const EnergyTerms terms{crystal.SelfBombard, c.IgnoreTargetForces,
                                c.Image ? &parameters : nullptr};

        const double direct = PotentialEnergyAllPairs(crystal.Energy(), terms);
        EXPECT_NE(direct, 0.0) << c.Name;
        EXPECT_NEAR(PotentialEnergy(crystal.Energy(), terms, crystal.EnergyWork), direct,
                    1e-13 * std::fabs(direct))
            << c.Name;
        const double lattice = LatticeEnergyAllPairs(crystal.Energy());
        EXPECT_NE(lattice, 0.0) << c.Name;  // the close pairs make it large and positive
        EXPECT_NEAR(LatticeEnergy(crystal.Energy(), crystal.EnergyWork), lattice,
                    1e-13 * std::fabs(lattice))
            << c.Name;
        // On threads, the very sums of one thread.
        const double potential = PotentialEnergy(crystal.Energy(), terms, crystal.EnergyWork);
        const double cells = LatticeEnergy(crystal.Energy(), crystal.EnergyWork);
        for (const int threads : {2, 3, 8}) {
            WorkerPool pool(threads);
            EXPECT_EQ(PotentialEnergy(crystal.Energy(), terms, crystal.EnergyWork, &pool), potential)
                << c.Name << ", " << threads << " threads";
            EXPECT_EQ(LatticeEnergy(crystal.Energy(), crystal.EnergyWork, &pool), cells)
                << c.Name << ", " << threads << " threads";
        }
    }
}

// Pairs beyond r_c are counted, not visited: with a constant V_T of their
// own (no switching) they still add exactly what the direct sum adds.
TEST(EnergySums, PairsBeyondTheCutoffAddTheirCutoffEnergy) {
    KernelCrystalSpec spec = Crystal(2);
    spec.Model.UseSwitching = false;
    KernelCrystal c(spec);
    ASSERT_TRUE(c.Ok);
    const CutoffEnergies cut = CutoffPairEnergies(c.Energy());
    const PairParameters copper = PairParametersOf(c.Model, AA);
    EXPECT_DOUBLE_EQ(cut.Target[AA], PairPotential(copper, 7.6 * A));
    EXPECT_GT(cut.Target[AA], 0.0);
    EXPECT_DOUBLE_EQ(cut.Projectile[AA],
                     ScreenedCoulombEnergy(18, 29, 7.6 * A, ScreeningFunction::Universal,
                                           c.Model.ProjectileScreening[AA]));
    // Spread the crystal out: every pair beyond r_c, each adding V_T, all of
    // which the cut-off correction takes back.
    ParticleTable& p = c.Particles;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) p.X[i] *= 10, p.Y[i] *= 10, p.Z[i] *= 10;
    const double n = p.AtomCount;
    const double projectile = n * cut.Projectile[AA];
    EXPECT_NEAR(PotentialEnergy(c.Energy(), c.Terms(), c.EnergyWork), projectile,
                1e-12 * std::fabs(projectile));
    EXPECT_NEAR(PotentialEnergyAllPairs(c.Energy(), c.Terms()), projectile,
                1e-12 * std::fabs(projectile));
}

TEST(EnergySums, ParticleThatIsNotANumberMakesBothSumsNotANumber) {
    KernelCrystal c(Crystal(2));
    ASSERT_TRUE(c.Ok);
    c.BuildLists();
    c.EvaluateForces();
    c.Particles.Z[5] = std::nan("");
    EXPECT_TRUE(std::isnan(PotentialEnergy(c.Energy(), c.Terms(), c.EnergyWork)));
    EXPECT_TRUE(std::isnan(PotentialEnergyAllPairs(c.Energy(), c.Terms())));
}

TEST(EnergySums, MotionSumsAreTheKineticEnergyAndBothMomenta) {
    ParticleTable p;
    p.AtomCount = 1;
    p.Mass = {2.0, 3.0};
    p.X = {1.0, 0.0}, p.Y = {0.0, 2.0}, p.Z = {0.0, 0.0};
    p.VX = {0.0, 1.0}, p.VY = {4.0, 0.0}, p.VZ = {0.0, -2.0};
    const MotionSums m = MotionSumsOf(p);
    EXPECT_EQ(m.Kinetic, 0.5 * 2 * 16 + 0.5 * 3 * 5);
    EXPECT_EQ(m.Px, 3.0);
    EXPECT_EQ(m.Py, 8.0);
    EXPECT_EQ(m.Pz, -6.0);
    // L = sum m r x v: (1,0,0) x (0,4,0) = (0,0,4); (0,2,0) x (1,0,-2) = (-4,0,-2).
    EXPECT_EQ(m.Lx, 3.0 * -4);
    EXPECT_EQ(m.Ly, 0.0);
    EXPECT_EQ(m.Lz, 2.0 * 4 + 3.0 * -2);
}

// ---------------------------------------------------------------------------
// Cohesive and lattice energies.

// The Sutton-Chen energy of one atom of a perfect fcc crystal, summed over
// the lattice directly: half the pair energies minus the square root of the
// density, both with the switching function.
double FccCohesiveEnergy(const ModelParameters& m, double latticeConstant) {
    const PairParameters p = PairParametersOf(m, AA);
    const SwitchingRange range = SwitchingRangeOf(m);
    const int reach = static_cast<int>(2 * m.CutoffRadius / latticeConstant) + 1;
    double pair = 0, density = 0;
    for (int i = -reach; i <= reach; ++i)
        for (int j = -reach; j <= reach; ++j)
            for (int k = -reach; k <= reach; ++k) {
                if ((i + j + k) % 2 != 0 || (i == 0 && j == 0 && k == 0)) continue;
                const double r = 0.5 * latticeConstant * std::sqrt(double(i * i + j * j + k * k));
                if (r > m.CutoffRadius) continue;
                pair += Switching(range, r) * PairPotential(p, r);
                density += Switching(range, r) * DensityFunction(p, r);
            }
    return 0.5 * pair - std::sqrt(density);
}

TEST(EnergySums, CohesiveEnergyOfABulkAtomIsTheLatticeSum) {
    KernelCrystal c(Crystal(5));
    ASSERT_TRUE(c.Ok);
    c.BuildLists();
    c.EvaluateForces();
    const ParticleTable& p = c.Particles;
    // The atom nearest the middle of the crystal has every neighbour within r_c.
    double cx = 0, cy = 0, cz = 0;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) cx += p.X[i], cy += p.Y[i], cz += p.Z[i];
    cx /= p.AtomCount, cy /= p.AtomCount, cz /= p.AtomCount;
    std::int32_t bulk = 1;
    double best = 1e300;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        const double d = std::hypot(p.X[i] - cx, p.Y[i] - cy, p.Z[i] - cz);
        if (d < best) best = d, bulk = i;
    }
    const double expected = FccCohesiveEnergy(c.Model, 3.61 * A) * EvPerJoule;
    const double ec = CohesiveEnergy(c.Energy(), bulk) * EvPerJoule;
    // The density comes from the tables: a relative 1e-7.
    EXPECT_NEAR(ec, expected, 1e-6);
    EXPECT_NEAR(ec, -3.49, 0.02 * 3.49);
    // A surface atom is less bound.
    EXPECT_GT(CohesiveEnergy(c.Energy(), 1) * EvPerJoule, ec + 0.3);
}

// The projectile's value: half its N-body pair energies with the atoms
// within r_c; it has no embedding energy without self-bombardment.
TEST(EnergySums, CohesiveEnergyOfTheProjectileIsHalfItsNBodyPairEnergies) {
    KernelCrystalSpec spec = Crystal(1);
    spec.Height = 2.4;  // the projectile near the crystal
    KernelCrystal c(spec);
    ASSERT_TRUE(c.Ok);
    c.BuildLists();
    c.EvaluateForces();
    const ParticleTable& p = c.Particles;
    const PairParameters copper = PairParametersOf(c.Model, AA);
    const SwitchingRange range = SwitchingRangeOf(c.Model);
    double sum = 0;
    for (std::int32_t j = 1; j <= p.AtomCount; ++j) {
        const double r = std::hypot(p.X[0] - p.X[j], p.Y[0] - p.Y[j], p.Z[0] - p.Z[j]);
        if (r <= c.Model.CutoffRadius) sum += Switching(range, r) * PairPotential(copper, r);
    }
    EXPECT_GT(sum, 0.0);
    EXPECT_DOUBLE_EQ(CohesiveEnergy(c.Energy(), 0), 0.5 * sum);
}

TEST(EnergySums, LatticeEnergyExcludesTheProjectileAndOneAtomHasOnlyItsEmbedding) {
    KernelCrystalSpec spec = Crystal(2);
    spec.Height = 2.3;
    KernelCrystal c(spec);
    ASSERT_TRUE(c.Ok);
    c.BuildLists();
    c.EvaluateForces();
    const double with = LatticeEnergy(c.Energy(), c.EnergyWork);
    c.Particles.Z[0] = 1.0;  // the projectile taken away
    EXPECT_EQ(LatticeEnergy(c.Energy(), c.EnergyWork), with);

    KernelCrystalSpec single;
    single.Atoms = {{0, 0, 0, 29, 63.546, 0}};
    KernelCrystal one(single);
    ASSERT_TRUE(one.Ok);
    one.Particles.EmbeddingFactor[1] = 0.5 / 2.0e-19;  // sqrt(rho) = 2e-19 J
    EXPECT_DOUBLE_EQ(LatticeEnergy(one.Energy(), one.EnergyWork), -2.0e-19);
}

}  // namespace
}  // namespace vantrel
