#include "job/verlet.h"

#include "core/verlet.h"
#include "job/forces.h"
#include "job/inelastic.h"

namespace vantrel {

bool InitialiseVelocities(SimulationState& s, double energyKeV) {
    VelocitySetup setup;
    setup.EnergyKeV = energyKeV;
    setup.Altitude = s.Run.Altitude;
    setup.Azimuth = s.Run.Azimuth;
    setup.HotTarget = s.Options().HotTarget;
    setup.Temperature = s.Model.TargetTemperature;
    InitialiseVelocities(s.Particles, setup, s.Program.Random);
    return true;
}

void VerletStep(SimulationState& s, TrajectoryState& trajectory) {
    ParticleTable& p = s.Particles;
    const double dt = trajectory.Timestep;
    StepTimers* timers = s.Program.Timers;

    auto phaseStart = TimerStart(timers);
    AdvancePositions(p, dt, s.Workers.get());
    TimerAdd(timers, &StepTimers::MotionSeconds, phaseStart);

    phaseStart = TimerStart(timers);
    EvaluateStepForces(s);
    TimerAdd(timers, &StepTimers::ForceSeconds, phaseStart);
    if (s.CoolingActive) ApplyCooling(s, trajectory.Zone);

    phaseStart = TimerStart(timers);
    AdvanceVelocities(p, dt, s.Workers.get());
    if (timers) {
        TimerAdd(timers, &StepTimers::MotionSeconds, phaseStart);
        timers->Steps += 1;
        timers->ParticleSteps += p.AtomCount + 1;
        timers->ListedPairs += static_cast<std::int64_t>(s.Partners.Index.size());
        // What the force pass walked: the pairs the density pass gathered.
        timers->PairsWithinCutoff += static_cast<std::int64_t>(s.Scratch.GatheredPairs);
    }

    const SimulationOptions& options = s.Options();
    if (options.UseST) ApplyStEvents(s, dt);
    if (options.UseOR) ApplyOrEvents(s, dt);
    if (options.UseLSS) ApplyLssLoss(s, trajectory.Zone, dt);
}

}  // namespace vantrel
