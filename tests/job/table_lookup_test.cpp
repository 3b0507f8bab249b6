#include "job/state_views.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "job/model_file.h"
#include "io/model_file_writer.h"
#include "core/potential_forms.h"
#include "tests/support/test_job.h"

namespace vantrel {
namespace {

using testing::TestJob;

// A job whose model has been read: projectile Ar, n target atoms of Cu.
struct LookupJob : TestJob {
    explicit LookupJob(const ModelFileDescription& model, int n = 4) {
        Allocate(n);
        State.RunCounter = 1;
        State.Particles.AtomicNumber[0] = 18;
        for (int i = 1; i <= n; ++i) {
            State.Particles.AtomicNumber[i] = 29;
            State.Particles.Mass[i] = 63.546;
        }
        Ok = ReadModelFile(State, Dir.Write("model.mdl", ModelFileText(model)));
    }
    bool Ok = false;
};

ModelFileDescription Unswitched() {
    ModelFileDescription d = testing::CopperModel();
    d.UseSwitching = false;
    return d;
}

// The pair energy of two target atoms (no density), piece by piece.
double TargetPairEnergy(const ModelParameters& m, PairType t, int za, int zb, double r) {
    if (r > m.CutoffRadius) return 0.0;
    if (r > m.SplineHighRadius)
        return Switching(SwitchingRangeOf(m), r) * PairPotential(PairParametersOf(m, t), r);
    if (r >= m.SplineLowRadius) return SplineValue(m.SplineCoefficients[t], r);
    return ScreenedCoulombEnergy(za, zb, r, ScreeningFunctionOfCode(m.TargetScreeningCode),
                                 m.TargetScreening[AA]);
}

double DensityOfPair(const ModelParameters& m, PairType t, double r) {
    if (!(r > m.SplineHighRadius && r <= m.CutoffRadius)) return 0.0;
    return Switching(SwitchingRangeOf(m), r) * DensityFunction(PairParametersOf(m, t), r);
}

// -V'(r)/r of the screened-Coulomb energy, written out with the record's exponents.
double ScreenedFactor(int za, int zb, double r, bool universal, const ScreeningRecord& record) {
    const double c[4] = {0.0281, 0.2802, 0.5099, 0.1818};
    const double d[3] = {0.35, 0.55, 0.10};
    double sum = 0;
    if (universal) {
        for (int k = 0; k < 4; ++k)
            sum += c[k] * std::exp(-record.Exponent[k] * r) * (1 / r + record.Exponent[k]);
    } else {
        for (int k = 0; k < 3; ++k)
            sum += d[k] * std::exp(-record.Exponent[4 + k] * r) * (1 / r + record.Exponent[4 + k]);
    }
    return 2.30712175676602e-28 * za * zb / (r * r) * sum;
}

TEST(TableLookup, InterpolatesLinearlyBetweenTruncatedEntries) {
    std::vector<float> table(TableEntries + 1, 0.0f);
    for (int i = 0; i < TableEntries; ++i) table[i] = static_cast<float>(i % 1000);
    // Entry k = 2510 holds 10, 2511 holds 11.
    EXPECT_DOUBLE_EQ(TableLookup(table.data(), 2510.25 * 4e-14), 10.25);
    // Truncation, not rounding: 2510.999 still interpolates from entry 2510.
    EXPECT_NEAR(TableLookup(table.data(), 2510.999 * 4e-14), 10.999, 1e-9);
    table[11] = 100.0f;
    EXPECT_NEAR(TableLookup(table.data(), 2510.999 * 4e-14), 10.0 + 0.999 * 90.0, 1e-9);
    EXPECT_DOUBLE_EQ(TableLookup(table.data(), 1.0e-10), 0.0);
    // 20 A exactly reads entry 50000 and the spare zero entry after it.
    table[TableEntries - 1] = 7.0f;
    EXPECT_DOUBLE_EQ(TableLookup(table.data(), 2.0e-9), 7.0);
    EXPECT_DOUBLE_EQ(TableLookup(table.data(), 49999.5 * 4e-14), 499.0 + 0.5 * (7.0 - 499.0));
    const TablePoint p = TablePointOf(1.5e-10);
    EXPECT_EQ(p.Position, 3750 - 2500);
    EXPECT_DOUBLE_EQ(p.Fraction, 1.5e-10 * 2.5e13 - 3750);
}

TEST(TableLookup, PairTypeFromTheTypeBBits) {
    struct Case {
        std::uint32_t I, J;
        PairType Type;
    };
    const Case cases[] = {{0, 0, AA}, {0, 1, AB}, {1, 0, AB}, {1, 1, BB},
                          {8 | 32, 2, AA}, {1 | 16, 4, AB}, {0xFFFFFFFFu, 1, BB}};
    std::vector<std::uint32_t> flags(2);
    PotentialView v;
    v.Flags = flags.data();
    for (const Case& c : cases) {
        flags = {c.I, c.J};
        v.Flags = flags.data();
        EXPECT_EQ(PairTypeOf(v, 0, 1), c.Type) << c.I << " " << c.J;
    }
}

// Forces on a small cluster from the look-ups, summed the way the force loop
// does, are minus the gradient of the cluster's energy
//   E = sum_pairs V(r) - sum_i sqrt(rho_i),
// with pairs in every region: screened Coulomb, spline, N-body, beyond r_c.
TEST(TableLookup, ClusterForcesAreTheNegativeEnergyGradient) {
    for (const ModelFileDescription& model : {testing::CopperModel(), Unswitched(),
                                              testing::TightBindingCopperModel()}) {
        LookupJob job(model, 5);
        ASSERT_TRUE(job.Ok) << job.Ui.LogText();
        SimulationState& s = job.State;
        ParticleTable& p = s.Particles;
        // Particle 0 (the projectile) sits far away and takes no part.
        const double at[6][3] = {{100, 100, 100}, {0, 0, 0},     {1.25, 0.1, 0},
                                 {0.2, 1.8, 0.1}, {2.0, 2.2, 1.6}, {-3.1, 4.9, 2.0}};
        for (int i = 0; i <= 5; ++i) {
            p.X[i] = at[i][0] * 1e-10;
            p.Y[i] = at[i][1] * 1e-10;
            p.Z[i] = at[i][2] * 1e-10;
        }
        const ModelParameters& m = s.Model;
        const auto energy = [&]() {
            std::vector<double> rho(6, 0.0);
            double e = 0;
            for (int i = 1; i <= 5; ++i)
                for (int j = i + 1; j <= 5; ++j) {
                    const double r = std::hypot(p.X[i] - p.X[j], p.Y[i] - p.Y[j], p.Z[i] - p.Z[j]);
                    e += TargetPairEnergy(m, AA, 29, 29, r);
                    rho[i] += DensityOfPair(m, AA, r);
                    rho[j] += DensityOfPair(m, AA, r);
                }
            for (int i = 1; i <= 5; ++i) e -= std::sqrt(rho[i]);
            return e;
        };
        // Force pass: densities, embedding factors, then pair forces.
        std::vector<double> fx(6, 0), fy(6, 0), fz(6, 0);
        std::vector<double>& q = p.Density;
        std::fill(q.begin(), q.end(), 0.0);
        PotentialView view = MakePotentialView(s);
        for (int i = 1; i <= 5; ++i)
            for (int j = i + 1; j <= 5; ++j) {
                const double r = std::hypot(p.X[i] - p.X[j], p.Y[i] - p.Y[j], p.Z[i] - p.Z[j]);
                if (r > m.SplineHighRadius && r <= m.CutoffRadius) {
                    const double d = DensityContribution(view, i, j, r);
                    q[i] += d;
                    q[j] += d;
                }
            }
        for (int i = 1; i <= 5; ++i) q[i] = q[i] > 0 ? 0.5 / std::sqrt(q[i]) : 0.0;
        for (int i = 1; i <= 5; ++i)
            for (int j = i + 1; j <= 5; ++j) {
                const double dx = p.X[i] - p.X[j], dy = p.Y[i] - p.Y[j], dz = p.Z[i] - p.Z[j];
                const ForceVector f = PairForce(view, i, j, std::hypot(dx, dy, dz), dx, dy, dz);
                fx[i] += f.X, fy[i] += f.Y, fz[i] += f.Z;
                fx[j] -= f.X, fy[j] -= f.Y, fz[j] -= f.Z;
            }
        const double h = 1e-15;
        for (int i = 1; i <= 5; ++i) {
            for (int axis = 0; axis < 3; ++axis) {
                std::vector<double>& x = axis == 0 ? p.X : axis == 1 ? p.Y : p.Z;
                const double keep = x[i];
                x[i] = keep + h;
                const double up = energy();
                x[i] = keep - h;
                const double down = energy();
                x[i] = keep;
                const double gradient = -(up - down) / (2 * h);
                const double force = axis == 0 ? fx[i] : axis == 1 ? fy[i] : fz[i];
                // Single-precision tables: a millionth of the force, or
                // 1e-4 eV/A, whichever is larger.
                EXPECT_NEAR(force, gradient, 1e-5 * std::fabs(gradient) + 1.6e-14)
                    << model.PotentialType << " atom " << i << " axis " << axis;
            }
        }
    }
}

TEST(TableLookup, EachRegionGivesMinusTheSlopeOfItsPairEnergy) {
    LookupJob job(testing::CopperModel(), 2);
    ASSERT_TRUE(job.Ok);
    SimulationState& s = job.State;
    const ModelParameters& m = s.Model;
    // Two atoms: the embedding factors of the N-body region are those of a
    // pair alone, q = 0.5 / sqrt(S f(r)); below r_hi they do not count.
    for (double angstrom : {1.05, 1.3, 1.45, 1.8, 2.05, 2.3, 2.55, 3.6, 5.0, 7.35, 7.55}) {
        const double r = angstrom * 1e-10;
        const double rho = DensityOfPair(m, AA, r);
        s.Particles.Density[1] = s.Particles.Density[2] = rho > 0 ? 0.5 / std::sqrt(rho) : 1e30;
        const auto energy = [&](double x) {
            return TargetPairEnergy(m, AA, 29, 29, x) - 2 * std::sqrt(DensityOfPair(m, AA, x));
        };
        const double h = 1e-15;
        const double slope = (energy(r + h) - energy(r - h)) / (2 * h);
        const ForceVector f = PairForce(MakePotentialView(s), 1, 2, r, 0.6 * r, -0.8 * r, 0.0);
        EXPECT_NEAR(f.X, -slope * 0.6, 1e-5 * std::fabs(slope) + 1e-14) << angstrom;
        EXPECT_NEAR(f.Y, slope * 0.8, 1e-5 * std::fabs(slope) + 1e-14) << angstrom;
        EXPECT_EQ(f.Z, 0.0);
    }
}

TEST(TableLookup, RegionsSwitchExactlyAtTheirRadii) {
    LookupJob job(Unswitched(), 2);
    ASSERT_TRUE(job.Ok);
    SimulationState& s = job.State;
    const ModelParameters& m = s.Model;
    s.Particles.Density[1] = 2e18;
    s.Particles.Density[2] = 3e18;
    const PotentialView v = MakePotentialView(s);
    const auto factor = [&](double r) { return PairForce(v, 1, 2, r, r, 0, 0).X / r; };
    const float* pair = s.Tables.PairForce[AA].data();
    const float* density = s.Tables.DensityForce[AA].data();

    // r_c is still evaluated; one table step beyond it nothing is.
    const double rc = m.CutoffRadius;
    EXPECT_NE(factor(rc), 0.0);
    EXPECT_DOUBLE_EQ(factor(rc), TableLookup(pair, rc) + 5e18 * TableLookup(density, rc));
    EXPECT_EQ(factor(std::nextafter(rc, 1.0)), 0.0);
    EXPECT_EQ(factor(rc + TableStep), 0.0);

    // At r_hi the density term is absent, just above it present.
    const double rhi = m.SplineHighRadius;
    EXPECT_DOUBLE_EQ(factor(rhi), TableLookup(pair, rhi));
    const double above = rhi + TableStep;
    EXPECT_DOUBLE_EQ(factor(above), TableLookup(pair, above) + 5e18 * TableLookup(density, above));
    EXPECT_GT(std::fabs(TableLookup(density, above)), 0.0);

    // At r_lo the table; just below it the screened-Coulomb function.
    const double rlo = m.SplineLowRadius;
    EXPECT_DOUBLE_EQ(factor(rlo), TableLookup(pair, rlo));
    const double below = std::nextafter(rlo, 0.0);
    EXPECT_DOUBLE_EQ(factor(below), ScreenedFactor(29, 29, below, true, m.TargetScreening[AA]));
    // The spline joins the screened repulsion continuously.
    EXPECT_NEAR(factor(below), factor(rlo), 1e-5 * factor(rlo));
}

TEST(TableLookup, ProjectileFeelsOnlyTheScreenedRepulsion) {
    LookupJob job(testing::CopperModel(), 2);
    ASSERT_TRUE(job.Ok);
    SimulationState& s = job.State;
    // Poison every table and embedding factor: the projectile branch must not read them.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int t = AA; t <= AB; ++t) {
        std::fill(s.Tables.PairForce[t].begin(), s.Tables.PairForce[t].end(), nan);
        std::fill(s.Tables.DensityForce[t].begin(), s.Tables.DensityForce[t].end(), nan);
    }
    s.Particles.Density[0] = s.Particles.Density[1] = std::numeric_limits<double>::quiet_NaN();
    const ModelParameters& m = s.Model;
    const ScreeningRecord& record = m.ProjectileScreening[AA];
    const PotentialView v = MakePotentialView(s);
    for (double angstrom : {0.3, 1.0, 1.45, 2.0, 2.5, 4.0, 7.59}) {
        const double r = angstrom * 1e-10;
        const ForceVector f = PairForce(v, 0, 1, r, 0, 0, r);
        const double h = 1e-16;
        const double slope = (ScreenedCoulombEnergy(18, 29, r + h, ScreeningFunction::Universal, record) -
                              ScreenedCoulombEnergy(18, 29, r - h, ScreeningFunction::Universal, record)) /
                             (2 * h);
        EXPECT_NEAR(f.Z, -slope, 1e-6 * std::fabs(slope)) << angstrom;
        EXPECT_GT(f.Z, 0.0) << angstrom;  // purely repulsive
    }
    EXPECT_EQ(PairForce(v, 0, 1, 7.61e-10, 0, 0, 7.61e-10).Z, 0.0);
    // In a self-bombardment the projectile reads the tables like a target atom.
    s.Program.Options.SelfBombard = true;
    EXPECT_TRUE(std::isnan(PairForce(MakePotentialView(s), 0, 1, 3e-10, 0, 0, 3e-10).Z));
}

TEST(TableLookup, ScreeningRecordSelection) {
    LookupJob job(testing::CopperModel(), 2);
    ASSERT_TRUE(job.Ok);
    SimulationState& s = job.State;
    ModelParameters& m = s.Model;
    // Every record different: target t at 0.10 + 0.01 t A, projectile 0.20 + 0.01 t A.
    for (int t = AA; t <= AB; ++t) {
        m.TargetScreening[t] = MakeScreeningRecord((0.10 + 0.01 * t) * 1e-10);
        m.ProjectileScreening[t] = MakeScreeningRecord((0.20 + 0.01 * t) * 1e-10);
    }
    s.Particles.AtomicNumber[2] = 47;
    s.Particles.Flags[2] = TypeB;  // pair (1, 2) is AB, pair (0, 2) is AB
    enum Record { TargetAA, TargetAB, ProjectileAA, ProjectileAB };
    struct Case {
        int I;
        bool SelfBombard, Binary, UniversalTarget, UniversalProjectile;
        Record Expected;
        bool Universal;
    };
    const Case cases[] = {
        {1, false, true, true, true, TargetAB, true},           // target pair, binary
        {1, false, false, true, true, TargetAA, true},          // target pair, elemental
        {1, false, true, false, true, TargetAA, false},         // Moliere: AA exponents
        {0, true, true, true, true, ProjectileAB, true},        // projectile as a target atom
        {0, true, false, true, true, TargetAA, true},
        {0, true, true, false, true, TargetAA, false},
        {0, false, true, true, true, ProjectileAB, true},       // projectile branch
        {0, false, false, true, true, ProjectileAA, true},
        {0, false, true, true, false, ProjectileAA, false},     // Moliere projectile
    };
    for (const Case& c : cases) {
        s.Program.Options.SelfBombard = c.SelfBombard;
        s.BinaryTarget = c.Binary;
        m.TargetScreeningCode = c.UniversalTarget ? 0 : 1;
        m.ProjectileScreeningCode = c.UniversalProjectile ? 0 : 2;
        const ScreeningRecord& expected = c.Expected == TargetAA       ? m.TargetScreening[AA]
                                          : c.Expected == TargetAB     ? m.TargetScreening[AB]
                                          : c.Expected == ProjectileAA ? m.ProjectileScreening[AA]
                                                                       : m.ProjectileScreening[AB];
        const double r = 0.9e-10;  // below r_lo
        const int zi = c.I == 0 ? 18 : 29;
        const ForceVector f = PairForce(MakePotentialView(s), c.I, 2, r, r, 0, 0);
        EXPECT_NEAR(f.X / r, ScreenedFactor(zi, 47, r, c.Universal, expected),
                    1e-12 * std::fabs(f.X / r))
            << "case i=" << c.I << " self=" << c.SelfBombard << " binary=" << c.Binary
            << " target universal=" << c.UniversalTarget;
    }
}

TEST(TableLookup, ElementalTargetUsesTheAaTablesWhateverTheFlags) {
    LookupJob job(testing::CopperModel(), 2);
    ASSERT_TRUE(job.Ok);
    SimulationState& s = job.State;
    for (float& x : s.Tables.PairForce[BB]) x *= 2.0f;
    for (float& x : s.Tables.Density[BB]) x *= 3.0f;
    s.Particles.Flags[1] = s.Particles.Flags[2] = TypeB;
    s.Particles.Density[1] = s.Particles.Density[2] = 0.0;
    const double r = 3e-10;
    s.BinaryTarget = false;
    const PotentialView elemental = MakePotentialView(s);
    const double aa = TableLookup(s.Tables.PairForce[AA].data(), r);
    EXPECT_DOUBLE_EQ(PairForceFactor(elemental, 1, 2, r), aa);
    EXPECT_DOUBLE_EQ(DensityContribution(elemental, 1, 2, r),
                     DensityLookup(s.Tables.Density[AA].data(), r));
    s.BinaryTarget = true;
    const PotentialView binary = MakePotentialView(s);
    EXPECT_NEAR(PairForceFactor(binary, 1, 2, r), 2 * aa, 1e-6 * std::fabs(aa));
    EXPECT_NEAR(DensityContribution(binary, 1, 2, r),
                3 * DensityLookup(s.Tables.Density[AA].data(), r),
                1e-6 * DensityLookup(s.Tables.Density[AA].data(), r));
}

}  // namespace
}  // namespace vantrel
