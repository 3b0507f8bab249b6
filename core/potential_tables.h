// The nine look-up tables of a job's potential model, the checks that the
// model set-up runs on them, and the screening lengths of its pairs.
// Statuses only: the job layer turns them into its messages.
#pragma once

#include <cstdint>

#include "core/model_parameters.h"

namespace vantrel {

// The nine tables of the model (entries k = 2500..50000 and one spare zero).
void BuildPotentialTables(const ModelParameters& model, PotentialTables& tables);

// The exact values the tables hold at r: density rho (J^2; the table holds it
// times DensityTableScale), density-force term (rho'/r with the
// switching function folded in, zero outside r_hi < r <= r_c, or outside
// r_lo < r <= r_c with the continuous density join) and the pair
// force -phi'/r (the spline's below r_hi).
double ExactDensity(const ModelParameters& model, PairType t, double r);
double ExactDensityForce(const ModelParameters& model, PairType t, double r);
double ExactPairForce(const ModelParameters& model, PairType t, double r);

enum class TableRadiiStatus {
    Usable,
    OutsideTableLimits,     // r_c above 20 A or r_hi below 1 A
    SplineRadiiOutOfOrder,  // not 1 A <= r_lo <= r_hi < r_c
    DensityJoinEmpty,       // continuous density join with r_lo = r_hi
};

// Radii the tables can serve: the look-ups read them from r_lo to r_c.
TableRadiiStatus CheckTableRadii(const ModelParameters& model);

// The AA tables against the exact forms at points 1e-11 m apart, with an
// error limit of 0.001 eV/A: the density-force term from just above r_hi
// (r_lo with the continuous density join) to just below r_c, the pair force
// (spline) from just above r_lo to just below r_hi.  Each range stops at its
// first failing point.
struct TablePrecision {
    bool DensityForcePrecise = true;
    bool SplinePrecise = true;
    bool Ok() const { return DensityForcePrecise && SplinePrecise; }
};
TablePrecision CheckTablePrecision(const ModelParameters& model, const PotentialTables& tables);

// True when the tables of pair category t hold finite numbers wherever a
// look-up can read them (r_lo to r_c).
bool TablesFinite(const ModelParameters& model, const PotentialTables& tables, PairType t);

enum class ScreeningStatus {
    Computed,
    UnknownCode,  // a screening code other than 0, 1 and 2
    FactorNotPositive,
};

struct ScreeningLengthsStatus {
    ScreeningStatus Projectile = ScreeningStatus::Computed;  // projectile-target pairs
    ScreeningStatus Target = ScreeningStatus::Computed;      // target-target pairs
    bool Ok() const {
        return Projectile == ScreeningStatus::Computed && Target == ScreeningStatus::Computed;
    }
};

// The atomic numbers the screening lengths are built from: the projectile
// (z0), the first target atom (species A, z1) and the last one (species B of
// a binary target, zn).
struct SpeciesAtomicNumbers {
    std::int32_t ProjectileZ = 0;
    std::int32_t FirstZ = 0;
    std::int32_t LastZ = 0;
    bool ProjectileIsB = false;
};

// Fills ProjectileScreeningLength and TargetScreeningLength of the model
// (AA, BB, AB) from its codes and factors.
ScreeningLengthsStatus ComputeScreeningLengths(ModelParameters& model,
                                               const SpeciesAtomicNumbers& species);

// The screening records (exponents) from the screening lengths.
void FillScreeningRecords(ModelParameters& model);

}  // namespace vantrel
