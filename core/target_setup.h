// The crystal and the projectile before every run: target atoms on their
// lattice sites, the projectile on the beam line, random thermal
// displacements, the species of the target, the lattice zone and the cell
// grid around it.  Statuses only: the job layer reports.
#pragma once

#include <cstdint>

#include "core/model_parameters.h"
#include "core/particles.h"
#include "core/potential_tables.h"
#include "core/random.h"
#include "core/run_records.h"
#include "core/units.h"

namespace vantrel {

// One target atom as the target file gives it.
struct TargetAtom {
    double X = 0, Y = 0, Z = 0;  // m, the lattice site
    std::int32_t AtomicNumber = 0;
    double Mass = 0;          // amu
    std::uint32_t Flags = 0;  // ParticleFlag bits
};

// Puts target atom i on its lattice site: position and site, atomic number,
// flags and initial flags, and the mass still in amu (the model file's mass
// check reads it so; ConvertMass follows).
void PlaceOnSite(ParticleTable& p, std::int32_t i, const TargetAtom& atom);
inline void ConvertMass(ParticleTable& p, std::int32_t i) { p.Mass[i] *= KilogramsPerAmu; }

// False when the beam lies in the surface plane (altitude 0 or 180 degrees):
// the projectile's start would be undefined.
bool BeamStartDefined(double altitude);

// Places the projectile on the beam line through the aiming point: atom 1's
// lattice site plus the impact point's offsets, StartHeight above it, and
// flags from InitialFlags[0].
void PlaceProjectile(ParticleTable& p, const ImpactPoint& impact, const RunParameters& run);

// One random thermal displacement (m) for a mean-square displacement in A^2:
// a normal deviate with the tail beyond +2.5 sigma redrawn.  A mean square
// that is not positive gives no displacement and draws nothing.
double ThermalDisplacementSample(RandomGenerator& random, double meanSquare);

// Adds the thermal displacement of atom i (x, y unless noYVibration, z) with
// the model's mean squares for its species and layer: the bulk lies more
// than 1 A below atom 1's current z.
void DisplaceThermally(ParticleTable& p, std::int32_t i, const ModelParameters& model,
                       bool noYVibration, RandomGenerator& random);

// Later runs: atoms back on their sites with their initial flags, the
// projectile placed, thermal displacements drawn afresh (unless the model's
// lattice is static).
void ResetTarget(ParticleTable& p, const ImpactPoint& impact, const RunParameters& run,
                 const ModelParameters& model, bool noYVibration, RandomGenerator& random);

enum class SpeciesStatus {
    Consistent,
    LastAtomNotB,  // a binary target whose last atom is not flagged B
    FirstAtomIsB,  // a binary target whose first atom is flagged B
};

struct SpeciesDetection {
    bool BinaryTarget = false;
    SpeciesStatus Status = SpeciesStatus::Consistent;
};

// Binary when some atom's TypeB bit differs from atom 1's (never when
// assumeElemental); a binary target needs atom 1 of type A and the last
// atom of type B.
SpeciesDetection DetectSpecies(const ParticleTable& p, bool assumeElemental);

enum class SelfBombardmentCheck {
    Consistent,
    ProjectileNotTargetSpecies,  // self-bombardment asked for, but Z differs
    ProjectileIsTargetSpecies,   // not asked for, but Z equals a target Z
};

// A type-A projectile is compared with atom 1, a type-B one with the last atom.
SelfBombardmentCheck CheckSelfBombardment(bool selfBombard, const SpeciesAtomicNumbers& species);

// The lattice zone: the box around every particle's current position
// (projectile first), widened by the cut-off radius; surfaceZ is target atom
// 1's z unless a target atom lies above the zone's top when it is visited.
void ComputeLatticeZone(const ParticleTable& p, double cutoffRadius, LatticeZone& zone,
                        double& surfaceZ);

// Grows the cell edge by factors of 1.1 until the 25 x 25 x 17 cell grid
// (x, y from -12 to 12 edges, z from -12 to 4) covers the zone, and gives
// the grid's half width (12 edges) and top (12 edges / 3).
void FitCellGrid(const LatticeZone& zone, double& edge, double& halfWidth, double& top);

}  // namespace vantrel
