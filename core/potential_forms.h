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
//
// Continuous density join (ModelParameters::SmoothDensityJoin, off by
// default).  Plain models let f act only above r_hi: the density a pair adds
// jumps from 0 to f(r_hi) there, so every pair crossing r_hi changes the
// embedding energy (some 1 eV for a Cu pair in the bulk) while no force does
// work, and a cascade's energy wanders.  With the join on, f is multiplied
// below r_hi by a taper that rises across the joining region:
//
//   T(r) = 0 for r <= r_lo,   1 for r >= r_hi,
//   T(r) = x^3 (10 - 15 x + 6 x^2),  x = (r - r_lo)/(r_hi - r_lo), in between;
//   T'(r) = 30 x^2 (1 - x)^2 / (r_hi - r_lo).
//
// Where: the joining region, because there the pair term is already an
// interpolant (the spline).  Above r_hi nothing changes, so the crystal at
// rest (no neighbour closer than r_hi), its cohesive and lattice energies
// and every near-equilibrium property keep their values; below r_lo the
// screened-Coulomb repulsion acts alone as before.  Which form: the quintic
// step has T' = T'' = 0 at both ends, so rho, rho' and rho'' are continuous
// at r_lo and r_hi (the force is continuous and so is its slope); its
// steepest slope is 1.875 per join width, against about 2.98 for the
// cut-off's switching form, which spends its fall in a narrower band.
// The joining spline is not refitted: it is a fit of the pair term alone
// (screened-Coulomb value and slope at r_lo, phi's at r_hi) and the taper
// leaves the pair term alone, while T = T' = 0 at r_lo and T = 1, T' = 0 at
// r_hi keep the density term's value and slope at both joins.  Inside the
// region the total energy gains the tapered embedding energy: at most the
// step the plain model had at r_hi, vanishing towards r_lo.  S = 1 there
// (the reader requires r_sw > r_hi), so the taper alone multiplies f.
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

// The taper of the continuous density join, T and T' (per m).  With the
// join off (Smooth false) T is 1 and T' is 0: the tables then hold no
// density at or below r_hi at all.
struct DensityJoin {
    bool Smooth = false;
    double Low = 0;   // r_lo (m): T = 0 at and below
    double High = 0;  // r_hi (m): T = 1 at and above
};

DensityJoin DensityJoinOf(const ModelParameters& model);
double DensityTaper(const DensityJoin& join, double r);
double DensityTaperSlope(const DensityJoin& join, double r);

// Above this radius a pair adds density and feels the density force: r_hi,
// or r_lo with the continuous join.
inline double DensityStartRadius(const ModelParameters& model) {
    return model.SmoothDensityJoin ? model.SplineLowRadius : model.SplineHighRadius;
}

// The joining spline c0 + c1 r + c2 r^2 + c3 r^3 (J) and its slope (J/m).
using SplineCoefficients = std::array<double, 4>;
double SplineValue(const SplineCoefficients& c, double r);
double SplineSlope(const SplineCoefficients& c, double r);

// Screening length (m) of the pair (za, zb) for screening code 0 (universal),
// 1 (Lindhard) or 2 (Firsov), times factor; false for any other code.
bool ScreeningLength(std::int32_t code, std::int32_t za, std::int32_t zb, double factor,
                     double& length);

}  // namespace vantrel
