#include "core/collision_events.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

#include "core/potential_forms.h"
#include "core/potential_tables.h"
#include "core/screening.h"

namespace vantrel {

namespace {

struct PairAxis {
    double X = 0, Y = 0, Z = 0;  // r_i - r_j (m)
    double Length = 0;           // m
};

PairAxis AxisOf(const ParticleTable& p, std::int32_t i, std::int32_t j) {
    PairAxis d;
    d.X = p.X[i] - p.X[j];
    d.Y = p.Y[i] - p.Y[j];
    d.Z = p.Z[i] - p.Z[j];
    const long double sq = static_cast<long double>(d.Y) * d.Y +
                           static_cast<long double>(d.X) * d.X +
                           static_cast<long double>(d.Z) * d.Z;
    d.Length = std::sqrt(static_cast<double>(sq));
    return d;
}

// Moves i by +step and j by -step along the unit axis d, split by mass so
// the centre of mass stays where it was.
void Displace(ParticleTable& p, std::int32_t i, std::int32_t j, const PairAxis& d,
              double step) {
    const double total = p.Mass[i] + p.Mass[j];
    const double shareI = step * p.Mass[j] / total / d.Length;
    const double shareJ = step * p.Mass[i] / total / d.Length;
    p.X[i] += shareI * d.X;
    p.Y[i] += shareI * d.Y;
    p.Z[i] += shareI * d.Z;
    p.X[j] -= shareJ * d.X;
    p.Y[j] -= shareJ * d.Y;
    p.Z[j] -= shareJ * d.Z;
}

}  // namespace

double ScreenedPairEnergy(const ModelParameters& model, bool binaryTarget, std::int32_t za,
                          std::int32_t zb, double r, bool projectile) {
    const ScreeningFunction function = ScreeningFunctionOfCode(
        projectile ? model.ProjectileScreeningCode : model.TargetScreeningCode);
    if (function == ScreeningFunction::Universal && binaryTarget) {
        double length = 0;
        ScreeningLength(0, za, zb,
                        projectile ? model.ProjectileScreeningFactor : model.TargetScreeningFactor,
                        length);
        return ScreenedCoulombEnergy(za, zb, r, function, MakeScreeningRecord(length));
    }
    return ScreenedCoulombEnergy(za, zb, r, function,
                                 projectile ? model.ProjectileScreening[AA] : model.TargetScreening[AA]);
}

double ScreenedPotential(const CollisionModel& model, std::int32_t i, std::int32_t j, double r) {
    const PotentialView& v = model.Potential;
    return ScreenedPairEnergy(*model.Model, v.BinaryTarget, v.AtomicNumber[i], v.AtomicNumber[j],
                              r, i == 0);
}

double PairPotentialEnergy(const CollisionModel& model, std::int32_t i, std::int32_t j, double r) {
    const ModelParameters& m = *model.Model;
    const PotentialView& v = model.Potential;
    const std::int32_t zi = v.AtomicNumber[i];
    const std::int32_t zj = v.AtomicNumber[j];
    // Beyond the cut-off the pair feels no force: its energy stays at the cut-off's.
    r = std::min(r, m.CutoffRadius);
    if (i == 0 && !v.SelfBombard)
        return ScreenedCoulombEnergy(zi, zj, r, v.ProjectileFunction,
                                     ProjectileBranchRecord(v, i, j));
    if (r < m.SplineLowRadius)
        return ScreenedCoulombEnergy(zi, zj, r, v.TargetFunction, TargetBranchRecord(v, i, j));
    const PairType t = TablePairType(v, i, j);
    // The embedding energies -sqrt(rho) of both particles, to first order in
    // the pair's density: the slope the force tables carry.
    const double q = v.EmbeddingFactor[i] + v.EmbeddingFactor[j];
    if (r <= m.SplineHighRadius) {
        const double spline = SplineValue(m.SplineCoefficients[t], r);
        // With the continuous density join the tapered density acts here too.
        return m.SmoothDensityJoin ? spline - q * ExactDensity(m, t, r) : spline;
    }
    return Switching(SwitchingRangeOf(m), r) * PairPotential(PairParametersOf(m, t), r) -
           q * ExactDensity(m, t, r);
}

namespace {

using LocalPair = SeparationScratch::Pair;

// The pairs whose energy a separation of i and j changes: (i, j) itself and
// every pair of i or j with a particle k within the cut-off (plus a margin
// for the move), each listed in owner order (lower index first).
void GatherLocalPairs(const ParticleTable& p, const CollisionModel& model, std::int32_t i,
                      std::int32_t j, std::vector<LocalPair>& pairs) {
    const double reach = model.Model->CutoffRadius + SeparationReachMargin;
    const double reachSq = reach * reach;
    // Only the projectile's pairs, when those are all the dynamics knows.
    const bool projectileOnly = model.ProjectilePairsOnly;
    pairs.clear();
    pairs.push_back({std::min(i, j), std::max(i, j)});
    for (std::int32_t k = 0; k <= p.AtomCount; ++k) {
        if (k == i || k == j) continue;
        for (std::int32_t m : {i, j}) {
            if (projectileOnly && k != 0 && m != 0) continue;
            const double dx = p.X[k] - p.X[m];
            if (std::fabs(dx) > reach) continue;
            const double dy = p.Y[k] - p.Y[m];
            const double dz = p.Z[k] - p.Z[m];
            if (dx * dx + dy * dy + dz * dz <= reachSq) pairs.push_back({std::min(k, m), std::max(k, m)});
        }
    }
}

double LocalEnergy(const ParticleTable& p, const CollisionModel& model,
                   const std::vector<LocalPair>& pairs) {
    long double sum = 0.0L;
    for (const LocalPair& q : pairs) {
        const double r = std::hypot(p.X[q.A] - p.X[q.B], p.Y[q.A] - p.Y[q.B], p.Z[q.A] - p.Z[q.B]);
        sum += PairPotentialEnergy(model, q.A, q.B, r);
    }
    return static_cast<double>(sum);
}

// Force of pair q on its first particle (the second feels the opposite).
ForceVector LocalPairForce(const ParticleTable& p, const CollisionModel& model, const LocalPair& q) {
    const double dx = p.X[q.A] - p.X[q.B], dy = p.Y[q.A] - p.Y[q.B], dz = p.Z[q.A] - p.Z[q.B];
    return PairForce(model.Potential, q.A, q.B, std::sqrt(dx * dx + dy * dy + dz * dz), dx, dy, dz);
}

// dE/ds of the local energy when i moves by +e m_j/M and j by -e m_i/M per
// unit of s: minus the work of the pair forces on the two moving particles.
double LocalSlope(const ParticleTable& p, const CollisionModel& model,
                  const std::vector<LocalPair>& pairs, std::int32_t i, std::int32_t j,
                  const PairAxis& axis) {
    const double total = p.Mass[i] + p.Mass[j];
    const double ex = axis.X / axis.Length, ey = axis.Y / axis.Length, ez = axis.Z / axis.Length;
    auto rate = [&](std::int32_t m) {  // ds-rate of particle m along e
        return m == i ? p.Mass[j] / total : m == j ? -p.Mass[i] / total : 0.0;
    };
    double slope = 0.0;
    for (const LocalPair& q : pairs) {
        const ForceVector f = LocalPairForce(p, model, q);
        const double along = f.X * ex + f.Y * ey + f.Z * ez;
        slope -= along * (rate(q.A) - rate(q.B));
    }
    return slope;
}

}  // namespace

void SizeSeparationScratch(SeparationScratch& scratch, std::int32_t maxPartners) {
    const std::size_t room = 2 * static_cast<std::size_t>(std::max(maxPartners, 1)) + 1;
    scratch.Pairs.reserve(room);
    scratch.Before.reserve(room);
    scratch.Change.reserve(room);
}

Separation SeparatePair(ParticleTable& p, const CollisionModel& model, std::int32_t i,
                        std::int32_t j, double targetEnergy, double energy, double distance,
                        SeparationScratch& scratch) {
    const double loss = energy - targetEnergy;
    PairAxis axis = AxisOf(p, i, j);
    axis.Length = distance;

    // The loss comes out of the energy the dynamics knows the two particles
    // by: their own pair energy (the screened-Coulomb energy for the
    // projectile and for target atoms closer than r_lo; the joining spline
    // or the N-body potential farther out) and their pairs with the atoms
    // around them, which the move also changes.  Newton's method along the
    // axis; its first step is the loss over the pair's force.
    std::vector<LocalPair>& pairs = scratch.Pairs;
    GatherLocalPairs(p, model, i, j, pairs);
    std::vector<ForceVector>& before = scratch.Before;
    before.resize(pairs.size());
    for (std::size_t k = 0; k < pairs.size(); ++k) before[k] = LocalPairForce(p, model, pairs[k]);
    const double goal = LocalEnergy(p, model, pairs) - loss;
    const double xi = p.X[i], yi = p.Y[i], zi = p.Z[i], xj = p.X[j], yj = p.Y[j], zj = p.Z[j];
    auto placeAt = [&](double step) {
        p.X[i] = xi, p.Y[i] = yi, p.Z[i] = zi, p.X[j] = xj, p.Y[j] = yj, p.Z[j] = zj;
        Displace(p, i, j, axis, step);
    };

    // Normally the pair moves apart.  Where a third atom presses on one of
    // them, the energy may fall only when they move closer; the search then
    // goes that way, never by more than a quarter of their distance.
    // A Newton step that would leave the energy farther from the goal is
    // halved until it does not.
    const double limit = SeparationStepLimit * distance;
    double step = 0.0;
    double residual = LocalEnergy(p, model, pairs) - goal;
    for (int iteration = 0; iteration < SeparationIterations; ++iteration) {
        if (!(std::fabs(residual) > SeparationTolerance * std::fabs(loss))) break;
        const double slope = LocalSlope(p, model, pairs, i, j, axis);
        if (slope == 0.0 || !std::isfinite(slope)) break;
        double change = -residual / slope;
        bool better = false;
        for (int halving = 0; halving < SeparationHalvings && !better; ++halving, change *= 0.5) {
            const double trial = std::clamp(step + change, -limit, limit);
            placeAt(trial);
            const double next = LocalEnergy(p, model, pairs) - goal;
            if (std::fabs(next) < std::fabs(residual)) {
                step = trial;
                residual = next;
                better = true;
            }
        }
        placeAt(step);
        if (!better) break;
    }

    // The step's forces belonged to the old positions; the next position
    // update starts from them.  Left stale, they would push the pair as hard
    // as before the move and hand back part of the loss.
    std::vector<ForceVector>& change = scratch.Change;
    change.resize(pairs.size());
    bool finite = std::isfinite(step);
    for (std::size_t k = 0; k < pairs.size() && finite; ++k) {
        const ForceVector after = LocalPairForce(p, model, pairs[k]);
        change[k] = {after.X - before[k].X, after.Y - before[k].Y, after.Z - before[k].Z};
        finite = std::isfinite(change[k].X) && std::isfinite(change[k].Y) && std::isfinite(change[k].Z);
    }
    if (!finite || std::fetestexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO) != 0) {
        // An arithmetic fault: nothing moves, and the caller sees it.
        placeAt(0.0);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan};
    }
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const std::int32_t a = pairs[k].A, b = pairs[k].B;
        const double fx = change[k].X, fy = change[k].Y, fz = change[k].Z;
        p.FX[a] += fx;
        p.FY[a] += fy;
        p.FZ[a] += fz;
        p.FX[b] -= fx;
        p.FY[b] -= fy;
        p.FZ[b] -= fz;
    }
    return {AxisOf(p, i, j).Length, loss - residual};
}

