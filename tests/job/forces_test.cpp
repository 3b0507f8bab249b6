#include "job/forces.h"

#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "job/energy_report.h"
#include "job/inelastic.h"
#include "job/partner_lists.h"
#include "core/screening.h"
#include "job/state_views.h"
#include "job/verlet.h"
#include "core/spline_fit.h"
#include "tests/support/small_job.h"

namespace vantrel {
namespace {

using testing::SmallJob;
using testing::SmallJobSpec;
using testing::UiCall;

constexpr double A = MetresPerAngstrom;
// Forces in eV/A.
constexpr double EvPerAngstrom = EvPerJoule * MetresPerAngstrom;

// Shakes every target atom by up to `amplitude` A on each axis (the lists
// are rebuilt afterwards).
void Shake(SmallJob& job, double amplitude, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> d(-amplitude * A, amplitude * A);
    ParticleTable& p = job.State.Particles;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        p.X[i] += d(gen);
        p.Y[i] += d(gen);
        p.Z[i] += d(gen);
    }
}

// Potential energy (J) at the current positions: a force evaluation leaves
// the embedding factors the energy reads.
double EnergyAt(SmallJob& job) {
    EvaluateInitialForces(job.State);
    return PotentialEnergy(job.State);
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
double NumericalForce(SmallJob& job, std::int32_t i, int axis, double h) {
    ParticleTable& p = job.State.Particles;
    double& x = Coordinate(p, i, axis);
    const double x0 = x;
    const auto difference = [&](double step) {
        x = x0 + step;
        const double plus = EnergyAt(job);
        x = x0 - step;
        const double minus = EnergyAt(job);
        x = x0;
        return -(plus - minus) / (2 * step);
    };
    const double coarse = difference(h);
    const double fine = difference(h / 2);
    EvaluateInitialForces(job.State);
    return (4 * fine - coarse) / 3;
}

struct GradientCheck {
    double WorstError = 0;  // eV/A
    double LargestForce = 0;  // eV/A
};

GradientCheck CompareWithGradient(SmallJob& job, const std::vector<std::int32_t>& particles,
                                  double h = 0.008 * A) {
    GradientCheck check;
    EvaluateInitialForces(job.State);
    const ParticleTable& p = job.State.Particles;
    for (const std::int32_t i : particles) {
        for (int axis = 0; axis < 3; ++axis) {
            EvaluateInitialForces(job.State);
            const double analytic = Force(p, i, axis) * EvPerAngstrom;
            const double numeric = NumericalForce(job, i, axis, h) * EvPerAngstrom;
            check.WorstError = std::max(check.WorstError, std::fabs(analytic - numeric));
            check.LargestForce = std::max(check.LargestForce, std::fabs(analytic));
        }
    }
    return check;
}

SmallJobSpec CopperCrystal(int cells) {
    SmallJobSpec spec;
    spec.Crystal.Cells = {cells, cells, cells};
    return spec;
}

// Copper atoms at explicit positions (A), the projectile 10 A above atom 1.
SmallJobSpec CopperAtoms(const std::vector<std::array<double, 3>>& positions) {
    SmallJobSpec spec;
    for (const auto& r : positions) spec.Atoms.push_back({r[0], r[1], r[2], 29, 63.546, 0});
    return spec;
}

// The binary crystal: a third of the atoms are species B with a Ni-like
// pair potential of their own and mixed AB parameters.
SmallJobSpec BinaryCrystal(int cells) {
    SmallJobSpec spec = CopperCrystal(cells);
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

// The forces and factors the three passes must give, written out pair by
// pair with the look-up's general functions, in list order.
struct ReferenceForces {
    std::vector<double> FX, FY, FZ, Factor;
};

ReferenceForces ComputeReference(const SimulationState& s) {
    const ParticleTable& p = s.Particles;
    const PartnerLists& lists = s.Partners;
    const std::int32_t n = p.AtomCount;
    ReferenceForces out{std::vector<double>(n + 1, 0.0), std::vector<double>(n + 1, 0.0),
                        std::vector<double>(n + 1, 0.0), std::vector<double>(n + 1, 0.0)};
    PotentialView v = MakePotentialView(s);
    v.EmbeddingFactor = out.Factor.data();
    const double rc2 = s.Model.CutoffRadius * s.Model.CutoffRadius;
    const double rhi2 = s.Model.SplineHighRadius * s.Model.SplineHighRadius;
    const std::int32_t first = s.Program.Options.SelfBombard ? 0 : 1;
    const auto d2Of = [&](std::int32_t i, std::int32_t j) {
        const double dy = p.Y[i] - p.Y[j], dx = p.X[i] - p.X[j], dz = p.Z[i] - p.Z[j];
        return dy * dy + dx * dx + dz * dz;
    };
    std::vector<double>& rho = out.Factor;
    for (std::int32_t i = first; i <= n; ++i)
        for (std::uint32_t k = lists.Start[i]; k < lists.Start[i + 1]; ++k) {
            const std::int32_t j = lists.Index[k];
            const double d2 = d2Of(i, j);
            if (s.Model.NBodyActive && d2 <= rc2 && d2 > rhi2) {
                const double c = DensityContribution(v, i, j, std::sqrt(d2));
                rho[i] += c;
                rho[j] += c;
            }
        }
    if (s.Model.NBodyActive)
        for (std::int32_t i = first; i <= n; ++i)
            if (rho[i] > 1e-50) rho[i] = 0.5 / std::sqrt(rho[i]);
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

void ExpectSameForces(const SimulationState& s, const ReferenceForces& expected, const char* what) {
    const ParticleTable& p = s.Particles;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        ASSERT_EQ(p.FX[i], expected.FX[i]) << what << ", particle " << i;
        ASSERT_EQ(p.FY[i], expected.FY[i]) << what << ", particle " << i;
        ASSERT_EQ(p.FZ[i], expected.FZ[i]) << what << ", particle " << i;
        ASSERT_EQ(p.Density[i], expected.Factor[i]) << what << ", particle " << i;
    }
}

// ---------------------------------------------------------------------------
// Forces as the gradient of the energy.
//
// Tolerance: the energy takes rho from the interpolated density table and
// the force takes rho'/r from its own table; linear interpolation of rho
// over a table step of 4e-4 A is off by about h^2/8 rho'' (1e-7 of a
// nearest-neighbour share of the embedding energy, some 1e-8 eV), which
// the central difference over 2 x 0.008 A turns into a few 1e-5 eV/A per
// atom.  Longer steps do worse where a pair lies in the switching range
// just inside r_c, whose high derivatives are large.  1e-4 eV/A leaves a
// margin of three or more; a wrong or missing term of the N-body force is
// of order 0.1 eV/A.

constexpr double GradientTolerance = 1e-4;  // eV/A
constexpr double GradientStep = 0.008 * A;

TEST(Forces, AreMinusTheGradientOfTheReportedEnergyInAPerturbedCrystal) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(CopperCrystal(3))) << job.Ui.LogText();
    Shake(job, 0.15, 7);
    ASSERT_TRUE(job.Rebuild());
    // Surface atoms (1, 2) and atoms deep in the crystal.
    const std::int32_t n = job.State.Particles.AtomCount;
    const GradientCheck check = CompareWithGradient(job, {1, 2, n / 2, n / 2 + 1, n - 3}, GradientStep);
    EXPECT_GT(check.LargestForce, 0.3);
    EXPECT_LT(check.WorstError, GradientTolerance);
}

TEST(Forces, AreMinusTheGradientInABinaryCrystal) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(BinaryCrystal(3))) << job.Ui.LogText();
    ASSERT_TRUE(job.State.BinaryTarget);
    Shake(job, 0.15, 8);
    ASSERT_TRUE(job.Rebuild());
    const ParticleTable& p = job.State.Particles;
    std::vector<std::int32_t> chosen;  // two of each species
    int a = 0, b = 0;
    for (std::int32_t i = p.AtomCount / 3; i <= p.AtomCount && chosen.size() < 4; ++i) {
        if ((p.Flags[i] & TypeB) ? b++ < 2 : a++ < 2) chosen.push_back(i);
    }
    ASSERT_EQ(chosen.size(), 4u);
    const GradientCheck check = CompareWithGradient(job, chosen, GradientStep);
    EXPECT_GT(check.LargestForce, 0.3);
    EXPECT_LT(check.WorstError, GradientTolerance);
}

