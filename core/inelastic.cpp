#include "core/inelastic.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <initializer_list>

#include "core/units.h"

namespace vantrel {

double ImageForce(const InelasticParameters& parameters, double z) {
    if (!(z > parameters.ImageDistance)) return 0.0;
    const double a = 4.0 * (z - parameters.ImageDistance);
    const double d = a * a + parameters.ImageLengthSquare;
    return a * ImageForceConstant / std::sqrt(d * d * d);
}

double ImagePotential(const InelasticParameters& parameters, double z) {
    if (!(z > parameters.ImageDistance)) return -parameters.ImageEnergy;
    const double d = z - parameters.ImageDistance;
    return -CoulombConstant / std::sqrt(16.0 * d * d + parameters.ImageLengthSquare);
}

namespace {

// Floating-point faults of one pass.
constexpr int FaultFlags = FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO;

void ClearFaults() { std::feclearexcept(FaultFlags); }

bool FaultRaised() { return std::fetestexcept(FaultFlags) != 0; }

bool AllFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Squared distance of i and j, summed y, x, z in extended precision.
double DistanceSq(const ParticleTable& p, std::int32_t i, std::int32_t j) {
    const long double dy = p.Y[i] - p.Y[j];
    const long double dx = p.X[i] - p.X[j];
    const long double dz = p.Z[i] - p.Z[j];
    return static_cast<double>(dy * dy + dx * dx + dz * dz);
}

double ReducedMass(const ParticleTable& p, std::int32_t i, std::int32_t j) {
    return p.Mass[i] * p.Mass[j] / (p.Mass[i] + p.Mass[j]);
}

// 1/2 mu |v_i - v_j|^2: the kinetic energy of the relative motion.
double RelativeKineticEnergy(const ParticleTable& p, std::int32_t i, std::int32_t j) {
    const double dvx = p.VX[i] - p.VX[j];
    const double dvy = p.VY[i] - p.VY[j];
    const double dvz = p.VZ[i] - p.VZ[j];
    return 0.5 * ReducedMass(p, i, j) * (dvx * dvx + dvy * dvy + dvz * dvz);
}

std::int32_t PairKey(const ParticleTable& p, std::int32_t i, std::int32_t j) {
    return p.AtomicNumber[i] * p.AtomicNumber[j];
}

// Positions of an event's pair, kept so that a fault can undo the separation.
struct PairPositions {
    double Xi, Yi, Zi, Xj, Yj, Zj;
};

PairPositions SavePositions(const ParticleTable& p, std::int32_t i, std::int32_t j) {
    return {p.X[i], p.Y[i], p.Z[i], p.X[j], p.Y[j], p.Z[j]};
}

void RestorePositions(ParticleTable& p, std::int32_t i, std::int32_t j, const PairPositions& q) {
    p.X[i] = q.Xi;
    p.Y[i] = q.Yi;
    p.Z[i] = q.Zi;
    p.X[j] = q.Xj;
    p.Y[j] = q.Yj;
    p.Z[j] = q.Zj;
}

bool PositionsFinite(const ParticleTable& p, std::int32_t i, std::int32_t j) {
    return AllFinite({p.X[i], p.Y[i], p.Z[i], p.X[j], p.Y[j], p.Z[j]});
}

// Records grow one at a time up to the list capacity over a job; after the
// first encounters each list keeps its room.
template <typename Record>
std::int32_t UpdateInelasticPartners(const ParticleTable& p, const PartnerLists& partners,
                                     double captureSq, bool abortNow,
                                     std::vector<std::vector<Record>>& lists) {
    const std::size_t capacity = static_cast<std::size_t>(std::max(partners.MaxPartners, 0));
    std::int32_t refused = 0;
    const std::int32_t n = p.AtomCount;
    for (std::int32_t i = 0; i < n; ++i) {
        std::vector<Record>& list = lists[static_cast<std::size_t>(i)];
        for (std::uint32_t k = partners.Start[i]; k < partners.Start[i + 1]; ++k) {
            const std::int32_t j = partners.Index[k];
            const double d2 = DistanceSq(p, i, j);
            const auto found = std::find_if(list.begin(), list.end(),
                                            [j](const Record& r) { return r.Partner == j; });
            if (d2 <= captureSq) {
                if (found != list.end() || abortNow) continue;
                if (list.size() >= capacity) {
                    ++refused;
                    continue;
                }
                Record record;
                record.Partner = j;
                record.LastDistSq = d2;
                list.insert(list.begin(), record);
            } else if (found != list.end()) {
                list.erase(found);
            }
        }
    }
    return refused;
}

// The common end of an ST or OR event: moves the pair apart until its energy
// has fallen to targetEnergy, books the energy actually removed in lossSum
// and keeps the event.  False, with the positions restored and the flags
// cleared, when a fault ended the pass.
bool SeparateAndBook(ParticleTable& p, const CollisionPassInputs& in, CollisionEvent& event,
                     double targetEnergy, double potential, double& lossSum,
                     CollisionPassWork& work) {
    const std::int32_t i = event.First;
    const std::int32_t j = event.Second;
    const PairPositions saved = SavePositions(p, i, j);
    const Separation moved = SeparatePair(p, in.Model, i, j, targetEnergy, potential,
                                          event.DistanceBefore, work.Separation);
    if (FaultRaised() || !PositionsFinite(p, i, j) || !AllFinite({moved.Distance, moved.Removed})) {
        RestorePositions(p, i, j, saved);
        ClearFaults();
        return false;
    }
    event.DistanceAfter = moved.Distance;
    event.EnergyChange = -moved.Removed;
    lossSum -= moved.Removed;
    work.Events.push_back(event);
    return true;
}

// One ST record's step; false when a fault ended the pass.
bool StRecordStep(ParticleTable& p, std::int32_t i, StPartnerRecord& record,
                  const CollisionPassInputs& in, RandomGenerator& random, double& lossSum,
                  CollisionPassWork& work) {
    const std::int32_t j = record.Partner;
    const double d2 = DistanceSq(p, i, j);
    if (d2 > in.RadiusSq) return true;

    if (d2 < record.LastDistSq) {
        // Approaching: follow the pair in until it crosses R_c, keeping the
        // radial energy it has there.
        const double previous = std::sqrt(record.LastDistSq);
        record.LastDistSq = d2;
        if (record.Inside) return true;
        const StEntry st = StEntryOf(*in.Parameters, PairKey(p, i, j));
        if (st.StRadius == 0.0) return true;
        const double distance = std::sqrt(d2);
        const bool inside = distance <= st.StRadius;
        const double radialSpeed = ((p.VX[i] - p.VX[j]) * (p.X[i] - p.X[j]) +
                                    (p.VY[i] - p.VY[j]) * (p.Y[i] - p.Y[j]) +
                                    (p.VZ[i] - p.VZ[j]) * (p.Z[i] - p.Z[j])) /
                                   distance;
        const double radial = 0.5 * ReducedMass(p, i, j) * radialSpeed * radialSpeed;
        double energy = radial;
        if (inside) {
            // Linear interpolation between the last two steps to the crossing.
            const double before = std::fabs(st.StRadius - previous);
            const double after = std::fabs(st.StRadius - distance);
            energy = (radial * before + record.RadialEnergy * after) / (before + after);
        }
        if (FaultRaised() || !std::isfinite(energy)) {
            ClearFaults();
            return false;
        }
        record.Inside = inside;
        record.RadialEnergy = energy;
        return true;
    }

    // Receding: the pair went inside R_c, so it may excite now.
    if (!record.Inside) return true;
    const StEntry st = StEntryOf(*in.Parameters, PairKey(p, i, j));
    std::int32_t count = 0;
    if (st.StEnergy != 0.0) {
        // One trial per started quantum of the radial energy.
        const double quanta = std::trunc(record.RadialEnergy / st.StEnergy);
        if (FaultRaised() || !std::isfinite(quanta)) {
            ClearFaults();
            return false;
        }
        const double trials = std::clamp(quanta + 1.0, 0.0, 2147483647.0);
        count = ExcitationCount(random, static_cast<std::int64_t>(trials), st.StOrder, st.StValue);
    }
    if (count <= 0) return true;  // drawn again at the next step

    CollisionEvent event;
    event.Kind = EventKind::ShapiroTombrello;
    event.First = i;
    event.Second = j;
    event.MeanHeight = 0.5 * (p.Z[i] + p.Z[j]);
    const double loss = count * st.StEnergy;
    event.EnergyChange = -loss;
    event.ClosestApproach = std::sqrt(record.LastDistSq);
    event.DistanceBefore = std::sqrt(d2);
    const double potential = ScreenedPotential(in.Model, i, j, event.DistanceBefore);
    event.RelativeEnergy = RelativeKineticEnergy(p, i, j) + potential;
    event.Timestep = in.Timestep;
    event.Excitations = count;
    if (FaultRaised() || !AllFinite({event.RelativeEnergy, loss})) {
        ClearFaults();
        return false;
    }
    if (!SeparateAndBook(p, in, event, potential - loss, potential, lossSum, work)) return false;
    record.Done = true;
    return true;
}

// One OR record's step; false when a fault ended the pass.
bool OrRecordStep(ParticleTable& p, std::int32_t i, OrPartnerRecord& record,
                  const CollisionPassInputs& in, double& lossSum, CollisionPassWork& work) {
    const std::int32_t j = record.Partner;
    const double d2 = DistanceSq(p, i, j);
    if (d2 > in.RadiusSq) return true;
    if (d2 < record.LastDistSq) {
        record.LastDistSq = d2;
        return true;
    }
    // The pair has passed its closest approach.
    const double coefficient = OrCoefficientOf(*in.Parameters, PairKey(p, i, j));
    if (coefficient == 0.0) return true;

    CollisionEvent event;
    event.Kind = EventKind::OenRobinson;
    event.First = i;
    event.Second = j;
    event.MeanHeight = 0.5 * (p.Z[i] + p.Z[j]);
    event.ClosestApproach = std::sqrt(record.LastDistSq);
    event.DistanceBefore = std::sqrt(d2);
    if (std::fabs(event.DistanceBefore) < 1.0e-50) {
        // Two particles on one spot: no axis to separate them along.  The
        // record stays open and is tried again at the next step.
        event.Coincident = true;
        work.Events.push_back(event);
        return true;
    }
    const double mu = ReducedMass(p, i, j);
    const double potential = ScreenedPotential(in.Model, i, j, event.DistanceBefore);
    event.RelativeEnergy = RelativeKineticEnergy(p, i, j) + potential;
    const double speed = std::sqrt(2.0 * event.RelativeEnergy / mu);
    const double zi = p.AtomicNumber[i];
    const double zj = p.AtomicNumber[j];
    const double length =
        ScreeningLengthScale / std::sqrt(std::pow(zi, 2.0 / 3.0) + std::pow(zj, 2.0 / 3.0));
    const double beta = in.Parameters->OrScreeningCoefficient / length;
    const double loss = -coefficient * speed * beta * beta * std::exp(-beta * event.ClosestApproach);
    event.EnergyChange = loss;
    event.Timestep = in.Timestep;
    if (FaultRaised() || !AllFinite({loss, event.RelativeEnergy})) {
        ClearFaults();
        return false;
    }
    if (!SeparateAndBook(p, in, event, potential + loss, potential, lossSum, work)) return false;
    record.Done = true;
    return true;
}

}  // namespace

double CaptureRadiusSq(double modelRadiusSq, double fastestSpeed, double timestep,
                       std::int32_t rebuildInterval) {
    const double capture =
        std::sqrt(modelRadiusSq) + fastestSpeed * timestep * (rebuildInterval - 1);
    return capture * capture;
}

std::int32_t UpdateOrPartners(const ParticleTable& p, const PartnerLists& lists,
                              double captureSq, bool abortNow, OrPartnerLists& records) {
    return UpdateInelasticPartners(p, lists, captureSq, abortNow, records);
}

std::int32_t UpdateStPartners(const ParticleTable& p, const PartnerLists& lists,
                              double captureSq, bool abortNow, StPartnerLists& records) {
    return UpdateInelasticPartners(p, lists, captureSq, abortNow, records);
}

CoolingResult ApplyCooling(ParticleTable& p, const LatticeZone& zone, double goal, double period) {
    CoolingResult result;
    const std::int32_t n = p.AtomCount;
    auto cooled = [&](std::int32_t i) {
        return (p.Flags[i] & NoCooling) == 0 && InsideZone(zone, p.X[i], p.Y[i], p.Z[i]);
    };
    ClearFaults();

    long double sum = 0.0L;  // sum of m v^2, twice the kinetic energy
    std::int32_t count = 0;
    for (std::int32_t i = 0; i <= n; ++i) {
        if (!cooled(i)) continue;
        sum += static_cast<long double>(p.Mass[i]) *
               (p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]);
        ++count;
    }
    const double twiceKinetic = static_cast<double>(sum);
    if (FaultRaised() || !std::isfinite(twiceKinetic)) {
        ClearFaults();
        result.Fault = true;
        return result;
    }
    if (!(twiceKinetic > 0.0 && count > 0)) return result;
    const double temperature = twiceKinetic / (count * ThreeBoltzmann);
    result.Measured = true;
    result.Temperature = temperature;

