#include "job/output_files.h"

#include <string>

#include "job/log.h"
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

bool CreateDynamicalFile(SimulationState& s) {
    OutputFiles& files = s.Output.Files;
    const OutputStatus status = CreateDynamicalFile(files, s.Outputs.DynamicalVariables);
    ReportOutputStatus(s, files.DynamicalVariables, status);
    return status == OutputStatus::Ok;
}

void CloseDynamicalFile(SimulationState& s) {
    OutputFiles& files = s.Output.Files;
    ReportOutputStatus(s, files.DynamicalVariables, CloseDynamicalFile(files));
}

bool WriteInitialConditions(SimulationState& s) {
    OutputFiles& files = s.Output.Files;
    const OutputStatus status = WriteInitialConditions(files, s.Outputs.InitialConditions,
                                                       s.Particles, s.RunNumber());
    ReportOutputStatus(s, files.InitialConditions, status);
    return status == OutputStatus::Ok;
}

bool CreateEventsFile(SimulationState& s) {
    return CreateEventsFile(s.Output.Files, s.Outputs.InelasticEvents) == OutputStatus::Ok;
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