// With self-bombardment the projectile is a target atom: N-body forces
// reach it and its own embedding energy counts.
TEST(Forces, AreMinusTheGradientForASelfBombardingProjectile) {
    SmallJobSpec spec = CopperCrystal(3);
    spec.ProjectileZ = 29;
    spec.ProjectileMassAmu = 63.546;
    spec.Impact = {0.9, 0.4, 2.3};
    SmallJob job;
    job.Program.Options.SelfBombard = true;
    ASSERT_TRUE(job.SetUp(spec)) << job.Ui.LogText();
    Shake(job, 0.1, 9);
    ASSERT_TRUE(job.Rebuild());
    EvaluateInitialForces(job.State);
    EXPECT_GT(job.State.Particles.Density[0], 0.0);  // the projectile has an embedding factor
    const GradientCheck check = CompareWithGradient(job, {0, 1, 2}, GradientStep);
    EXPECT_GT(check.LargestForce, 0.3);
    EXPECT_LT(check.WorstError, GradientTolerance);
}

// One pair on the joining spline, one closer than r_lo (screened Coulomb),
// and a projectile 3 A from atom 1 (screened Coulomb out to r_c): the
// energies there are analytic in both the tables and the report.
TEST(Forces, AreMinusTheGradientOnTheSplineBelowItAndForTheProjectile) {
    struct Case {
        const char* Name;
        double Separation;  // A, between atoms 1 and 2
        double Height;      // A, projectile above atom 1
        std::int32_t Moved;
        double Tolerance;   // relative
    };
    const Case cases[] = {{"spline", 1.8, 20.0, 2, 1e-5},
                          {"screened", 1.2, 20.0, 2, 1e-6},
                          {"projectile", 6.0, 3.0, 0, 1e-6}};
    for (const Case& c : cases) {
        SmallJobSpec spec = CopperAtoms({{0, 0, 0}, {c.Separation * 0.6, c.Separation * 0.8, 0}});
        spec.Impact = {0.5, -0.3, c.Height};
        SmallJob job;
        ASSERT_TRUE(job.SetUp(spec)) << c.Name << job.Ui.LogText();
        const GradientCheck check = CompareWithGradient(job, {c.Moved}, 0.002 * A);
        EXPECT_GT(check.LargestForce, 0.5) << c.Name;
        EXPECT_LT(check.WorstError, c.Tolerance * check.LargestForce) << c.Name;
    }
}

