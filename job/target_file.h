// The job's target set-up: the target file read on the first run, the
// crystal and projectile placed before every run, and what the user is told
// about them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "job/state.h"

namespace vantrel {

// Counts the atom lines of the target file (at most 200,000, with a warning
// beyond) and remembers the last line's atomic number in s.LastAtomicNumber.
// 0 when the file cannot be opened (after its error box) or holds no atom.
std::int32_t CountTargetAtoms(SimulationState& s, std::string_view name);

// First run: seeds the random generator, reads every atom of s.Inputs.Target
// into the particle table (lattice sites, flags, masses in kg), places the
// projectile, reads the model file as after atom 1 (its lines and questions
// come after the target's name and before a later line's error), and
// displaces the atoms thermally.  Shows the line-numbered error and returns
// false on bad input.
bool ReadTargetFile(SimulationState& s);

// Prepares the particle table before every run (ReadTargetFile on the first
// run with species detection, the lattice sites again afterwards), then the
// lattice zone, SurfaceZ and, for the cell-index search, the cell edge.  The
// particle arrays must be allocated for s.Particles.AtomCount atoms.
bool SetUpTarget(SimulationState& s);

// The lines a run after the first logs while it is set up: "  Getting thermal
// displacements..." (blue) for a thermal lattice with Verbose on.  The first
// run's reading of the target and model files takes their place.
std::vector<std::string> LaterRunSetUpLines(const SimulationState& s);

}  // namespace vantrel
