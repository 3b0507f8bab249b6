// A small job for the collision models: an argon projectile (particle 0) and
// copper target atoms, a model whose pairs all feel the screened-Coulomb
// repulsion (no tables are needed: the spline starts at the cut-off), one
// flat partner list and a hand-rolled velocity-Verlet step.
#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/screening.h"
#include "job/state.h"
#include "job/state_views.h"
#include "tests/support/recording_ui.h"

namespace vantrel::testing {

inline constexpr double Angstrom = 1.0e-10;
inline constexpr double Ev = 1.602192e-19;
inline constexpr double ArgonMass = 39.948 * KilogramsPerAmu;
inline constexpr double CopperMass = 63.546 * KilogramsPerAmu;

struct PairJob {
    RecordingUserInterface Ui;
    ProgramContext Program{Ui};
    SimulationState S{Program};
    TrajectoryState T;

    // n target atoms (copper) after the projectile (argon), all at the origin
    // and at rest; every pair i < j is listed.
    explicit PairJob(std::int32_t n, bool useOr = true, bool useSt = true) {
        // The passes judge faults by the floating-point flags: start clean.
        std::feclearexcept(FE_ALL_EXCEPT);
        Program.Options.UseOR = useOr;
        Program.Options.UseST = useSt;
        Program.Options.Verbose = true;
        Program.Options.ReportInelastic = true;
        AllocateParticleTable(S, n);
        AllocateMassAndAtomicNumber(S);
        ParticleTable& p = S.Particles;
        p.AtomicNumber[0] = 18;
        p.Mass[0] = ArgonMass;
        for (std::int32_t i = 1; i <= n; ++i) {
            p.AtomicNumber[i] = 29;
            p.Mass[i] = CopperMass;
        }
        ModelParameters& m = S.Model;
        m.CutoffRadius = 6.0 * Angstrom;
        m.SplineLowRadius = 6.0 * Angstrom;  // every pair closer than r_c is screened
        m.SplineHighRadius = 6.0 * Angstrom;
        m.ProjectileScreeningFactor = 1.0;
        m.TargetScreeningFactor = 1.0;
        m.ProjectileScreeningLength[AA] =
            ScreeningLengthScale / (std::pow(18.0, 0.23) + std::pow(29.0, 0.23));
        m.TargetScreeningLength[AA] = ScreeningLengthScale / (2.0 * std::pow(29.0, 0.23));
        for (int t = AA; t <= AB; ++t) {
            m.ProjectileScreeningLength[t] = m.ProjectileScreeningLength[AA];
            m.TargetScreeningLength[t] = m.TargetScreeningLength[AA];
            m.ProjectileScreening[t] = MakeScreeningRecord(m.ProjectileScreeningLength[AA]);
            m.TargetScreening[t] = MakeScreeningRecord(m.TargetScreeningLength[AA]);
        }
        S.Run.PartnerUpdateInterval = 10;
        AllocatePartnerLists(S, 50);
        ListAllPairs();
        S.Zone = {100 * Angstrom, -100 * Angstrom, 100 * Angstrom,
                  -100 * Angstrom, 100 * Angstrom, -100 * Angstrom};
        S.SurfaceZ = 50 * Angstrom;
    }

    void ListAllPairs() {
        PartnerLists& lists = S.Partners;
        const std::int32_t n = S.Particles.AtomCount;
        lists.Index.clear();
        for (std::int32_t i = 0; i <= n; ++i) {
            lists.Start[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(lists.Index.size());
            for (std::int32_t j = i + 1; j <= n; ++j) lists.Index.push_back(j);
        }
        lists.Start[static_cast<std::size_t>(n) + 1] = static_cast<std::uint32_t>(lists.Index.size());
        lists.DistSq.assign(lists.Index.size(), 0.0);
    }

    void Place(std::int32_t i, double x, double y, double z) {
        S.Particles.X[i] = x * Angstrom;
        S.Particles.Y[i] = y * Angstrom;
        S.Particles.Z[i] = z * Angstrom;
    }

    void Move(std::int32_t i, double vx, double vy, double vz) {
        S.Particles.VX[i] = vx;
        S.Particles.VY[i] = vy;
        S.Particles.VZ[i] = vz;
    }

    double Distance(std::int32_t i, std::int32_t j) const {
        const ParticleTable& p = S.Particles;
        return std::hypot(p.X[i] - p.X[j], p.Y[i] - p.Y[j], p.Z[i] - p.Z[j]);
    }

    // Forces of every listed pair within the cut-off, Newton's third law.
    void EvaluateForces() {
        ParticleTable& p = S.Particles;
        const std::int32_t n = p.AtomCount;
        for (std::int32_t i = 0; i <= n; ++i) p.FX[i] = p.FY[i] = p.FZ[i] = 0.0;
        for (std::int32_t i = 0; i <= n; ++i)
            for (std::int32_t j = i + 1; j <= n; ++j) {
                const double dx = p.X[i] - p.X[j], dy = p.Y[i] - p.Y[j], dz = p.Z[i] - p.Z[j];
                const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
                const ForceVector f = PairForce(S, i, j, r, dx, dy, dz);
                p.FX[i] += f.X;
                p.FY[i] += f.Y;
                p.FZ[i] += f.Z;
                p.FX[j] -= f.X;
                p.FY[j] -= f.Y;
                p.FZ[j] -= f.Z;
            }
    }

    // Positions and velocities of one velocity-Verlet step (no inelastic pass).
    void VerletMove(double dt) {
        ParticleTable& p = S.Particles;
        const std::int32_t n = p.AtomCount;
        for (std::int32_t i = 0; i <= n; ++i) {
            p.PrevFX[i] = p.FX[i];
            p.PrevFY[i] = p.FY[i];
            p.PrevFZ[i] = p.FZ[i];
            const double h = 0.5 * dt * dt / p.Mass[i];
            p.X[i] += dt * p.VX[i] + p.PrevFX[i] * h;
            p.Y[i] += dt * p.VY[i] + p.PrevFY[i] * h;
            p.Z[i] += dt * p.VZ[i] + p.PrevFZ[i] * h;
        }
        EvaluateForces();
        for (std::int32_t i = 0; i <= n; ++i) {
            const double g = 0.5 * dt / p.Mass[i];
            p.VX[i] += (p.PrevFX[i] + p.FX[i]) * g;
            p.VY[i] += (p.PrevFY[i] + p.FY[i]) * g;
            p.VZ[i] += (p.PrevFZ[i] + p.FZ[i]) * g;
        }
    }

    double KineticEnergy() const {
        const ParticleTable& p = S.Particles;
        double sum = 0;
        for (std::int32_t i = 0; i <= p.AtomCount; ++i)
            sum += 0.5 * p.Mass[i] * (p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i]);
        return sum;
    }
};

}  // namespace vantrel::testing
