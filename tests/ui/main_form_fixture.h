// The desktop program's windows, created as at start-up, with every box,
// chooser, modal dialog and program start answered by the test and
// recorded.  Controls are found by their object names.  The current
// directory is a scratch folder for the fixture's life.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QAction>
#include <QDialog>
#include <QString>

#include "tests/ui/controller_fixture.h"
#include "tests/ui/ui_test_support.h"
#include "ui/log_view.h"
#include "ui/main_form.h"
#include "ui/program_windows.h"

namespace vantrel::testing {

class MainFormFixture {
public:
    MainFormFixture() : cwd_(dir.Path()), windows(nullptr) {
        MainFormServices services;
        services.Ui = recorder.Services();
        services.Ask = [this](QWidget*, QuestionBox box, const QString& text) {
            Questions.push_back({box, text});
            bool answer = DefaultAnswer;
            if (!Answers.empty()) {
                answer = Answers.front();
                Answers.pop_front();
            }
            return answer;
        };
        services.RunDialog = [this](QDialog& dialog) {
            ModalDialogs.push_back(&dialog);
            return OnDialog ? OnDialog(dialog) : static_cast<int>(QDialog::Rejected);
        };
        Form().SetServices(services);
        JobController::Platform platform;
        platform.AllocatedBytes = [this] { return Bytes; };
        Controller().SetPlatform(platform);
        QObject::connect(&Controller(), &JobController::ProcessingEvents, [this] {
            if (During) During();
        });
    }

    TMainForm& Form() { return *windows.MainForm; }
    JobController& Controller() { return Form().Controller(); }

    template <typename T = QWidget>
    T* Find(const char* name) {
        T* child = Form().findChild<T*>(QString::fromLatin1(name));
        if (child == nullptr) ADD_FAILURE() << "no " << name;
        return child;
    }
    QAction* Action(const char* name) { return Find<QAction>(name); }
    LogView& Log() { return *Find<LogView>("Log"); }

    // A complete small job in the scratch folder, made the current input files and checked.
    InputFileSet WriteJob(const JobFiles& job = {}) {
        InputFileSet files = job.Write(dir);
        files.Inelastic = "*.inl";
        Controller().SetInputs(files);
        Controller().SetOutputs(JobFiles::Outputs(dir));
        Controller().CheckInputFiles();
        return files;
    }

    std::vector<std::string> LogTexts() {
        std::vector<std::string> texts;
        for (const RichTextLine& line : Log().Lines()) texts.push_back(line.PlainText());
        return texts;
    }

    // The log as "colour|text" lines (a line in one colour, or black when empty).
    std::vector<std::string> ColouredLog() {
        std::vector<std::string> lines;
        for (const RichTextLine& line : Log().Lines()) {
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

    TempDir dir;

private:
    CurrentDirectory cwd_;

public:
    ProgramWindows windows;
    ServiceRecorder recorder;
    std::vector<AskedQuestion> Questions;
    std::deque<bool> Answers;
    bool DefaultAnswer = true;
    std::vector<QDialog*> ModalDialogs;
    std::function<int(QDialog&)> OnDialog;
    std::size_t Bytes = 0;
    std::function<void()> During;
};

}  // namespace vantrel::testing
