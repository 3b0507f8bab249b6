// The job's reading of the projectile file (*.prj).
#pragma once

#include <string_view>

#include "job/state.h"

namespace vantrel {

// Reads the projectile file into s.Projectile.  True on success.  On any
// failure (missing file, bad number, no single blank before the name, values
// no run can start from) it logs the two red lines
//   "  ++++ Error ++++"
//   "  File (<name>) could not be read or has wrong format."
// and returns false.  The name read is stored in either case.
bool ReadProjectileFile(SimulationState& s, std::string_view name);

}  // namespace vantrel
