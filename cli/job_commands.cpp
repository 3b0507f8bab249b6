// `run` and `batch`: one job, or the items of a batch file, through the run
// driver with the console interface.
//
// Ctrl-C.  The signal handler only counts; the count is looked at whenever
// the job processes its pending events (every partner-list rebuild and the
// end of every run).  The first press then does what Cancel followed by Yes
// does on the desktop: it raises AbortRequested, the next rebuild asks "Do
// you really wish to abort the simulation?", the console answers Yes for the
// user, and the job ends after that run's report with its files closed.  A
// press seen only at the end of a run (after its last rebuild) would leave
// the question to the next run, so the job's run limit is also lowered to
// the runs already started: the job ends after the current run either way.
// The batch then answers "Abort remaining batch jobs?" Yes as well and starts
// no further item.  The exit status is 130 whenever Ctrl-C was pressed.
//
// --jobs N shares each job's runs among N worker processes
// (job/parallel_runs.h); the parent asks the abort question as soon as it
// sees the press, the workers end their runs in progress, and every finished
// run is written.  A second press stops the parent at once (main.cpp) and
// the workers with it.
//
// With per-run random streams, `run` with --log also writes the runs file
// beside the log (job/runs_file.h), from which `join` puts slices together.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "cli/commands.h"
#include "cli/runner_ui.h"
#include "core/file_handle.h"
#include "job/batch.h"
#include "job/log.h"
#include "core/number_text.h"
#include "job/run_driver.h"
#include "job/runs_file.h"
#include "core/options.h"
#include "io/file_names.h"

namespace vantrel::cli {

namespace {

std::int32_t CoreCount() {
    return static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
}

AnswerPolicy PolicyFor(AnswerChoice choice) {
    switch (choice) {
        case AnswerChoice::Yes:
            return AnswerPolicy::AlwaysYes;
        case AnswerChoice::No:
            return AnswerPolicy::AlwaysNo;
        case AnswerChoice::Ask:
            break;
    }
    return AnswerPolicy::AskOnTerminal;
}

// Everything one invocation of `run` or `batch` holds: the interface, the
// program's values, the run limit the jobs read, and what Ctrl-C has done.
class Session {
public:
    Session(const CliArguments& args, std::FILE* out, std::FILE* err,
            const InterruptSource& interrupts)
        : args_(args), err_(err), interrupts_(interrupts),
          ui_(out, err, PolicyFor(args.Answer)), program_(ui_) {
        settings_.MaxRuns = args.MaxRuns;
        settings_.Workers = args.Jobs > 0 ? args.Jobs : CoreCount();
        settings_.UntilYieldError = args.UntilYieldError;
        settings_.MinRuns = args.MinRuns;
        ui_.SetQuiet(args.Quiet);
        ui_.SetProgress(args.Progress);
        ui_.SetEventHook([this] { PollInterrupt(); });
        ui_.SetUnansweredHook([this](const std::string& question) {
            std::string text = question;
            for (char& c : text)
                if (c == '\r' || c == '\n') c = ' ';
            LogLine(ui_, "  Answered No for want of a terminal: " + text, ColourRed);
        });
    }

    // Options, the log file and the runs file; false after a usage error.
    bool Prepare() {
        if (!PrepareOptions(program_, args_, err_)) return false;
        if (settings_.Workers > 1 && !program_.Extended.PerRunStreams) {
            UsageError(err_, "--jobs " + std::to_string(args_.Jobs) +
                                 " needs per-run random streams (--set PerRunStreams=1): "
                                 "without them the runs' results depend on how they are shared");
            return false;
        }
        if (!args_.LogFile.empty()) {
            log_.reset(std::fopen(args_.LogFile.c_str(), "w"));
            if (!log_) {
                UsageError(err_, "cannot create log file: '" + args_.LogFile + "'");
                return false;
            }
            ui_.SetPlainLogFile(log_.get());
        }
        return true;
    }

    // The runs file beside the log of a `run` with per-run streams.
    bool PrepareRunsFile() {
        if (args_.LogFile.empty() || !program_.Extended.PerRunStreams) return true;
        const std::string name = RunsFileName(args_.LogFile);
        runsFile_.reset(std::fopen(name.c_str(), "w"));
        if (!runsFile_) {
            UsageError(err_, "cannot create runs file: '" + name + "'");
            return false;
        }
        runs_.emplace(runsFile_.get(), [this] { return ui_.PlainLogLines(); });
        settings_.Relay = &*runs_;
        return true;
    }

