#include "core/potential_forms.h"

#include <cmath>

#include "core/screening.h"

namespace vantrel {

PairParameters PairParametersOf(const ModelParameters& model, PairType t) {
    PairParameters p;
    p.PotentialType = model.PotentialType;
    p.Energy = model.PairEnergy[t];
    p.Length = model.PairLength[t];
    p.Repulsive = model.RepulsiveExponent[t];
    p.DensityExponent = model.DensityExponent[t];
    p.AttractiveWeight = model.AttractiveWeight[t];
    p.DensityStrength = model.DensityStrength[t];
    return p;
}

double PairPotential(const PairParameters& p, double r) {
    if (p.PotentialType == 0) {
        const double x = p.Length / r;
        return p.Energy * (std::pow(x, p.Repulsive) - p.AttractiveWeight * std::pow(x, p.DensityExponent));
    }
    const double y = r / p.Length - 1.0;
    return p.Energy * (std::exp(-p.Repulsive * y) -
                       p.AttractiveWeight * std::exp(-p.DensityExponent * y));
}

double PairPotentialSlope(const PairParameters& p, double r) {
    if (p.PotentialType == 0) {
        const double x = p.Length / r;
        return p.Energy *
               (-p.Repulsive * std::pow(x, p.Repulsive) +
                p.AttractiveWeight * p.DensityExponent * std::pow(x, p.DensityExponent)) /
               r;
    }
    const double y = r / p.Length - 1.0;
    return p.Energy * (-(p.Repulsive / p.Length) * std::exp(-p.Repulsive * y) +
                       p.AttractiveWeight * (p.DensityExponent / p.Length) *
                           std::exp(-p.DensityExponent * y));
}

double DensityFunction(const PairParameters& p, double r) {
    if (p.PotentialType == 0) {
        const double ce = p.DensityStrength * p.Energy;
        return ce * ce * std::pow(p.Length / r, p.DensityExponent);
    }
    return p.DensityStrength * p.DensityStrength *
           std::exp(-p.DensityExponent * (r / p.Length - 1.0));
}

double DensityFunctionSlope(const PairParameters& p, double r) {
    if (p.PotentialType == 0) return -p.DensityExponent * DensityFunction(p, r) / r;
    return -(p.DensityExponent / p.Length) * DensityFunction(p, r);
}

SwitchingRange SwitchingRangeOf(const ModelParameters& model) {
    return {model.UseSwitching, model.SwitchRadius, model.CutoffRadius};
}

double Switching(const SwitchingRange& range, double r) {
    if (!range.Use || r <= range.Start) return 1.0;
    if (r >= range.End) return 0.0;
    const double u = (r - range.Start) / (range.End - range.Start);
    const double u3 = u * u * u;
    return std::exp(u3 / (u3 - 1.0));
}

double SwitchingSlope(const SwitchingRange& range, double r) {
    if (!range.Use || r <= range.Start || r >= range.End) return 0.0;
    const double width = range.End - range.Start;
    const double u = (r - range.Start) / width;
    const double u3 = u * u * u;
    const double g = u3 - 1.0;
    // -3 u^-4 S / (1 - u^-3)^2 / width, with u^-4 / (1 - u^-3)^2 = u^2 / (u^3 - 1)^2.
    return -3.0 * u * u * std::exp(u3 / g) / (g * g) / width;
}

DensityJoin DensityJoinOf(const ModelParameters& model) {
    return {model.SmoothDensityJoin, model.SplineLowRadius, model.SplineHighRadius};
}

double DensityTaper(const DensityJoin& join, double r) {
    if (!join.Smooth || r >= join.High) return 1.0;
    if (r <= join.Low) return 0.0;
    const double x = (r - join.Low) / (join.High - join.Low);
    return x * x * x * (10.0 + x * (-15.0 + 6.0 * x));
}

double DensityTaperSlope(const DensityJoin& join, double r) {
    if (!join.Smooth || r <= join.Low || r >= join.High) return 0.0;
    const double width = join.High - join.Low;
    const double x = (r - join.Low) / width;
    const double y = x * (1.0 - x);
    return 30.0 * y * y / width;
}

double SplineValue(const SplineCoefficients& c, double r) {
    return c[0] + r * (c[1] + r * (c[2] + r * c[3]));
}

double SplineSlope(const SplineCoefficients& c, double r) {
    return c[1] + r * (2.0 * c[2] + r * 3.0 * c[3]);
}

bool ScreeningLength(std::int32_t code, std::int32_t za, std::int32_t zb, double factor,
                     double& length) {
    const double a = static_cast<double>(za);
    const double b = static_cast<double>(zb);
    switch (code) {
        case 0:  // universal
            length = factor * ScreeningLengthScale / (std::pow(a, 0.23) + std::pow(b, 0.23));
            return true;
        case 1:  // Lindhard
            length = factor * ScreeningLengthScale /
                     std::sqrt(std::pow(a, 2.0 / 3.0) + std::pow(b, 2.0 / 3.0));
            return true;
        case 2:  // Firsov
            length = factor * ScreeningLengthScale / std::pow(std::sqrt(a) + std::sqrt(b), 2.0 / 3.0);
            return true;
        default:
            return false;
    }
}

}  // namespace vantrel
