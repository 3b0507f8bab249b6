// Optional timing of the phases of a running job, for the benchmarks.
//
// A program that wants the figures points ProgramContext::Timers at one of
// these before RunJob; the trajectory driver and VerletStep then add the
// time of each phase and count what it worked on.  With the pointer null
// (always, outside the benchmarks) each phase costs one test of a pointer
// and nothing else: no clock is read, no value changes, and the particles,
// lists and messages are the same either way.
//
// Phases of one trajectory iteration:
//   rebuild   UpdateListRadius and the partner-list rebuild with its
//             housekeeping (and the OR/ST list refresh when those models
//             are on);
//   force     EvaluateStepForces inside VerletStep (density pass, embedding
//             transform, force pass, image force);
//   motion    the position and the velocity passes of VerletStep;
//   loop      the whole loop from the first iteration to the last, so that
//             loop minus the three above is everything else (the step-0
//             forces and energy report, cooling, inelastic passes, timestep
//             rule, barriers, sample checks, termination test).
// The figures add up over every trajectory of the job.
#pragma once

#include <chrono>
#include <cstdint>

namespace vantrel {

struct StepTimers {
    double RebuildSeconds = 0;
    double ForceSeconds = 0;
    double MotionSeconds = 0;
    double LoopSeconds = 0;
    std::int64_t Steps = 0;             // Verlet steps
    std::int64_t Rebuilds = 0;          // partner-list rebuilds
    std::int64_t ParticleSteps = 0;     // particles moved, summed over the steps
    std::int64_t ListedPairs = 0;       // listed pairs, summed over the step force phases
    std::int64_t PairsWithinCutoff = 0;  // of those, the target pairs within r_c
};

using TimerClock = std::chrono::steady_clock;

// The time now when timing is on; a null timer reads no clock.
inline TimerClock::time_point TimerStart(const StepTimers* timers) {
    return timers ? TimerClock::now() : TimerClock::time_point{};
}

// Adds the time since start to the given phase of timers (when timing is on).
inline void TimerAdd(StepTimers* timers, double StepTimers::*phase,
                     TimerClock::time_point start) {
    if (!timers) return;
    const std::chrono::duration<double> elapsed = TimerClock::now() - start;
    timers->*phase += elapsed.count();
}

}  // namespace vantrel
