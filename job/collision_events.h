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

#include "job/state.h"
#include "output/event_line.h"

namespace vantrel {

// Screened-Coulomb potential energy (J) of particles i and j at distance r
// (m): the universal function when the pair's screening code is 0 (the
// projectile's code when i = 0, the target's otherwise), Moliere's function
// else.  The screening length is the AA length of the pair family, except
// for the universal function in a binary target, where it is computed for
// this very pair from the two atomic numbers and the family's factor.
double ScreenedPotential(const SimulationState& s, std::int32_t i, std::int32_t j, double r);

// The energy (J) whose slope the pair force of i and j is, at distance r:
// the screened-Coulomb energy for the projectile (without self-bombardment)
// and for target pairs below r_lo, the joining spline up to r_hi, and
// beyond it the N-body pair potential with the pair's share of both
// embedding energies to first order, -(q_i + q_j) rho(r).  Constant beyond
// the cut-off.  Only differences of it mean anything.
double PairPotentialEnergy(const SimulationState& s, std::int32_t i, std::int32_t j, double r);

// Moves i and j apart along their axis, about their centre of mass (each
// moves in inverse proportion to its mass), so that the potential energy
// falls from `energy` to targetEnergy: the loss energy - targetEnergy is
// taken from the pair's own energy (PairPotentialEnergy) together with the
// pairs i and j form with the atoms around them, which the move changes as
// well.  Newton's method along the axis, whose first step is the loss over
// the pair's force; it stops when the energy is within a billionth of the
// loss or when moving farther apart would no longer lower it.  Velocities
// are left alone; the forces of the pairs involved are moved to the new
// positions (the next step's positions start from them).  Every particle
// is visited once to find the neighbours.
//
// Rarely the atoms around leave no point on the axis where the energy is as
// low as the goal (it has a minimum above it); the pair then stays at the
// lowest point found and Removed says how much of the loss came out.
// After an arithmetic fault (a non-finite value, or a raised invalid,
// overflow or division-by-zero flag; the caller clears the flags before)
// nothing is moved or changed and both results are not a number.
struct Separation {
    double Distance = 0;  // m, the pair's final distance
    double Removed = 0;   // J, the potential energy taken out (the loss, normally)
};
Separation SeparatePair(SimulationState& s, std::int32_t i, std::int32_t j, double targetEnergy,
                        double energy, double distance);

// Limits of the separation's Newton search.
inline constexpr int SeparationIterations = 8;
inline constexpr int SeparationHalvings = 30;
inline constexpr double SeparationTolerance = 1.0e-9;  // of the loss
inline constexpr double SeparationReachMargin = 5.0e-11;  // m, beyond the cut-off
inline constexpr double SeparationStepLimit = 0.25;       // of the pair's distance

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
