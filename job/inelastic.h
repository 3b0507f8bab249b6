// Electronic (inelastic) energy losses, the cooling friction and the image
// potential: the optional models that act beside the conservative N-body
// forces.
//
// Where they run in one step (VerletStep): the image force inside the force
// phase, the cooling friction after it, then the Shapiro-Tombrello, Oen-
// Robinson and LSS passes after the velocity update, in that order.  The OR
// and ST partner lists are refreshed by the trajectory driver after every
// partner-list rebuild.
//
// The image potential of a particle at height z above the image plane z0
// (softening term c = ImageLengthSquare, K the Coulomb constant):
//
//   V(z) = -K / sqrt(16 (z - z0)^2 + c)   for z > z0,   -V0 below the plane,
//   F(z) = -dV/dz = -16 K (z - z0) / (16 (z - z0)^2 + c)^(3/2)   (0 below),
//
// and with c = (K/V0)^2 both branches meet at the plane.
#pragma once

#include "job/state.h"

namespace vantrel {

// Force along z (N) on a particle with ImageCharge at height z (m).
double ImageForce(const InelasticParameters& parameters, double z);
// Image energy (J) of a particle with ImageCharge at height z (m).
double ImagePotential(const InelasticParameters& parameters, double z);

// Messages of the models, each shown in a modal box.
inline constexpr const char* OrListFullText =
    "FOR routine: You must abort, and increase \"No of Partners\" in Run file.";
inline constexpr const char* StListFullText =
    "FST routine: You must abort, and increase \"No of Partners\" in Run file.";
inline constexpr const char* StMathErrorText = "Math error in ST routine.";
inline constexpr const char* OrMathErrorText = "Math error in OR routine.";
inline constexpr const char* LssMathErrorText = "Math error in LSS routine.";
inline constexpr const char* CoolingMathErrorText = "Math error in cooling routine.";
inline constexpr const char* OrZeroDistanceText = "Error in var \"rthis\" in OR routine";

// Decay constants of the depth-weighted LSS channels (1/m): 4 A and 10 A.
inline constexpr double LssChannelDecay4 = 2.5e9;
inline constexpr double LssChannelDecay10 = 1.0e9;

// After every partner-list rebuild, when UseOR / UseST: every listed pair
// (i, j) that has come within the capture radius -- the model's radius plus
// the distance the fastest particle covers until the next rebuild -- gets a
// fresh record at the front of the inelastic list of i; a recorded pair that
// is now beyond it loses its record; records of pairs no longer listed stay.
// A full list refuses the record with a modal message and asks for an abort
// (AbortRequested); while AbortNow is set no record is added.
void UpdateOrPartners(SimulationState& s, TrajectoryState& trajectory);
void UpdateStPartners(SimulationState& s, TrajectoryState& trajectory);

// Empties both inelastic lists (each that is allocated): the start of every trajectory.
void EmptyInelasticPartnerLists(SimulationState& s);

// Cooling friction on the forces of this step, when CoolingActive: the
// particles inside the zone that may be cooled feel F -= gamma m v with
// gamma = (1 - T0/T) / (2 tau), so their temperature relaxes towards T0
// with the time constant tau.  With Verbose, the temperature is logged once
// every PartnerUpdateInterval + 1 calls (the counter lives in the program).
void ApplyCooling(SimulationState& s, const LatticeZone& zone);

// The three passes after the velocity update, in this order.
//
// ST: a pair that has crossed its critical radius R_c on the way in keeps
// the radial energy it had at the crossing; on the way out it draws the
// number of excitations (one trial per started quantum of that energy) and
// loses that many quanta, once.  A draw of 0 is repeated at the next step.
void ApplyStEvents(SimulationState& s, double timestep);
// OR: one step after its closest approach R_min a pair loses
//   k v beta^2 exp(-beta R_min),  beta = C / a,  a = 0.4685 A / sqrt(Zi^2/3 + Zj^2/3),
// v the relative speed belonging to the pair's relative energy, once.
// Both collision models take the loss out of the potential energy by moving
// the pair along its axis (SeparatePair); the loss sums, the events-file
// line and the log line carry the energy that move took out.
void ApplyOrEvents(SimulationState& s, double timestep);
// LSS: every particle inside the zone, at or below the surface and at least
// LssSpeedThreshold fast loses k v s, s the length of its coming step; the
// velocity is scaled down to match and the loss is added to LssLoss and to
// the channels of its group (0 projectile, 1 target): plain, and weighted by
// exp(z / 4 A) and exp(z / 10 A).
void ApplyLssLoss(SimulationState& s, const LatticeZone& zone, double timestep);

}  // namespace vantrel
