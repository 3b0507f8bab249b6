#include "core/forces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/inelastic.h"
#include "core/partner_lists.h"
#include "core/spline_fit.h"
#include "core/units.h"
#include "core/worker_pool.h"
#include "tests/support/kernel_crystal.h"

namespace vantrel {
namespace {

using testing::KernelCrystal;
using testing::KernelCrystalSpec;

constexpr double A = MetresPerAngstrom;
// Forces in eV/A.
constexpr double EvPerAngstrom = EvPerJoule * MetresPerAngstrom;

// Shakes every target atom by up to `amplitude` A on each axis.
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

KernelCrystalSpec CopperCrystal(int cells) {
    KernelCrystalSpec spec;
    spec.Crystal.Cells = {cells, cells, cells};
    return spec;
}

// Copper atoms at explicit positions (A), the projectile 10 A above atom 1.
KernelCrystalSpec CopperAtoms(const std::vector<std::array<double, 3>>& positions) {
    KernelCrystalSpec spec;
    for (const auto& r : positions) spec.Atoms.push_back({r[0], r[1], r[2], 29, 63.546, 0});
    return spec;
}

// The binary crystal: a third of the atoms are species B with a Ni-like
// pair potential of their own and mixed AB parameters.
KernelCrystalSpec BinaryCrystal(int cells) {
    KernelCrystalSpec spec = CopperCrystal(cells);
    spec.Crystal.FractionB = 0.35;
    spec.Crystal.AtomicNumberB = 28;
    spec.Crystal.MassB = 58.69;
    spec.Crystal.Seed = 3;
    ModelFileDescription& m = spec.Model;
    m.PairEnergy = {0.012382, 0.015707, 0.0140};
    m.PairLength = {3.61, 3.52, 3.565};
    m.DensityStrength = {39.432, 39.432, 39.432};
    // Splines of their own, so that every pair energy is continuous at r_hi.
    const ModelParameters parameters = ModelParametersOf(m);
    for (const PairType t : {BB, AB}) {
        JoiningSplineRequest request;
        EXPECT_TRUE(TargetSplineRequest(parameters, t, 29, 28, request));
        m.Spline[t - 1] = FitJoiningSpline(request).Coefficients;
    }
    return spec;
}

double& Coordinate(ParticleTable& p, std::int32_t i, int axis) {
    return axis == 0 ? p.X[i] : axis == 1 ? p.Y[i] : p.Z[i];
}

double Force(const ParticleTable& p, std::int32_t i, int axis) {
    return axis == 0 ? p.FX[i] : axis == 1 ? p.FY[i] : p.FZ[i];
}

// -dE/dx of particle i along axis by central differences with steps h and
// h/2, combined (Richardson) so that the error falls as h^4.  The steps span
// many table entries, so the slope of the interpolated density table is
// averaged as the tables' own slope table is.
double NumericalForce(KernelCrystal& c, std::int32_t i, int axis, double h) {
    double& x = Coordinate(c.Particles, i, axis);
    const double x0 = x;
    const auto difference = [&](double step) {
        x = x0 + step;
        const double plus = c.PotentialEnergyNow();
        x = x0 - step;
        const double minus = c.PotentialEnergyNow();
        x = x0;
        return -(plus - minus) / (2 * step);
    };
    const double coarse = difference(h);
    const double fine = difference(h / 2);
    return (4 * fine - coarse) / 3;
}

// ---------------------------------------------------------------------------
// Forces as the gradient of the energy the reports give.
//
// Tolerance: the energy takes rho from the interpolated density table and
// the force takes rho'/r from its own table; linear interpolation of rho
// over a table step of 4e-4 A is off by about h^2/8 rho'' (1e-7 of a
// nearest-neighbour share of the embedding energy, some 1e-8 eV), which
// the central difference over 2 x 0.008 A turns into a few 1e-5 eV/A per
// atom.  Longer steps do worse where a pair lies in the switching range
// just inside r_c, whose high derivatives are large.  1e-4 eV/A leaves a
// margin of three or more; a wrong or missing term of the N-body force is
// of order 0.1 eV/A.  Pairs in the steep screened repulsion add a part in
// a million of their force (the h^4 error of the differences).

TEST(Forces, AreMinusTheGradientOfTheReportedEnergy) {
    struct Case {
        const char* Name;
        KernelCrystalSpec Spec;
        double Shake;  // A
        unsigned Seed;
        std::vector<std::int32_t> Moved;  // empty: surface and bulk atoms
        double MinLargestForce;           // eV/A: the configuration really pushes
    };
    KernelCrystalSpec tightBinding = CopperCrystal(3);
    tightBinding.Model = testing::TightBindingCopperModel();
    KernelCrystalSpec selfBombard = CopperCrystal(3);
    selfBombard.ProjectileZ = 29;
    selfBombard.ProjectileMassAmu = 63.546;
    selfBombard.DeltaX = 0.9, selfBombard.DeltaY = 0.4, selfBombard.Height = 2.3;
    selfBombard.SelfBombard = true;
    // One pair on the joining spline, one closer than r_lo (screened
    // Coulomb), a projectile 3 A from atom 1 (screened Coulomb out to r_c).
    const auto pair = [](double separation, double height) {
        KernelCrystalSpec spec = CopperAtoms({{0, 0, 0}, {separation * 0.6, separation * 0.8, 0}});
        spec.DeltaX = 0.5, spec.DeltaY = -0.3, spec.Height = height;
        return spec;
    };
    // A cluster with pairs in every region, the projectile far away, in the
    // switched and unswitched Sutton-Chen and the Tight-Binding models.
    const std::vector<std::array<double, 3>> cluster = {
        {0, 0, 0}, {1.25, 0.1, 0}, {0.2, 1.8, 0.1}, {2.0, 2.2, 1.6}, {-3.1, 4.9, 2.0}};
    KernelCrystalSpec unswitched = CopperAtoms(cluster);
    unswitched.Model.UseSwitching = false;
    unswitched.Height = 100;
    KernelCrystalSpec tightBindingCluster = CopperAtoms(cluster);
    tightBindingCluster.Model = testing::TightBindingCopperModel();
    tightBindingCluster.Height = 100;
    // Two of its pairs (1.81 and 2.00 A) lie where the density tapers.
    KernelCrystalSpec taperedCluster = CopperAtoms(cluster);
    taperedCluster.Model.SmoothDensityJoin = true;
    taperedCluster.Height = 100;
    KernelCrystalSpec taperedTightBinding = tightBindingCluster;
    taperedTightBinding.Model.SmoothDensityJoin = true;
    const std::vector<std::int32_t> all5 = {1, 2, 3, 4, 5};
    const Case cases[] = {
        {"perturbed crystal", CopperCrystal(3), 0.15, 7, {}, 0.3},
        {"binary crystal", BinaryCrystal(3), 0.15, 8, {}, 0.3},
        {"Tight-Binding crystal", tightBinding, 0.15, 10, {}, 0.3},
        {"self-bombarding projectile", selfBombard, 0.1, 9, {0, 1, 2}, 0.3},
        {"spline pair", pair(1.8, 20.0), 0, 0, {2}, 0.5},
        {"screened pair", pair(1.2, 20.0), 0, 0, {2}, 0.5},
        {"projectile", pair(6.0, 3.0), 0, 0, {0}, 0.5},
        {"unswitched cluster", unswitched, 0, 0, all5, 0.5},
        {"Tight-Binding cluster", tightBindingCluster, 0, 0, all5, 0.5},
        {"tapered density cluster", taperedCluster, 0, 0, all5, 0.5},
        {"tapered Tight-Binding cluster", taperedTightBinding, 0, 0, all5, 0.5},
    };
    constexpr double Step = 0.008 * A;
    for (const Case& c : cases) {
        KernelCrystal crystal(c.Spec);
        ASSERT_TRUE(crystal.Ok) << c.Name;
        if (c.Shake > 0) Shake(crystal, c.Shake, c.Seed);
        crystal.BuildLists();
        std::vector<std::int32_t> moved = c.Moved;
        const ParticleTable& p = crystal.Particles;
        const std::int32_t n = p.AtomCount;
        if (moved.empty()) {
            if (c.Spec.Crystal.FractionB > 0) {  // two of each species
                int a = 0, b = 0;
                for (std::int32_t i = n / 3; i <= n && moved.size() < 4; ++i)
                    if ((p.Flags[i] & TypeB) ? b++ < 2 : a++ < 2) moved.push_back(i);
            } else {
                moved = {1, 2, n / 2, n / 2 + 1, n - 3};
            }
        }
        double largest = 0;
        for (const std::int32_t i : moved) {
            for (int axis = 0; axis < 3; ++axis) {
                crystal.EvaluateForces();
                const double analytic = Force(p, i, axis) * EvPerAngstrom;
                const double numeric = NumericalForce(crystal, i, axis, Step) * EvPerAngstrom;
                largest = std::max(largest, std::fabs(analytic));
                EXPECT_NEAR(analytic, numeric, 1e-4 + 1e-6 * std::fabs(analytic))
                    << c.Name << ", particle " << i << ", axis " << axis;
            }
        }
        EXPECT_GT(largest, c.MinLargestForce) << c.Name;
        if (c.Spec.SelfBombard) {
            EXPECT_GT(p.EmbeddingFactor[0], 0.0) << c.Name;
        }
    }
}

// The work the forces do on an atom pulled from 1.3 A (screened repulsion)
// to 2.3 A (N-body potential) away from its neighbour, through r_lo and r_hi,
// against the change of the reported energy.  Two more atoms, farther than
// r_hi from both, give each a density of its own.  The plain model's density
// starts with a step at r_hi that no force pays for; the tapered one's work
// matches to the integration error (Simpson over 0.0005 A, some 1e-5 eV).
TEST(Forces, DoTheWorkThatChangesTheEnergyAcrossTheJoins) {
    struct Case {
        const char* Name;
        bool Smooth;
        bool TightBinding;
    };
    const Case cases[] = {
        {"plain Sutton-Chen", false, false},
        {"tapered Sutton-Chen", true, false},
        {"plain Tight-Binding", false, true},
        {"tapered Tight-Binding", true, true},
    };
    constexpr double From = 1.3, To = 2.3;  // A
    constexpr int Intervals = 2000;
    for (const Case& c : cases) {
        KernelCrystalSpec spec =
            CopperAtoms({{0, 0, 0}, {From, 0, 0}, {0, 2.4, 0.8}, {1.0, -2.3, -1.0}});
        if (c.TightBinding) spec.Model = testing::TightBindingCopperModel();
        spec.Model.SmoothDensityJoin = c.Smooth;
        spec.Height = 100;
        KernelCrystal crystal(spec);
        ASSERT_TRUE(crystal.Ok) << c.Name;
        crystal.BuildLists(false, 2.0);
        ParticleTable& p = crystal.Particles;
        const double start = crystal.PotentialEnergyNow();
        const double h = (To - From) / Intervals * A;
        double work = 0;
        for (int k = 0; k <= Intervals; ++k) {
            p.X[2] = From * A + k * h;
            crystal.EvaluateForces();
            work += (k == 0 || k == Intervals ? 1 : k % 2 ? 4 : 2) * p.FX[2];
        }
        work *= h / 3;
        const double mismatch = (work + crystal.PotentialEnergyNow() - start) * EvPerJoule;
        if (c.Smooth)
            EXPECT_NEAR(mismatch, 0.0, 1e-3) << c.Name;
        else
            EXPECT_GT(std::fabs(mismatch), 0.1) << c.Name << ": the step at r_hi";
    }
}

// ---------------------------------------------------------------------------
// The fast passes against the pair functions, bit for bit.

// The forces, sums and factors the three passes must give, written out pair
// by pair with the look-up's general functions, in list order.
struct ReferenceForces {
    std::vector<double> FX, FY, FZ, Density, Factor;
};

ReferenceForces ComputeReference(const KernelCrystal& c) {
    const ParticleTable& p = c.Particles;
    const PartnerLists& lists = c.Lists;
    const std::int32_t n = p.AtomCount;
    const std::vector<double> zero(n + 1, 0.0);
    ReferenceForces out{zero, zero, zero, zero, zero};
    PotentialView v = c.View();
    v.EmbeddingFactor = out.Factor.data();
    const double rc2 = c.Model.CutoffRadius * c.Model.CutoffRadius;
    const double rhi2 = v.DensityRadius * v.DensityRadius;  // r_lo^2 with the tapered density
    const std::int32_t first = c.SelfBombard ? 0 : 1;
    const auto d2Of = [&](std::int32_t i, std::int32_t j) {
        const double dy = p.Y[i] - p.Y[j], dx = p.X[i] - p.X[j], dz = p.Z[i] - p.Z[j];
        return dy * dy + dx * dx + dz * dz;
    };
    std::vector<double>& rho = out.Density;
    for (std::int32_t i = first; i <= n; ++i)
        for (std::uint32_t k = lists.Start[i]; k < lists.Start[i + 1]; ++k) {
            const std::int32_t j = lists.Index[k];
            const double d2 = d2Of(i, j);
            if (c.Model.NBodyActive && d2 <= rc2 && d2 > rhi2) {
                const double contribution = DensityContribution(v, i, j, std::sqrt(d2));
                rho[i] += contribution;
                rho[j] += contribution;
            }
        }
    out.Factor = rho;
    if (c.Model.NBodyActive)
        for (std::int32_t i = first; i <= n; ++i)
            if (rho[i] > 1e-50) out.Factor[i] = 0.5 / std::sqrt(rho[i]);
    for (std::int32_t i = 0; i <= n; ++i)
        for (std::uint32_t k = lists.Start[i]; k < lists.Start[i + 1]; ++k) {
            const std::int32_t j = lists.Index[k];
            const double d2 = d2Of(i, j);
            if (d2 > rc2) continue;
            const ForceVector f = PairForce(v, i, j, std::sqrt(d2), p.X[i] - p.X[j], p.Y[i] - p.Y[j],
                                            p.Z[i] - p.Z[j]);
            out.FX[i] += f.X;
            out.FY[i] += f.Y;
            out.FZ[i] += f.Z;
            out.FX[j] -= f.X;
            out.FY[j] -= f.Y;
            out.FZ[j] -= f.Z;
        }
    return out;
}

void ExpectSameForces(const ParticleTable& p, const ReferenceForces& expected, const std::string& what) {
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        ASSERT_EQ(p.FX[i], expected.FX[i]) << what << ", particle " << i;
        ASSERT_EQ(p.FY[i], expected.FY[i]) << what << ", particle " << i;
        ASSERT_EQ(p.FZ[i], expected.FZ[i]) << what << ", particle " << i;
        ASSERT_EQ(p.Density[i], expected.Density[i]) << what << ", particle " << i;
        ASSERT_EQ(p.EmbeddingFactor[i], expected.Factor[i]) << what << ", particle " << i;
    }
}

// On any number of threads too: every sum receives the same shares in the
// same order.
TEST(Forces, EqualThePairFunctionsSummedInListOrder) {
    struct Case {
        const char* Name;
        KernelCrystalSpec Spec;
        bool BruteForce;
        double ListMargin;  // A beyond r_c
    };
    KernelCrystalSpec close = CopperCrystal(2);
    close.DeltaX = 0.3, close.DeltaY = 0.2, close.Height = 1.1;  // inside r_lo of atom 1
    KernelCrystalSpec selfBombard = BinaryCrystal(2);
    selfBombard.ProjectileZ = 29;
    selfBombard.ProjectileMassAmu = 63.546;
    selfBombard.DeltaX = 0.3, selfBombard.DeltaY = 0.2, selfBombard.Height = 1.9;
    selfBombard.SelfBombard = true;
    KernelCrystalSpec taperedSelfBombard = selfBombard;
    taperedSelfBombard.Model.SmoothDensityJoin = true;
    // Lists no wider than the cut-off: every listed pair acts, more than the
    // force evaluation first makes room for, so its gathered pairs grow.
    KernelCrystalSpec noDensity = CopperCrystal(3);
    noDensity.Model.DensityStrength = {0, 0, 0};
    const Case cases[] = {{"elemental", close, true, 1.0},
                          {"elemental, cell index", close, false, 1.0},
                          {"lists as wide as the cut-off", CopperCrystal(3), false, 0.0},
                          {"binary", BinaryCrystal(2), true, 1.0},
                          {"binary self-bombardment", selfBombard, false, 1.0},
                          {"larger binary crystal", BinaryCrystal(4), false, 1.0},
                          {"no density term", noDensity, false, 1.0},
                          {"tapered binary self-bombardment", taperedSelfBombard, false, 1.0}};
    for (const Case& c : cases) {
        for (const int threads : {1, 2, 3, 8}) {
            const std::string what = std::string(c.Name) + ", " + std::to_string(threads) + " threads";
            KernelCrystal crystal(c.Spec);
            ASSERT_TRUE(crystal.Ok) << what;
            WorkerPool pool(threads);
            crystal.Workers = &pool;
            Shake(crystal, 0.3, 11);
            ParticleTable& p = crystal.Particles;
            // Two atoms closer than r_lo.
            p.X[5] = p.X[4] + 0.9 * A;
            p.Y[5] = p.Y[4];
            p.Z[5] = p.Z[4];
            crystal.BuildLists(c.BruteForce, c.ListMargin);
            const std::size_t room = crystal.Scratch.InsideIndex.size();
            const ReferenceForces expected = ComputeReference(crystal);
            crystal.EvaluateForces();
            ExpectSameForces(p, expected, what);
            ClearForcesAndDensity(p);
            const ForceStatus status =
                EvaluateStepForces(p, crystal.Lists, crystal.Scratch, crystal.Forces(), nullptr);
            ExpectSameForces(p, expected, what);
            EXPECT_FALSE(status.DensityFault || status.ForceFault) << what;
            if (c.ListMargin == 0.0 && threads == 1) {
                EXPECT_GT(crystal.Scratch.GatheredPairs, room) << what;
            }
        }
    }
}

TEST(Forces, InitialEvaluationKeepsTheForcesAsThePreviousOnes) {
    KernelCrystal crystal(CopperCrystal(2));
    ASSERT_TRUE(crystal.Ok);
    Shake(crystal, 0.1, 1);
    crystal.BuildLists();
    crystal.EvaluateForces();
    const ParticleTable& p = crystal.Particles;
    EXPECT_EQ(p.PrevFX, p.FX);
    EXPECT_EQ(p.PrevFY, p.FY);
    EXPECT_EQ(p.PrevFZ, p.FZ);
}

// ---------------------------------------------------------------------------
// Region edges and options.

TEST(Forces, PairAtExactlyTheCutoffStillActsAndOneBeyondDoesNot) {
    for (const double separation : {7.6, 7.6001}) {
        KernelCrystalSpec spec = CopperAtoms({{0, 0, 0}, {separation, 0, 0}});
        spec.Model.UseSwitching = false;
        KernelCrystal crystal(spec);
        ASSERT_TRUE(crystal.Ok);
        crystal.BuildLists(true);
        crystal.EvaluateForces();
        const ParticleTable& p = crystal.Particles;
        if (separation == 7.6) {
            EXPECT_GT(p.Density[1], 0.0);
            EXPECT_EQ(p.Density[1], p.Density[2]);
            EXPECT_NE(p.FX[1], 0.0);
        } else {
            EXPECT_EQ(p.Density[1], 0.0);
            EXPECT_EQ(p.FX[1], 0.0);
        }
        EXPECT_EQ(p.FX[1], -p.FX[2]);
    }
}

TEST(Forces, PairAtExactlyTheHighSplineRadiusAddsNoDensity) {
    KernelCrystal crystal(CopperAtoms({{0, 0, 0}, {2.1, 0, 0}}));
    ASSERT_TRUE(crystal.Ok);
    crystal.BuildLists(true);
    crystal.EvaluateForces();
    const ParticleTable& p = crystal.Particles;
    EXPECT_EQ(p.Density[1], 0.0);
    EXPECT_EQ(p.Density[2], 0.0);
    EXPECT_EQ(p.EmbeddingFactor[1], 0.0);
    // The pair force of the spline, with no density term.
    EXPECT_EQ(p.FX[1], -TableLookup(crystal.Tables.PairForce[AA].data(), 2.1 * A) * 2.1 * A);
}

TEST(Forces, WithoutAnNBodyPartNoDensityIsSummed) {
    KernelCrystalSpec spec = CopperCrystal(2);
    spec.Model.DensityStrength = {0, 0, 0};
    KernelCrystal crystal(spec);
    ASSERT_TRUE(crystal.Ok);
    ASSERT_FALSE(crystal.Model.NBodyActive);
    Shake(crystal, 0.1, 2);
    crystal.BuildLists();
    crystal.EvaluateForces();
    const ParticleTable& p = crystal.Particles;
    double largest = 0;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        EXPECT_EQ(p.Density[i], 0.0);
        EXPECT_EQ(p.EmbeddingFactor[i], 0.0);
        largest = std::max(largest, std::fabs(p.FX[i]));
    }
    EXPECT_GT(largest, 0.0);  // the pair forces still act
}

