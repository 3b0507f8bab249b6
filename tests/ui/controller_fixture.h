// A JobController without any window: every question, box and chooser
// answered from a script and recorded, every signal recorded in order.
// The current directory is a scratch folder for the fixture's life, so the
// configuration and output files land there.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

#include "tests/support/coloured_log.h"
#include "tests/support/job_files.h"
#include "tests/support/temp_dir.h"
#include "ui/job_controller.h"

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
    friend bool operator==(const AskedQuestion&, const AskedQuestion&) = default;
};

// Answers questions from Answers (then DefaultAnswer) and choosers from
// ChooserAnswers (then cancels), and records everything asked and shown.
struct RecordingPrompts : JobPrompts {
    bool Ask(QuestionBox box, const QString& text) override {
        Questions.push_back({box, text});
        bool answer = DefaultAnswer;
        if (!Answers.empty()) {
            answer = Answers.front();
            Answers.pop_front();
        }
        if (OnQuestion) OnQuestion(text);
        return answer;
    }
    void Tell(MessageKind kind, const QString& text) override { Messages.emplace_back(kind, text); }
    QString ChooseFile(const FileRequest& request) override {
        Requests.push_back(request);
        if (ChooserAnswers.empty()) return {};
        QString answer = ChooserAnswers.front();
        ChooserAnswers.pop_front();
        return answer;
    }
    void ShowExpressionError(const QString& message) override { ExpressionErrors << message; }
    void Beep() override { ++Beeps; }

    std::vector<QString> QuestionTexts() const {
        std::vector<QString> texts;
        for (const AskedQuestion& q : Questions) texts.push_back(q.Text);
        return texts;
    }

    std::vector<AskedQuestion> Questions;
    std::deque<bool> Answers;
    bool DefaultAnswer = true;
    std::function<void(const QString&)> OnQuestion;
    std::vector<std::pair<MessageKind, QString>> Messages;
    std::deque<QString> ChooserAnswers;
    std::vector<FileRequest> Requests;
    QStringList ExpressionErrors;
    int Beeps = 0;
};

class ControllerFixture {
public:
    // before runs in the scratch folder before the controller is created.
    explicit ControllerFixture(const std::function<void(const TempDir&)>& before = {})
        : cwd_((Prepare(before), dir.Path())), controller(prompts) {
        JobController::Platform platform;
        platform.AllocatedBytes = [this] { return Bytes; };
        platform.StartProgram = [this](const QString& program) {
            Started << program;
            return StartSucceeds;
        };
        controller.SetPlatform(platform);
        QObject::connect(&controller, &JobController::LogLineAppended, [this](const QString& text, LogColour colour) {
            Log.push_back(ColourName(colour) + "|" + text.toStdString());
        });
        QObject::connect(&controller, &JobController::FileListLogged, [this](const QStringList& lines) {
            for (const QString& line : lines) Log.push_back("darkgreen|" + line.toStdString());
        });
        QObject::connect(&controller, &JobController::StatusTextChanged, [this](const QString& t) { Statuses.push_back(t); });
        QObject::connect(&controller, &JobController::CaptionChanged, [this](const QString& t) { Captions.push_back(t); });
        QObject::connect(&controller, &JobController::StateChanged, [this](JobState s) { States.push_back(s); });
        QObject::connect(&controller, &JobController::MemoryFigureChanged, [this](const QString& t) { Figures << t; });
        QObject::connect(&controller, &JobController::CloseNow, [this] { ++CloseNows; });
        QObject::connect(&controller, &JobController::ProcessingEvents, [this] {
            ++EventRounds;
            if (During) During();
        });
    }

    // A complete small job in the scratch folder, made the current files
    // (the inelastic name left a pattern), and checked.
    InputFileSet WriteJob(const JobFiles& job = {}) {
        InputFileSet files = job.Write(dir);
        files.Inelastic = "*.inl";
        controller.SetInputs(files);
        controller.SetOutputs(JobFiles::Outputs(dir));
        controller.CheckInputFiles();
        return files;
    }

    QString Status() const { return Statuses.empty() ? QString() : Statuses.back(); }
    QString Caption() const { return controller.Caption(); }
    int LinesStartingWith(const std::string& prefix) const {
        int n = 0;
        for (const std::string& line : Log) n += line.find(prefix) == 0;
        return n;
    }

    TempDir dir;

private:
    void Prepare(const std::function<void(const TempDir&)>& before) {
        if (before) before(dir);
    }
    CurrentDirectory cwd_;

public:
    RecordingPrompts prompts;
    JobController controller;
    std::vector<std::string> Log;  // "colour|text", file lists included
    std::vector<QString> Statuses;
    std::vector<QString> Captions;
    std::vector<JobState> States;
    QStringList Figures;
    int CloseNows = 0;
    int EventRounds = 0;
    std::function<void()> During;
    std::size_t Bytes = 0;
    QStringList Started;
    bool StartSucceeds = true;
};

}  // namespace vantrel::testing
