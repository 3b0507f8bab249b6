#include "job/run_driver.h"

#include <algorithm>
#include <cfenv>
#include <optional>
#include <string>

#include "core/number_text.h"
#include "core/random.h"
#include "job/impact_file.h"
#include "job/inelastic_file.h"
#include "job/log.h"
#include "job/output_backups.h"
#include "job/output_files.h"
#include "job/parallel_runs.h"
#include "job/progress.h"
#include "job/projectile_file.h"
#include "job/reader_messages.h"
#include "job/run_figures.h"
#include "job/run_file.h"
#include "job/run_results.h"
#include "job/target_file.h"
#include "job/thread_count.h"
#include "job/trajectory.h"
#include "job/verlet.h"

namespace vantrel {

namespace {

// Cell edge of the cell-index search at the start of every job (m); the
// target set-up only ever enlarges it.
constexpr double InitialCellEdge = 4.0e-10;

void StartJob(SimulationState& s, const InputFileSet& inputs, const OutputFileSet& outputs,
              bool batchMode) {
    ProgramContext& program = s.Program;
    program.AbortNow = false;
    program.AbortRequested = false;
    s.Inputs = inputs;
    s.Outputs = outputs;
    s.BatchMode = batchMode;
    s.RunCounter = 0;
    s.MaxPartnersUsed = 0;
    s.EnergyErrorSum = 0;
    s.LssLossSum = s.OrLossSum = s.StLossSum = 0;
    s.Tables.Allocated = false;
    s.RunOffsetCopy = program.RunOffset;
    s.CellEdge = InitialCellEdge;
}

// Checks the job can run at all before anything is read: only the Verlet
// integrator moves particles.
bool AlgorithmSupported(SimulationState& s) {
    if (s.Options().Algorithm == AlgorithmVerlet) return true;
    ShowError(s.Ui(), "Only the Verlet integration algorithm (3) is available.");
    LogLine(s.Ui(),
            "  Integration algorithm " + IntegerText(s.Options().Algorithm) +
                " has no integrator - run aborted.",
            ColourRed);
    return false;
}

// With per-run random streams every run starts from the same program state,
// whichever runs came before it in this process: the generator seeded for
// its run number, the cooling report count and the report toggle fresh, and
// the cell edge of the cell-index search at its start (the target set-up
// only ever enlarges it, and the order of the partner lists, hence of the
// force sums, follows the cells).
void StartRunStream(SimulationState& s) {
    s.Program.Random.Seed(RunStreamSeed(s.JobSeed, s.RunNumber()));
    s.Program.CoolingReportCounter = 0;
    s.Program.FinalReportToggle = false;
    s.CellEdge = InitialCellEdge;
}

// The first run is set up: the job has started, and its staged output files
// move to their names (job/output_backups.h).  Only a job's first run can
// fail to move them.
void PlaceOutputFiles(SimulationState& s) {
    if (s.Relay) s.Relay->FirstRunLinesBegin();
    for (const std::string& staged : PlaceStagedFiles(s.Backups))
        LogLine(s.Ui(), "  Output file left under its staging name: " + staged, ColourRed);
    if (s.Relay) s.Relay->FirstRunLinesEnd({});
    s.Ui().JobStarted();
}

// Files of an earlier job kept as backups, a line each; a job that never
// started leaves nothing behind under a staging name.
void FinishOutputFiles(SimulationState& s) {
    if (!s.Backups.Started) {
        s.Output.Files.DynamicalVariables.Handle.reset();
        s.Output.Files.InelasticEvents.Handle.reset();
        DiscardStagedFiles(s.Backups);
        return;
    }
    // In the order of the output-file set.
    const std::vector<std::string>& kept = s.Backups.BackedUp;
    for (const std::string* name : {&s.Outputs.InitialConditions, &s.Outputs.DynamicalVariables,
                                    &s.Outputs.InelasticEvents})
        if (std::find(kept.begin(), kept.end(), *name) != kept.end())
            LogLine(s.Ui(), BackupNoteText(*name), ColourBlack);
    s.Backups.BackedUp.clear();
}

// Every way out of a job finishes its output files.
struct OutputFilesGuard {
    SimulationState& S;
    ~OutputFilesGuard() { FinishOutputFiles(S); }
};

}  // namespace

bool SetUpRun(SimulationState& s, ImpactFile& impacts, bool dynamicalFileReady) {
    UserInterface& ui = s.Ui();
    s.RunCounter += 1;
    if (s.Relay) s.Relay->RunStarting(s.RunNumber());
    ui.PlotReset();
    LogLine(ui, "  Run count: " + IntegerText(s.RunNumber()), ColourMagenta);
    s.Progress.RunStarted(s.RunCounter);
    const bool pointRead = impacts.ReadPoint(s.Impact);
    if (s.Program.Extended.PerRunStreams) StartRunStream(s);
    if (!dynamicalFileReady || !pointRead || !SetUpTarget(s) ||
        !InitialiseVelocities(s, s.Projectile.Energy)) {
        ShowError(ui, "General initialisation error (or aborted by user).");
        if (!pointRead) ShowReadPlace(ui, s.Inputs.Impact, impacts.Failure());
        return false;
    }
    return true;
}

void FinishRun(SimulationState& s, bool continueJob) {
    s.Progress.RunFinished();
    if (s.Relay) s.Relay->RunFinished({s.RunNumber(), continueJob, s.Program.AbortNow});
}

JobOutcome RunJob(ProgramContext& program, const InputFileSet& inputs,
                  const OutputFileSet& outputs, bool batchMode, const JobSettings& settings) {
    SimulationState s(program);
    s.Relay = settings.Relay;
    UserInterface& ui = s.Ui();
    const SimulationOptions& o = program.Options;
    StartJob(s, inputs, outputs, batchMode);
    if (!AlgorithmSupported(s)) return JobOutcome::Failed;

    if (InelasticModelsInUse(o) && !ReadInelasticFile(s, s.Inputs.Inelastic)) {
        ShowError(ui, "Error in inelastic losses parameters.");
        LogLine(ui, "  Error in inelastic file data - run aborted.", ColourRed);
        return JobOutcome::Failed;
    }
    // The options may have lost a model to null parameters just now.
    if (o.StoreInelastic && (o.UseLSS || o.UseOR || o.UseST) && !CreateEventsFile(s)) {
        const std::string text =
            CutText("Cannot create inelastic output file: " + s.Outputs.InelasticEvents,
                    LogLineLimit);
        ShowError(ui, text);
        LogLine(ui, "  Aborted: " + text, ColourRed);
        LogLine(ui, "  Hint: file may be in use by another program.", ColourRed);
        return JobOutcome::Failed;
    }
    // From here on every way out closes the events file (s owns it) and
    // finishes the staged files.
    OutputFilesGuard outputGuard{s};

    const std::int32_t atomCount = CountTargetAtoms(s, s.Inputs.Target);
    if (atomCount < 1) {
        ShowError(ui, "No data in Target file or file access error: aborting.");
        LogLine(ui, "  No data in Target file or file access error: aborted", ColourRed);
        return JobOutcome::Failed;
    }
    if (!ReadProjectileFile(s, s.Inputs.Projectile)) return JobOutcome::Failed;
    if (!ReadRunFile(s, s.Inputs.Run)) return JobOutcome::Failed;
    s.Processes = program.Extended.PerRunStreams ? std::max(settings.Workers, 1) : 1;
    if (!PrintSimulationSummary(s, atomCount)) {
        LogLine(ui, "  ...Simulation aborted", ColourRed);
        return JobOutcome::Declined;
    }

    if (program.Extended.PerRunStreams) {
        s.JobSeed = program.RandomSeed != 0 ? static_cast<std::uint32_t>(program.RandomSeed)
                                            : ClockSeed();
        if (s.Relay) s.Relay->StreamsSeeded(s.JobSeed);
        LogLine(ui, "  Random streams per run, job seed: " + std::to_string(s.JobSeed),
                ColourBlack);
    }

    const std::int32_t threads = ThreadsForJob(program.Extended.Threads, atomCount, s.Processes);
    if (threads > 1) s.Workers = std::make_unique<WorkerPool>(threads);
    AllocateParticleTable(s, atomCount);
    s.Particles.InitialFlags[0] = static_cast<std::uint32_t>(s.Projectile.FlagWord);
    FillPlotSnapshot(s);
    AllocateMassAndAtomicNumber(s);
    AllocatePartnerLists(s, s.Run.MaxPartners);

    JobOutcome outcome = JobOutcome::Completed;
    ImpactFile impacts;
    if (!OpenImpactFile(s, impacts, s.Inputs.Impact)) {
        ReleaseJobArrays(s);
        return JobOutcome::Failed;
    }
    bool dynamicalFileReady = true;
    if (s.Run.SampleMode != SampleNone) dynamicalFileReady = CreateDynamicalFile(s);
    StartResults(s, settings.UntilYieldError > 0);

    ui.RefreshMemoryDisplay();
    impacts.SkipLines(s.RunOffsetCopy);
    const std::int32_t runs = CountJobRuns(s.Inputs.Impact, s.RunOffsetCopy, settings.MaxRuns);
    s.Progress.Start(runs);
    // Runs shared out only where each run's numbers are its own, and not
    // while the runs are classified: the result tables and the yield are
    // kept by this process alone.
    std::int32_t workers =
        program.Extended.PerRunStreams && !s.Results.Active ? std::min(settings.Workers, runs) : 1;

    for (;;) {
        if (!SetUpRun(s, impacts, dynamicalFileReady)) {
            outcome = JobOutcome::Failed;
            break;
        }
        if (!s.Backups.Started) PlaceOutputFiles(s);
        if (workers > 1) {
            // The first run is set up: the workers start from here.
            if (const std::optional<JobOutcome> shared = ShareRuns(s, workers, runs)) {
                outcome = *shared;
                break;
            }
            workers = 1;
        }
        const bool goOn = RunTrajectory(s);
        FinishRun(s, goOn);
        if (!goOn) {
            outcome = JobOutcome::Aborted;
            break;
        }
        if (settings.UntilYieldError > 0 &&
            YieldConverged(s, settings.UntilYieldError, settings.MinRuns))
            break;
        if (impacts.AtEnd()) break;
        if (settings.MaxRuns > 0 && s.RunCounter >= settings.MaxRuns) break;
    }

    if (outcome != JobOutcome::Failed && s.RunCounter > 0 && o.ReportEnergy)
        LogLine(ui, CumulativeEnergyErrorText(s.EnergyErrorSum / s.RunCounter), ColourBlue);

    FinishResults(s);
    if (s.Run.SampleMode != SampleNone) CloseDynamicalFile(s);
    impacts.Close();
    ReleaseJobArrays(s);
    CloseEventsFile(s);
    FinishOutputFiles(s);
    std::feclearexcept(FE_ALL_EXCEPT);
    return outcome;
}

}  // namespace vantrel
