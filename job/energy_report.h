// Energy, momentum and final-state reports, at step 0 and at the end of
// every run.
//
// The potential energy is the one the forces derive from, but evaluated from
// the analytic forms rather than the tables (only the embedding energies
// -sqrt(rho) = -0.5/q come from the factors q the last force evaluation left
// in Density).  A target pair at distance r contributes
//
//   r >= r_c           V_T(t), the pair energy at the cut-off;
//   r_hi <= r < r_c    S(r) phi_t(r);
//   r_lo < r < r_hi    the joining spline of t;
//   r <= r_lo          the screened-Coulomb energy of the two nuclei;
//
// a projectile pair (without self-bombardment) V_P(t) beyond r_c and the
// screened-Coulomb energy inside it.  Without the switching function
// |V_T(AA)| n(n-1)/2 is then taken off, so that every target pair counts
// relative to its energy at the cut-off.
//
// Cost: a pair beyond r_c adds only the constant of its class, so those pairs
// are counted by class (from the numbers of A and B atoms) rather than
// visited, and only the pairs near enough to matter are found through a cell
// search.  A report is O(n) for a crystal, not O(n^2); the *AllPairs
// functions keep the direct definition for comparison.
#pragma once

#include <cstdint>

#include "job/state.h"

namespace vantrel {

inline constexpr const char* FinalConfigurationText = "   Getting final configuration...";
inline constexpr const char* CohesiveWarningText =
    "  Warning: cannot calculate Ec (atom # option must be less than no. of target atoms)";

// Pair energies at r = r_c, by PairType (index 0 unused): target pairs V_T
// and projectile pairs V_P (J).
struct CutoffEnergies {
    PairValues Target{};
    PairValues Projectile{};
};
CutoffEnergies CutoffPairEnergies(const SimulationState& s);

// Screened-Coulomb energy (J) of nuclei za, zb at r: the projectile's
// screening code, factor and lengths when projectile is true, the target's
// otherwise.  The universal function in a binary target takes the screening
// length of this very pair; otherwise the AA length is used.
double ScreenedPairEnergy(const SimulationState& s, std::int32_t za, std::int32_t zb, double r,
                          bool projectile);

// Potential energy (J) of all particles as the energy report defines it:
// projectile pairs, target pairs, embedding energies, cut-off correction and
// image energies.  PotentialEnergyAllPairs visits every pair directly.
double PotentialEnergy(const SimulationState& s);
double PotentialEnergyAllPairs(const SimulationState& s);

// Cohesive energy (J) of particle i0 (0..AtomCount): half its N-body pair
// energies with the target atoms within r_c, minus its embedding energy.
double CohesiveEnergy(const SimulationState& s, std::int32_t i0);

// Potential energy (J) of the target atoms among themselves: N-body pair
// energies of the pairs within r_c and the embedding energies.
double LatticeEnergy(const SimulationState& s);
double LatticeEnergyAllPairs(const SimulationState& s);

// Nothing at all unless ReportEnergy is set.  Otherwise: kinetic energy,
// momentum and angular momentum of all particles, PotentialEnergy, the
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
