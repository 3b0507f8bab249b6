// One inelastic event as the engine reports it, in SI units: an Oen-Robinson
// or Shapiro-Tombrello collision, or a per-run LSS channel total.
#pragma once

#include <cstdint>

namespace vantrel {

enum class EventKind : std::int32_t {
    OenRobinson = 0,       // one OR collision
    ShapiroTombrello = 1,  // one ST collision
    LssTotal = 2,          // per-run LSS channel total
};

struct InelasticEvent {
    EventKind Kind = EventKind::OenRobinson;
    std::int32_t RunNumber = 0;
    std::int32_t First = 0;       // particle i, or the group (LSS totals)
    std::int32_t Second = 0;      // particle j, 0 for LSS totals
    double EnergyChange = 0;      // J
    double ClosestApproach = 0;   // m
    double FinalDistance = 0;     // m
    double MeanHeight = 0;        // m
    double Timestep = 0;          // s
    double RelativeEnergy = 0;    // J
    std::int32_t Code = 0;        // ST excitation count, or LSS channel code
};

}  // namespace vantrel
