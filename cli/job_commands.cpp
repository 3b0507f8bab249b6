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
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/runner_ui.h"
#include "core/file_handle.h"
#include "job/batch.h"
#include "job/log.h"
#include "core/number_text.h"
#include "job/run_driver.h"
#include "core/options.h"
#include "io/file_names.h"

namespace vantrel::cli {

namespace {

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
        limits_.MaxRuns = args.MaxRuns;
        limits_.UntilYieldError = args.UntilYieldError;
        limits_.MinRuns = args.MinRuns;
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

    // Options and the log file; false after a usage error.
    bool Prepare() {
        if (!PrepareOptions(program_, args_, err_)) return false;
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

    bool Interrupted() const { return interrupts_ && interrupts_() > 0; }

    // Called at the job's event points.
    void PollInterrupt() {
        if (ui_.Interrupted() || !Interrupted()) return;
        ui_.SetInterrupted();
        program_.AbortRequested = true;
        const std::int32_t started = ui_.RunsStarted();
        if (started > 0 && (limits_.MaxRuns == 0 || limits_.MaxRuns > started))
            limits_.MaxRuns = started;
        ui_.Notice("interrupt: the job ends after this run (Ctrl-C again stops at once)");
    }

    // Before each job: a fresh run count and the user's own limit.
    void StartJob() {
        ui_.ResetRunCount();
        if (!ui_.Interrupted()) limits_.MaxRuns = args_.MaxRuns;
    }

    int Finish(bool succeeded) {
        if (log_) {
            const bool written = std::fflush(log_.get()) == 0 && !std::ferror(log_.get());
            if (!written) {
                ShowError(ui_, "Error writing log file " + args_.LogFile + ".");
                succeeded = false;
            }
        }
        if (Interrupted()) return ExitInterrupted;
        return succeeded ? ExitCompleted : ExitJobError;
    }

    RunnerUserInterface& Ui() { return ui_; }
    ProgramContext& Program() { return program_; }
    JobLimits& Limits() { return limits_; }

private:
    const CliArguments& args_;
    std::FILE* err_;
    InterruptSource interrupts_;
    RunnerUserInterface ui_;
    ProgramContext program_;
    JobLimits limits_;
    FileHandle log_;
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
    session.StartJob();
    const JobOutcome outcome = RunJob(session.Program(), inputs, JobOutputFiles(args), false,
                                      session.Limits());
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
    const BatchResult result = RunBatch(session.Program(), args.File, hooks, session.Limits());
    return session.Finish(result.End == BatchEnd::EndOfFile &&
                          result.ItemsCompleted == result.ItemsRun);
}

}  // namespace vantrel::cli
