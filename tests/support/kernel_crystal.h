// A crystal and its potential model as the kernels see them: the particle
// table, partner lists, cell grid, scratch and model records, built directly
// from a crystal and a model description -- no job, no files, no user
// interface.  For the tests of the force, energy, list and step kernels.
#pragma once

#include <cstdint>
#include <vector>

#include "core/energy_sums.h"
#include "core/forces.h"
#include "core/model_parameters.h"
#include "core/particles.h"
#include "core/partner_lists.h"
#include "core/worker_pool.h"
#include "core/table_lookup.h"
#include "io/model_file_writer.h"
#include "tests/support/copper_models.h"
#include "tools/crystal_builder.h"

namespace vantrel::testing {

struct KernelCrystalSpec {
    CrystalSpec Crystal;              // fcc Cu(100), 1 x 1 x 1 cells
    std::vector<CrystalAtom> Atoms;   // when not empty: these atoms instead
    ModelFileDescription Model = CopperModel();  // Sutton-Chen Cu
    // Projectile (particle 0): Ar at (DeltaX, DeltaY, Height) A from atom 1.
    std::int32_t ProjectileZ = 18;
    double ProjectileMassAmu = 39.948;
    std::uint32_t ProjectileFlags = 0;
    double DeltaX = 0, DeltaY = 0, Height = 10;  // A
    bool SelfBombard = false;
    std::int32_t MaxPartners = 500;
};

struct KernelCrystal {
    ParticleTable Particles;
    PartnerLists Lists;
    CellGrid Grid;
    ForceScratch Scratch;
    EnergyScratch EnergyWork;
    ModelParameters Model;
    PotentialTables Tables;
    bool BinaryTarget = false;  // some atom pairs AB with atom 1
    bool SelfBombard = false;
    bool Ok = false;            // the crystal and its tables were built
    // Threads of the searches, the force evaluation and the energy sums
    // (none: serial).
    WorkerPool* Workers = nullptr;
    ListSearchWork ListWork;

    explicit KernelCrystal(const KernelCrystalSpec& spec);

    PotentialView View() const;
    ForceModel Forces() const;
    EnergyView Energy() const;
    // Terms of the potential energy: the projectile a target atom only in
    // self-bombardment, no image potential.
    EnergyTerms Terms() const;

    // Lists within r_c + margin, by either search (the cell edge grown until
    // the particles, widened by r_c, fit the grid).
    void BuildLists(bool bruteForce = false, double marginAngstrom = 1.0);
    // Forces, densities and embedding factors at the current positions (the
    // initial evaluation), with the current lists.
    void EvaluateForces();
    // Potential energy (J) at the current positions: evaluates the forces
    // first, for the embedding factors the energy reads.
    double PotentialEnergyNow();
    // One velocity-Verlet step of dt without the optional models: positions,
    // the step force evaluation, velocities.
    ForceStatus Step(double dt);
};

}  // namespace vantrel::testing
