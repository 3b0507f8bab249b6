// The runs file beside a job's log ("job.log.runs"): where each run's block
// lies in the log and what `vantrel-cli join` needs to write it for another
// place in another job (job/run_relay.h).  The runner writes it for every
// `run` with a --log file and per-run random streams; slices of one long job
// joined by their runs files give the long job's log.
//
// Text, one record a line, fields separated by one blank, log lines counted
// from 0, reals as C hexadecimal floating constants (exact):
//
//   vantrel-runs 1                   the format
//   seed S                           the job's seed of the per-run streams
//   run R L                          run R's block begins at log line L
//   first A B                        lines A..B-1 are there because R is the job's first run;
//   later TEXT                       ... a later run logs these lines in their place (0 or more)
//   partners L N                     line L is the partner-count line, N the job's largest so far
//   energy L DE ERR                  line L is the energy error line: dE (eV), error (%)
//   losses L LSS OR ST               lines L..L+2 are the loss lines: the run's losses (J)
//   done R L C A                     run R's block ends before line L; C 1 when the job went
//                                    on after it, A 1 when it was ended by an abort or Step
//
// A run without its "done" record did not finish (the runner was stopped at
// once) and is not taken.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "job/run_relay.h"

namespace vantrel {

// "job.log" -> "job.log.runs".
std::string RunsFileName(const std::string& logFile);

// Writes the runs file as the job goes.  logLines gives the number of lines
// written to the log so far; each record is written before the lines it
// speaks of, and the file is flushed at the end of every run.
class RunsFileWriter final : public RunRelay {
public:
    RunsFileWriter(std::FILE* file, std::function<std::int64_t()> logLines);

    void StreamsSeeded(std::uint32_t jobSeed) override;
    void RunStarting(std::int32_t runNumber) override;
    void FirstRunLinesBegin() override;
    void FirstRunLinesEnd(const std::vector<std::string>& laterLines) override;
    void MaxPartnersLine(std::int32_t maxPartnersUsed) override;
    void EnergyErrorLine(double dE, double error) override;
    void LossLines(double lss, double orLoss, double stLoss) override;
    void RunFinished(const RunEnd& end) override;

    // False once a record could not be written.
    bool Good() const;

private:
    std::FILE* file_;
    std::function<std::int64_t()> logLines_;
    std::int64_t firstBegin_ = 0;
};

// One finished run as the runs file describes it.
struct RunsFileRun {
    struct Section {
        std::int64_t Begin = 0, End = 0;
        std::vector<std::string> Later;
    };
    std::int32_t RunNumber = 0;
    std::int64_t Begin = 0, End = 0;  // the block: log lines Begin..End-1
    std::vector<Section> FirstRunLines;
    std::int64_t PartnersLine = -1;  // -1: none
    std::int32_t MaxPartners = 0;
    std::int64_t EnergyLine = -1;
    double DE = 0, Error = 0;
    std::int64_t LossLine = -1;
    double Losses[3] = {0, 0, 0};
    bool ContinueJob = true;
    bool AbortNow = false;
};

struct RunsFile {
    bool Seeded = false;
    std::uint32_t Seed = 0;
    std::vector<RunsFileRun> Runs;  // finished runs, in file order
};

// Reads a runs file.  False with a one-line reason (naming the line) when it
// cannot be read or is not one.
bool ReadRunsFile(const std::string& path, RunsFile& runs, std::string& error);

}  // namespace vantrel
