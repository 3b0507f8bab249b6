// A small crystal job set up the way the run driver sets one up before a
// trajectory: target file from the crystal builder, model file from a
// description, particle table and partner lists allocated, target set up
// (model read, tables built), velocities initialised, trajectory values
// started and the partner lists built once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/model_file_writer.h"
#include "tests/support/test_job.h"
#include "tools/crystal_builder.h"

namespace vantrel::testing {

struct SmallJobSpec {
    CrystalSpec Crystal;                          // fcc Cu(100), 1 x 1 x 1 cells
    std::vector<CrystalAtom> Atoms;               // when not empty: these atoms instead
    ModelFileDescription Model = CopperModel();  // Sutton-Chen Cu
    bool StaticLattice = true;                    // atoms on their sites unless false
    // Projectile: Ar at normal incidence, 10 A above atom 1, 1 eV.
    std::int32_t ProjectileZ = 18;
    double ProjectileMassAmu = 39.948;
    std::int32_t ProjectileFlags = 0;
    double EnergyKeV = 0.001;
    double AltitudeDegrees = 90.0;
    double AzimuthDegrees = 0.0;
    ImpactPoint Impact{0.0, 0.0, 10.0};
    double TimestepFs = 1.0;
    std::int32_t PartnerUpdateInterval = 10;
    std::int32_t MaxPartners = 500;
    std::int32_t RandomSeed = 4711;
};

// The job's options (SelfBombard, HotTarget, NeighbourSearch, ...) are set
// on Program.Options before SetUp.
struct SmallJob : TestJob {
    TrajectoryState Trajectory;

    // False when any step failed (its messages are in Ui).
    bool SetUp(const SmallJobSpec& spec);
    // Trajectory values at t = 0 (timestep, fastest and watched particle,
    // list radius), as the trajectory driver starts them.
    void StartTrajectory(double timestep);
    // UpdateListRadius and one rebuild; false when the rebuild ended the run.
    bool Rebuild();
    // Forces at the current positions (EvaluateInitialForces) after a rebuild.
    void Evaluate();
};

}  // namespace vantrel::testing
