#include "core/barriers.h"

#include <cmath>

namespace vantrel {

void ApplySurfaceBarrier(ParticleTable& p, double barrier, double plane, double& energySum) {
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        if (p.Flags[i] & LeftSurface) continue;
        if (!(p.Z[i] > plane && p.VZ[i] > 0)) continue;
        const double e = 0.5 * p.Mass[i] * p.VZ[i] * p.VZ[i];
        if (e > barrier) {
            p.VZ[i] = std::sqrt(2.0 * (e - barrier) / p.Mass[i]);
            energySum += barrier;
            p.Flags[i] |= LeftSurface;
        } else {
            p.VZ[i] = -p.VZ[i];  // reflected back into the crystal
        }
    }
}

void ApplySideBarriers(ParticleTable& p, double barrier, const LatticeZone& zone,
                       double& energySum) {
    // One lateral direction: pass the barrier outward losing its energy, or
    // be reflected.
    auto cross = [&](double& v, std::int32_t i) -> bool {
        const double e = 0.5 * p.Mass[i] * v * v;
        if (e > barrier) {
            const double sign = v >= 0 ? 1.0 : -1.0;
            v = sign * std::sqrt(2.0 * (e - barrier) / p.Mass[i]);
            energySum += barrier;
            return true;
        }
        v = -v;
        return false;
    };
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        if (!(p.Flags[i] & LeftSide)) {
            if ((p.X[i] > zone.XMax && p.VX[i] > 0) || (p.X[i] < zone.XMin && p.VX[i] < 0))
                if (cross(p.VX[i], i)) p.Flags[i] |= LeftSide;
        }
        // The y test looks at every particle, whether it has left a side or not.
        if ((p.Y[i] > zone.YMax && p.VY[i] > 0) || (p.Y[i] < zone.YMin && p.VY[i] < 0))
            if (cross(p.VY[i], i)) p.Flags[i] |= LeftSide;
    }
}

bool TrajectoryEnds(const TrajectoryState& t, const TerminationLimits& limits,
                    double watchedMass, bool abortNow) {
    if (t.Time < limits.MinTime && !abortNow) return false;
    if (t.Time >= limits.MaxTime) return true;
    const double watchedEnergy = 0.5 * watchedMass * t.WatchedSpeed * t.WatchedSpeed;
    return !(watchedEnergy > limits.TerminationEnergy && !abortNow);
}

}  // namespace vantrel
