// Electronic (inelastic) energy losses, the cooling friction and the image
// potential: the optional models that act beside the conservative N-body
// forces.
//
// Where they run in one step (the Verlet step): the image force inside the
// force phase, the cooling friction after it, then the Shapiro-Tombrello,
// Oen-Robinson and LSS passes after the velocity update, in that order.  The
// OR and ST partner lists are refreshed after every partner-list rebuild.
//
// The image potential of a particle at height z above the image plane z0
// (softening term c = ImageLengthSquare, K the Coulomb constant):
//
//   V(z) = -K / sqrt(16 (z - z0)^2 + c)   for z > z0,   -V0 below the plane,
//   F(z) = -dV/dz = -16 K (z - z0) / (16 (z - z0)^2 + c)^(3/2)   (0 below),
//
// and with c = (K/V0)^2 both branches meet at the plane.
//
// Faults.  Each pass clears the invalid, overflow and division-by-zero flags
// when it starts, tests them (and the finiteness of what it is about to
// store) before it changes anything, and on a fault stops, clears them and
// says so in its result: a fault never leaves a NaN or a half-made event
// behind.  The caller tells the user.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/collision_events.h"
#include "core/inelastic_parameters.h"
#include "core/particles.h"
#include "core/random.h"

namespace vantrel {

// Force along z (N) on a particle with ImageCharge at height z (m).
double ImageForce(const InelasticParameters& parameters, double z);
// Image energy (J) of a particle with ImageCharge at height z (m).
double ImagePotential(const InelasticParameters& parameters, double z);

// Number of LSS channel sums: groups 0 (projectile) and 1 (target), codes 0, 4, 10.
inline constexpr int LssChannelCount = 6;
using LssChannels = std::array<double, LssChannelCount>;

// Decay constants of the depth-weighted LSS channels (1/m): 4 A and 10 A.
inline constexpr double LssChannelDecay4 = 2.5e9;
inline constexpr double LssChannelDecay10 = 1.0e9;

using OrPartnerLists = std::vector<std::vector<OrPartnerRecord>>;
using StPartnerLists = std::vector<std::vector<StPartnerRecord>>;

// Squared capture radius of an inelastic list refresh: the model's radius
// plus the distance the fastest particle covers until the next rebuild.
double CaptureRadiusSq(double modelRadiusSq, double fastestSpeed, double timestep,
                       std::int32_t rebuildInterval);

// After every partner-list rebuild, when UseOR / UseST: every listed pair
// (i, j), i < AtomCount, that is within the capture radius gets a fresh
// record at the front of the inelastic list of i; a recorded pair that is
// now beyond it loses its record; records of pairs no longer listed stay.
// An insertion into a list that holds MaxPartners records is refused;
// while abortNow is set no record is added at all.  Returns the number of
// refused insertions.  The lists of particles 0..AtomCount must exist; each
// grows to at most MaxPartners records over the job.
std::int32_t UpdateOrPartners(const ParticleTable& p, const PartnerLists& lists,
                              double captureSq, bool abortNow, OrPartnerLists& records);
std::int32_t UpdateStPartners(const ParticleTable& p, const PartnerLists& lists,
                              double captureSq, bool abortNow, StPartnerLists& records);

// What a cooling call found.
struct CoolingResult {
    bool Measured = false;   // cooled particles that move: Temperature holds their temperature
    double Temperature = 0;  // K
    bool Fault = false;      // a fault ended the cooling for this step
};

// Cooling friction on the forces of this step, when CoolingActive: the
// particles inside the zone that may be cooled feel F -= gamma m v with
// gamma = (1 - T0/T) / (2 tau), so their temperature relaxes towards T0
// with the time constant tau.  No friction with T0 = 0.
CoolingResult ApplyCooling(ParticleTable& p, const LatticeZone& zone, double goal, double period);

// What an ST or OR pass needs besides the particles and the records.
struct CollisionPassInputs {
    CollisionModel Model;
    const InelasticParameters* Parameters = nullptr;
    double RadiusSq = 0;  // OrRadiusSquare or StRadiusSquare (m^2)
    double Timestep = 0;  // s, carried into the events
};

// The working arrays of a pass: its events, and the separation's.
struct CollisionPassWork {
    std::vector<CollisionEvent> Events;  // cleared by each pass; reserved once per job
    SeparationScratch Separation;
};

// Room for the events of one pass and for the separation's arrays.
void SizeCollisionPassWork(CollisionPassWork& work, std::int32_t maxPartners);

// The two collision passes after the velocity update.  Each fills
// work.Events in the order it met them (events, and for OR the coincident
// pairs it could not treat), adds the energy its events took to lossSum
// (negative) and returns true when a fault ended it; the events before the
// fault stand.
//
// ST: a pair that has crossed its critical radius R_c on the way in keeps
// the radial energy it had at the crossing; on the way out it draws the
// number of excitations (one trial per started quantum of that energy) and
// loses that many quanta, once.  A draw of 0 is repeated at the next step.
bool ApplyStEvents(ParticleTable& p, StPartnerLists& records, const CollisionPassInputs& in,
                   RandomGenerator& random, double& lossSum, CollisionPassWork& work);
// OR: one step after its closest approach R_min a pair loses
//   k v beta^2 exp(-beta R_min),  beta = C / a,  a = 0.4685 A / sqrt(Zi^2/3 + Zj^2/3),
// v the relative speed belonging to the pair's relative energy, once.
// Both collision models take the loss out of the potential energy by moving
// the pair along its axis (SeparatePair); the loss sums and the events carry
// the energy that move took out.
bool ApplyOrEvents(ParticleTable& p, OrPartnerLists& records, const CollisionPassInputs& in,
                   double& lossSum, CollisionPassWork& work);

// LSS: every particle inside the zone, at or below surfaceZ and at least
// LssSpeedThreshold fast loses k v s, s the length of its coming step; the
// velocity is scaled down to match and the loss is added to lossSum and to
// the channels of its group (0 projectile, 1 target): plain, and weighted by
// exp(z / 4 A) and exp(z / 10 A).  True when a fault ended the pass.
bool ApplyLssLoss(ParticleTable& p, const InelasticParameters& parameters,
                  const LatticeZone& zone, double surfaceZ, double timestep, double& lossSum,
                  LssChannels& channels);

}  // namespace vantrel