// Without self-bombardment the projectile adds nothing to the densities,
// even a nearest-neighbour distance from atom 1.  (That it feels only the
// screened repulsion is the look-up's rule, tested there.)
TEST(Forces, ProjectileAddsNoDensityWithoutSelfBombardment) {
    KernelCrystalSpec spec = CopperCrystal(2);
    spec.Height = 2.6;
    KernelCrystal with(spec);
    spec.Height = 30.0;
    KernelCrystal without(spec);
    ASSERT_TRUE(with.Ok && without.Ok);
    // Brute-force lists: the same order of the target's pairs in both.
    with.BuildLists(true);
    without.BuildLists(true);
    with.EvaluateForces();
    without.EvaluateForces();
    const ParticleTable& p = with.Particles;
    EXPECT_EQ(p.Density[0], 0.0);
    EXPECT_EQ(p.EmbeddingFactor[0], 0.0);
    for (std::int32_t i = 1; i <= p.AtomCount; ++i)
        ASSERT_EQ(p.Density[i], without.Particles.Density[i]) << i;
    EXPECT_GT(p.FZ[0], 0.0);  // repelled upwards
}

// With the brute-force search and IgnoreTargetForces only the projectile
// has partners: the target atoms feel the projectile alone.
TEST(Forces, EmptyListsLeaveOnlyTheForcesOfLowerIndexedPartners) {
    KernelCrystalSpec spec = CopperCrystal(2);
    spec.Height = 2.0;
    KernelCrystal crystal(spec);
    ASSERT_TRUE(crystal.Ok);
    const double radius = crystal.Model.CutoffRadius + 1 * A;
    BuildListsBruteForce(crystal.Particles, radius * radius, true, crystal.Lists);
    crystal.EvaluateForces();
    const ParticleTable& p = crystal.Particles;
    const PotentialView v = crystal.View();
    double sumZ = 0;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        const double dx = p.X[i] - p.X[0], dy = p.Y[i] - p.Y[0], dz = p.Z[i] - p.Z[0];
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (r > crystal.Model.CutoffRadius) {
            EXPECT_EQ(p.FX[i], 0.0) << i;
            continue;
        }
        const ForceVector f = PairForce(v, 0, i, r, -dx, -dy, -dz);
        EXPECT_EQ(p.FZ[i], -f.Z) << i;
        sumZ += p.FZ[i];
    }
    EXPECT_DOUBLE_EQ(p.FZ[0], -sumZ);
}