// ---------------------------------------------------------------------------
// The fast passes against the pair functions, bit for bit.

TEST(Forces, EqualThePairFunctionsSummedInListOrder) {
    struct Case {
        const char* Name;
        SmallJobSpec Spec;
        bool SelfBombard;
        bool BruteForce;
    };
    SmallJobSpec close = CopperCrystal(2);
    close.Impact = {0.3, 0.2, 1.1};  // the projectile inside r_lo of atom 1
    SmallJobSpec selfBombard = BinaryCrystal(2);
    selfBombard.ProjectileZ = 29;
    selfBombard.ProjectileMassAmu = 63.546;
    selfBombard.Impact = {0.3, 0.2, 1.9};
    // Lists no wider than the cut-off: every listed pair acts, more than
    // the force evaluation first makes room for.
    SmallJobSpec narrow = CopperCrystal(2);
    narrow.PartnerUpdateInterval = 1;
    const Case cases[] = {{"elemental", close, false, true},
                          {"elemental, cell index", close, false, false},
                          {"lists as wide as the cut-off", narrow, false, false},
                          {"binary", BinaryCrystal(2), false, true},
                          {"binary self-bombardment", selfBombard, true, false}};
    for (const Case& c : cases) {
        SmallJob job;
        job.Program.Options.SelfBombard = c.SelfBombard;
        job.Program.Options.NeighbourSearch = c.BruteForce;
        ASSERT_TRUE(job.SetUp(c.Spec)) << c.Name << job.Ui.LogText();
        Shake(job, 0.3, 11);
        ParticleTable& p = job.State.Particles;
        // Two atoms closer than r_lo.
        p.X[5] = p.X[4] + 0.9 * A;
        p.Y[5] = p.Y[4];
        p.Z[5] = p.Z[4];
        ASSERT_TRUE(job.Rebuild());
        const ReferenceForces expected = ComputeReference(job.State);
        EvaluateInitialForces(job.State);
        ExpectSameForces(job.State, expected, c.Name);
        ClearForcesAndDensity(job.State);
        EvaluateStepForces(job.State);
        ExpectSameForces(job.State, expected, c.Name);
        EXPECT_TRUE(job.Ui.Texts(UiCall::ErrorBox).empty()) << c.Name;
    }
}

