#include "job/run_driver.h"

#include <algorithm>
#include <cfenv>
#include <string>

#include "core/number_text.h"
#include "core/random.h"
#include "job/impact_file.h"
#include "job/inelastic_file.h"
#include "job/log.h"
#include "job/output_backups.h"
#include "job/output_files.h"
#include "job/progress.h"
#include "job/projectile_file.h"
#include "job/reader_messages.h"
#include "job/run_file.h"
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
// its run number, the cooling report count and the report toggle fresh.
void StartRunStream(SimulationState& s) {
    s.Program.Random.Seed(RunStreamSeed(s.JobSeed, s.RunNumber()));
    s.Program.CoolingReportCounter = 0;
    s.Program.FinalReportToggle = false;
}

// The first run is set up: the job has started, and its staged output files
// move to their names (job/output_backups.h).
void PlaceOutputFiles(SimulationState& s) {
    for (const std::string& staged : PlaceStagedFiles(s.Backups))
        LogLine(s.Ui(), "  Output file left under its staging name: " + staged, ColourRed);
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

JobOutcome RunJob(ProgramContext& program, const InputFileSet& inputs,
                  const OutputFileSet& outputs, bool batchMode, const JobLimits& limits) {
    SimulationState s(program);
    UserInterface& ui = program.Ui;
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
    if (!PrintSimulationSummary(s, atomCount)) {
        LogLine(ui, "  ...Simulation aborted", ColourRed);
        return JobOutcome::Declined;
    }

    if (program.Extended.PerRunStreams) {
        s.JobSeed = program.RandomSeed != 0 ? static_cast<std::uint32_t>(program.RandomSeed)
                                            : ClockSeed();
        LogLine(ui, "  Random streams per run, job seed: " + std::to_string(s.JobSeed),
                ColourBlack);
    }

    const std::int32_t threads = ThreadsForJob(program.Extended.Threads, atomCount);
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

    ui.RefreshMemoryDisplay();
    impacts.SkipLines(s.RunOffsetCopy);
    s.Progress.Start(CountJobRuns(s.Inputs.Impact, s.RunOffsetCopy, limits.MaxRuns));

    for (;;) {
        s.RunCounter += 1;
        ui.PlotReset();
        LogLine(ui, "  Run count: " + IntegerText(s.RunNumber()), ColourMagenta);
        s.Progress.RunStarted(s.RunCounter);
        const bool pointRead = impacts.ReadPoint(s.Impact);
        if (program.Extended.PerRunStreams) StartRunStream(s);
        if (!dynamicalFileReady || !pointRead || !SetUpTarget(s) ||
            !InitialiseVelocities(s, s.Projectile.Energy)) {
            ShowError(ui, "General initialisation error (or aborted by user).");
            if (!pointRead) ShowReadPlace(ui, s.Inputs.Impact, impacts.Failure());
            outcome = JobOutcome::Failed;
            break;
        }
        if (!s.Backups.Started) PlaceOutputFiles(s);
        const bool goOn = RunTrajectory(s);
        s.Progress.RunFinished();
        if (!goOn) {
            outcome = JobOutcome::Aborted;
            break;
        }
        if (impacts.AtEnd()) break;
        if (limits.MaxRuns > 0 && s.RunCounter >= limits.MaxRuns) break;
    }

    if (outcome != JobOutcome::Failed && s.RunCounter > 0 && o.ReportEnergy)
        LogLine(ui,
                "  Cumulative error in system energy: " +
                    FormatRealDecimals(4, s.EnergyErrorSum / s.RunCounter) + " %",
                ColourBlue);

    if (s.Run.SampleMode != SampleNone) CloseDynamicalFile(s);
    impacts.Close();
    ReleaseJobArrays(s);
    CloseEventsFile(s);
    FinishOutputFiles(s);
    std::feclearexcept(FE_ALL_EXCEPT);
    return outcome;
}

}  // namespace vantrel