TEST(Forces, ImageForceActsInTheStepEvaluationOnly) {
    KernelCrystalSpec spec = CopperCrystal(2);
    spec.ProjectileFlags = ImageCharge;
    spec.Height = 12.0;
    KernelCrystal crystal(spec);
    ASSERT_TRUE(crystal.Ok);
    InelasticParameters image;
    image.ImageEnergy = 5.0 * JoulesPerEvInput;
    image.ImageDistance = 1.0 * A;
    image.ImageLengthSquare = std::pow(CoulombConstant / image.ImageEnergy, 2);
    ParticleTable& p = crystal.Particles;
    p.Flags[3] |= ImageCharge;  // a target atom below the image plane
    crystal.BuildLists();

    crystal.EvaluateForces();
    const std::vector<double> initial = p.FZ;
    ClearForcesAndDensity(p);
    EvaluateStepForces(p, crystal.Lists, crystal.Scratch, crystal.Forces(), &image);
    const double pull = ImageForce(image, p.Z[0]);
    EXPECT_LT(pull, 0.0);  // towards the surface
    EXPECT_EQ(p.FZ[0], initial[0] + pull);
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) EXPECT_EQ(p.FZ[i], initial[i]) << i;
}

// ---------------------------------------------------------------------------
// Floating-point faults.

