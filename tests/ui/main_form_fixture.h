// The desktop program's windows, created as at start-up, with every box,
// chooser, modal dialog and program start answered by the test and
// recorded.  The current directory is a scratch folder for the fixture's
// life, so configuration and output files land there.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <QDialog>
#include <QString>
#include <QTreeWidgetItem>

#include "tests/support/coloured_log.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "ui/log_view.h"
#include "ui/main_form.h"
#include "ui/program_windows.h"
#include "ui/project_tree.h"

// Texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace vantrel::testing {

// Switches the current directory for its lifetime.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~CurrentDirectory() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

struct AskedQuestion {
    QuestionBox Box;
    QString Text;
};

class MainFormFixture {
public:
    // before runs in the scratch folder before the windows are created.
    explicit MainFormFixture(const std::function<void(const TempDir&)>& before = {})
        : cwd_((Prepare(before), dir.Path())), windows(nullptr) {
        MainFormServices services;
        services.Ui = recorder.Services();
        services.Ask = [this](QWidget*, QuestionBox box, const QString& text) {
            Questions.push_back({box, text});
            bool answer = DefaultAnswer;
            if (!Answers.empty()) {
                answer = Answers.front();
                Answers.pop_front();
            }
            if (OnQuestion) OnQuestion(text);
            return answer;
        };
        services.ShowExpressionError = [this](QWidget*, const QString& message) { ExpressionErrors << message; };
        services.RunDialog = [this](QDialog& dialog) {
            ModalDialogs.push_back(&dialog);
            return OnDialog ? OnDialog(dialog) : static_cast<int>(QDialog::Rejected);
        };
        services.AllocatedBytes = [this] { return Bytes; };
        services.StartProgram = [this](const QString& program) {
            Started << program;
            return StartSucceeds;
        };
        services.DuringEvents = [this] {
            ++EventRounds;
            if (During) During();
        };
        Form().SetServices(services);
    }

    TMainForm& Form() { return *windows.MainForm; }

    std::vector<std::string> LogTexts() {
        std::vector<std::string> texts;
        for (const RichTextLine& line : Form().Log->Lines()) texts.push_back(line.PlainText());
        return texts;
    }

    // The log as "colour|text" lines (a line in one colour, or black when empty).
    std::vector<std::string> ColouredLog();

    std::vector<QString> QuestionTexts() const {
        std::vector<QString> texts;
        for (const AskedQuestion& q : Questions) texts.push_back(q.Text);
        return texts;
    }

    TempDir dir;

private:
    void Prepare(const std::function<void(const TempDir&)>& before) {
        if (before) before(dir);
    }
    CurrentDirectory cwd_;

public:
    ProgramWindows windows;
    ServiceRecorder recorder;
    std::vector<AskedQuestion> Questions;
    std::deque<bool> Answers;
    bool DefaultAnswer = true;
    std::function<void(const QString&)> OnQuestion;
    std::vector<QDialog*> ModalDialogs;
    std::function<int(QDialog&)> OnDialog;
    QStringList ExpressionErrors;
    std::size_t Bytes = 0;
    QStringList Started;
    bool StartSucceeds = true;
    int EventRounds = 0;
    std::function<void()> During;
};

inline std::vector<std::string> MainFormFixture::ColouredLog() {
    std::vector<std::string> lines;
    for (const RichTextLine& line : Form().Log->Lines()) {
        if (line.Runs.empty()) {
            lines.push_back("black|");
        } else if (line.Runs.size() == 1) {
            lines.push_back(ColourName(line.Runs[0].Colour) + "|" + line.Runs[0].Text);
        } else {
            lines.push_back("mixed|" + line.PlainText());
        }
    }
    return lines;
}

}  // namespace vantrel::testing