std::int32_t ExcitationCount(RandomGenerator& random, std::int64_t trials, std::int32_t nMax,
                             double p) {
    if (p == 1.0) return static_cast<std::int32_t>(std::min<std::int64_t>(trials, nMax));
    std::int32_t count = 0;
    for (std::int64_t t = 0; t < trials; ++t) {
        if (count == nMax) return nMax;
        if (random.Uniform() < p) ++count;
    }
    return count;
}

double LssCoefficientOf(const InelasticParameters& parameters, std::int32_t atomicNumber) {
    const int n = std::clamp(parameters.LssCount, 0, InelasticTableSize);
    for (int k = 0; k < n; ++k)
        if (parameters.LssTable[k].AtomicNumber == atomicNumber)
            return parameters.LssTable[k].LssCoefficient;
    return 0.0;
}

double OrCoefficientOf(const InelasticParameters& parameters, std::int32_t pairKey) {
    const int n = std::clamp(parameters.OrCount, 0, InelasticTableSize);
    for (int k = 0; k < n; ++k)
        if (parameters.OrTable[k].AtomicNumber == pairKey) return parameters.OrTable[k].OrCoefficient;
    return 0.0;
}

StEntry StEntryOf(const InelasticParameters& parameters, std::int32_t pairKey) {
    const int n = std::clamp(parameters.StCount, 0, InelasticTableSize);
    for (int k = 0; k < n; ++k)
        if (parameters.StTable[k].AtomicNumber == pairKey) return parameters.StTable[k];
    return StEntry{};
}

}  // namespace vantrel