// Two atoms on one spot, alone (the projectile far above): their pair
// faults in every step, neither gets a force, so they stay together.
TEST(ForceFaults, CoincidentAtomsFaultTheForcePassEachStepAndTheStepsComplete) {
    KernelCrystalSpec spec = CopperAtoms({{0, 0, 0}, {0, 0, 0}});
    spec.Height = 20.0;
    KernelCrystal crystal(spec);
    ASSERT_TRUE(crystal.Ok);
    crystal.BuildLists(true);
    ParticleTable& p = crystal.Particles;
    p.VZ[0] = -1e4;
    const double z0 = p.Z[0];
    const double dt = 1e-15;
    std::feclearexcept(FE_ALL_EXCEPT);
    for (int step = 1; step <= 3; ++step) {
        const ForceStatus status = crystal.Step(dt);
        EXPECT_FALSE(status.DensityFault) << "step " << step;
        EXPECT_TRUE(status.ForceFault) << "step " << step;
    }
    // No fault is left raised for the caller, and every step moved the
    // particles on.
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0);
    EXPECT_DOUBLE_EQ(p.Z[0], z0 + 3 * p.VZ[0] * dt);
    for (std::int32_t i = 1; i <= 2; ++i) {
        EXPECT_EQ(p.X[i], 0.0);
        EXPECT_EQ(p.VX[i], 0.0);
        EXPECT_EQ(p.FX[i], 0.0);
    }
}

