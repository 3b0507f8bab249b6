#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "core/potential_forms.h"
#include "core/potential_tables.h"
#include "core/table_lookup.h"
#include "io/model_file_writer.h"
#include "tests/support/test_job.h"

namespace vantrel {
namespace {

constexpr double EvPerAngstrom = EvPerJoule * MetresPerAngstrom;  // (J/m) -> (eV/A)

double CentralDifference(double (*f)(const PairParameters&, double), const PairParameters& p,
                         double r, double h) {
    return (f(p, r + h) - f(p, r - h)) / (2 * h);
}

TEST(PotentialForms, SlopesAreTheDerivativesOfTheForms) {
    PairParameters sc;
    sc.PotentialType = 0;
    sc.Energy = 1.2382e-2 * JoulesPerEvInput;
    sc.Length = 3.61e-10;
    sc.Repulsive = 9;
    sc.DensityExponent = 6;
    sc.AttractiveWeight = 0.3;  // exercise the attractive term too
    sc.DensityStrength = 39.432;
    PairParameters tb = sc;
    tb.PotentialType = 1;
    tb.Energy = 0.171 * JoulesPerEvInput;
    tb.Length = 2.556e-10;
    tb.Repulsive = 10.96;
    tb.DensityExponent = 4.556;
    tb.DensityStrength = 1.224 * JoulesPerEvInput;
    for (const PairParameters& p : {sc, tb}) {
        for (double r : {1.2e-10, 2.0e-10, 2.55e-10, 4.0e-10, 7.0e-10}) {
            const double h = 1e-15;
            const double phiSlope = PairPotentialSlope(p, r);
            EXPECT_NEAR(phiSlope, CentralDifference(PairPotential, p, r, h),
                        1e-6 * std::fabs(phiSlope))
                << p.PotentialType << " " << r;
            const double fSlope = DensityFunctionSlope(p, r);
            EXPECT_NEAR(fSlope, CentralDifference(DensityFunction, p, r, h),
                        1e-6 * std::fabs(fSlope))
                << p.PotentialType << " " << r;
        }
    }
    // The forms themselves at one point, from the definitions.
    EXPECT_DOUBLE_EQ(PairPotential(sc, 3.0e-10),
                     sc.Energy * (std::pow(3.61 / 3.0, 9) - 0.3 * std::pow(3.61 / 3.0, 6)));
    EXPECT_DOUBLE_EQ(DensityFunction(sc, 3.0e-10),
                     std::pow(39.432 * sc.Energy, 2) * std::pow(3.61 / 3.0, 6));
    EXPECT_DOUBLE_EQ(PairPotential(tb, 3.0e-10),
                     tb.Energy * (std::exp(-10.96 * (3.0 / 2.556 - 1)) -
                                  0.3 * std::exp(-4.556 * (3.0 / 2.556 - 1))));
    EXPECT_DOUBLE_EQ(DensityFunction(tb, 3.0e-10),
                     std::pow(tb.DensityStrength, 2) * std::exp(-4.556 * (3.0 / 2.556 - 1)));
}

TEST(PotentialForms, SwitchingFunctionRunsSmoothlyFromOneToZero) {
    const SwitchingRange range{true, 7.3e-10, 7.6e-10};
    EXPECT_EQ(Switching(range, 7.3e-10), 1.0);
    EXPECT_EQ(Switching(range, 5.0e-10), 1.0);
    EXPECT_EQ(Switching(range, 7.6e-10), 0.0);
    EXPECT_EQ(Switching(range, 9.0e-10), 0.0);
    EXPECT_EQ(SwitchingSlope(range, 7.0e-10), 0.0);
    EXPECT_EQ(SwitchingSlope(range, 8.0e-10), 0.0);
    // Halfway: u = 1/2, S = exp(1 / (1 - 8)).
    EXPECT_NEAR(Switching(range, 7.45e-10), std::exp(-1.0 / 7.0), 1e-13);
    double previous = 1.0;
    for (int i = 1; i < 300; ++i) {
        const double r = 7.3e-10 + i * 1e-13;
        const double s = Switching(range, r);
        EXPECT_LE(s, previous) << r;
        previous = s;
        const double h = 1e-16;
        const double slope = SwitchingSlope(range, r);
        const double difference = (Switching(range, r + h) - Switching(range, r - h)) / (2 * h);
        EXPECT_NEAR(slope, difference, 1e-5 * std::fabs(slope) + 1e3) << r;
        EXPECT_TRUE(std::isfinite(slope)) << r;
    }
    // Both ends join flatly: no overflow of u^-3 just above r_sw.
    EXPECT_NEAR(SwitchingSlope(range, 7.3e-10 + 1e-20), 0.0, 1e-6);
    EXPECT_NEAR(SwitchingSlope(range, 7.6e-10 - 1e-20), 0.0, 1e-6);
    const SwitchingRange off{false, 7.3e-10, 7.6e-10};
    EXPECT_EQ(Switching(off, 7.5e-10), 1.0);
    EXPECT_EQ(SwitchingSlope(off, 7.5e-10), 0.0);
}

struct TableCase {
    const char* Name;
    ModelFileDescription Model;
};

std::vector<TableCase> TableCases() {
    ModelFileDescription unswitched = testing::CopperModel();
    unswitched.UseSwitching = false;
    unswitched.CutoffRadius = 20.0;
    ModelFileDescription tbUnswitched = testing::TightBindingCopperModel();
    tbUnswitched.UseSwitching = false;
    return {{"Sutton-Chen Cu", testing::CopperModel()},
            {"Sutton-Chen Cu to 20 A", unswitched},
            {"Tight-Binding Cu", testing::TightBindingCopperModel()},
            {"Tight-Binding Cu unswitched", tbUnswitched}};
}

// Interpolated tables against the exact forms at random distances: the force
// errors stay within the precision check's 0.001 eV/A, the density within a
// millionth of a nearest-neighbour contribution.
TEST(PotentialTables, InterpolatedValuesMatchTheExactForms) {
    std::mt19937_64 engine(12345);
    for (const TableCase& c : TableCases()) {
        const ModelParameters m = ModelParametersOf(c.Model);
        PotentialTables tables;
        BuildPotentialTables(m, tables);
        const PairParameters p = PairParametersOf(m, AA);
        const double nearest = 2.55e-10;
        // Embedding factor of an atom in the crystal: q = 0.5 / sqrt(rho),
        // rho about twelve nearest-neighbour contributions.
        const double q = 0.5 / std::sqrt(12.0 * DensityFunction(p, nearest));
        const double margin = 2 * TableStep;  // keep clear of the region edges
        std::uniform_real_distribution<double> nbody(m.SplineHighRadius + margin,
                                                     m.CutoffRadius - margin);
        std::uniform_real_distribution<double> spline(m.SplineLowRadius,
                                                      m.SplineHighRadius - margin);
        double worstPair = 0, worstDensityForce = 0, worstDensity = 0;
        for (int i = 0; i < 20000; ++i) {
            const double r = i % 4 == 0 ? spline(engine) : nbody(engine);
            const double pairError =
                std::fabs(TableLookup(tables.PairForce[AA].data(), r) - ExactPairForce(m, AA, r)) *
                r * EvPerAngstrom;
            worstPair = std::max(worstPair, pairError);
            if (r > m.SplineHighRadius) {
                const double forceError =
                    std::fabs(TableLookup(tables.DensityForce[AA].data(), r) -
                              ExactDensityForce(m, AA, r)) *
                    r * 2 * q * EvPerAngstrom;
                worstDensityForce = std::max(worstDensityForce, forceError);
                const double densityError =
                    std::fabs(DensityLookup(tables.Density[AA].data(), r) - ExactDensity(m, AA, r)) /
                    DensityFunction(p, nearest);
                worstDensity = std::max(worstDensity, densityError);
            }
        }
        EXPECT_LT(worstPair, 0.001) << c.Name;
        EXPECT_LT(worstDensityForce, 0.001) << c.Name;
        EXPECT_LT(worstDensity, 1e-6) << c.Name;
        // And the tables are not trivially zero.
        EXPECT_GT(std::fabs(TableLookup(tables.DensityForce[AA].data(), 3e-10)), 0.0) << c.Name;
    }
}

TEST(PotentialTables, LayoutAndRegions) {
    const ModelParameters m = ModelParametersOf(testing::CopperModel());
    PotentialTables tables;
    BuildPotentialTables(m, tables);
    for (int t = AA; t <= AB; ++t) {
        ASSERT_EQ(tables.Density[t].size(), static_cast<std::size_t>(47502));
        ASSERT_EQ(tables.PairForce[t].size(), static_cast<std::size_t>(47502));
        ASSERT_EQ(tables.DensityForce[t].size(), static_cast<std::size_t>(47502));
        EXPECT_EQ(tables.PairForce[t].back(), 0.0f);  // the spare entry
    }
    const auto entry = [](double angstrom) { return static_cast<int>(std::lround(angstrom * 2500)) - 2500; };
    const std::vector<float>& pair = tables.PairForce[AA];
    const std::vector<float>& density = tables.Density[AA];
    // Entry 2500 is 1 A, on the spline; entry 50000 is 20 A.
    EXPECT_FLOAT_EQ(pair[0], static_cast<float>(-SplineSlope(m.SplineCoefficients[AA], 1e-10) / 1e-10));
    EXPECT_EQ(entry(20.0), 47500);
    // Density only for r_hi < r <= r_c.
    EXPECT_EQ(density[entry(2.1)], 0.0f);
    EXPECT_GT(density[entry(2.1) + 1], 0.0f);
    EXPECT_GT(density[entry(7.5)], 0.0f);
    EXPECT_EQ(density[entry(7.6)], 0.0f);  // switched to zero at r_c
    EXPECT_EQ(density[entry(7.6) + 1], 0.0f);
    // Beyond r_c the pair force is zero only because of the switching function.
    EXPECT_EQ(pair[entry(10.0)], 0.0f);
    ModelParameters unswitched = m;
    unswitched.UseSwitching = false;
    BuildPotentialTables(unswitched, tables);
    EXPECT_GT(tables.PairForce[AA][entry(10.0)], 0.0f);
    EXPECT_EQ(tables.Density[AA][entry(10.0)], 0.0f);
    EXPECT_GT(tables.Density[AA][entry(7.6)], 0.0f);  // r = r_c is still inside
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

// The density tables keep the precision of a float all the way to r_c:
// there rho is some 1e-40 J^2, among the subnormal floats, where it would
// keep only four or five digits if it were stored unscaled.
TEST(PotentialTables, DensityKeepsItsPrecisionOutToTheCutoff) {
    for (const TableCase& c : TableCases()) {
        ModelParameters m = ModelParametersOf(c.Model);
        m.UseSwitching = false;  // rho itself, not rho switched off to zero
        PotentialTables tables;
        BuildPotentialTables(m, tables);
        double worst = 0;
        for (double r = m.CutoffRadius - 1e-10; r < m.CutoffRadius - 2 * TableStep; r += 0.0137e-10) {
            const double exact = ExactDensity(m, AA, r);
            ASSERT_GT(exact, 0.0) << c.Name;
            worst = std::max(worst, std::fabs(DensityLookup(tables.Density[AA].data(), r) - exact) / exact);
        }
        EXPECT_LT(worst, 3e-7) << c.Name;
    }
}

// Screening lengths by code (universal, Lindhard, Firsov) and factor, for Ar
// on a Cu target and on a Cu-Ag target (a type-B projectile pairs AB with
// atom 1), and the records' exponents C_k / a.
TEST(ScreeningLengths, FollowTheFormulasAndThePairSpecies) {
    const auto length = [](int code, double a, double b) {
        if (code == 0) return 4.685e-11 / (std::pow(a, 0.23) + std::pow(b, 0.23));
        if (code == 1) return 4.685e-11 / std::sqrt(std::pow(a, 2.0 / 3) + std::pow(b, 2.0 / 3));
        return 4.685e-11 / std::pow(std::sqrt(a) + std::sqrt(b), 2.0 / 3);
    };
    const double constants[7] = {0.2016, 0.4029, 0.9423, 3.2, 0.3, 1.2, 6.0};
    for (int code : {0, 1, 2})
        for (double f : {1.0, 0.8})
            for (int zn : {29, 47})
                for (bool projectileIsB : {false, true}) {
                    ModelParameters m;
                    m.ProjectileScreeningCode = m.TargetScreeningCode = code;
                    m.ProjectileScreeningFactor = m.TargetScreeningFactor = f;
                    ASSERT_TRUE(ComputeScreeningLengths(m, {18, 29, zn, projectileIsB}).Ok());
                    FillScreeningRecords(m);
                    const PairValues& p = m.ProjectileScreeningLength;
                    const PairValues& t = m.TargetScreeningLength;
                    EXPECT_DOUBLE_EQ(p[AA], f * length(code, 18, 29));
                    EXPECT_DOUBLE_EQ(p[BB], f * length(code, 18, zn));
                    EXPECT_DOUBLE_EQ(p[AB], f * length(code, 18, projectileIsB ? 29 : zn));
                    EXPECT_DOUBLE_EQ(t[AA], f * length(code, 29, 29));
                    EXPECT_DOUBLE_EQ(t[BB], f * length(code, zn, zn));
                    EXPECT_DOUBLE_EQ(t[AB], f * length(code, 29, zn));
                    for (int k = 0; k < 7; ++k) {
                        EXPECT_NEAR(m.ProjectileScreening[AB].Exponent[k] * p[AB], constants[k], 1e-12);
                        EXPECT_NEAR(m.TargetScreening[BB].Exponent[k] * t[BB], constants[k], 1e-12);
                    }
                }
}

}  // namespace
}  // namespace vantrel