TEST(Forces, InitialEvaluationKeepsTheForcesAsThePreviousOnes) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(CopperCrystal(2)));
    Shake(job, 0.1, 1);
    ASSERT_TRUE(job.Rebuild());
    const ParticleTable& p = job.State.Particles;
    EvaluateInitialForces(job.State);
    EXPECT_EQ(p.PrevFX, p.FX);
    EXPECT_EQ(p.PrevFY, p.FY);
    EXPECT_EQ(p.PrevFZ, p.FZ);
}

// ---------------------------------------------------------------------------
// Region edges and options.

ModelFileDescription Unswitched() {
    ModelFileDescription m = testing::CopperModel();
    m.UseSwitching = false;
    return m;
}

TEST(Forces, PairAtExactlyTheCutoffStillActsAndOneBeyondDoesNot) {
    for (const double separation : {7.6, 7.6001}) {
        SmallJobSpec spec = CopperAtoms({{0, 0, 0}, {separation, 0, 0}});
        spec.Model = Unswitched();
        SmallJob job;
        ASSERT_TRUE(job.SetUp(spec));
        EvaluateInitialForces(job.State);
        const ParticleTable& p = job.State.Particles;
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
    SmallJobSpec spec = CopperAtoms({{0, 0, 0}, {2.1, 0, 0}});
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    EvaluateInitialForces(job.State);
    const ParticleTable& p = job.State.Particles;
    EXPECT_EQ(p.Density[1], 0.0);
    EXPECT_EQ(p.Density[2], 0.0);
    // The pair force of the spline, with no density term.
    EXPECT_EQ(p.FX[1], -TableLookup(job.State.Tables.PairForce[AA].data(), 2.1 * A) * 2.1 * A);
}

TEST(Forces, WithoutAnNBodyPartNoDensityIsSummed) {
    SmallJobSpec spec = CopperCrystal(2);
    spec.Model.DensityStrength = {0, 0, 0};
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    ASSERT_FALSE(job.State.Model.NBodyActive);
    Shake(job, 0.1, 2);
    ASSERT_TRUE(job.Rebuild());
    EvaluateInitialForces(job.State);
    const ParticleTable& p = job.State.Particles;
    double largest = 0;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        EXPECT_EQ(p.Density[i], 0.0);
        largest = std::max(largest, std::fabs(p.FX[i]));
    }
    EXPECT_GT(largest, 0.0);  // the pair forces still act
}