// The force pass stops at the faulting pair: every pair listed before it
// has acted, it and all later ones have not.
TEST(ForceFaults, ForcePassKeepsThePairsBeforeTheFault) {
    KernelCrystal crystal(CopperCrystal(2));
    ASSERT_TRUE(crystal.Ok);
    ParticleTable& p = crystal.Particles;
    p.X[9] = p.X[6], p.Y[9] = p.Y[6], p.Z[9] = p.Z[6];
    crystal.BuildLists();
    const PartnerLists& lists = crystal.Lists;

    // The reference, stopped at pair (6, 9).
    std::feclearexcept(FE_ALL_EXCEPT);
    crystal.EvaluateForces();  // embedding factors as the step will have them
    std::feclearexcept(FE_ALL_EXCEPT);
    const std::vector<double> factors = p.EmbeddingFactor;
    PotentialView v = crystal.View();
    v.EmbeddingFactor = factors.data();
    std::vector<double> fx(p.AtomCount + 1, 0.0);
    bool reached = false;
    for (std::int32_t i = 0; i <= p.AtomCount && !reached; ++i)
        for (std::uint32_t k = lists.Start[i]; k < lists.Start[i + 1]; ++k) {
            const std::int32_t j = lists.Index[k];
            if (i == 6 && j == 9) {
                reached = true;
                break;
            }
            const double dy = p.Y[i] - p.Y[j], dx = p.X[i] - p.X[j], dz = p.Z[i] - p.Z[j];
            const double d2 = dy * dy + dx * dx + dz * dz;
            if (d2 > crystal.Model.CutoffRadius * crystal.Model.CutoffRadius) continue;
            const ForceVector f = PairForce(v, i, j, std::sqrt(d2), dx, dy, dz);
            fx[i] += f.X;
            fx[j] -= f.X;
        }
    ASSERT_TRUE(reached);

    ClearForcesAndDensity(p);
    const ForceStatus status =
        EvaluateStepForces(p, crystal.Lists, crystal.Scratch, crystal.Forces(), nullptr);
    EXPECT_FALSE(status.DensityFault);
    EXPECT_TRUE(status.ForceFault);
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) ASSERT_EQ(p.FX[i], fx[i]) << i;
    EXPECT_EQ(p.EmbeddingFactor, factors);  // the densities were not disturbed
}

