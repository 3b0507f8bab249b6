// The console interface as the headless runner uses it: it counts the runs a
// job starts (one plot reset each), puts the job's progress ("Run 2 of 10,
// about 12 min left") on the progress line after the status text, and, once
// Ctrl-C has been pressed, answers the two abort questions Yes on the
// user's behalf.
#pragma once

#include <cstdint>
#include <string>

#include "job/console_ui.h"

namespace vantrel::cli {

class RunnerUserInterface : public ConsoleUserInterface {
public:
    using ConsoleUserInterface::ConsoleUserInterface;

    void PlotReset() override { runsStarted_ += 1; }
    bool AskYesNo(std::string_view text, QuestionKind kind) override;
    // The rebuild's status text waits for the progress that follows it:
    // "Timesteps: 850 (75.56 fs)  Run 2 of 10, about 12 min left".
    void SetStatusText(std::string_view text) override;
    void ShowProgress(std::string_view text) override;

    // Runs started since the last ResetRunCount (the current job's runs).
    std::int32_t RunsStarted() const { return runsStarted_; }
    void ResetRunCount() { runsStarted_ = 0; }

    // After Ctrl-C: "Do you really wish to abort the simulation?" and "Abort
    // remaining batch jobs?" are answered Yes without asking.
    void SetInterrupted() { interrupted_ = true; }
    bool Interrupted() const { return interrupted_; }

private:
    std::string stepStatus_;
    std::int32_t runsStarted_ = 0;
    bool interrupted_ = false;
};

}  // namespace vantrel::cli
