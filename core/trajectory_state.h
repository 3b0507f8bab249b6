// The working values of one trajectory.
#pragma once

#include <cstdint>

#include "core/particles.h"

namespace vantrel {

struct TrajectoryState {
    double Time = 0;                     // s since the start of the trajectory
    std::int32_t StepCount = 0;
    double Timestep = 0;                 // s
    double StepLength = 0;               // m, v0 * InitialTimestep
    double FastestSpeed = 0;             // m/s
    std::int32_t FastestIndex = 0;
    double WatchedSpeed = 0;             // m/s
    std::int32_t WatchedIndex = 0;
    std::int32_t StepsSinceRebuild = 0;
    double SurfaceEnergySum = 0;         // J
    double SideEnergySum = 0;            // J
    double InitialTotalEnergy = 0;       // eV
    bool ContinueJob = true;
    LatticeZone Zone;
};

}  // namespace vantrel
