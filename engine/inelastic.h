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

#include "engine/state.h"

namespace vantrel {

// Four times the Coulomb constant, the numerator of the image force (J m).
inline constexpr double ImageForceConstant = -9.228487027064081641e-28;

// Force along z (N) on a particle with ImageCharge at height z (m).
double ImageForce(const InelasticParameters& parameters, double z);
// Image energy (J) of a particle with ImageCharge at height z (m).
double ImagePotential(const InelasticParameters& parameters, double z);

// The hooks below keep their final signatures for the inelastic models; their
// bodies are still EMPTY (the models are not part of this build yet), so a
// job with UseOR, UseST, UseLSS or UseCooling runs without those losses.

// After every partner-list rebuild, when UseOR / UseST: the OR and ST pair
// records within the capture radius.  Empty for now.
void UpdateOrPartners(SimulationState& s, TrajectoryState& trajectory);
void UpdateStPartners(SimulationState& s, TrajectoryState& trajectory);

// Cooling friction on the forces of this step, when CoolingActive.  Empty for now.
void ApplyCooling(SimulationState& s, const LatticeZone& zone);

// The three passes after the velocity update.  Empty for now.
void ApplyStEvents(SimulationState& s, double timestep);
void ApplyOrEvents(SimulationState& s, double timestep);
void ApplyLssLoss(SimulationState& s, const LatticeZone& zone, double timestep);

}  // namespace vantrel
