#include "job/output_files.h"

#include <cstdio>
#include <string>

#include "job/log.h"

namespace vantrel {

namespace {

// Large buffers: a sampling pass may write a record for every atom.
constexpr std::size_t OutputBufferBytes = 1 << 16;

void ReportOnce(SimulationState& s, bool& shown, std::string_view what, std::string_view name) {
    if (shown) return;
    shown = true;
    LogLine(s.Ui(), std::string(what) + std::string(name), ColourRed);
}

void ReportCreate(SimulationState& s, bool& shown, std::string_view name) {
    ReportOnce(s, shown, "  Cannot create output file: ", name);
}

void ReportWrite(SimulationState& s, bool& shown, std::string_view name) {
    ReportOnce(s, shown, "  Error writing output file: ", name);
}

FileHandle OpenForWriting(const std::string& name, const char* mode) {
    FileHandle file(std::fopen(name.c_str(), mode));
    if (file) std::setvbuf(file.get(), nullptr, _IOFBF, OutputBufferBytes);
    return file;
}

// Flushes and closes; false when anything buffered could not be written.
bool FlushAndClose(FileHandle& file) {
    if (!file) return true;
    bool ok = std::fflush(file.get()) == 0 && !std::ferror(file.get());
    ok = std::fclose(file.release()) == 0 && ok;
    return ok;
}

bool WriteRecord(std::FILE* file, const ParticleSample& sample) {
    const SampleRecord bytes = EncodeSample(sample);
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

bool CreateDynamicalFile(SimulationState& s) {
    s.DynamicalFile = OpenForWriting(s.Outputs.DynamicalVariables, "wb");
    if (s.DynamicalFile) return true;
    ReportCreate(s, s.OutputFailuresShown.DynamicalVariables, s.Outputs.DynamicalVariables);
    return false;
}

bool AppendSample(SimulationState& s, const ParticleSample& sample) {
    if (s.DynamicalFile && WriteRecord(s.DynamicalFile.get(), sample)) return true;
    ReportWrite(s, s.OutputFailuresShown.DynamicalVariables, s.Outputs.DynamicalVariables);
    return false;
}

bool FlushDynamicalFile(SimulationState& s) {
    if (!s.DynamicalFile) return false;
    if (std::fflush(s.DynamicalFile.get()) == 0 && !std::ferror(s.DynamicalFile.get()))
        return true;
    ReportWrite(s, s.OutputFailuresShown.DynamicalVariables, s.Outputs.DynamicalVariables);
    return false;
}

void CloseDynamicalFile(SimulationState& s) {
    if (!FlushAndClose(s.DynamicalFile))
        ReportWrite(s, s.OutputFailuresShown.DynamicalVariables, s.Outputs.DynamicalVariables);
}

bool WriteInitialConditions(SimulationState& s) {
    const std::string& name = s.Outputs.InitialConditions;
    FileHandle file = OpenForWriting(name, "wb");
    if (!file) {
        ReportCreate(s, s.OutputFailuresShown.InitialConditions, name);
        return false;
    }
    const ParticleTable& p = s.Particles;
    const std::int32_t runNumber = s.RunNumber();
    bool ok = true;
    for (std::int32_t i = 0; i <= p.AtomCount && ok; ++i) {
        const double m = p.Mass[i];
        ok = WriteRecord(file.get(), BuildSample(i, runNumber, p.X[i], p.Y[i], p.Z[i],
                                                 m * p.VX[i], m * p.VY[i], m * p.VZ[i], 0.0, m));
    }
    ok = FlushAndClose(file) && ok;
    if (!ok) ReportWrite(s, s.OutputFailuresShown.InitialConditions, name);
    return ok;
}

bool CreateEventsFile(SimulationState& s) {
    s.EventsFile = OpenForWriting(s.Outputs.InelasticEvents, "w");
    return static_cast<bool>(s.EventsFile);
}

bool AppendEventsLine(SimulationState& s, std::string_view line) {
    std::FILE* file = s.EventsFile.get();
    if (file && std::fwrite(line.data(), 1, line.size(), file) == line.size() &&
        std::fputc('\n', file) != EOF)
        return true;
    ReportWrite(s, s.OutputFailuresShown.InelasticEvents, s.Outputs.InelasticEvents);
    return false;
}

void CloseEventsFile(SimulationState& s) {
    if (!FlushAndClose(s.EventsFile))
        ReportWrite(s, s.OutputFailuresShown.InelasticEvents, s.Outputs.InelasticEvents);
}

bool WriteEventLine(SimulationState& s, const InelasticEvent& event) {
    return AppendEventsLine(s, FormatEventLine(event));
}

void WriteLssTotals(SimulationState& s, double timestep) {
    static constexpr std::int32_t Codes[3] = {0, 4, 10};
    for (int k = 0; k < LssChannelCount; ++k) {
        InelasticEvent e;
        e.Kind = EventKind::LssTotal;
        e.RunNumber = s.RunNumber();
        e.First = k / 3;
        e.Second = 0;
        e.EnergyChange = s.LssChannel[static_cast<std::size_t>(k)];
        e.Timestep = timestep;
        e.Code = Codes[k % 3];
        WriteEventLine(s, e);
    }
}

}  // namespace vantrel
