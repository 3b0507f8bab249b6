// The joining spline between the screened-Coulomb repulsion and the N-body
// pair potential.
//
// For one pair category the cubic p(r) = c0 + c1 r + c2 r^2 + c3 r^3 takes
// the screened-Coulomb energy V and slope V' at r_lo and the pair potential
// phi and slope phi' at r_hi (Hermite interpolation), so that the pair
// energy and force are continuous at both joins.  A cubic whose slope turns
// positive somewhere between the joins has a dip there, an unphysical well
// that traps atoms: the fit reports it so that other radii can be chosen.
#pragma once

#include <cstdint>

#include "core/screening.h"
#include "core/model_parameters.h"
#include "core/units.h"
#include "core/potential_forms.h"

namespace vantrel {

struct JoiningSplineRequest {
    PairParameters Pair;         // SI, as the model reader stores them
    double LowRadius = 0;        // m, r_lo
    double HighRadius = 0;       // m, r_hi
    std::int32_t Za = 0, Zb = 0;  // atomic numbers of the pair
    ScreeningFunction Function = ScreeningFunction::Universal;
    double ScreeningLength = 0;  // m
};

struct JoiningSpline {
    SplineCoefficients Coefficients{};  // c0..c3 in J, J/m, J/m^2, J/m^3
    bool Decreasing = false;            // slope negative all the way from r_lo to r_hi
    double LargestSlope = 0;            // J/m, the slope's maximum on [r_lo, r_hi]
    double LargestSlopeRadius = 0;      // m, where it is reached
};

// Fits the cubic; r_lo < r_hi is required (otherwise Decreasing is false and
// the coefficients are zero).
JoiningSpline FitJoiningSpline(const JoiningSplineRequest& request);

// Two atoms alone across the joining region of a model with the continuous
// density join (core/potential_forms.h): E(r) = p(r) - 2 sqrt(T(r) f(r)),
// p the cubic, each atom's embedding energy -sqrt(rho).  The square root is
// steepest at the smallest density, so two atoms alone are where the taper
// could most easily dig a well of its own into the repulsion.  The N-body
// pair alone, phi - 2 sqrt(f), has its minimum near r_hi for the metals'
// potentials, so E may fall to about that minimum, but not lower, and must
// fall to one minimum only (no bump behind it).  Pair.DensityStrength must
// be set (SI).  Sampled at 2001 points from r_lo to r_hi.
struct TaperedDimer {
    bool Acceptable = false;      // SingleMinimum and not below the N-body minimum
    bool SingleMinimum = false;   // falls to its lowest point, rises after it
    double Lowest = 0;            // J, E at its lowest
    double LowestRadius = 0;      // m
    double NBodyLowest = 0;       // J, phi - 2 sqrt(f) at its lowest over the region
};
TaperedDimer CheckTaperedDimer(const JoiningSplineRequest& request, const SplineCoefficients& c);

// The request for target pair category t of a model whose per-pair values,
// radii and target screening code and factor are set (SI): the screening
// function and length are those the force evaluation uses below r_lo (the
// universal function with the pair's own length, the Moliere function with
// the AA length).  z1 and zn are the atomic numbers of species A and B.
// False for a screening code other than 0, 1 or 2.
bool TargetSplineRequest(const ModelParameters& model, PairType t, std::int32_t z1,
                         std::int32_t zn, JoiningSplineRequest& request);

}  // namespace vantrel
