// The job's reading of the model file and the potential set-up that follows
// it: the model's report lines, the mass and self-bombardment questions,
// the screening lengths and the checked potential tables.
#pragma once

#include <string_view>

#include "job/state.h"

namespace vantrel {

// Reads the model file during the first run's target set-up, right after
// target atom 1 (the projectile and atom 1 are in the particle table, Mass[1]
// still in amu, AtomicNumber[n] holding the last atom's Z from the count).
// Fills s.Model, builds s.Tables, checks them, fills the screening records
// and asks the self-bombardment questions.  Every failure has been reported
// when it returns false.
bool ReadModelFile(SimulationState& s, std::string_view name);

// True when the tables of pair category t hold finite numbers wherever a
// look-up can read them (r_lo to r_c); otherwise shows a message.
bool CheckTablesFinite(SimulationState& s, PairType t);

}  // namespace vantrel
