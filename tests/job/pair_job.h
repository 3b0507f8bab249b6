// A small job for the drivers of the optional models: an argon projectile
// (particle 0) and copper target atoms, a model whose pairs all feel the
// screened-Coulomb repulsion (no tables are needed: the spline starts at the
// cut-off) and one flat partner list.  (The kernels' own tests use
// tests/support/pair_world.h, without a job.)
#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/screening.h"
#include "job/state.h"
#include "tests/support/pair_world.h"
#include "tests/support/recording_ui.h"

namespace vantrel::testing {

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
};

}  // namespace vantrel::testing
