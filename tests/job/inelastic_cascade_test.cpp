// A small cascade with the electronic losses on: 1 keV Ar into a 256-atom
// Cu(100) crystal, stepped the way the trajectory driver steps it.  The
// energy the models take out is what their loss sums say: the energy
// balance of the run closes as well with them as without.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/energy_sums.h"
#include "core/verlet.h"
#include "io/example_models.h"
#include "job/forces.h"
#include "job/inelastic.h"
#include "job/partner_lists.h"
#include "job/state_views.h"
#include "job/verlet.h"
#include "tests/support/small_job.h"

namespace vantrel {
namespace {

using testing::SmallJob;
using testing::SmallJobSpec;

constexpr double Ev = 1.602192e-19;

// Copper held together by pair forces alone, phi = eps [(a/r)^12 - 2 (a/r)^6]
// with its minimum -eps at the nearest-neighbour distance a.  The N-body
// density term starts abruptly at r_hi, so every pair crossing r_hi in a
// cascade changes the energy by a jump no integration can follow; without
// it, energy is conserved to the accuracy of the steps even when atoms collide.
ModelFileDescription PairOnlyCopper() {
    ModelFileDescription d = testing::CopperModel();
    d.PairEnergy = {0.35, 0.35, 0.35};
    d.PairLength = {2.55, 2.55, 2.55};
    d.RepulsiveExponent = {12, 12, 12};
    d.DensityExponent = {6, 6, 6};
    d.AttractiveWeight = {2, 2, 2};
    d.DensityStrength = {0, 0, 0};
    FitExampleSplines(d, 29);
    return d;
}

struct CascadeResult {
    bool Ok = false;
    double InitialEnergy = 0;  // J
    double FinalEnergy = 0;    // J
    double LssLoss = 0, OrLoss = 0;
    // End energy, less what the models took, minus the start energy.
    double Balance() const { return FinalEnergy - (LssLoss + OrLoss) - InitialEnergy; }
};

double KineticEnergy(const ParticleTable& p) {
    long double sum = 0;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i)
        sum += 0.5L * p.Mass[i] * (p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]);
    return static_cast<double>(sum);
}

double TotalEnergy(SimulationState& s) {
    EvaluateInitialForces(s);  // the embedding factors the energy reads
    return KineticEnergy(s.Particles) + PotentialEnergy(EnergyViewOf(s), EnergyTermsOf(s), s.EnergyWork);
}

// 100 fs of the cascade: partner lists (and the OR records) every 10 steps,
// one Verlet step per iteration, the timestep rule every third step.
CascadeResult RunCascade(bool useModels) {
    CascadeResult result;
    SmallJob job;
    SmallJobSpec spec;
    spec.Model = PairOnlyCopper();
    spec.Crystal.Cells = {4, 4, 4};
    spec.EnergyKeV = 1.0;
    spec.Impact = {0.3, 0.4, 4.0};
    spec.TimestepFs = 0.05;
    SimulationOptions& o = job.Program.Options;
    o.Verbose = false;
    o.UseLSS = useModels;
    o.UseOR = useModels;
    // The example job's parameters (docs/inelastic.md).
    InelasticParameters& q = job.State.Inelastic;
    q.LssCount = 2;
    q.LssTable[0] = {18, 0.0850 * 112.3 * 1.602192e-14};
    q.LssTable[1] = {29, 0.0850 * 157.3 * 1.602192e-14};
    q.LssSpeedThreshold = 5500;
    q.OrCount = 2;
    q.OrTable[0] = {522, 112.3e-5 * 1.602192e-39 / (2 * std::numbers::pi)};
    q.OrTable[1] = {841, 157.3e-5 * 1.602192e-39 / (2 * std::numbers::pi)};
    q.OrScreeningCoefficient = 0.3;
    if (!job.SetUp(spec)) return result;

    SimulationState& s = job.State;
    TrajectoryState& t = job.Trajectory;
    EmptyInelasticPartnerLists(s);
    result.InitialEnergy = TotalEnergy(s);
    for (int step = 0; t.Time < 100e-15; ++step) {
        if (t.StepsSinceRebuild == s.Run.PartnerUpdateInterval) {
            if (step > 0 && !job.Rebuild()) return result;  // the set-up built the first lists
            if (o.UseOR) UpdateOrPartners(s, t);
            t.StepsSinceRebuild = 1;
        } else {
            ++t.StepsSinceRebuild;
        }
        VerletStep(s, t);
        t.Time += t.Timestep;
        ++t.StepCount;
        if (t.StepCount % 3 == 0) AdjustTimestep(s.Particles, s.Partners, s.Model.ProjectileOnlyTest, t);
    }
    result.FinalEnergy = TotalEnergy(s);
    result.LssLoss = s.LssLoss;
    result.OrLoss = s.OrLoss;
    result.Ok = job.Ui.Texts(testing::UiCall::ErrorBox).empty();
    return result;
}

TEST(InelasticCascade, EnergyBalanceWithLssAndOrIsAsSmallAsWithoutThem) {
    const CascadeResult plain = RunCascade(false);
    const CascadeResult lossy = RunCascade(true);
    ASSERT_TRUE(plain.Ok);
    ASSERT_TRUE(lossy.Ok);
    // The models took a quarter of the projectile's energy, the OR events
    // some tens of eV of it.
    EXPECT_LT(lossy.LssLoss, -100 * Ev);
    EXPECT_LT(lossy.OrLoss, -20 * Ev);
    EXPECT_LT(lossy.FinalEnergy, plain.FinalEnergy - 200 * Ev);
    const double losses = std::fabs(lossy.LssLoss + lossy.OrLoss);
    EXPECT_LT(std::fabs(plain.Balance()), 1e-3 * losses) << plain.Balance() / Ev << " eV";
    EXPECT_LT(std::fabs(lossy.Balance()), 2 * std::fabs(plain.Balance()) + 0.02 * Ev)
        << "with the models " << lossy.Balance() / Ev << " eV, without " << plain.Balance() / Ev
        << " eV, losses LSS " << lossy.LssLoss / Ev << " eV, OR " << lossy.OrLoss / Ev << " eV";
}

}  // namespace
}  // namespace vantrel
