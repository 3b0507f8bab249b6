#include "job/output_files.h"

#include <string>

#include "job/log.h"
#include "job/output_backups.h"
#include "output/output_filter.h"

namespace vantrel {

namespace {

// The expression's errors, shown in the "Error parsing expression" window.
class ExpressionWindow final : public ExpressionErrorSink {
public:
    explicit ExpressionWindow(UserInterface& ui) : ui_(ui) {}
    void ExpressionError(std::string_view message) override { ui_.ExpressionError(message); }

private:
    UserInterface& ui_;
};

// Appends the accepted records to the dynamical-variables file and reports a
// failure at once, between the windows of the same pass.
class DynamicalFileWriter final : public SampleWriter {
public:
    explicit DynamicalFileWriter(SimulationState& s) : s_(s) {}
    OutputStatus Append(const ParticleSample& sample) override {
        return Reported(AppendSample(s_.Output.Files, sample));
    }
    OutputStatus Flush() override { return Reported(FlushDynamicalFile(s_.Output.Files)); }

private:
    OutputStatus Reported(OutputStatus status) {
        ReportOutputStatus(s_, s_.Output.Files.DynamicalVariables, status);
        return status;
    }
    SimulationState& s_;
};

}  // namespace

void ReportOutputStatus(SimulationState& s, OutputFile& file, OutputStatus status) {
    if (status == OutputStatus::Ok || file.FailureShown) return;
    file.FailureShown = true;
    const char* what = status == OutputStatus::CannotCreate ? "  Cannot create output file: "
                                                            : "  Error writing output file: ";
    LogLine(s.Ui(), what + file.Name, ColourRed);
}

namespace {

// Creates a file under its staging name until the job has started (see
// job/output_backups.h), under its own name where the folder allows no
// staging file; failures are reported under its own name either way.
template <typename Create>
OutputStatus CreateStaged(SimulationState& s, OutputFile& file, const std::string& name,
                          Create create) {
    if (!s.Backups.Started && CanStage(name)) {
        const std::string staged = StagingName(name);
        if (create(staged) == OutputStatus::Ok) {
            file.Name = name;
            s.Backups.Staged.push_back(staged);
            s.Backups.StagedFor.push_back(name);
            return OutputStatus::Ok;
        }
    } else if (KeepAsBackup(name)) {
        s.Backups.BackedUp.push_back(name);
    }
    return create(name);
}

}  // namespace

bool CreateDynamicalFile(SimulationState& s) {
    OutputFiles& files = s.Output.Files;
    const OutputStatus status =
        CreateStaged(s, files.DynamicalVariables, s.Outputs.DynamicalVariables,
                     [&](const std::string& name) { return CreateDynamicalFile(files, name); });
    ReportOutputStatus(s, files.DynamicalVariables, status);
    return status == OutputStatus::Ok;
}

void CloseDynamicalFile(SimulationState& s) {
    OutputFiles& files = s.Output.Files;
    ReportOutputStatus(s, files.DynamicalVariables, CloseDynamicalFile(files));
}

namespace {

// Every run rewrites the initial-conditions file; the previous job's file is
// kept the first time.
void KeepEarlierInitialConditions(SimulationState& s) {
    if (s.Backups.InitialConditionsKept) return;
    s.Backups.InitialConditionsKept = true;
    if (KeepAsBackup(s.Outputs.InitialConditions))
        s.Backups.BackedUp.push_back(s.Outputs.InitialConditions);
}

}  // namespace

bool WriteInitialConditions(SimulationState& s) {
    if (s.Relay && s.Relay->TakeInitialConditions(s.Particles, s.RunNumber())) return true;
    OutputFiles& files = s.Output.Files;
    KeepEarlierInitialConditions(s);
    const OutputStatus status = WriteInitialConditions(files, s.Outputs.InitialConditions,
                                                       s.Particles, s.RunNumber());
    ReportOutputStatus(s, files.InitialConditions, status);
    return status == OutputStatus::Ok;
}

bool WriteInitialConditions(SimulationState& s, std::string_view records) {
    OutputFiles& files = s.Output.Files;
    KeepEarlierInitialConditions(s);
    const OutputStatus status =
        WriteInitialConditions(files, s.Outputs.InitialConditions, records);
    ReportOutputStatus(s, files.InitialConditions, status);
    return status == OutputStatus::Ok;
}

bool CreateEventsFile(SimulationState& s) {
    OutputFiles& files = s.Output.Files;
    return CreateStaged(s, files.InelasticEvents, s.Outputs.InelasticEvents,
                        [&](const std::string& name) { return CreateEventsFile(files, name); }) ==
           OutputStatus::Ok;
}

bool EventsFileOpen(const SimulationState& s) {
    return static_cast<bool>(s.Output.Files.InelasticEvents.Handle);
}

bool WriteEventLine(SimulationState& s, const InelasticEvent& event) {
    OutputFiles& files = s.Output.Files;
    const OutputStatus status = WriteEventLine(files, event);
    ReportOutputStatus(s, files.InelasticEvents, status);
    return status == OutputStatus::Ok;
}

void WriteLssTotals(SimulationState& s, double timestep) {
    OutputFiles& files = s.Output.Files;
    ReportOutputStatus(s, files.InelasticEvents,
                       WriteLssTotals(files, s.RunNumber(), s.LssChannel, timestep));
}

void CloseEventsFile(SimulationState& s) {
    OutputFiles& files = s.Output.Files;
    ReportOutputStatus(s, files.InelasticEvents, CloseEventsFile(files));
}

void SampleParticles(SimulationState& s, double time, bool periodic) {
    ExpressionWindow window(s.Ui());
    DynamicalFileWriter writer(s);
    SelectionFilter filter{s.Run.OutputSelection, s.Run.SkipRecorded, s.Output.Selection, window};
    SampleParticles(s.Particles, s.RunNumber(), time, periodic, filter, writer);
}

}  // namespace vantrel
