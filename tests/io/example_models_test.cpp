#include "io/example_models.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/screening.h"
#include "job/model_file.h"
#include "core/potential_forms.h"
#include "tests/support/test_job.h"

namespace vantrel {
namespace {

using testing::UiCall;

std::string ExamplePath(const std::string& name) {
    return std::string(VANTREL_SOURCE_DIR) + "/examples/models/" + name;
}

TEST(ExampleModels, FilesAreThoseTheGeneratorWrites) {
    const std::vector<ExampleModel> models = ExampleModels();
    ASSERT_EQ(models.size(), 5u);
    for (const ExampleModel& e : models) {
        EXPECT_EQ(testing::ReadFileBytes(ExamplePath(e.FileName)), ModelFileText(e.Description))
            << e.FileName << ": regenerate with vantrel-spline --examples examples/models";
        EXPECT_TRUE(e.SplinesDecreasing) << e.FileName;
    }
}

TEST(ExampleModels, EachLoadsForArgonWithContinuousJoins) {
    for (const ExampleModel& e : ExampleModels()) {
        testing::TestJob job;
        job.Allocate(1);
        job.State.RunCounter = 1;
        job.State.Particles.AtomicNumber[0] = ExampleProjectileZ;
        job.State.Particles.AtomicNumber[1] = e.TargetZ;
        job.State.Particles.Mass[1] = e.Description.Mass;
        ASSERT_TRUE(ReadModelFile(job.State, ExamplePath(e.FileName))) << job.Ui.LogText();
        EXPECT_TRUE(job.Ui.Texts(UiCall::ErrorBox).empty()) << e.FileName;
        EXPECT_TRUE(job.Ui.Texts(UiCall::Question).empty()) << e.FileName;

        const ModelParameters& m = job.State.Model;
        const SplineCoefficients& c = m.SplineCoefficients[AA];
        const int z = e.TargetZ;
        const double lo = m.SplineLowRadius, hi = m.SplineHighRadius;
        const double v = ScreenedCoulombEnergy(z, z, lo, ScreeningFunction::Universal, m.TargetScreening[AA]);
        const double dv = ScreenedCoulombSlope(z, z, lo, ScreeningFunction::Universal, m.TargetScreening[AA]);
        const PairParameters p = PairParametersOf(m, AA);
        EXPECT_NEAR(SplineValue(c, lo), v, 1e-9 * v) << e.FileName;
        EXPECT_NEAR(SplineSlope(c, lo), dv, 1e-9 * std::fabs(dv)) << e.FileName;
        EXPECT_NEAR(SplineValue(c, hi), PairPotential(p, hi), 1e-9 * v) << e.FileName;
        EXPECT_NEAR(SplineSlope(c, hi), PairPotentialSlope(p, hi), 1e-9 * std::fabs(dv)) << e.FileName;
    }
}

// Distances from one atom of a perfect fcc crystal of lattice constant a to
// its neighbours up to rmax.
std::vector<double> FccNeighbours(double a, double rmax) {
    const double basis[4][3] = {{0, 0, 0}, {0.5, 0.5, 0}, {0.5, 0, 0.5}, {0, 0.5, 0.5}};
    const int cells = static_cast<int>(rmax / a) + 1;
    std::vector<double> r;
    for (int i = -cells; i <= cells; ++i)
        for (int j = -cells; j <= cells; ++j)
            for (int k = -cells; k <= cells; ++k)
                for (const auto& b : basis) {
                    const double d = a * std::sqrt(std::pow(i + b[0], 2) + std::pow(j + b[1], 2) +
                                                   std::pow(k + b[2], 2));
                    if (d > 0 && d <= rmax) r.push_back(d);
                }
    return r;
}

// Energy per atom of the crystal (eV): half its pair energies minus sqrt(rho).
double CohesiveEnergy(const ModelParameters& m, double a) {
    const PairParameters p = PairParametersOf(m, AA);
    const SwitchingRange range = SwitchingRangeOf(m);
    double pair = 0, rho = 0;
    for (double r : FccNeighbours(a, m.CutoffRadius)) {
        pair += Switching(range, r) * PairPotential(p, r);
        rho += Switching(range, r) * DensityFunction(p, r);
    }
    return (0.5 * pair - std::sqrt(rho)) * EvPerJoule;
}

// The cut-offs keep the crystal the potentials were made for: cohesive
// energy within 2 % of the element's and the energy minimum within 0.3 % of
// the lattice constant.
TEST(ExampleModels, CrystalKeepsItsCohesiveEnergyAndLatticeConstant) {
    struct Case {
        const char* File;
        double Cohesive;  // eV
        double Lattice;   // A
    };
    const Case cases[] = {{"cu_sutton_chen.mdl", 3.49, 3.61},
                          {"ni_sutton_chen.mdl", 4.44, 3.52},
                          {"ag_sutton_chen.mdl", 2.95, 4.09},
                          {"cu_tight_binding.mdl", 3.54, 2.556 * std::sqrt(2.0)}};
    for (const Case& c : cases) {
        ModelFileDescription d;
        for (const ExampleModel& e : ExampleModels())
            if (e.FileName == c.File) d = e.Description;
        const ModelParameters m = ModelParametersOf(d);
        const double a0 = c.Lattice * 1e-10;
        EXPECT_NEAR(-CohesiveEnergy(m, a0), c.Cohesive, 0.02 * c.Cohesive) << c.File;
        double best = a0, lowest = CohesiveEnergy(m, a0);
        for (int i = -40; i <= 40; ++i) {
            const double a = a0 * (1 + i * 1e-4);
            const double e = CohesiveEnergy(m, a);
            if (e < lowest) lowest = e, best = a;
        }
        EXPECT_NEAR(best / a0, 1.0, 0.003) << c.File;
        EXPECT_LT(std::fabs(best / a0 - 1.0), 0.0039) << c.File << ": minimum inside the scan";
    }
}

// The Tight-Binding file's 2A and 2q give exactly the usual per-atom form
//   E_i = sum_j A e^(-p (r/r0 - 1)) - sqrt(sum_j xi^2 e^(-2q (r/r0 - 1))).
TEST(ExampleModels, TightBindingFileReproducesThePerAtomForm) {
    const double A = 0.0855, xi = 1.224, p = 10.960, q = 2.278, r0 = 2.556;
    ModelFileDescription d = testing::TightBindingCopperModel();
    d.UseSwitching = false;
    const ModelParameters m = ModelParametersOf(d);
    for (double a : {3.5, 3.6147, 3.7}) {
        double pair = 0, rho = 0;
        for (double r : FccNeighbours(a * 1e-10, m.CutoffRadius)) {
            const double x = r * 1e10 / r0 - 1;
            pair += A * std::exp(-p * x);
            rho += xi * xi * std::exp(-2 * q * x);
        }
        const double usual = pair - std::sqrt(rho);
        EXPECT_NEAR(CohesiveEnergy(m, a * 1e-10), usual, 1e-6 * std::fabs(usual)) << a;
    }
}

}  // namespace
}  // namespace vantrel
