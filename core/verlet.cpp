#include "core/verlet.h"

#include <cmath>
#include <numbers>

#include "core/units.h"

namespace vantrel {

void InitialiseVelocities(ParticleTable& p, const VelocitySetup& setup, RandomGenerator& random) {
    const std::int32_t n = p.AtomCount;

    const double speed = std::sqrt(KeVSpeedFactor * setup.EnergyKeV / p.Mass[0]);
    p.VX[0] = -std::cos(setup.Altitude) * std::cos(setup.Azimuth) * speed;
    p.VY[0] = -std::cos(setup.Altitude) * std::sin(setup.Azimuth) * speed;
    p.VZ[0] = -std::sin(setup.Altitude) * speed;

    if (setup.HotTarget) {
        // Each velocity component of a particle in equilibrium at T is normal
        // with variance kT/m.
        const double kT = BoltzmannConstant * setup.Temperature;
        for (std::int32_t i = 1; i <= n; ++i) {
            const double variance = kT / p.Mass[i];
            p.VX[i] = GaussianSample(random, variance);
            p.VY[i] = GaussianSample(random, variance);
            p.VZ[i] = GaussianSample(random, variance);
        }
    } else {
        for (std::int32_t i = 1; i <= n; ++i) p.VX[i] = p.VY[i] = p.VZ[i] = 0.0;
    }
}

double GaussianSample(RandomGenerator& random, double variance) {
    const double r1 = random.Uniform();
    const double r2 = random.Uniform();
    const double r3 = random.Uniform();
    const double sign = r1 >= 0.5 ? -1.0 : 1.0;
    const double u = 1.0 - r2;
    const double w = 1.0 - r3;  // in (0, 1], so the logarithm is finite
    // A negative variance (a negative temperature) has no spread to give;
    // it yields 0 rather than a velocity that is not a number.
    const double sigma = variance > 0.0 ? std::sqrt(variance) : 0.0;
    return std::sqrt(-2.0 * std::log(w)) * sigma * sign * std::cos(2.0 * std::numbers::pi * u);
}

namespace {

// Runs pass(lo, hi) over the particles 0..n: on the pool in one contiguous
// part per thread (each particle on its own, so the parts change nothing;
// a thread then moves the particles its force block will read), or at once.
template <typename Pass>
void OverParticles(std::int32_t n, WorkerPool* pool, Pass&& pass) {
    if (!Threaded(pool)) {
        pass(0, n + 1);
        return;
    }
    const auto parts = static_cast<std::size_t>(pool->Threads());
    const std::int64_t count = std::int64_t{n} + 1;
    pool->RunOwn(parts, [&](std::size_t k, int) {
        pass(static_cast<std::int32_t>(EqualPartStart(count, k, parts)),
             static_cast<std::int32_t>(EqualPartStart(count, k + 1, parts)));
    });
}

// The passes over particles lo..hi - 1.
void PositionsPart(ParticleTable& p, double dt, std::int32_t lo, std::int32_t hi) {
    double* x = p.X.data();
    double* y = p.Y.data();
    double* z = p.Z.data();
    const double* vx = p.VX.data();
    const double* vy = p.VY.data();
    const double* vz = p.VZ.data();
    double* fx = p.FX.data();
    double* fy = p.FY.data();
    double* fz = p.FZ.data();
    double* prevFx = p.PrevFX.data();
    double* prevFy = p.PrevFY.data();
    double* prevFz = p.PrevFZ.data();
    double* rho = p.Density.data();
    const double* mass = p.Mass.data();

    // The last forces become the previous ones, the sums start empty, and
    // the particles move; each particle on its own, so one pass does all.
    const double halfDtSq = 0.5 * dt * dt;
    for (std::int32_t i = lo; i < hi; ++i) {
        prevFx[i] = fx[i];
        prevFy[i] = fy[i];
        prevFz[i] = fz[i];
        fx[i] = fy[i] = fz[i] = rho[i] = 0.0;
        const double h = halfDtSq / mass[i];
        x[i] = dt * vx[i] + x[i] + prevFx[i] * h;
        y[i] = dt * vy[i] + y[i] + prevFy[i] * h;
        z[i] = dt * vz[i] + z[i] + prevFz[i] * h;
    }
}

void VelocitiesPart(ParticleTable& p, double dt, std::int32_t lo, std::int32_t hi) {
    double* vx = p.VX.data();
    double* vy = p.VY.data();
    double* vz = p.VZ.data();
    const double* fx = p.FX.data();
    const double* fy = p.FY.data();
    const double* fz = p.FZ.data();
    const double* prevFx = p.PrevFX.data();
    const double* prevFy = p.PrevFY.data();
    const double* prevFz = p.PrevFZ.data();
    const double* mass = p.Mass.data();

    const double halfDt = 0.5 * dt;
    for (std::int32_t i = lo; i < hi; ++i) {
        const double g = halfDt / mass[i];
        vx[i] = vx[i] + (prevFx[i] + fx[i]) * g;
        vy[i] = vy[i] + (prevFy[i] + fy[i]) * g;
        vz[i] = vz[i] + (prevFz[i] + fz[i]) * g;
    }
}

}  // namespace

void AdvancePositions(ParticleTable& p, double dt, WorkerPool* pool) {
    OverParticles(p.AtomCount, pool, [&](std::int32_t lo, std::int32_t hi) {
        PositionsPart(p, dt, lo, hi);
    });
}

void AdvanceVelocities(ParticleTable& p, double dt, WorkerPool* pool) {
    OverParticles(p.AtomCount, pool, [&](std::int32_t lo, std::int32_t hi) {
        VelocitiesPart(p, dt, lo, hi);
    });
}

void AdjustTimestep(const ParticleTable& p, const PartnerLists& lists, bool projectileOnlyTest,
                    TrajectoryState& trajectory) {
    const std::int32_t n = p.AtomCount;
    const double* x = p.X.data();
    const double* y = p.Y.data();
    const double* z = p.Z.data();
    const double* vx = p.VX.data();
    const double* vy = p.VY.data();
    const double* vz = p.VZ.data();
    const LatticeZone& zone = trajectory.Zone;

    if (n >= 1) {
        const double dx = x[0] - x[1];
        const double dy = y[0] - y[1];
        const double dz = z[0] - z[1];
        if (dx * dx + dy * dy + dz * dz < ProximityLimitSq) return;
    }

    // Any partner at all: the lists are stored end to end, so some list is
    // non-empty exactly when the last offset is past the first.
    const std::vector<std::uint32_t>& start = lists.Start;
    const bool anyPartners = start.size() == static_cast<std::size_t>(n) + 2 &&
                             start[static_cast<std::size_t>(n) + 1] > start[0];

    // Strictly greater: ties keep the lower index, a particle at rest is
    // never chosen.
    double fastestSq = 0.0;
    std::int32_t fastest = -1;
    for (std::int32_t i = 0; i <= n; ++i) {
        const double v2 = vx[i] * vx[i] + vy[i] * vy[i] + vz[i] * vz[i];
        if (v2 > fastestSq && InsideZone(zone, x[i], y[i], z[i])) {
            fastestSq = v2;
            fastest = i;
        }
    }
    if (fastest < 0 || !anyPartners) return;

    trajectory.FastestSpeed = std::sqrt(fastestSq);
    trajectory.FastestIndex = fastest;
    trajectory.Timestep =
        (2.0 * trajectory.Timestep + trajectory.StepLength / trajectory.FastestSpeed) *
        (1.0 / 3.0);

    if (projectileOnlyTest) {
        trajectory.WatchedIndex = 0;
        trajectory.WatchedSpeed =
            InsideZone(zone, x[0], y[0], z[0])
                ? std::sqrt(vx[0] * vx[0] + vy[0] * vy[0] + vz[0] * vz[0])
                : 0.0;
    } else {
        trajectory.WatchedSpeed = trajectory.FastestSpeed;
        trajectory.WatchedIndex = trajectory.FastestIndex;
    }
}

}  // namespace vantrel
