#include "tests/support/small_job.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "job/forces.h"
#include "job/partner_lists.h"
#include "job/verlet.h"
#include "job/target_file.h"

namespace vantrel::testing {

bool SmallJob::SetUp(const SmallJobSpec& spec) {
    std::vector<CrystalAtom> atoms = spec.Atoms;
    std::string error;
    if (atoms.empty() && !BuildCrystal(spec.Crystal, atoms, error)) {
        Ui.ErrorBox(error);
        return false;
    }
    if (!WriteTargetFile(Dir.File("small.trg"), atoms, "small crystal", error)) {
        Ui.ErrorBox(error);
        return false;
    }
    ModelFileDescription model = spec.Model;
    model.StaticLattice = spec.StaticLattice ? 1 : 0;
    model.Mass = atoms.front().Mass;
    State.Inputs.Target = Dir.File("small.trg");
    State.Inputs.Model = Dir.Write("small.mdl", ModelFileText(model));

    constexpr double degree = std::numbers::pi / 180.0;
    State.Projectile.AtomicNumber = spec.ProjectileZ;
    State.Projectile.ProjectileMass = spec.ProjectileMassAmu;
    State.Projectile.FlagWord = spec.ProjectileFlags;
    State.Projectile.Energy = spec.EnergyKeV;
    State.Run.Altitude = spec.AltitudeDegrees * degree;
    State.Run.Azimuth = spec.AzimuthDegrees * degree;
    State.Run.InitialTimestep = spec.TimestepFs * SecondsPerFemtosecond;
    State.Run.PartnerUpdateInterval = spec.PartnerUpdateInterval;
    State.Run.MaxPartners = spec.MaxPartners;
    State.Impact = spec.Impact;
    Program.RandomSeed = spec.RandomSeed;

    const std::int32_t n = CountTargetAtoms(State, State.Inputs.Target);
    if (n < 1) return false;
    Allocate(n);
    State.Particles.InitialFlags[0] = static_cast<std::uint32_t>(spec.ProjectileFlags);
    FillPlotSnapshot(State);
    AllocatePartnerLists(State, spec.MaxPartners);
    ++State.RunCounter;
    if (!SetUpTarget(State)) return false;
    InitialiseVelocities(State, spec.EnergyKeV);
    StartTrajectory(State.Run.InitialTimestep);
    return RebuildPartnerLists(State, Trajectory);
}

void SmallJob::StartTrajectory(double timestep) {
    const ParticleTable& p = State.Particles;
    Trajectory = TrajectoryState{};
    Trajectory.Timestep = timestep;
    const double v0 = std::sqrt(p.VX[0] * p.VX[0] + p.VY[0] * p.VY[0] + p.VZ[0] * p.VZ[0]);
    Trajectory.FastestSpeed = Trajectory.WatchedSpeed = v0;
    Trajectory.StepLength = v0 * timestep;
    Trajectory.StepsSinceRebuild = State.Run.PartnerUpdateInterval;
    Trajectory.Zone = State.Zone;
    SetInitialListRadius(State, v0, timestep);
}

bool SmallJob::Rebuild() {
    UpdateListRadius(State, Trajectory);
    return RebuildPartnerLists(State, Trajectory);
}

void SmallJob::Evaluate() { EvaluateInitialForces(State); }

}  // namespace vantrel::testing
