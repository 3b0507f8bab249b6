#include "output/output_files.h"

#include <cstdio>
#include <string>

#include "output/event_line.h"

namespace vantrel {

namespace {

// Large buffers: a sampling pass may write a record for every atom.
constexpr std::size_t OutputBufferBytes = 1 << 16;

OutputStatus Status(bool ok) { return ok ? OutputStatus::Ok : OutputStatus::WriteFailed; }

// Opens the file anew under name and remembers the name for its reports.
OutputStatus Create(OutputFile& file, std::string_view name, const char* mode) {
    file.Name = std::string(name);
    file.Handle.reset(std::fopen(file.Name.c_str(), mode));
    if (!file.Handle) return OutputStatus::CannotCreate;
    std::setvbuf(file.Handle.get(), nullptr, _IOFBF, OutputBufferBytes);
    return OutputStatus::Ok;
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

OutputStatus CreateDynamicalFile(OutputFiles& files, std::string_view name) {
    return Create(files.DynamicalVariables, name, "wb");
}

OutputStatus AppendSample(OutputFiles& files, const ParticleSample& sample) {
    std::FILE* file = files.DynamicalVariables.Handle.get();
    return Status(file && WriteRecord(file, sample));
}

OutputStatus FlushDynamicalFile(OutputFiles& files) {
    std::FILE* file = files.DynamicalVariables.Handle.get();
    if (!file) return OutputStatus::Ok;
    return Status(std::fflush(file) == 0 && !std::ferror(file));
}

OutputStatus CloseDynamicalFile(OutputFiles& files) {
    return Status(FlushAndClose(files.DynamicalVariables.Handle));
}

OutputStatus WriteInitialRecords(std::FILE* file, const ParticleTable& p,
                                 std::int32_t runNumber) {
    bool ok = file != nullptr;
    for (std::int32_t i = 0; i <= p.AtomCount && ok; ++i) {
        const double m = p.Mass[i];
        ok = WriteRecord(file, BuildSample(i, runNumber, p.X[i], p.Y[i], p.Z[i], m * p.VX[i],
                                           m * p.VY[i], m * p.VZ[i], 0.0, m));
    }
    return Status(ok);
}

OutputStatus WriteInitialConditions(OutputFiles& files, std::string_view name,
                                    const ParticleTable& p, std::int32_t runNumber) {
    OutputFile& out = files.InitialConditions;
    const OutputStatus created = Create(out, name, "wb");
    if (created != OutputStatus::Ok) return created;
    const bool ok = WriteInitialRecords(out.Handle.get(), p, runNumber) == OutputStatus::Ok;
    return Status(FlushAndClose(out.Handle) && ok);
}

OutputStatus WriteInitialConditions(OutputFiles& files, std::string_view name,
                                    std::string_view records) {
    OutputFile& out = files.InitialConditions;
    const OutputStatus created = Create(out, name, "wb");
    if (created != OutputStatus::Ok) return created;
    const bool ok = std::fwrite(records.data(), 1, records.size(), out.Handle.get()) ==
                    records.size();
    return Status(FlushAndClose(out.Handle) && ok);
}

OutputStatus AppendWhole(OutputFile& file, std::string_view bytes) {
    std::FILE* handle = file.Handle.get();
    return Status(handle && std::fwrite(bytes.data(), 1, bytes.size(), handle) == bytes.size());
}

OutputStatus CreateEventsFile(OutputFiles& files, std::string_view name) {
    return Create(files.InelasticEvents, name, "w");
}

OutputStatus AppendEventsLine(OutputFiles& files, std::string_view line) {
    std::FILE* file = files.InelasticEvents.Handle.get();
    return Status(file && std::fwrite(line.data(), 1, line.size(), file) == line.size() &&
                  std::fputc('\n', file) != EOF);
}

OutputStatus WriteEventLine(OutputFiles& files, const InelasticEvent& event) {
    return AppendEventsLine(files, FormatEventLine(event));
}

OutputStatus WriteLssTotals(OutputFiles& files, std::int32_t runNumber,
                            std::span<const double, 6> channels, double timestep) {
    static constexpr std::int32_t Codes[3] = {0, 4, 10};
    OutputStatus status = OutputStatus::Ok;
    for (std::size_t k = 0; k < channels.size(); ++k) {
        InelasticEvent e;
        e.Kind = EventKind::LssTotal;
        e.RunNumber = runNumber;
        e.First = static_cast<std::int32_t>(k / 3);
        e.Second = 0;
        e.EnergyChange = channels[k];
        e.Timestep = timestep;
        e.Code = Codes[k % 3];
        status = FirstFailure(status, WriteEventLine(files, e));
    }
    return status;
}

OutputStatus CloseEventsFile(OutputFiles& files) {
    return Status(FlushAndClose(files.InelasticEvents.Handle));
}

}  // namespace vantrel
