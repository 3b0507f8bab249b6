// Target file reader and the per-run set-up of the crystal and projectile.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/random.h"
#include "job/state.h"

namespace vantrel {

// Counts the atom lines of the target file (at most 200,000, with a warning
// beyond) and remembers the last line's atomic number in s.LastAtomicNumber.
// 0 when the file cannot be opened (after its error box) or holds no atom.
std::int32_t CountTargetAtoms(SimulationState& s, std::string_view name);

// First run: seeds the random generator, reads every atom of s.Inputs.Target
// into the particle table (lattice sites, flags, masses in kg), places the
// projectile and reads the model file after atom 1, and displaces the atoms
// thermally.  Shows the line-numbered error and returns false on bad input.
bool ReadTargetFile(SimulationState& s);

// Later runs: atoms back on their lattice sites with their initial flags,
// projectile placed, thermal displacements drawn afresh.
void ResetTarget(SimulationState& s);

// Prepares the particle table before every run (ReadTargetFile on the first
// run with species detection, ResetTarget afterwards), then the lattice
// zone, SurfaceZ and, for the cell-index search, the cell edge.  The
// particle arrays must be allocated for s.Particles.AtomCount atoms.
bool SetUpTarget(SimulationState& s);

// One random thermal displacement (m) for a mean-square displacement in A^2:
// a normal deviate with the tail beyond +2.5 sigma redrawn.  A mean square
// that is not positive gives no displacement and draws nothing.
double ThermalDisplacementSample(RandomGenerator& random, double meanSquare);

// Places the projectile on the beam line through the aiming point; uses
// atom 1's lattice site, the impact point and the beam angles.
void PlaceProjectile(SimulationState& s);

// Adds the thermal displacement of atom i (x, y unless NoYVibration, z).
void DisplaceThermally(SimulationState& s, std::int32_t i);

// Decides BinaryTarget from the TypeB flags (first run); false, after its
// error box, when a binary target's first or last atom has the wrong type.
bool DetectSpecies(SimulationState& s);

// LatticeZone and SurfaceZ from the current positions, widened by r_c.
void ComputeLatticeZone(SimulationState& s);

// Grows s.CellEdge by factors of 1.1 until the cell grid covers the zone and
// stores the grid's half width and top.
void FitCellGrid(SimulationState& s);

}  // namespace vantrel