    if (!(goal > 0.0 && temperature > 0.0)) return result;
    // Above the goal a friction, below it a push: dT/dt = -(T - T0) / tau.
    const double gamma = (0.5 / period) * (1.0 - goal / temperature);
    if (FaultRaised() || !std::isfinite(gamma)) {
        ClearFaults();
        result.Fault = true;
        return result;
    }
    for (std::int32_t i = 0; i <= n; ++i) {
        if (!cooled(i)) continue;
        const double g = gamma * p.Mass[i];
        p.FX[i] -= g * p.VX[i];
        p.FY[i] -= g * p.VY[i];
        p.FZ[i] -= g * p.VZ[i];
    }
    if (FaultRaised()) {
        ClearFaults();
        result.Fault = true;
    }
    return result;
}

void SizeCollisionPassWork(CollisionPassWork& work, std::int32_t maxPartners) {
    // Events are rare: a few per pass at most in a cascade.
    constexpr std::size_t EventRoom = 64;
    work.Events.clear();
    work.Events.reserve(EventRoom);
    SizeSeparationScratch(work.Separation, maxPartners);
}

bool ApplyStEvents(ParticleTable& p, StPartnerLists& records, const CollisionPassInputs& in,
                   RandomGenerator& random, double& lossSum, CollisionPassWork& work) {
    work.Events.clear();
    ClearFaults();
    const std::int32_t n = p.AtomCount;
    for (std::int32_t i = 0; i < n; ++i)
        for (StPartnerRecord& record : records[static_cast<std::size_t>(i)]) {
            if (record.Done) continue;
            if (!StRecordStep(p, i, record, in, random, lossSum, work)) return true;
        }
    return false;
}

