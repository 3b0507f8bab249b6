#include "engine/forces.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "engine/energy_report.h"
#include "engine/inelastic.h"
#include "engine/partner_lists.h"
#include "engine/table_lookup.h"
#include "engine/verlet.h"
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

TEST(Forces, AreMinusTheGradientOfTheReportedEnergyInAPerturbedCrystal) {
    SmallJob job;
    ASSERT_TRUE(job.SetUp(CopperCrystal(3))) << job.Ui.LogText();
    Shake(job, 0.15, 7);
    ASSERT_TRUE(job.Rebuild());
    // Surface atoms (1, 2) and atoms deep in the crystal.
    const std::int32_t n = job.State.Particles.AtomCount;
    const GradientCheck check = CompareWithGradient(job, {1, 2, n / 2, n / 2 + 1, n - 3});
    EXPECT_GT(check.LargestForce, 0.3);
    EXPECT_LT(check.WorstError, 1e-4);
}

}  // namespace
}  // namespace vantrel
