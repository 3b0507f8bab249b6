// The pieces the two collision models (Oen-Robinson and Shapiro-Tombrello)
// share: the screened-Coulomb energy of a colliding pair, the separation
// that takes an event's loss out of that energy, the binomial draw of the
// number of excitations, the parameter look-ups and the event record.
//
// A collision event does not touch the velocities.  It moves the two
// particles apart along their axis, so that the pair's potential energy
// falls by the loss; the energy leaves the system as potential energy.
//
// Screened-Coulomb energy of nuclei Za, Zb at distance r (K the Coulomb
// constant, a the screening length):
//
//   V = K Za Zb / r * sum_n c_n exp(-d_n r / a)
//
// with the universal (c, d) = (0.0281, 0.2016), (0.2802, 0.4029),
// (0.5099, 0.9423), (0.1818, 3.2) or Moliere's (0.35, 0.3), (0.55, 1.2),
// (0.10, 6.0) (core/screening.h).  The universal function in a binary
// target takes the screening length of the very pair, a = F 0.4685 A /
// (Za^0.23 + Zb^0.23); otherwise the AA length of the pair family is used.
#pragma once

#include <cstdint>
#include <vector>

#include "core/inelastic_event.h"
#include "core/inelastic_parameters.h"
#include "core/model_parameters.h"
#include "core/particles.h"
#include "core/random.h"
#include "core/table_lookup.h"

namespace vantrel {

// Screened-Coulomb energy (J) of nuclei za, zb at r (m): the projectile's
// screening code, factor and record when projectile is true, the target's
// otherwise.  Used by the collision models and the energy report alike.
double ScreenedPairEnergy(const ModelParameters& model, bool binaryTarget, std::int32_t za,
                          std::int32_t zb, double r, bool projectile);

// What the collision models read besides the particle table.
struct CollisionModel {
    // Pair forces; it also carries BinaryTarget, SelfBombard, the flags,
    // atomic numbers and embedding factors of the particles.
    PotentialView Potential;
    const ModelParameters* Model = nullptr;
    // IgnoreTargetForces with the brute-force search: the dynamics knows
    // only the projectile's pairs.
    bool ProjectilePairsOnly = false;
};

// Screened-Coulomb potential energy (J) of particles i and j at distance r
// (m), the projectile's family when i = 0, the target's otherwise.
double ScreenedPotential(const CollisionModel& model, std::int32_t i, std::int32_t j, double r);

// The energy (J) whose slope the pair force of i and j is, at distance r:
// the screened-Coulomb energy for the projectile (without self-bombardment)
// and for target pairs below r_lo, the joining spline up to r_hi, and
// beyond it the N-body pair potential with the pair's share of both
// embedding energies to first order, -(q_i + q_j) rho(r).  Constant beyond
// the cut-off.  Only differences of it mean anything.
double PairPotentialEnergy(const CollisionModel& model, std::int32_t i, std::int32_t j, double r);

// Working arrays of one separation: the pairs it changes and their forces.
// Kept for the job (SizeSeparationScratch); a separation among more
// neighbours than they hold grows them, which a crystal's events do not.
struct SeparationScratch {
    struct Pair {
        std::int32_t A = 0, B = 0;  // A < B
    };
    std::vector<Pair> Pairs;
    std::vector<ForceVector> Before;
    std::vector<ForceVector> Change;
};

// Room for a separation among up to maxPartners neighbours of each particle.
void SizeSeparationScratch(SeparationScratch& scratch, std::int32_t maxPartners);

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
Separation SeparatePair(ParticleTable& p, const CollisionModel& model, std::int32_t i,
                        std::int32_t j, double targetEnergy, double energy, double distance,
                        SeparationScratch& scratch);

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
    // OR only: the pair was found on one spot, with no axis to move it
    // along.  Nothing happened and the record stays open; the user is told.
    bool Coincident = false;
};

}  // namespace vantrel
