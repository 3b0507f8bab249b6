// `vantrel-cli export`: particle record files as extended XYZ, LAMMPS dump
// or CSV.  Two passes over the records: the first finds the frames, the box
// and the species (and stops at a record the job's files contradict); the
// second reads one frame at a time and writes it, so a file larger than
// memory can be exported.
#include <cinttypes>
#include <filesystem>
#include <memory>

#include "cli/commands.h"
#include "core/elements.h"
#include "core/units.h"
#include "io/projectile_file.h"
#include "io/target_file.h"
#include "output/particle_export.h"
#include "output/record_file.h"

namespace vantrel::cli {

namespace {

constexpr std::uint64_t ScanChunk = 1 << 16;  // records read at once in the first pass

int Failure(std::FILE* err, const std::string& message) {
    std::fprintf(err, "vantrel-cli: export: %s\n", message.c_str());
    std::fflush(err);
    return ExitJobError;
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

std::string Amu(double amu) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g amu", amu);
    return text;
}

// The species the job's files give; false after a message.
bool ReadSpeciesSource(const ExportArguments& e, SpeciesSource& source, std::FILE* err) {
    if (!e.Projectile.empty()) {
        const ProjectileFileRead read = ParseProjectileFile(e.Projectile);
        if (!read.Ok) {
            Failure(err, "the projectile file " + Quoted(e.Projectile) +
                             " could not be read or has wrong format");
            return false;
        }
        source.HasProjectile = true;
        source.ProjectileZ = read.Projectile.AtomicNumber;
        source.ProjectileMass = read.Projectile.ProjectileMass;
    }
    if (!e.Target.empty()) {
        const TargetCount count = CountTargetFile(e.Target);
        if (!count.Opened || count.AtomCount == 0) {
            Failure(err, count.Opened ? "the target file " + Quoted(e.Target) + " holds no atoms"
                                      : "cannot open the target file " + Quoted(e.Target));
            return false;
        }
        const TargetFileRead read = ParseTargetFile(e.Target, count.AtomCount);
        if (read.Status != TargetFileStatus::Read) {
            Failure(err, "the target file " + Quoted(e.Target) + " has a format error at line " +
                             std::to_string(read.Status == TargetFileStatus::BadLine ? read.BadLine
                                                                                     : 1));
            return false;
        }
        source.HasTarget = true;
        for (const TargetAtom& atom : read.Atoms) {
            source.TargetZ.push_back(atom.AtomicNumber);
            source.TargetMass.push_back(atom.Mass);
        }
    }
    return true;
}

std::string FaultText(const ExportScan::Fault& fault, const ExportArguments& e,
                      std::size_t targetAtoms) {
    const std::string where = Quoted(e.Records[fault.File]) + " record " +
                              std::to_string(fault.Record + 1) + ": particle " +
                              std::to_string(fault.Sample.Index);
    if (fault.Species.Fault == SpeciesFault::IndexBeyondTarget)
        return where + " is not an atom of the target file " + Quoted(e.Target) + " (1 to " +
               std::to_string(targetAtoms) + ")";
    const std::string file =
        fault.Sample.Index == 0 ? "projectile file " + Quoted(e.Projectile)
                                : "target file " + Quoted(e.Target);
    return where + " has the mass " + Amu(fault.Sample.Mass / KilogramsPerAmu) + ", the " + file +
           " gives " + Amu(fault.Species.FileMass) + ": the records are not of this job";
}

// OUT, or OUT with "_run<R>" (and "_<NNNN>", the frame's number in its run)
// put before its extension.
std::string OutputName(const ExportArguments& e, std::int32_t run, std::uint64_t frameInRun) {
    if (e.Split == ExportSplit::OneFile) return e.Output;
    const std::filesystem::path out(e.Output);
    std::string name = (out.parent_path() / out.stem()).string() + "_run" + std::to_string(run);
    if (e.Split == ExportSplit::PerFrame) {
        char number[24];
        std::snprintf(number, sizeof number, "_%04" PRIu64, frameInRun);
        name += number;
    }
    return name + out.extension().string();
}

}  // namespace

int RunExportCommand(const CliArguments& args, std::FILE* out, std::FILE* err) {
    const ExportArguments& e = args.Export;
    SpeciesSource source;
    if (!ReadSpeciesSource(e, source, err)) return ExitJobError;

    // First pass.
    std::vector<std::unique_ptr<RecordFileReader>> inputs;
    const std::size_t targetAtoms = source.TargetZ.size();
    ExportScan scan(std::move(source));
    std::vector<ParticleSample> records;
    for (std::size_t file = 0; file < e.Records.size(); ++file) {
        const std::string& name = e.Records[file];
        inputs.push_back(std::make_unique<RecordFileReader>(name));
        RecordFileReader& input = *inputs.back();
        if (input.Status() != RecordFileStatus::Ok)
            return Failure(err, "cannot open the record file " + Quoted(name));
        if (input.TrailingBytes() > 0)
            std::fprintf(err,
                         "vantrel-cli: export: warning: %s ends in %" PRIu64
                         " bytes of a cut record; they are left out\n",
                         Quoted(name).c_str(), input.TrailingBytes());
        for (std::uint64_t first = 0; first < input.Records(); first += ScanChunk) {
            if (input.Read(first, ScanChunk, records) != RecordFileStatus::Ok)
                return Failure(err, "cannot read the record file " + Quoted(name));
            if (!scan.Add(file, first, records)) return Failure(err, FaultText(scan.Problem(), e, targetAtoms));
        }
    }
    const std::vector<ExportFrame> frames = scan.Frames();
    if (frames.empty()) return Failure(err, "the record files hold no records; nothing written");
    if (!scan.Guesses().empty()) {
        std::string guesses;
        for (const MassGuess& guess : scan.Guesses())
            guesses += (guesses.empty() ? "" : ", ") + Amu(guess.Mass / KilogramsPerAmu) + " " +
                       std::string(ElementSymbol(guess.AtomicNumber));
        std::fprintf(err,
                     "vantrel-cli: export: species by mass (--target and --projectile take them "
                     "from the job's files): %s\n",
                     guesses.c_str());
    }

    // Second pass: frame by frame, in export order.
    const ExportSpecies species = scan.Species();
    std::string currentName, firstName;
    FileHandle output;
    std::size_t files = 0;
    std::int64_t frameInFile = 0;
    std::uint64_t frameInRun = 0, particles = 0;
    const auto closeOutput = [&]() {
        const bool ok = !output || (std::fflush(output.get()) == 0 && !std::ferror(output.get()));
        if (output && std::fclose(output.release()) != 0) return false;
        return ok;
    };
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const ExportFrame& frame = frames[k];
        frameInRun = k > 0 && frames[k - 1].Run == frame.Run ? frameInRun + 1 : 0;
        const std::string name = OutputName(e, frame.Run, frameInRun);
        std::string text;
        if (name != currentName) {
            if (!closeOutput()) return Failure(err, "cannot write " + Quoted(currentName));
            output.reset(std::fopen(name.c_str(), "wb"));
            if (!output) return Failure(err, "cannot create " + Quoted(name));
            currentName = name;
            if (firstName.empty()) firstName = name;
            ++files;
            frameInFile = 0;
            if (e.Format == ExportFormat::Csv) text = CsvHeader(e.Units);
        }
        if (inputs[frame.File]->Read(frame.First, frame.Count, records) != RecordFileStatus::Ok ||
            records.size() != frame.Count)
            return Failure(err, "cannot read the record file " + Quoted(e.Records[frame.File]));
        switch (e.Format) {
            case ExportFormat::ExtendedXyz:
                text += ExtendedXyzFrame(records, scan.Box(), species);
                break;
            case ExportFormat::LammpsDump:
                text += LammpsDumpFrame(records, frameInFile, scan.Box(), species);
                break;
            case ExportFormat::Csv:
                text += CsvRows(records, species, e.Units);
                break;
        }
        ++frameInFile;
        particles += frame.Count;
        if (std::fwrite(text.data(), 1, text.size(), output.get()) != text.size())
            return Failure(err, "cannot write " + Quoted(name));
    }
    if (!closeOutput()) return Failure(err, "cannot write " + Quoted(currentName));

    std::fprintf(out, "%zu frame%s (%" PRIu64 " particle records) written to %s%s%s\n",
                 frames.size(), frames.size() == 1 ? "" : "s", particles,
                 files == 1 ? "" : (std::to_string(files) + " files, ").c_str(),
                 firstName.c_str(), files == 1 ? "" : (" ... " + currentName).c_str());
    std::fflush(out);
    return ExitCompleted;
}

}  // namespace vantrel::cli
