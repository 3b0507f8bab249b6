// The one road from the engine to the user.
//
// The simulation runs on the user-interface thread and reports everything
// synchronously through this interface: log lines, the status text, graph
// updates, modal boxes and questions.  The Qt main window, the console runner
// and the recording test double implement it; the engine never sees which.
#pragma once

#include <string_view>

#include "output/log_colour.h"

namespace vantrel {

struct PlotSnapshot;

// How a yes/no question is shown.  Any answer but Yes declines.
enum class QuestionKind {
    Confirmation,         // confirmation box, Yes and No
    Warning,              // warning box with Yes and No (model-file questions)
    ConfirmationTopLeft,  // confirmation placed at screen position (0, 0)
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Appends one whole line in the given colour (the log model decides how).
    virtual void AppendLogLine(std::string_view text, LogColour colour) = 0;
    // Sets the status bar's single text field.
    virtual void SetStatusText(std::string_view text) = 0;
    // Redraws the graph window from the snapshot, if it is visible.
    virtual void PlotUpdate(const PlotSnapshot& snapshot) = 0;
    // Resizes the graph picture to the window and redraws it (before every run).
    virtual void PlotReset() = 0;
    // Modal error box with one OK button; CR characters are line breaks.
    virtual void ErrorBox(std::string_view text) = 0;
    // Modal warning box with one OK button.
    virtual void WarningBox(std::string_view text) = 0;
    // Modal yes/no question; true only for Yes.
    virtual bool AskYesNo(std::string_view text, QuestionKind kind) = 0;
    // Lets the window handle its pending events (buttons may set the abort flags).
    virtual void ProcessPendingEvents() = 0;
    // The system's default beep.
    virtual void Beep() = 0;
    // The modal "Error parsing expression" window with its whole message text.
    virtual void ExpressionError(std::string_view message) = 0;
    // Refreshes the memory-use display once (the idle handler's work).
    virtual void RefreshMemoryDisplay() = 0;
    // A run's rows have just been added to the result tables (StoreResults):
    // a window that shows them may read them again.  Nothing by default.
    virtual void ResultsWritten() {}
    // Shown beside the status text at every partner-list rebuild: "Run 2 of
    // 10, about 12 min left" (job/progress.h).  Front ends without a place
    // for it ignore it.
    virtual void ShowProgress(std::string_view text) { (void)text; }
    // The job's first run is set up and its output files are under their
    // names (job/output_backups.h): a front end that writes a file of its
    // own beside them places it now.
    virtual void JobStarted() {}
};

// Discards every message and gives every question the same answer: for
// benchmarks and fuzz targets, where nobody is watching.
class SilentUserInterface : public UserInterface {
public:
    explicit SilentUserInterface(bool answer = true) : Answer(answer) {}
    void AppendLogLine(std::string_view, LogColour) override {}
    void SetStatusText(std::string_view) override {}
    void PlotUpdate(const PlotSnapshot&) override {}
    void PlotReset() override {}
    void ErrorBox(std::string_view) override {}
    void WarningBox(std::string_view) override {}
    bool AskYesNo(std::string_view, QuestionKind) override { return Answer; }
    void ProcessPendingEvents() override {}
    void Beep() override {}
    void ExpressionError(std::string_view) override {}
    void RefreshMemoryDisplay() override {}

private:
    bool Answer;
};

}  // namespace vantrel
