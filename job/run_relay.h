// What a job tells about its runs besides the log lines, for whoever puts
// its runs together with runs of other processes: the parent of a worker
// process (job/parallel_runs.h) and the runs file beside a log
// (job/runs_file.h), from which `vantrel-cli join` rebuilds one job's log
// out of slices.
//
// A log is made of the job's opening lines, one block per run and the
// closing lines.  A few lines of a block depend on the runs before it in the
// same process: the figures that run over the job (the energy error's
// cumulative mean, the cumulative losses, the largest partner count so far)
// and the lines only the job's first run logs (the target and model files
// read, the first-run warnings).  The relay hears of each right before the
// lines it speaks of, with what is needed to write them for another place in
// another job.  Nothing changes in the log itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/particles.h"

namespace vantrel {

struct RunEnd {
    std::int32_t RunNumber = 0;
    bool ContinueJob = true;  // false: a confirmed abort, an overflow or a fault ends the job here
    bool AbortNow = false;    // the run was ended by Step, an abort or an overflow
};

class RunRelay {
public:
    virtual ~RunRelay() = default;

    // With per-run random streams: the seed every run's stream derives from.
    virtual void StreamsSeeded(std::uint32_t jobSeed) { (void)jobSeed; }
    // The block of run runNumber begins; its "  Run count: " line follows.
    virtual void RunStarting(std::int32_t runNumber) { (void)runNumber; }
    // The lines logged from here to FirstRunLinesEnd are there because this
    // run is the job's first; a later run logs laterLines in their place.
    virtual void FirstRunLinesBegin() {}
    virtual void FirstRunLinesEnd(const std::vector<std::string>& laterLines) { (void)laterLines; }
    // The next line is "  Maximum no. of collision partners required was: "
    // with the job's largest partner count so far.
    virtual void MaxPartnersLine(std::int32_t maxPartnersUsed) { (void)maxPartnersUsed; }
    // The next line is the run's energy error line: its dE (eV) and its
    // relative error (%), before the cumulative mean.
    virtual void EnergyErrorLine(double dE, double error) { (void)dE, (void)error; }
    // The next three lines are the run's loss lines, with its LSS, OR and ST
    // losses (J), before the cumulative sums.
    virtual void LossLines(double lss, double orLoss, double stLoss) { (void)lss, (void)orLoss, (void)stLoss; }
    // The run's report and final sample are written: its block is complete.
    virtual void RunFinished(const RunEnd& end) { (void)end; }

    // A worker process keeps the initial conditions of its runs for its
    // parent to write: true when it took them (the job then writes no file).
    virtual bool TakeInitialConditions(const ParticleTable& particles, std::int32_t runNumber) {
        (void)particles, (void)runNumber;
        return false;
    }
};

}  // namespace vantrel
