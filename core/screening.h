// Screened-Coulomb repulsion of two nuclei at short range.
//
//   V(r) = K Za Zb / r * sum_k C_k exp(-e_k r)
//
// with K = e^2 / (4 pi eps0) and e_k = E_k / a the exponents of a
// ScreeningRecord (a the pair's screening length).  Two screening functions:
// the universal four-term function (C = 0.0281, 0.2802, 0.5099, 0.1818;
// E = 0.2016, 0.4029, 0.9423, 3.2) and the three-term Moliere function
// (C = 0.35, 0.55, 0.10; E = 0.3, 1.2, 6.0).  A record holds the universal
// exponents in slots 0..3 and the Moliere exponents in slots 4..6.
//
// The force factor is -V'(r)/r, so that the force on particle i from j is
// f * (r_i - r_j):
//
//   -V'(r)/r = K Za Zb / r^2 * sum_k C_k exp(-e_k r) (1/r + e_k)
#pragma once

#include <array>
#include <cmath>

#include "core/model_parameters.h"
#include "core/units.h"

namespace vantrel {

enum class ScreeningFunction { Universal, Moliere };

inline constexpr std::array<double, 4> UniversalCoefficients = {0.0281, 0.2802, 0.5099, 0.1818};
inline constexpr std::array<double, 4> UniversalExponents = {0.2016, 0.4029, 0.9423, 3.2};
inline constexpr std::array<double, 3> MoliereCoefficients = {0.35, 0.55, 0.10};
inline constexpr std::array<double, 3> MoliereExponents = {0.3, 1.2, 6.0};


// Screening code 0 selects the universal function, any other the Moliere one.
inline ScreeningFunction ScreeningFunctionOfCode(std::int32_t code) {
    return code == 0 ? ScreeningFunction::Universal : ScreeningFunction::Moliere;
}

// The seven exponents (1/m) of a pair whose screening length is a (m).
inline ScreeningRecord MakeScreeningRecord(double length) {
    ScreeningRecord record;
    for (int k = 0; k < 4; ++k) record.Exponent[k] = UniversalExponents[k] / length;
    for (int k = 0; k < 3; ++k) record.Exponent[4 + k] = MoliereExponents[k] / length;
    return record;
}

// Screened-Coulomb pair energy (J) of atomic numbers za, zb at r (m).
inline double ScreenedCoulombEnergy(int za, int zb, double r, ScreeningFunction function,
                                    const ScreeningRecord& record) {
    long double sum = 0.0L;
    if (function == ScreeningFunction::Universal) {
        for (int k = 0; k < 4; ++k)
            sum += UniversalCoefficients[k] * std::exp(-record.Exponent[k] * r);
    } else {
        for (int k = 0; k < 3; ++k)
            sum += MoliereCoefficients[k] * std::exp(-record.Exponent[4 + k] * r);
    }
    return static_cast<double>(static_cast<long double>(za) * CoulombConstant * zb / r * sum);
}

// sum_k C_k exp(-e_k r) (1/r + e_k), accumulated in extended precision: the
// common part of the slope and of the force factor.
inline long double ScreeningForceSum(double r, ScreeningFunction function,
                                     const ScreeningRecord& record) {
    const double s = 1.0 / r;
    long double sum = 0.0L;
    if (function == ScreeningFunction::Universal) {
        for (int k = 0; k < 4; ++k) {
            const double e = record.Exponent[k];
            sum += UniversalCoefficients[k] * std::exp(-e * r) * (s + e);
        }
    } else {
        for (int k = 0; k < 3; ++k) {
            const double e = record.Exponent[4 + k];
            sum += MoliereCoefficients[k] * std::exp(-e * r) * (s + e);
        }
    }
    return sum;
}

// Derivative dV/dr (J/m) of the screened-Coulomb pair energy.
inline double ScreenedCoulombSlope(int za, int zb, double r, ScreeningFunction function,
                                   const ScreeningRecord& record) {
    return static_cast<double>(-static_cast<long double>(za) * CoulombConstant * zb / r *
                               ScreeningForceSum(r, function, record));
}

}  // namespace vantrel
