#include "engine/collision_events.h"

#include <algorithm>
#include <cmath>

#include "engine/log.h"
#include "engine/number_text.h"
#include "engine/screening.h"
#include "engine/table_lookup.h"

namespace vantrel {

namespace {

// Universal screening length of one pair: 0.4685 A / (Za^0.23 + Zb^0.23), times factor.
double UniversalScreeningLength(std::int32_t za, std::int32_t zb, double factor) {
    return factor * ScreeningLengthScale /
           (std::pow(static_cast<double>(za), 0.23) + std::pow(static_cast<double>(zb), 0.23));
}

struct Separation {
    double X = 0, Y = 0, Z = 0;  // r_i - r_j (m)
    double Length = 0;           // m
};

Separation SeparationOf(const ParticleTable& p, std::int32_t i, std::int32_t j) {
    Separation d;
    d.X = p.X[i] - p.X[j];
    d.Y = p.Y[i] - p.Y[j];
    d.Z = p.Z[i] - p.Z[j];
    const long double sq = static_cast<long double>(d.Y) * d.Y +
                           static_cast<long double>(d.X) * d.X +
                           static_cast<long double>(d.Z) * d.Z;
    d.Length = std::sqrt(static_cast<double>(sq));
    return d;
}

double ForceLength(const ForceVector& f) { return std::sqrt(f.X * f.X + f.Y * f.Y + f.Z * f.Z); }

// Moves i by +step and j by -step along the unit axis d, split by mass so
// the centre of mass stays where it was.
void Displace(ParticleTable& p, std::int32_t i, std::int32_t j, const Separation& d,
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

double ScreenedPotential(const SimulationState& s, std::int32_t i, std::int32_t j, double r) {
    const ModelParameters& m = s.Model;
    const bool projectile = i == 0;
    const ScreeningFunction function = ScreeningFunctionOfCode(
        projectile ? m.ProjectileScreeningCode : m.TargetScreeningCode);
    const std::int32_t zi = s.Particles.AtomicNumber[i];
    const std::int32_t zj = s.Particles.AtomicNumber[j];
    double length;
    if (function == ScreeningFunction::Universal && s.BinaryTarget)
        length = UniversalScreeningLength(
            zi, zj, projectile ? m.ProjectileScreeningFactor : m.TargetScreeningFactor);
    else
        length = projectile ? m.ProjectileScreeningLength[AA] : m.TargetScreeningLength[AA];
    return ScreenedCoulombEnergy(zi, zj, r, function, MakeScreeningRecord(length));
}

double SeparatePair(SimulationState& s, std::int32_t i, std::int32_t j, double targetEnergy,
                    double energy, double distance, double forceFloor) {
    ParticleTable& p = s.Particles;

    // First step: the energy difference over the pair force, a Newton step
    // along the axis (the force is -dV/dr there).
    Separation d = SeparationOf(p, i, j);
    d.Length = distance;
    const ForceVector before = PairForce(s, i, j, distance, d.X, d.Y, d.Z);
    const double force = ForceLength(before);
    const double step = force == 0.0 ? 0.0 : (energy - targetEnergy) / force;
    Displace(p, i, j, d, step);

    // Second step: what is still missing, from the new distance.
    d = SeparationOf(p, i, j);
    const double residual = targetEnergy - ScreenedPotential(s, i, j, d.Length);
    const double forceAfter = ForceLength(PairForce(s, i, j, d.Length, d.X, d.Y, d.Z));
    const double correction = forceAfter <= forceFloor ? 0.0 : -residual / forceAfter;
    Displace(p, i, j, d, correction);

    // The step's force on the pair belonged to the old distance; the next
    // position update starts from it.  Left stale, it would push the pair
    // as hard as before the separation and hand back part of the loss.
    d = SeparationOf(p, i, j);
    const ForceVector after = PairForce(s, i, j, d.Length, d.X, d.Y, d.Z);
    p.FX[i] += after.X - before.X;
    p.FY[i] += after.Y - before.Y;
    p.FZ[i] += after.Z - before.Z;
    p.FX[j] -= after.X - before.X;
    p.FY[j] -= after.Y - before.Y;
    p.FZ[j] -= after.Z - before.Z;
    return d.Length;
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

std::string EventLogText(const CollisionEvent& e) {
    const char* name = e.Kind == EventKind::ShapiroTombrello ? "  ST event, particles: "
                                                             : "  OR event, particles: ";
    return name + IntegerText(e.First) + " and " + IntegerText(e.Second) +
           ", dE = " + FormatReal8(e.EnergyChange * EvPerJoule) +
           " eV, R(old) = " + FormatReal8(e.DistanceBefore * AngstromPerMetre) +
           " A, R(new) = " + FormatReal8(e.DistanceAfter * AngstromPerMetre) + " A";
}

void ReportCollisionEvent(SimulationState& s, const CollisionEvent& e) {
    const SimulationOptions& options = s.Options();
    if (options.StoreInelastic && s.EventsFile) {
        InelasticEvent line;
        line.Kind = e.Kind;
        line.RunNumber = s.RunNumber();
        line.First = e.First;
        line.Second = e.Second;
        line.EnergyChange = e.EnergyChange;
        line.ClosestApproach = e.ClosestApproach;
        line.FinalDistance = e.DistanceAfter;
        line.MeanHeight = e.MeanHeight;
        line.Timestep = e.Timestep;
        line.RelativeEnergy = e.RelativeEnergy;
        line.Code = e.Excitations;
        WriteEventLine(s, line);
    }
    if (options.Verbose && options.ReportInelastic)
        LogLine(s.Ui(), EventLogText(e), ColourDarkRed);
}

}  // namespace vantrel
