// Everything one job needs, in one record passed by reference to the job's
// drivers.  The run driver creates it when a job starts and drops it when the
// job ends; nothing of it survives the job.  The physics records it holds
// live in core/; the kernels take them one by one, never this whole record.
//
// Units inside the engine: m, s, kg, J, m/s.  Conversion to A, fs, eV, amu
// happens only in the readers and reports.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/energy_sums.h"
#include "core/file_handle.h"
#include "core/inelastic.h"
#include "core/inelastic_parameters.h"
#include "core/model_parameters.h"
#include "core/particles.h"
#include "core/run_records.h"
#include "core/partner_lists.h"
#include "core/trajectory_state.h"
#include "core/units.h"
#include "core/worker_pool.h"
#include "io/file_sets.h"
#include "job/output_backups.h"
#include "job/program.h"
#include "job/results_state.h"
#include "job/progress.h"
#include "job/run_relay.h"
#include "output/output_state.h"

namespace vantrel {

// ---------------------------------------------------------------------------

struct SimulationState {
    explicit SimulationState(ProgramContext& program) : Program(program) {}
    SimulationState(const SimulationState&) = delete;
    SimulationState& operator=(const SimulationState&) = delete;

    ProgramContext& Program;
    SimulationOptions& Options() { return Program.Options; }
    // The interface the job talks through: the program's, or in a worker
    // process the channel to its parent (job/parallel_runs.h).
    UserInterface& Ui() { return Interface ? *Interface : Program.Ui; }
    UserInterface* Interface = nullptr;
    // Told of the runs besides the log (job/run_relay.h); null for most jobs.
    RunRelay* Relay = nullptr;

    InputFileSet Inputs;
    OutputFileSet Outputs;

    ParticleTable Particles;
    PartnerLists Partners;
    CellGrid Cells;
    ForceScratch Scratch;
    OrPartnerLists OrPartners;  // only with UseOR
    StPartnerLists StPartners;  // only with UseST
    // The kernels' other working arrays, sized with the partner lists.
    EnergyScratch EnergyWork;
    CollisionPassWork CollisionWork;
    // The threads of the force, list and energy passes (none: one thread),
    // from the summary to the end of the job, and the list search's buffers.
    std::unique_ptr<WorkerPool> Workers;
    ListSearchWork ListWork;
    ListThreads ListSearchThreads() { return {Workers.get(), &ListWork}; }

    ProjectileData Projectile;
    RunParameters Run;
    ImpactPoint Impact;
    ModelParameters Model;
    PotentialTables Tables;
    InelasticParameters Inelastic;

    // Target facts.
    bool BinaryTarget = false;
    double SurfaceZ = 0;  // m
    std::int32_t LastAtomicNumber = 0;
    LatticeZone Zone;

    // Neighbour search geometry and list radius.
    double CellEdge = 4.0e-10;  // m, w; grown by the target set-up only
    double GridHalfWidth = 0;   // m, 12 w
    double GridTop = 0;         // m, 4 w
    double ListRadius = 0;      // m
    double ListRadiusSq = 0;    // m^2
    bool CoolingActive = false;
    std::int32_t MaxPartnersUsed = 0;

    // Job counters.
    std::int32_t RunCounter = 0;
    std::int32_t RunOffsetCopy = 0;
    bool BatchMode = false;
    std::int32_t RunNumber() const { return RunCounter + RunOffsetCopy; }
    // With per-run random streams: the seed every run's stream derives from
    // (RandomSeed, or the clock's when that is 0).
    std::uint32_t JobSeed = 0;
    // Worker processes that share the job's runs (and the cores).
    std::int32_t Processes = 1;

    // Energy bookkeeping (J unless noted).
    double LssLoss = 0, OrLoss = 0, StLoss = 0;
    double LssLossSum = 0, OrLossSum = 0, StLossSum = 0;
    LssChannels LssChannel{};
    double EnergyErrorSum = 0;     // %
    double ReportedKinetic = 0;    // eV
    double ReportedPotential = 0;  // eV

    // The output files (the dynamical-variables file open when SampleMode != 0,
    // the events file when inelastic events are stored) and the selection condition.
    OutputState Output;
    // Per-run results (StoreResults or a yield target), job/run_results.h.
    ResultsState Results;
    // Staged output files and the backups of earlier jobs' files.
    OutputBackups Backups;
    // Runs of the job and the wall-clock time they take, for the progress text.
    JobProgress Progress;
};

// ---------------------------------------------------------------------------
// Allocation and release, in the job's order.

// Particle arrays (all but Mass and AtomicNumber) for AtomCount + 1 entries.
void AllocateParticleTable(SimulationState& state, std::int32_t atomCount);
// Mass and AtomicNumber.
void AllocateMassAndAtomicNumber(SimulationState& state);
// Partner lists, the cell grid (cell-index search) and the OR/ST lists (when
// used), then the kernels' working arrays for the job's particles: the force
// evaluation's packed copies and gathered pairs, the energy sums' cell
// search, the collision passes' events and separation.  After this the
// kernels allocate nothing but the designed growth of the arrays whose size
// the job's data decide (the lists' pairs, the gathered pairs, the OR/ST
// records).
void AllocatePartnerLists(SimulationState& state, std::int32_t maxPartners);
// Points the graph snapshot at the job's arrays (positions or velocities).
void FillPlotSnapshot(SimulationState& state);
// Releases the partner lists, then Mass and AtomicNumber, then the particle
// table with the model's tables; clears the graph snapshot.
void ReleaseJobArrays(SimulationState& state);


}  // namespace vantrel
