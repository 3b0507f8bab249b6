#include "job/batch.h"

#include <filesystem>
#include <system_error>

#include "core/number_text.h"
#include "core/version.h"
#include "io/file_names.h"
#include "job/log.h"
#include "job/reader_messages.h"

namespace vantrel {

namespace {

bool StopRequested(const BatchHooks& hooks) { return hooks.StopRequested && hooks.StopRequested(); }

}  // namespace

std::string BatchItemCaption(std::int32_t counter, std::string_view title) {
    return "Vantrel " + std::string(ProgramVersion()) + " (batch item #" + IntegerText(counter) +
           " " + std::string(title) + ")";
}

bool BatchItemInputsExist(const BatchItem& item) {
    const InputFileSet& in = item.Inputs;
    return IsExistingPlainFile(in.Projectile) && IsExistingPlainFile(in.Impact) &&
           IsExistingPlainFile(in.Run) && IsExistingPlainFile(in.Target) &&
           IsExistingPlainFile(in.Model);
}

BatchResult RunBatchItems(ProgramContext& program, std::string_view path,
                          const BatchHooks& hooks, const BatchJob& job) {
    UserInterface& ui = program.Ui;
    BatchResult result;
    std::int32_t counter = 0;
    if (hooks.BatchStarting) hooks.BatchStarting();

    BatchDefinitionFile file(path);
    for (;;) {
        if (StopRequested(hooks)) {
            result.End = BatchEnd::Stopped;
            break;
        }
        BatchItem item;
        // An item read through a failed stream is not one the user wrote:
        // run nothing and say why after the loop.
        if (!file.ReadItem(item)) {
            result.End = BatchEnd::ReadError;
            break;
        }
        if (!BatchItemInputsExist(item)) {
            ShowError(ui, BatchMissingInputText);
            result.End = BatchEnd::MissingInput;
            break;
        }
        if (hooks.ItemChosen) hooks.ItemChosen(item);

        counter += 1;
        if (hooks.ItemStarting) hooks.ItemStarting(counter, item);
        ShowStatusText(ui, BatchStatusText);
        const JobOutcome outcome = job(item.Inputs, item.Outputs);
        result.ItemsRun += 1;
        if (outcome == JobOutcome::Completed) result.ItemsCompleted += 1;
        if (hooks.ItemFinished) hooks.ItemFinished(item, outcome);
        ShowStatusText(ui, IdleStatusText);

        // AbortNow survives the job only when its last run was ended by a
        // confirmed abort, the Step button or a partner-list overflow.
        if (program.AbortNow && ui.AskYesNo(BatchAbortQuestionText, QuestionKind::Confirmation)) {
            result.End = BatchEnd::UserAborted;
            break;
        }
        if (file.AtEnd()) {
            result.End = file.Failed() ? BatchEnd::ReadError : BatchEnd::EndOfFile;
            break;
        }
    }
    file.Close();

    if (hooks.BatchFinished) hooks.BatchFinished();
    if (result.End == BatchEnd::ReadError) {
        ShowError(ui, BatchReadErrorText);
        ShowReadPlace(ui, path, file.Failure());
    }
    return result;
}

bool CheckBatchFileExists(UserInterface& ui, std::string_view path) {
    std::error_code error;
    if (!path.empty() && std::filesystem::exists(std::filesystem::path(std::string(path)), error))
        return true;
    ShowError(ui, "File not found: " + std::string(path) + ".");
    return false;
}

}  // namespace vantrel
