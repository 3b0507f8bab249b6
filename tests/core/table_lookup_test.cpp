#include "core/table_lookup.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "core/potential_forms.h"
#include "core/screening.h"
#include "tests/support/kernel_crystal.h"

namespace vantrel {
namespace {

using testing::KernelCrystal;
using testing::KernelCrystalSpec;

// Two copper atoms 3 A apart and an argon projectile far above, with the
// model's tables built.
KernelCrystal CopperPair(bool switching = true) {
    KernelCrystalSpec spec;
    spec.Atoms = {{0, 0, 0, 29, 63.546, 0}, {3, 0, 0, 29, 63.546, 0}};
    spec.Model.UseSwitching = switching;
    return KernelCrystal(spec);
}

PotentialView ViewOf(const KernelCrystal& c, bool binary, bool selfBombard) {
    return MakePotentialView(c.Particles, c.Model, c.Tables, binary, selfBombard);
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

TEST(TableLookup, RegionsSwitchExactlyAtTheirRadii) {
    KernelCrystal c = CopperPair(false);
    ASSERT_TRUE(c.Ok);
    const ModelParameters& m = c.Model;
    c.Particles.EmbeddingFactor[1] = 2e18;
    c.Particles.EmbeddingFactor[2] = 3e18;
    const PotentialView v = c.View();
    const auto factor = [&](double r) { return PairForce(v, 1, 2, r, r, 0, 0).X / r; };
    const float* pair = c.Tables.PairForce[AA].data();
    const float* density = c.Tables.DensityForce[AA].data();

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

// Without self-bombardment the projectile feels a purely repulsive screened
// force out to the cut-off, in the N-body range too, and reads no table.
TEST(TableLookup, ProjectileFeelsOnlyTheScreenedRepulsion) {
    KernelCrystal c = CopperPair();
    ASSERT_TRUE(c.Ok);
    // Poison every table and embedding factor: the projectile branch must not read them.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int t = AA; t <= AB; ++t) {
        std::fill(c.Tables.PairForce[t].begin(), c.Tables.PairForce[t].end(), nan);
        std::fill(c.Tables.DensityForce[t].begin(), c.Tables.DensityForce[t].end(), nan);
    }
    c.Particles.EmbeddingFactor[0] = c.Particles.EmbeddingFactor[1] =
        std::numeric_limits<double>::quiet_NaN();
    const ScreeningRecord& record = c.Model.ProjectileScreening[AA];
    const PotentialView v = c.View();
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
    EXPECT_TRUE(std::isnan(PairForce(ViewOf(c, false, true), 0, 1, 3e-10, 0, 0, 3e-10).Z));
}

TEST(TableLookup, ScreeningRecordSelection) {
    KernelCrystal c = CopperPair();
    ASSERT_TRUE(c.Ok);
    ModelParameters& m = c.Model;
    // Every record different: target t at 0.10 + 0.01 t A, projectile 0.20 + 0.01 t A.
    for (int t = AA; t <= AB; ++t) {
        m.TargetScreening[t] = MakeScreeningRecord((0.10 + 0.01 * t) * 1e-10);
        m.ProjectileScreening[t] = MakeScreeningRecord((0.20 + 0.01 * t) * 1e-10);
    }
    c.Particles.AtomicNumber[2] = 47;
    c.Particles.Flags[2] = TypeB;  // pair (1, 2) is AB, pair (0, 2) is AB
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
    for (const Case& k : cases) {
        m.TargetScreeningCode = k.UniversalTarget ? 0 : 1;
        m.ProjectileScreeningCode = k.UniversalProjectile ? 0 : 2;
        const ScreeningRecord& expected = k.Expected == TargetAA       ? m.TargetScreening[AA]
                                          : k.Expected == TargetAB     ? m.TargetScreening[AB]
                                          : k.Expected == ProjectileAA ? m.ProjectileScreening[AA]
                                                                       : m.ProjectileScreening[AB];
        const double r = 0.9e-10;  // below r_lo
        const int zi = k.I == 0 ? 18 : 29;
        const ForceVector f = PairForce(ViewOf(c, k.Binary, k.SelfBombard), k.I, 2, r, r, 0, 0);
        EXPECT_NEAR(f.X / r, ScreenedFactor(zi, 47, r, k.Universal, expected),
                    1e-12 * std::fabs(f.X / r))
            << "case i=" << k.I << " self=" << k.SelfBombard << " binary=" << k.Binary
            << " target universal=" << k.UniversalTarget;
    }
}

TEST(TableLookup, ElementalTargetUsesTheAaTablesWhateverTheFlags) {
    KernelCrystal c = CopperPair();
    ASSERT_TRUE(c.Ok);
    for (float& x : c.Tables.PairForce[BB]) x *= 2.0f;
    for (float& x : c.Tables.Density[BB]) x *= 3.0f;
    c.Particles.Flags[1] = c.Particles.Flags[2] = TypeB;
    const double r = 3e-10;
    const PotentialView elemental = ViewOf(c, false, false);
    const double aa = TableLookup(c.Tables.PairForce[AA].data(), r);
    EXPECT_DOUBLE_EQ(PairForceFactor(elemental, 1, 2, r), aa);
    EXPECT_DOUBLE_EQ(DensityContribution(elemental, 1, 2, r),
                     DensityLookup(c.Tables.Density[AA].data(), r));
    const PotentialView binary = ViewOf(c, true, false);
    EXPECT_NEAR(PairForceFactor(binary, 1, 2, r), 2 * aa, 1e-6 * std::fabs(aa));
    EXPECT_NEAR(DensityContribution(binary, 1, 2, r),
                3 * DensityLookup(c.Tables.Density[AA].data(), r),
                1e-6 * DensityLookup(c.Tables.Density[AA].data(), r));
}

}  // namespace
}  // namespace vantrel
