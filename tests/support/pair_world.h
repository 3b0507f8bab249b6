// A few particles for the collision models' kernels: an argon projectile
// (particle 0) and copper target atoms, a model whose pairs all feel the
// screened-Coulomb repulsion (no tables are needed: the spline starts at the
// cut-off), one flat partner list of every pair, the OR and ST records, the
// loss sums and a hand-rolled velocity-Verlet step -- no job.
#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/collision_events.h"
#include "core/inelastic.h"
#include "core/screening.h"
#include "core/table_lookup.h"
#include "core/trajectory_state.h"
#include "core/units.h"

namespace vantrel::testing {

inline constexpr double Angstrom = 1.0e-10;
inline constexpr double Ev = 1.602192e-19;
inline constexpr double ArgonMass = 39.948 * KilogramsPerAmu;
inline constexpr double CopperMass = 63.546 * KilogramsPerAmu;

struct PairWorld {
    ParticleTable P;
    PartnerLists Lists;
    ModelParameters Model;
    PotentialTables Tables;  // empty: every pair within r_c is screened
    InelasticParameters Inelastic;
    OrPartnerLists Or;
    StPartnerLists St;
    CollisionPassWork Work;
    RandomGenerator Random;
    TrajectoryState T;
    bool BinaryTarget = false;
    bool ProjectilePairsOnly = false;
    double OrRadiusSq = 4.0e-20;  // m^2, 2 A
    double StRadiusSq = 4.0e-20;
    double OrLoss = 0, StLoss = 0, LssLoss = 0;  // J
    LssChannels Channels{};
    LatticeZone Zone{100 * Angstrom, -100 * Angstrom, 100 * Angstrom,
                     -100 * Angstrom, 100 * Angstrom, -100 * Angstrom};
    double SurfaceZ = 50 * Angstrom;
    std::int32_t RebuildInterval = 10;

    // n target atoms (copper) after the projectile (argon), all at the origin
    // and at rest; every pair i < j is listed.
    explicit PairWorld(std::int32_t n) {
        // The passes judge faults by the floating-point flags: start clean.
        std::feclearexcept(FE_ALL_EXCEPT);
        P.AtomCount = n;
        const std::size_t size = static_cast<std::size_t>(n) + 1;
        for (auto* field : {&P.X, &P.Y, &P.Z, &P.VX, &P.VY, &P.VZ, &P.FX, &P.FY, &P.FZ, &P.PrevFX,
                            &P.PrevFY, &P.PrevFZ, &P.Density, &P.EmbeddingFactor, &P.Mass})
            field->assign(size, 0.0);
        P.Flags.assign(size, 0u);
        P.AtomicNumber.assign(size, 29);
        P.AtomicNumber[0] = 18;
        P.Mass.assign(size, CopperMass);
        P.Mass[0] = ArgonMass;
        Model.CutoffRadius = 6.0 * Angstrom;
        Model.SplineLowRadius = 6.0 * Angstrom;  // every pair closer than r_c is screened
        Model.SplineHighRadius = 6.0 * Angstrom;
        Model.ProjectileScreeningFactor = 1.0;
        Model.TargetScreeningFactor = 1.0;
        SetScreeningLengths(ScreeningLengthScale / (std::pow(18.0, 0.23) + std::pow(29.0, 0.23)),
                            ScreeningLengthScale / (2.0 * std::pow(29.0, 0.23)));
        ListAllPairs();
        Or.assign(size, {});
        St.assign(size, {});
        SizeCollisionPassWork(Work, 50);
        Lists.MaxPartners = 50;
    }

    // The AA screening lengths (m) of both families, for every pair class.
    void SetScreeningLengths(double projectile, double target) {
        for (int t = AA; t <= AB; ++t) {
            Model.ProjectileScreeningLength[t] = projectile;
            Model.TargetScreeningLength[t] = target;
            Model.ProjectileScreening[t] = MakeScreeningRecord(projectile);
            Model.TargetScreening[t] = MakeScreeningRecord(target);
        }
    }

