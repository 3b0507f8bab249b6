#include "job/progress.h"

#include <algorithm>
#include <cmath>

#include "core/number_text.h"
#include "io/impact_file.h"

namespace vantrel {

namespace {

// Below this share of the first run nothing sensible can be said.
constexpr double LeastShareForEstimate = 0.02;

// "12 s", "12 min", "2 h 05 min": whole seconds below a minute, whole
// minutes above, rounded up.
std::string DurationText(double seconds) {
    if (seconds < 60) return IntegerText(static_cast<std::int32_t>(std::ceil(seconds))) + " s";
    const auto minutes = static_cast<std::int64_t>(std::ceil(seconds / 60));
    if (minutes < 60) return IntegerText(static_cast<std::int32_t>(minutes)) + " min";
    const auto hours = static_cast<std::int32_t>(std::min<std::int64_t>(minutes / 60, 999999));
    const auto rest = static_cast<std::int32_t>(minutes % 60);
    return IntegerText(hours) + " h " + (rest < 10 ? "0" : "") + IntegerText(rest) + " min";
}

std::string TimeLeftText(double seconds) { return "about " + DurationText(seconds) + " left"; }

}  // namespace

double EstimateSecondsLeft(std::int32_t run, std::int32_t runs, double secondsInRun,
                           double meanRunSeconds, double simulatedTime, double maxTime) {
    const double runsAfter = std::max(0, runs - run);
    if (meanRunSeconds > 0)
        return std::max(meanRunSeconds - secondsInRun, 0.0) + runsAfter * meanRunSeconds;
    if (!(maxTime > 0)) return -1;
    const double share = std::min(simulatedTime / maxTime, 1.0);
    if (!(share >= LeastShareForEstimate)) return -1;
    const double runSeconds = secondsInRun / share;
    return (runSeconds - secondsInRun) + runsAfter * runSeconds;
}

std::string ProgressText(std::int32_t run, std::int32_t runs, double secondsLeft) {
    std::string text = "Run " + IntegerText(run) + " of " + IntegerText(std::max(run, runs));
    if (secondsLeft >= 0 && std::isfinite(secondsLeft)) text += ", " + TimeLeftText(secondsLeft);
    return text;
}

std::string SharedProgressText(std::int32_t done, std::int32_t runs, double elapsedSeconds) {
    std::string text = IntegerText(done) + " of " + IntegerText(std::max(done, runs)) +
                       " runs done, " + DurationText(std::max(elapsedSeconds, 0.0)) + " elapsed";
    if (done > 0 && runs > done)
        text += ", " + TimeLeftText(elapsedSeconds * static_cast<double>(runs - done) / done);
    return text;
}

std::int32_t CountJobRuns(std::string_view impactFile, std::int32_t skip, std::int32_t maxRuns) {
    ImpactFile file;
    std::int32_t runs = 0;
    if (file.Open(impactFile)) {
        file.SkipLines(skip);
        ImpactPoint point;
        // As the run loop reads them: a point per run until the file's end.
        // A point that does not read is the run that fails.
        do {
            runs += 1;
            if (!file.ReadPoint(point)) break;
        } while (!file.AtEnd() && (maxRuns <= 0 || runs < maxRuns));
        file.Close();
    }
    runs = std::max(runs, 1);
    return maxRuns > 0 ? std::min(runs, maxRuns) : runs;
}

void JobProgress::Start(std::int32_t runs) {
    *this = JobProgress{};
    runs_ = std::max(runs, 1);
}

void JobProgress::RunStarted(std::int32_t run) {
    run_ = run;
    runStart_ = Clock::now();
}

void JobProgress::RunFinished() {
    finished_ += 1;
    finishedSeconds_ += std::chrono::duration<double>(Clock::now() - runStart_).count();
}

std::string JobProgress::Text(double simulatedTime, double maxTime) const {
    const double inRun = std::chrono::duration<double>(Clock::now() - runStart_).count();
    const double mean = finished_ > 0 ? finishedSeconds_ / finished_ : 0.0;
    return ProgressText(run_, runs_, EstimateSecondsLeft(run_, runs_, inRun, mean, simulatedTime, maxTime));
}

}  // namespace vantrel