TEST(ForceFaults, CoordinateThatIsNotANumberFaultsBothPassesAndTheDistancesAreStored) {
    KernelCrystal crystal(CopperCrystal(2));
    ASSERT_TRUE(crystal.Ok);
    crystal.BuildLists();
    ParticleTable& p = crystal.Particles;
    p.Y[12] = std::nan("");
    ClearForcesAndDensity(p);
    const ForceStatus status =
        EvaluateStepForces(p, crystal.Lists, crystal.Scratch, crystal.Forces(), nullptr);
    EXPECT_TRUE(status.DensityFault);
    EXPECT_TRUE(status.ForceFault);
    // The distances of every pair were stored, whatever the density pass met.
    const PartnerLists& lists = crystal.Lists;
    const std::int32_t last = p.AtomCount - 1;
    const std::uint32_t k = lists.Start[last];
    ASSERT_LT(k, lists.Start[last + 1]);
    const std::int32_t j = lists.Index[k];
    const double dy = p.Y[last] - p.Y[j], dx = p.X[last] - p.X[j], dz = p.Z[last] - p.Z[j];
    EXPECT_EQ(lists.DistSq[k], dy * dy + dx * dx + dz * dz);
    std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(ForceFaults, FaultsRaisedBeforeThePassesStayAndTheirOwnAreCleared) {
    KernelCrystal crystal(CopperCrystal(2));
    ASSERT_TRUE(crystal.Ok);
    crystal.BuildLists();
    ParticleTable& p = crystal.Particles;
    crystal.EvaluateForces();
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_OVERFLOW);
    ClearForcesAndDensity(p);
    EvaluateStepForces(p, crystal.Lists, crystal.Scratch, crystal.Forces(), nullptr);
    EXPECT_NE(std::fetestexcept(FE_OVERFLOW), 0);
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO), 0);

    p.X[9] = p.X[6], p.Y[9] = p.Y[6], p.Z[9] = p.Z[6];
    std::feclearexcept(FE_ALL_EXCEPT);
    ClearForcesAndDensity(p);
    const ForceStatus status =
        EvaluateStepForces(p, crystal.Lists, crystal.Scratch, crystal.Forces(), nullptr);
    EXPECT_TRUE(status.ForceFault);
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0);
}

