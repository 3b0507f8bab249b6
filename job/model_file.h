// Model file reader and the potential tables it builds once per job.
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

// The nine tables of the model (entries k = 2500..50000 and one spare zero).
void BuildPotentialTables(const ModelParameters& model, PotentialTables& tables);

// The exact values the tables hold at r: density rho (J^2; the table holds it
// times DensityTableScale), density-force term (rho'/r with the
// switching function folded in, zero outside r_hi < r <= r_c) and the pair
// force -phi'/r (the spline's below r_hi).
double ExactDensity(const ModelParameters& model, PairType t, double r);
double ExactDensityForce(const ModelParameters& model, PairType t, double r);
double ExactPairForce(const ModelParameters& model, PairType t, double r);

// Radii the tables can serve: 1 A <= r_hi and r_c <= 20 A (limits message),
// then 1 A <= r_lo <= r_hi < r_c (radii message).  Shows its message and
// returns false otherwise.
bool CheckTableRadii(SimulationState& s);

// Compares the AA tables with the exact forms on the N-body and spline
// ranges (Sutton-Chen models); shows each failure's message.
bool CheckTablePrecision(SimulationState& s);

// True when the tables of pair category t hold finite numbers wherever a
// look-up can read them (r_lo to r_c); otherwise shows a message.
bool CheckTablesFinite(SimulationState& s, PairType t);

}  // namespace vantrel