    bool Interrupted() const { return interrupts_ && interrupts_() > 0; }

    // Called at the job's event points.
    void PollInterrupt() {
        if (ui_.Interrupted() || !Interrupted()) return;
        ui_.SetInterrupted();
        program_.AbortRequested = true;
        const std::int32_t started = ui_.RunsStarted();
        if (started > 0 && (settings_.MaxRuns == 0 || settings_.MaxRuns > started))
            settings_.MaxRuns = started;
        ui_.Notice("interrupt: the job ends after this run (Ctrl-C again stops at once)");
    }

    // Before each job: a fresh run count and the user's own limit.
    void StartJob() {
        ui_.ResetRunCount();
        if (!ui_.Interrupted()) settings_.MaxRuns = args_.MaxRuns;
    }

    int Finish(bool succeeded) {
        if (log_) {
            const bool written = std::fflush(log_.get()) == 0 && !std::ferror(log_.get());
            if (!written) {
                ShowError(ui_, "Error writing log file " + args_.LogFile + ".");
                succeeded = false;
            }
        }
        if (runsFile_ && (std::fflush(runsFile_.get()) != 0 || !runs_->Good())) {
            ShowError(ui_, "Error writing runs file " + RunsFileName(args_.LogFile) + ".");
            succeeded = false;
        }
        if (Interrupted()) return ExitInterrupted;
        return succeeded ? ExitCompleted : ExitJobError;
    }

    RunnerUserInterface& Ui() { return ui_; }
    ProgramContext& Program() { return program_; }
    JobSettings& Settings() { return settings_; }

private:
    const CliArguments& args_;
    std::FILE* err_;
    InterruptSource interrupts_;
    RunnerUserInterface ui_;
    ProgramContext program_;
    JobSettings settings_;
    FileHandle log_;
    FileHandle runsFile_;
    std::optional<RunsFileWriter> runs_;
};

// The desktop program runs a job only when these files are there; so does
// the runner, naming each one that is not.
bool InputFilesPresent(UserInterface& ui, const InputFileSet& in,
                       const SimulationOptions& options) {
    bool present = true;
    for (const std::string* name : {&in.Projectile, &in.Target, &in.Model, &in.Run, &in.Impact}) {
        if (IsExistingPlainFile(*name)) continue;
        ShowError(ui, "File not found: " + *name + ".");
        present = false;
    }
    if (InelasticModelsInUse(options) && !IsExistingPlainFile(in.Inelastic)) {
        ShowError(ui, "File not found: " + in.Inelastic + ".");
        present = false;
    }
    return present;
}

}  // namespace

int RunJobCommand(const CliArguments& args, std::FILE* out, std::FILE* err,
                  const InterruptSource& interrupts) {
    Session session(args, out, err, interrupts);
    if (!session.Prepare()) return ExitUsage;
    const InputFileSet inputs = JobInputFiles(args);
    if (!InputFilesPresent(session.Ui(), inputs, session.Program().Options))
        return session.Finish(false);
    if (!session.PrepareRunsFile()) return ExitUsage;
    session.StartJob();
    const JobOutcome outcome = RunJob(session.Program(), inputs, JobOutputFiles(args), false,
                                      session.Settings());
    return session.Finish(outcome == JobOutcome::Completed);
}

int RunBatchCommand(const CliArguments& args, std::FILE* out, std::FILE* err,
                    const InterruptSource& interrupts) {
    Session session(args, out, err, interrupts);
    if (!session.Prepare()) return ExitUsage;
    if (!CheckBatchFileExists(session.Ui(), args.File)) return session.Finish(false);

    BatchHooks hooks;
    hooks.ItemStarting = [&](std::int32_t counter, const BatchItem& item) {
        session.StartJob();
        session.Ui().Notice("batch: " + BatchItemCaption(counter, item.Title));
    };
    hooks.StopRequested = [&] { return session.Interrupted(); };
    const BatchResult result = RunBatch(session.Program(), args.File, hooks, session.Settings());
    return session.Finish(result.End == BatchEnd::EndOfFile &&
                          result.ItemsCompleted == result.ItemsRun);
}

}  // namespace vantrel::cli