    void ListAllPairs() {
        const std::int32_t n = P.AtomCount;
        Lists.Start.assign(static_cast<std::size_t>(n) + 2, 0u);
        Lists.Index.clear();
        for (std::int32_t i = 0; i <= n; ++i) {
            Lists.Start[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(Lists.Index.size());
            for (std::int32_t j = i + 1; j <= n; ++j) Lists.Index.push_back(j);
        }
        Lists.Start[static_cast<std::size_t>(n) + 1] = static_cast<std::uint32_t>(Lists.Index.size());
        Lists.DistSq.assign(Lists.Index.size(), 0.0);
    }

    PotentialView View() const { return MakePotentialView(P, Model, Tables, BinaryTarget, false); }
    CollisionModel Collision() const { return {View(), &Model, ProjectilePairsOnly}; }
    CollisionPassInputs OrInputs(double dt) const { return {Collision(), &Inelastic, OrRadiusSq, dt}; }
    CollisionPassInputs StInputs(double dt) const { return {Collision(), &Inelastic, StRadiusSq, dt}; }

    // The passes and list refreshes as the drivers call them.
    bool ApplyOr(double dt) { return ApplyOrEvents(P, Or, OrInputs(dt), OrLoss, Work); }
    bool ApplySt(double dt) { return ApplyStEvents(P, St, StInputs(dt), Random, StLoss, Work); }
    std::int32_t UpdateOr(bool abortNow = false) {
        return UpdateOrPartners(P, Lists, CaptureRadiusSq(OrRadiusSq, T.FastestSpeed, T.Timestep, RebuildInterval),
                                abortNow, Or);
    }
    std::int32_t UpdateSt(bool abortNow = false) {
        return UpdateStPartners(P, Lists, CaptureRadiusSq(StRadiusSq, T.FastestSpeed, T.Timestep, RebuildInterval),
                                abortNow, St);
    }

    double Screened(std::int32_t i, std::int32_t j) const {
        return ScreenedPotential(Collision(), i, j, Distance(i, j));
    }

    void Place(std::int32_t i, double x, double y, double z) {
        P.X[i] = x * Angstrom;
        P.Y[i] = y * Angstrom;
        P.Z[i] = z * Angstrom;
    }

    void Move(std::int32_t i, double vx, double vy, double vz) {
        P.VX[i] = vx;
        P.VY[i] = vy;
        P.VZ[i] = vz;
    }

    double Distance(std::int32_t i, std::int32_t j) const {
        return std::hypot(P.X[i] - P.X[j], P.Y[i] - P.Y[j], P.Z[i] - P.Z[j]);
    }

    // Forces of every listed pair within the cut-off, Newton's third law.
    void EvaluateForces() {
        const std::int32_t n = P.AtomCount;
        const PotentialView v = View();
        for (std::int32_t i = 0; i <= n; ++i) P.FX[i] = P.FY[i] = P.FZ[i] = 0.0;
        for (std::int32_t i = 0; i <= n; ++i)
            for (std::int32_t j = i + 1; j <= n; ++j) {
                const double dx = P.X[i] - P.X[j], dy = P.Y[i] - P.Y[j], dz = P.Z[i] - P.Z[j];
                const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
                const ForceVector f = PairForce(v, i, j, r, dx, dy, dz);
                P.FX[i] += f.X;
                P.FY[i] += f.Y;
                P.FZ[i] += f.Z;
                P.FX[j] -= f.X;
                P.FY[j] -= f.Y;
                P.FZ[j] -= f.Z;
            }
    }

    // Positions and velocities of one velocity-Verlet step (no inelastic pass).
    void VerletMove(double dt) {
        const std::int32_t n = P.AtomCount;
        for (std::int32_t i = 0; i <= n; ++i) {
            P.PrevFX[i] = P.FX[i];
            P.PrevFY[i] = P.FY[i];
            P.PrevFZ[i] = P.FZ[i];
            const double h = 0.5 * dt * dt / P.Mass[i];
            P.X[i] += dt * P.VX[i] + P.PrevFX[i] * h;
            P.Y[i] += dt * P.VY[i] + P.PrevFY[i] * h;
            P.Z[i] += dt * P.VZ[i] + P.PrevFZ[i] * h;
        }
        EvaluateForces();
        for (std::int32_t i = 0; i <= n; ++i) {
            const double g = 0.5 * dt / P.Mass[i];
            P.VX[i] += (P.PrevFX[i] + P.FX[i]) * g;
            P.VY[i] += (P.PrevFY[i] + P.FY[i]) * g;
            P.VZ[i] += (P.PrevFZ[i] + P.FZ[i]) * g;
        }
    }

    double KineticEnergy() const {
        double sum = 0;
        for (std::int32_t i = 0; i <= P.AtomCount; ++i)
            sum += 0.5 * P.Mass[i] * (P.VX[i] * P.VX[i] + P.VY[i] * P.VY[i] + P.VZ[i] * P.VZ[i]);
        return sum;
    }
};

}  // namespace vantrel::testing
