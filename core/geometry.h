// Small geometry helpers shared by the analysis of particle states.
#pragma once

#include <cmath>
#include <numbers>

namespace vantrel {

// Polar angle of (x, y) in [0, 2*pi).
inline double FullCircleAngle(double x, double y) {
    constexpr double pi = std::numbers::pi;
    if (x != 0.0) {
        double angle = std::atan(y / x);
        if (x < 0.0) angle += pi;
        else if (y < 0.0) angle += 2.0 * pi;
        return angle;
    }
    if (y > 0.0) return pi / 2.0;
    if (y < 0.0) return 3.0 * pi / 2.0;
    return 0.0;
}

}  // namespace vantrel