// Without self-bombardment the projectile adds nothing to the densities
// and feels the screened-Coulomb force of its partners only, even in the
// N-body range.
TEST(Forces, ProjectileFeelsOnlyTheScreenedRepulsionAndAddsNoDensity) {
    SmallJobSpec spec = CopperCrystal(2);
    spec.Impact = {0.0, 0.0, 2.6};  // a nearest-neighbour distance above atom 1
    // Brute-force lists: the same order of the target's pairs in both jobs.
    SmallJob with;
    with.Program.Options.NeighbourSearch = true;
    ASSERT_TRUE(with.SetUp(spec));
    spec.Impact = {0.0, 0.0, 30.0};
    SmallJob without;
    without.Program.Options.NeighbourSearch = true;
    ASSERT_TRUE(without.SetUp(spec));
    EvaluateInitialForces(with.State);
    EvaluateInitialForces(without.State);
    const ParticleTable& p = with.State.Particles;
    EXPECT_EQ(p.Density[0], 0.0);
    for (std::int32_t i = 1; i <= p.AtomCount; ++i)
        ASSERT_EQ(p.Density[i], without.State.Particles.Density[i]) << i;
    // The force on the projectile from each partner is the screened one.
    double fz = 0;
    for (std::int32_t j = 1; j <= p.AtomCount; ++j) {
        const double dx = p.X[0] - p.X[j], dy = p.Y[0] - p.Y[j], dz = p.Z[0] - p.Z[j];
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (r > with.State.Model.CutoffRadius) continue;
        const double slope = ScreenedCoulombSlope(18, 29, r, ScreeningFunction::Universal,
                                                  with.State.Model.ProjectileScreening[AA]);
        fz += -slope * dz / r;
    }
    EXPECT_NEAR(p.FZ[0], fz, 1e-12 * std::fabs(fz));
    EXPECT_GT(p.FZ[0], 0.0);  // repelled upwards
}

// With the brute-force search and IgnoreTargetForces only the projectile
// has partners: the target atoms feel the projectile alone.
TEST(Forces, EmptyListsLeaveOnlyTheForcesOfLowerIndexedPartners) {
    SmallJobSpec spec = CopperCrystal(2);
    spec.Impact = {0.0, 0.0, 2.0};
    SmallJob job;
    job.Program.Options.IgnoreTargetForces = true;
    job.Program.Options.NeighbourSearch = true;
    ASSERT_TRUE(job.SetUp(spec));
    EvaluateInitialForces(job.State);
    const ParticleTable& p = job.State.Particles;
    double sumZ = 0;
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        const double dx = p.X[i] - p.X[0], dy = p.Y[i] - p.Y[0], dz = p.Z[i] - p.Z[0];
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (r > job.State.Model.CutoffRadius) {
            EXPECT_EQ(p.FX[i], 0.0) << i;
            continue;
        }
        const ForceVector f = PairForce(job.State, 0, i, r, -dx, -dy, -dz);
        EXPECT_EQ(p.FZ[i], -f.Z) << i;
        sumZ += p.FZ[i];
    }
    EXPECT_DOUBLE_EQ(p.FZ[0], -sumZ);
}

TEST(Forces, ImageForceActsInTheStepEvaluationOnly) {
    SmallJobSpec spec = CopperCrystal(2);
    spec.ProjectileFlags = ImageCharge;
    spec.Impact = {0.0, 0.0, 12.0};
    SmallJob job;
    job.Program.Options.UseImagePotential = true;
    ASSERT_TRUE(job.SetUp(spec));
    InelasticParameters& image = job.State.Inelastic;
    image.ImageEnergy = 5.0 * JoulesPerEvInput;
    image.ImageDistance = 1.0 * A;
    image.ImageLengthSquare = std::pow(CoulombConstant / image.ImageEnergy, 2);
    ParticleTable& p = job.State.Particles;
    p.Flags[3] |= ImageCharge;  // a target atom below the image plane

    EvaluateInitialForces(job.State);
    const std::vector<double> initial = p.FZ;
    ClearForcesAndDensity(job.State);
    EvaluateStepForces(job.State);
    const double pull = ImageForce(image, p.Z[0]);
    EXPECT_LT(pull, 0.0);  // towards the surface
    EXPECT_EQ(p.FZ[0], initial[0] + pull);
    EXPECT_EQ(p.FZ[3], initial[3]);  // no image force below the plane
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        if (i == 3) continue;
        EXPECT_EQ(p.FZ[i], initial[i]) << i;
    }
}