// A fault on any thread ends the same pass at the same pair, and leaves the
// caller's flags, as the serial passes do.
TEST(ForceFaults, ThreadedPassesFaultAsTheSerialOnes) {
    struct Case {
        const char* Name;
        std::int32_t Spoiled;  // particle moved onto particle 6, or given a NaN
        bool NotANumber;
        bool DensityFault, ForceFault;
    };
    const Case cases[] = {{"coordinate that is not a number", 40, true, true, true},
                          {"coincident atoms", 90, false, false, true},
                          {"no fault", 0, false, false, false}};
    struct Outcome {
        int InitialFlags = 0, StepFlags = 0;
        ForceStatus Status;
        std::vector<double> Values;  // forces, densities, factors, distances
    };
    const auto run = [](const Case& c, int threads) {
        KernelCrystal crystal(CopperCrystal(3));
        EXPECT_TRUE(crystal.Ok);
        WorkerPool pool(threads);
        crystal.Workers = &pool;
        Shake(crystal, 0.2, 3);
        ParticleTable& p = crystal.Particles;
        if (c.Spoiled > 0 && !c.NotANumber)
            p.X[c.Spoiled] = p.X[6], p.Y[c.Spoiled] = p.Y[6], p.Z[c.Spoiled] = p.Z[6];
        crystal.BuildLists();
        if (c.NotANumber) p.Y[c.Spoiled] = std::nan("");
        constexpr int Faults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
        Outcome out;
        std::feclearexcept(FE_ALL_EXCEPT);
        crystal.EvaluateForces();
        out.InitialFlags = std::fetestexcept(Faults);
        std::feclearexcept(FE_ALL_EXCEPT);
        ClearForcesAndDensity(p);
        out.Status = EvaluateStepForces(p, crystal.Lists, crystal.Scratch, crystal.Forces(), nullptr);
        out.StepFlags = std::fetestexcept(Faults);
        for (const std::vector<double>* v :
             {&p.FX, &p.FY, &p.FZ, &p.Density, &p.EmbeddingFactor, &crystal.Lists.DistSq})
            out.Values.insert(out.Values.end(), v->begin(), v->end());
        return out;
    };
    const auto bits = [](const std::vector<double>& v) {
        std::vector<std::uint64_t> b(v.size());
        std::memcpy(b.data(), v.data(), v.size() * sizeof(double));
        return b;
    };
    for (const Case& c : cases) {
        const Outcome serial = run(c, 1);
        EXPECT_EQ(serial.Status.DensityFault, c.DensityFault) << c.Name;
        EXPECT_EQ(serial.Status.ForceFault, c.ForceFault) << c.Name;
        EXPECT_EQ(serial.InitialFlags != 0, c.DensityFault || c.ForceFault) << c.Name;
        EXPECT_EQ(serial.StepFlags, 0) << c.Name;
        for (const int threads : {2, 3, 8}) {
            const Outcome threaded = run(c, threads);
            EXPECT_EQ(threaded.Status.DensityFault, c.DensityFault) << c.Name << ", " << threads;
            EXPECT_EQ(threaded.Status.ForceFault, c.ForceFault) << c.Name << ", " << threads;
            EXPECT_EQ(threaded.InitialFlags, serial.InitialFlags) << c.Name << ", " << threads;
            EXPECT_EQ(threaded.StepFlags, 0) << c.Name << ", " << threads;
            EXPECT_TRUE(bits(threaded.Values) == bits(serial.Values)) << c.Name << ", " << threads;
        }
    }
    std::feclearexcept(FE_ALL_EXCEPT);
}

// The initial evaluation reports nothing: its faults are left raised for
// the trajectory driver.
TEST(ForceFaults, InitialEvaluationLeavesItsFaultsRaised) {
    KernelCrystal crystal(CopperCrystal(2));
    ASSERT_TRUE(crystal.Ok);
    crystal.BuildLists();
    crystal.Particles.X[4] = std::nan("");
    std::feclearexcept(FE_ALL_EXCEPT);
    crystal.EvaluateForces();
    EXPECT_NE(std::fetestexcept(FE_INVALID), 0);
    // Pairs at a distance that is not a number add no density.
    EXPECT_EQ(crystal.Particles.EmbeddingFactor[4], 0.0);
    std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace vantrel
