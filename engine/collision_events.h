// The pieces the two collision models (Oen-Robinson and Shapiro-Tombrello)
// share: the screened-Coulomb energy of a colliding pair, the separation
// that takes an event's loss out of that energy, the binomial draw of the
// number of excitations, the parameter look-ups and the event's report.
//
// A collision event does not touch the velocities.  It moves the two
// particles apart along their axis, so that the pair's potential energy
// falls by the loss; the energy leaves the system as potential energy.
#pragma once

#include <cstdint>
#include <string>

#include "engine/state.h"
#include "output/event_line.h"

namespace vantrel {

// Screened-Coulomb potential energy (J) of particles i and j at distance r
// (m): the universal function when the pair's screening code is 0 (the
// projectile's code when i = 0, the target's otherwise), Moliere's function
// else.  The screening length is the AA length of the pair family, except
// for the universal function in a binary target, where it is computed for
// this very pair from the two atomic numbers and the family's factor.
double ScreenedPotential(const SimulationState& s, std::int32_t i, std::int32_t j, double r);

// Moves i and j apart along their axis so that their screened potential
// energy goes from `energy` (at the current distance `distance`) towards
// targetEnergy: one step along the pair force, then a second step that
// corrects the residual.  The masses share each step so that the pair's
// centre of mass stays put.  A step whose force is at most forceFloor in
// size is not taken (the first step only when the force is exactly 0).
// Velocities are left alone; the pair's own share of FX, FY, FZ is moved to
// the new distance (the next step's positions start from that force).
// Returns the final distance (m).
double SeparatePair(SimulationState& s, std::int32_t i, std::int32_t j, double targetEnergy,
                    double energy, double distance, double forceFloor);

// Number of excitations of one event: `trials` independent trials of
// probability p, one uniform draw from random each, stopping once nMax have
// succeeded; with p = 1 exactly, min(trials, nMax) without any draw.
std::int32_t ExcitationCount(RandomGenerator& random, std::int64_t trials, std::int32_t nMax,
                             double p);

// Parameter look-ups: the first entry whose key matches; a missing key gives
// 0 (for the ST table an entry of zeros).
double LssCoefficientOf(const InelasticParameters& parameters, std::int32_t atomicNumber);
double OrCoefficientOf(const InelasticParameters& parameters, std::int32_t pairKey);
StEntry StEntryOf(const InelasticParameters& parameters, std::int32_t pairKey);

// Everything an OR or ST event reports, SI units.
struct CollisionEvent {
    EventKind Kind = EventKind::OenRobinson;
    std::int32_t First = 0, Second = 0;
    double EnergyChange = 0;     // J, negative
    double ClosestApproach = 0;  // m, R_min
    double DistanceBefore = 0;   // m, the distance at the event step
    double DistanceAfter = 0;    // m, after the separation
    double MeanHeight = 0;       // m, (z_i + z_j)/2 before the separation
    double Timestep = 0;         // s
    double RelativeEnergy = 0;   // J, relative kinetic plus screened potential
    std::int32_t Excitations = 0;  // ST only
};

// "  OR event, particles: 3 and 17, dE = -0.01234 eV, R(old) = ..." (cut to a log line).
std::string EventLogText(const CollisionEvent& event);

// The events-file line (when StoreInelastic is set and the file is open) and
// the dark-red log line (when Verbose and ReportInelastic are set).
void ReportCollisionEvent(SimulationState& s, const CollisionEvent& event);

}  // namespace vantrel
