// The potential model of a job: the values of the model file in SI units,
// the screening records derived from them, and the nine look-up tables built
// from both.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/particles.h"

namespace vantrel {

// Seven screening exponents (1/m): b1..b4 of the universal function, then
// m1..m3 of the Moliere function, each the dimensionless constant over the
// pair's screening length.
struct ScreeningRecord {
    std::array<double, 7> Exponent{};
};

// Per-pair values are indexed by PairType (1 AA, 2 BB, 3 AB); index 0 is unused.
using PairValues = std::array<double, 4>;

struct ModelParameters {
    std::int32_t ProjectileScreeningCode = 0;
    double ProjectileScreeningFactor = 0;
    std::int32_t TargetScreeningCode = 0;
    double TargetScreeningFactor = 0;
    std::int32_t PotentialType = 0;  // 0 Sutton-Chen, otherwise Tight-Binding
    PairValues PairEnergy{};         // J: Sutton-Chen epsilon, Tight-Binding A
    PairValues PairLength{};         // m: Sutton-Chen a, Tight-Binding r0
    PairValues RepulsiveExponent{};  // Sutton-Chen n, Tight-Binding p
    PairValues DensityExponent{};    // Sutton-Chen m, Tight-Binding q
    PairValues AttractiveWeight{};   // d
    PairValues DensityStrength{};    // Sutton-Chen c, Tight-Binding xi (J)
    PairValues Reserved{};
    double SplineLowRadius = 0;      // m, r_lo
    double SplineHighRadius = 0;     // m, r_hi
    double SplineHighRadiusSq = 0;   // m^2
    double CutoffRadius = 0;         // m, r_c
    bool UseSwitching = false;
    double SwitchRadius = 0;         // m, r_sw
    std::int32_t StaticLattice = 0;  // 0: thermal displacements every run
    double ModelMass = 0;            // amu, for the cross-check with the target file
    double TargetTemperature = 0;    // K
    double SurfaceBarrier = 0;       // J, 0 = none
    double SideBarrier = 0;          // J, 0 = none
    double TerminationEnergy = 0;    // J
    bool ProjectileOnlyTest = false;
    double MsdBulkA = 0, MsdSurfaceNormalA = 0, MsdSurfaceInPlaneA = 0;  // A^2
    double MsdBulkB = 0, MsdSurfaceNormalB = 0, MsdSurfaceInPlaneB = 0;  // A^2
    std::array<std::array<double, 4>, 4> SplineCoefficients{};  // [PairType][c0..c3], SI
    // The density tapered to 0 across the joining region instead of ending
    // at r_hi (core/potential_forms.h): potential types 10 and 11 of the
    // model file, or the job's SmoothDensityJoin option.
    bool SmoothDensityJoin = false;

    // Derived.
    bool NBodyActive = false;
    PairValues ProjectileScreeningLength{};  // m
    PairValues TargetScreeningLength{};      // m
    std::array<ScreeningRecord, 4> ProjectileScreening{};
    std::array<ScreeningRecord, 4> TargetScreening{};
};

// The nine single-precision tables, one of each kind per PairType, entries
// k = 2500..50000 at r = k * 4e-14 m (1 A to 20 A), position k - 2500.  One
// spare zero entry after k = 50000 lets a look-up at exactly 20 A interpolate.
inline constexpr int TableFirstIndex = 2500;
inline constexpr int TableLastIndex = 50000;
inline constexpr int TableEntries = TableLastIndex - TableFirstIndex + 1;  // 47501
inline constexpr double TableScale = 2.5e13;                              // 1/m
inline constexpr double TableStep = 4.0e-14;                              // m
// The density tables hold rho times 2^100: rho itself (J^2, some 1e-38 for
// the metals' potentials and less towards r_c) would fall among the
// subnormal floats and lose its precision there.  A power of two scales
// without rounding; the look-up multiplies by the exact inverse.
inline constexpr double DensityTableScale = 0x1p100;
inline constexpr double DensityTableUnscale = 0x1p-100;

struct PotentialTables {
    bool Allocated = false;
    std::array<std::vector<float>, 4> Density;       // rho(r) * DensityTableScale
    std::array<std::vector<float>, 4> DensityForce;  // rho'(r)/r
    std::array<std::vector<float>, 4> PairForce;     // -phi'(r)/r, spline below r_hi
};

}  // namespace vantrel