TEST(ImagePotential, ForceIsMinusTheSlopeAndTheBranchesMeetAtThePlane) {
    InelasticParameters image;
    image.ImageEnergy = 4.0 * JoulesPerEvInput;
    image.ImageDistance = 1.5 * A;
    image.ImageLengthSquare = std::pow(CoulombConstant / image.ImageEnergy, 2);
    EXPECT_DOUBLE_EQ(ImagePotential(image, image.ImageDistance), -image.ImageEnergy);
    EXPECT_NEAR(ImagePotential(image, image.ImageDistance + 1e-16), -image.ImageEnergy,
                1e-9 * image.ImageEnergy);
    EXPECT_EQ(ImagePotential(image, 0.0), -image.ImageEnergy);
    EXPECT_EQ(ImageForce(image, image.ImageDistance), 0.0);  // at the plane
    EXPECT_EQ(ImageForce(image, -3 * A), 0.0);
    for (const double z : {1.6, 2.0, 3.5, 8.0, 30.0}) {
        const double h = 1e-4 * A;
        const double slope =
            (ImagePotential(image, z * A + h) - ImagePotential(image, z * A - h)) / (2 * h);
        EXPECT_NEAR(ImageForce(image, z * A), -slope, 1e-7 * std::fabs(slope)) << z;
    }
    // Far above the plane the classical image energy -e^2 / (4 (z - z0)).
    const double z = 2000 * A;
    EXPECT_NEAR(ImagePotential(image, z), -CoulombConstant / (4 * (z - image.ImageDistance)),
                1e-6 * CoulombConstant / (4 * z));
}

// ---------------------------------------------------------------------------
// Floating-point faults.

// Atom `moved` put on top of atom `onto`.
void Coincide(SmallJob& job, std::int32_t moved, std::int32_t onto) {
    ParticleTable& p = job.State.Particles;
    p.X[moved] = p.X[onto];
    p.Y[moved] = p.Y[onto];
    p.Z[moved] = p.Z[onto];
}

// Two atoms on one spot, alone (the projectile far above): their pair
// faults in every step, neither gets a force, so they stay together.
TEST(ForceFaults, CoincidentAtomsGiveOneForceMessagePerStepAndTheStepsComplete) {
    SmallJobSpec spec = CopperAtoms({{0, 0, 0}, {0, 0, 0}});
    spec.Impact = {0.0, 0.0, 20.0};
    SmallJob job;
    ASSERT_TRUE(job.SetUp(spec));
    const ParticleTable& p = job.State.Particles;
    const double z0 = p.Z[0];
    std::feclearexcept(FE_ALL_EXCEPT);
    job.Ui.Clear();
    for (int step = 1; step <= 3; ++step) {
        VerletStep(job.State, job.Trajectory);
        const std::vector<std::string> errors = job.Ui.Texts(UiCall::ErrorBox);
        ASSERT_EQ(errors, std::vector<std::string>(step, ForceErrorText)) << "step " << step;
    }
    // No fault is left raised for the caller, and every step moved the
    // particles on.
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0);
    EXPECT_DOUBLE_EQ(p.Z[0], z0 + 3 * p.VZ[0] * job.Trajectory.Timestep);
    for (std::int32_t i = 1; i <= 2; ++i) {
        EXPECT_EQ(p.X[i], 0.0);
        EXPECT_EQ(p.VX[i], 0.0);
        EXPECT_EQ(p.FX[i], 0.0);
    }
}

