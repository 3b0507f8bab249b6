// How far a job has come: run i of N and an estimate of the time left, for
// the desktop's status bar and the runner's progress line.  The status text
// "Timesteps: <n> (<t> fs)" stays as it is; this text goes beside it.
//
// N is the number of impact lines the job will read after its RunOffset
// lines (at least one), or the run limit when that is smaller.  The
// estimate rests on wall-clock time: after the first run, the mean time of
// the finished runs; during the first run, the share of the run file's
// maximum time simulated so far (runs often end earlier, so it leans high).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Seconds left in the job, or a negative value while there is nothing to go
// by.  run counts from 1; meanRunSeconds is 0 before any run has finished.
double EstimateSecondsLeft(std::int32_t run, std::int32_t runs, double secondsInRun,
                           double meanRunSeconds, double simulatedTime, double maxTime);

// "Run 2 of 10, about 12 min left"; without an estimate "Run 2 of 10".
std::string ProgressText(std::int32_t run, std::int32_t runs, double secondsLeft);

// "3 of 20 runs done, 2 min elapsed, about 12 min left", for a job whose runs
// worker processes share: the runs finished, the wall-clock time since they
// started and, once a run is done, the estimate from the rate so far.
std::string SharedProgressText(std::int32_t done, std::int32_t runs, double elapsedSeconds);

// Number of runs a job reads from this impact file: the points after skip
// lines (a point that does not read included: that run fails), at least
// one, at most maxRuns when that is positive.
std::int32_t CountJobRuns(std::string_view impactFile, std::int32_t skip, std::int32_t maxRuns);

class JobProgress {
public:
    using Clock = std::chrono::steady_clock;

    void Start(std::int32_t runs);
    void RunStarted(std::int32_t run);
    void RunFinished();
    // The text at simulated time t (s) of a run whose maximum time is maxTime (s).
    std::string Text(double simulatedTime, double maxTime) const;

private:
    std::int32_t runs_ = 1;
    std::int32_t run_ = 0;
    std::int32_t finished_ = 0;
    double finishedSeconds_ = 0;
    Clock::time_point runStart_{};
};

}  // namespace vantrel
