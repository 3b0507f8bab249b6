// Lines of the inelastic-events file (*.dat): a plain text table without a
// header, one line per event, columns separated by one blank.  Integers are
// right-aligned, reals in fixed notation right-aligned; a value that needs
// more room than its width widens its field.
//
//   column  format        content (kinds 0 and 1)          content (kind 2)
//    1      int, 5        run number                       run number
//    2      int, 4        first particle index i           group: 0 projectile, 1 target
//    3      int, 4        second particle index j          0
//    4      real 9.3      energy change (eV, negative)     channel total (eV)
//    5      real 8.5      closest approach R_min (A)       0
//    6      real 8.5      distance after the event (A)     0
//    7      real 8.5      mean height of the pair (A)      0
//    8      real 9.4      current timestep (fs)            current timestep (fs)
//    9      real 10.3     relative energy (eV)             0
//   10, 11  kind, code    " 0   0" Oen-Robinson;  " 1 " + excitations (int, 2) Shapiro-Tombrello;
//                         " 2 " + channel code 0, 4 or 10 (int, 2) LSS totals
//
// The event record carries SI values; they are converted here with the
// file's own factors (eV per J, A per m, fs per s).
#pragma once

#include <cstdint>
#include <string>

#include "engine/state.h"

namespace vantrel {

inline constexpr double EventEvPerJoule = 6.241449214576e18;
inline constexpr double EventAngstromPerMetre = 1e10;
inline constexpr double EventFemtosecondsPerSecond = 1e15;

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

// The line without its line end.
std::string FormatEventLine(const InelasticEvent& event);

// Appends the line to s.EventsFile.
bool WriteEventLine(SimulationState& s, const InelasticEvent& event);

// The six end-of-run LSS lines: group 0 then group 1, codes 0, 4, 10 each,
// from s.LssChannel, with the run's number and the given timestep (s).
void WriteLssTotals(SimulationState& s, double timestep);

}  // namespace vantrel