// The force pass stops at the faulting pair: every pair listed before it
// has acted, it and all later ones have not.
TEST(ForceFaults, ForcePassKeepsThePairsBeforeTheFault) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(CopperCrystal(2)));
    Coincide(job, 9, 6);
    ASSERT_TRUE(job.Rebuild());
    SimulationState& s = job.State;
    const ParticleTable& p = s.Particles;
    const PartnerLists& lists = s.Partners;

    // The reference, stopped at pair (6, 9).
    EvaluateInitialForces(s);  // embedding factors as the step will have them
    const std::vector<double> factors = p.Density;
    PotentialView v = MakePotentialView(s);
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
            if (d2 > s.Model.CutoffRadius * s.Model.CutoffRadius) continue;
            const ForceVector f = PairForce(v, i, j, std::sqrt(d2), dx, dy, dz);
            fx[i] += f.X;
            fx[j] -= f.X;
        }
    ASSERT_TRUE(reached);

    ClearForcesAndDensity(s);
    job.Ui.Clear();
    EvaluateStepForces(s);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{ForceErrorText});
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) ASSERT_EQ(p.FX[i], fx[i]) << i;
    EXPECT_EQ(p.Density, factors);  // the densities were not disturbed
}

TEST(ForceFaults, CoordinateThatIsNotANumberGivesBothMessagesEachStep) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(CopperCrystal(2)));
    EvaluateInitialForces(job.State);
    job.State.Particles.Y[12] = std::nan("");
    job.Ui.Clear();
    for (int step = 1; step <= 2; ++step) VerletStep(job.State, job.Trajectory);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox),
              (std::vector<std::string>{RhoSumErrorText, ForceErrorText, RhoSumErrorText,
                                        ForceErrorText}));
    // The distances of every pair were stored, whatever the density pass met.
    const ParticleTable& p = job.State.Particles;
    const PartnerLists& lists = job.State.Partners;
    const std::int32_t last = p.AtomCount - 1;
    const std::uint32_t k = lists.Start[last];
    ASSERT_LT(k, lists.Start[last + 1]);
    const std::int32_t j = lists.Index[k];
    const double dy = p.Y[last] - p.Y[j], dx = p.X[last] - p.X[j], dz = p.Z[last] - p.Z[j];
    EXPECT_EQ(lists.DistSq[k], dy * dy + dx * dx + dz * dz);
}

TEST(ForceFaults, FaultsRaisedBeforeThePassesStayAndTheirOwnAreCleared) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(CopperCrystal(2)));
    EvaluateInitialForces(job.State);
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_OVERFLOW);
    ClearForcesAndDensity(job.State);
    EvaluateStepForces(job.State);
    EXPECT_NE(std::fetestexcept(FE_OVERFLOW), 0);
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO), 0);

    Coincide(job, 9, 6);
    std::feclearexcept(FE_ALL_EXCEPT);
    ClearForcesAndDensity(job.State);
    EvaluateStepForces(job.State);
    EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0);
    EXPECT_EQ(job.Ui.Texts(UiCall::ErrorBox), std::vector<std::string>{ForceErrorText});
}

// The initial evaluation reports nothing: its faults are left raised for
// the trajectory driver.
TEST(ForceFaults, InitialEvaluationLeavesItsFaultsRaised) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(CopperCrystal(2)));
    job.State.Particles.X[4] = std::nan("");
    std::feclearexcept(FE_ALL_EXCEPT);
    job.Ui.Clear();
    EvaluateInitialForces(job.State);
    EXPECT_NE(std::fetestexcept(FE_INVALID), 0);
    EXPECT_TRUE(job.Ui.Events.empty());
    // A density that is not a number leaves no embedding factor.
    EXPECT_EQ(job.State.Particles.Density[4], 0.0);
    std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace vantrel
