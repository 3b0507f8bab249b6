#include "core/spline_fit.h"

#include <cmath>

namespace vantrel {

JoiningSpline FitJoiningSpline(const JoiningSplineRequest& q) {
    JoiningSpline result;
    const double lo = q.LowRadius;
    const double hi = q.HighRadius;
    if (!(lo < hi)) return result;

    const ScreeningRecord record = MakeScreeningRecord(q.ScreeningLength);
    const double y0 = ScreenedCoulombEnergy(q.Za, q.Zb, lo, q.Function, record);
    const double s0 = ScreenedCoulombSlope(q.Za, q.Zb, lo, q.Function, record);
    const double y1 = PairPotential(q.Pair, hi);
    const double s1 = PairPotentialSlope(q.Pair, hi);

    // Hermite form in t = r - r_lo: p = y0 + s0 t + A t^2 + B t^3.
    const double h = hi - lo;
    const double chord = (y1 - y0) / h;
    const double a = (3.0 * chord - 2.0 * s0 - s1) / h;
    const double b = (s0 + s1 - 2.0 * chord) / (h * h);

    SplineCoefficients& c = result.Coefficients;
    c[3] = b;
    c[2] = a - 3.0 * b * lo;
    c[1] = s0 - 2.0 * a * lo + 3.0 * b * lo * lo;
    c[0] = y0 - s0 * lo + a * lo * lo - b * lo * lo * lo;

    // The slope s0 + 2 A t + 3 B t^2 is largest at an end or at its vertex.
    result.LargestSlope = s0;
    result.LargestSlopeRadius = lo;
    if (s1 > result.LargestSlope) {
        result.LargestSlope = s1;
        result.LargestSlopeRadius = hi;
    }
    if (b < 0.0) {
        const double t = -a / (3.0 * b);
        if (t > 0.0 && t < h) {
            const double slope = s0 + 2.0 * a * t + 3.0 * b * t * t;
            if (slope > result.LargestSlope) {
                result.LargestSlope = slope;
                result.LargestSlopeRadius = lo + t;
            }
        }
    }
    result.Decreasing = result.LargestSlope < 0.0;
    return result;
}

TaperedDimer CheckTaperedDimer(const JoiningSplineRequest& q, const SplineCoefficients& c) {
    TaperedDimer result;
    if (!(q.LowRadius < q.HighRadius)) return result;
    const DensityJoin join{true, q.LowRadius, q.HighRadius};
    constexpr int Points = 2000;
    // A rise and fall of less than this (J) is rounding, not a bump.
    const double noise = 1e-9 * std::fabs(SplineValue(c, q.LowRadius));
    bool first = true;
    bool rising = false;
    double previous = 0;
    result.SingleMinimum = true;
    for (int k = 0; k <= Points; ++k) {
        const double r = q.LowRadius + (q.HighRadius - q.LowRadius) * k / Points;
        const double f = DensityFunction(q.Pair, r);
        const double e = SplineValue(c, r) - 2.0 * std::sqrt(DensityTaper(join, r) * f);
        const double nbody = PairPotential(q.Pair, r) - 2.0 * std::sqrt(f);
        if (first || e < result.Lowest) result.Lowest = e, result.LowestRadius = r;
        if (first || nbody < result.NBodyLowest) result.NBodyLowest = nbody;
        if (!first) {
            if (e > previous + noise) rising = true;
            else if (rising && e < previous - noise) result.SingleMinimum = false;
        }
        previous = e;
        first = false;
    }
    // A thousandth of the N-body minimum's depth for the sampling.
    result.Acceptable = result.SingleMinimum &&
                        result.Lowest >= result.NBodyLowest - 1e-3 * std::fabs(result.NBodyLowest);
    return result;
}

bool TargetSplineRequest(const ModelParameters& model, PairType t, std::int32_t z1,
                         std::int32_t zn, JoiningSplineRequest& request) {
    request.Pair = PairParametersOf(model, t);
    request.LowRadius = model.SplineLowRadius;
    request.HighRadius = model.SplineHighRadius;
    request.Za = t == BB ? zn : z1;
    request.Zb = t == AA ? z1 : zn;
    request.Function = ScreeningFunctionOfCode(model.TargetScreeningCode);
    const bool universal = request.Function == ScreeningFunction::Universal;
    // The Moliere function always takes the AA length.
    const std::int32_t za = universal ? request.Za : z1;
    const std::int32_t zb = universal ? request.Zb : z1;
    return ScreeningLength(model.TargetScreeningCode, za, zb, model.TargetScreeningFactor,
                           request.ScreeningLength);
}

}  // namespace vantrel
