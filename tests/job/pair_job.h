// A small job for the drivers of the optional models: the particles, model
// and lists of tests/support/pair_world.h (an argon projectile and copper
// atoms, every pair screened, every pair listed) in a job's state, with a
// recording user interface.
#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>

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
    // and at rest; the lists of the models in use allocated.
    explicit PairJob(std::int32_t n, bool useOr = true, bool useSt = true) {
        Program.Options.UseOR = useOr;
        Program.Options.UseST = useSt;
        Program.Options.Verbose = true;
        Program.Options.ReportInelastic = true;
        AllocateParticleTable(S, n);
        AllocateMassAndAtomicNumber(S);
        S.Run.PartnerUpdateInterval = 10;
        AllocatePartnerLists(S, 50);
        const PairWorld world(n);  // also clears the floating-point flags
        S.Particles.Mass = world.P.Mass;
        S.Particles.AtomicNumber = world.P.AtomicNumber;
        S.Model = world.Model;
        S.Partners.Start = world.Lists.Start;
        S.Partners.Index = world.Lists.Index;
        S.Partners.DistSq = world.Lists.DistSq;
        S.Zone = world.Zone;
        S.SurfaceZ = world.SurfaceZ;
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
};

}  // namespace vantrel::testing
