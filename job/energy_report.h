// Energy, momentum and final-state reports, at step 0 and at the end of
// every run: the sums of core/energy_sums.h on the job's particles, written
// to the log.
#pragma once

#include "job/state.h"

namespace vantrel {

inline constexpr const char* FinalConfigurationText = "   Getting final configuration...";
inline constexpr const char* CohesiveWarningText =
    "  Warning: cannot calculate Ec (atom # option must be less than no. of target atoms)";

// Nothing at all unless ReportEnergy is set.  Otherwise: kinetic energy,
// momentum and angular momentum of all particles, the potential energy, the
// toggle inverted (and, when it turns false, ReportedKinetic and
// ReportedPotential stored in eV), and with Verbose the report lines.
// Returns the total energy in eV (0 when ReportEnergy is clear).
double EnergyReport(SimulationState& s);

// "  Ec for atom #i0: ... eV" for i0 = LatticeSiteIndex, or the warning when
// no particle has that index (above AtomCount, or negative).
void CohesiveEnergyReport(SimulationState& s);

// "  Lattice energy: ... eV (excludes projectile)".
void LatticeEnergyReport(SimulationState& s);

}  // namespace vantrel
