// The analytic forms of the N-body potential, the switching function, the
// joining spline and the screening lengths.  The table builder tabulates
// them once per job; the energy report evaluates them directly.  SI units
// throughout (m, J).
//
// The energy of a configuration is
//
//   E = sum_{pairs} phi(r_ij) - sum_i sqrt(rho_i),   rho_i = sum_j f(r_ij),
//
// with, for one pair category (parameters eps, a, n, m, d, c):
//
//              Sutton-Chen (type 0)            Tight-Binding (other types)
//   phi(r)     eps [(a/r)^n - d (a/r)^m]        eps [e^(-n (r/a - 1)) - d e^(-m (r/a - 1))]
//   f(r)       (c eps)^2 (a/r)^m                c^2 e^(-m (r/a - 1))       (c in J)
//
// Both phi and f are multiplied by the switching function S when switching
// is on:  u = (r - r_sw)/(r_c - r_sw),  S = 1 for r <= r_sw, 0 for r >= r_c,
// exp(1/(1 - u^-3)) = exp(u^3/(u^3 - 1)) in between.  The second form is the
// one evaluated: it never overflows for small u.
#pragma once

#include <array>
#include <cstdint>

#include "core/model_parameters.h"
#include "core/units.h"

namespace vantrel {

struct PairParameters {
    std::int32_t PotentialType = 0;  // 0 Sutton-Chen, otherwise Tight-Binding
    double Energy = 0;               // J: eps or A
    double Length = 0;               // m: a or r0
    double Repulsive = 0;            // n or p
    double DensityExponent = 0;      // m or q
    double AttractiveWeight = 0;     // d
    double DensityStrength = 0;      // c (Sutton-Chen) or xi (Tight-Binding, J)
};

// The parameters of pair category t (AA, BB or AB) of a model.
PairParameters PairParametersOf(const ModelParameters& model, PairType t);

double PairPotential(const PairParameters& p, double r);        // phi (J)
double PairPotentialSlope(const PairParameters& p, double r);   // phi' (J/m)
double DensityFunction(const PairParameters& p, double r);      // f
double DensityFunctionSlope(const PairParameters& p, double r); // f' (per m)

struct SwitchingRange {
    bool Use = false;
    double Start = 0;  // r_sw (m)
    double End = 0;    // r_c (m)
};

SwitchingRange SwitchingRangeOf(const ModelParameters& model);
double Switching(const SwitchingRange& range, double r);       // S
double SwitchingSlope(const SwitchingRange& range, double r);  // S' (per m)

// The joining spline c0 + c1 r + c2 r^2 + c3 r^3 (J) and its slope (J/m).
using SplineCoefficients = std::array<double, 4>;
double SplineValue(const SplineCoefficients& c, double r);
double SplineSlope(const SplineCoefficients& c, double r);

// Screening length (m) of the pair (za, zb) for screening code 0 (universal),
// 1 (Lindhard) or 2 (Firsov), times factor; false for any other code.
bool ScreeningLength(std::int32_t code, std::int32_t za, std::int32_t zb, double factor,
                     double& length);

}  // namespace vantrel