bool ApplyOrEvents(ParticleTable& p, OrPartnerLists& records, const CollisionPassInputs& in,
                   double& lossSum, CollisionPassWork& work) {
    work.Events.clear();
    ClearFaults();
    const std::int32_t n = p.AtomCount;
    for (std::int32_t i = 0; i < n; ++i)
        for (OrPartnerRecord& record : records[static_cast<std::size_t>(i)]) {
            if (record.Done) continue;
            if (!OrRecordStep(p, i, record, in, lossSum, work)) return true;
        }
    return false;
}

bool ApplyLssLoss(ParticleTable& p, const InelasticParameters& parameters,
                  const LatticeZone& zone, double surfaceZ, double timestep, double& lossSum,
                  LssChannels& channels) {
    const double threshold = parameters.LssSpeedThreshold;
    const double halfStepSq = 0.5 * timestep * timestep;
    ClearFaults();

    const std::int32_t n = p.AtomCount;
    for (std::int32_t i = 0; i <= n; ++i) {
        const double vx = p.VX[i], vy = p.VY[i], vz = p.VZ[i];
        const double v = std::sqrt(vx * vx + vy * vy + vz * vz);
        // A particle at rest loses nothing (and has no direction to scale).
        if (v < threshold || v == 0.0) continue;
        const double z = p.Z[i];
        if (!InsideZone(zone, p.X[i], p.Y[i], z) || z > surfaceZ) continue;
        const double k = LssCoefficientOf(parameters, p.AtomicNumber[i]);
        if (k == 0.0) continue;

        // Length of the coming step with this velocity and force.
        const double h = halfStepSq / p.Mass[i];
        const double sx = timestep * vx + p.FX[i] * h;
        const double sy = timestep * vy + p.FY[i] * h;
        const double sz = timestep * vz + p.FZ[i] * h;
        const double path = std::sqrt(sx * sx + sy * sy + sz * sz);

        const double loss = -k * v * path;
        const double scale = std::sqrt(v * v + 2.0 * loss / p.Mass[i]) / v;
        const double weight4 = loss * std::exp(LssChannelDecay4 * z);
        const double weight10 = loss * std::exp(LssChannelDecay10 * z);
        // A loss above the kinetic energy has no real speed left.
        if (FaultRaised() || !AllFinite({loss, scale, weight4, weight10})) {
            ClearFaults();
            return true;
        }
        p.VX[i] = vx * scale;
        p.VY[i] = vy * scale;
        p.VZ[i] = vz * scale;
        lossSum += loss;
        const std::size_t group = i == 0 ? 0 : 3;
        channels[group] += loss;
        channels[group + 1] += weight4;
        channels[group + 2] += weight10;
    }
    return false;
}

}  // namespace vantrel
