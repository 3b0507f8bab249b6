// Reads arbitrary bytes as a record file and exports it: every whole record
// must land in exactly one frame, the frames must come in run and time
// order, each extended-XYZ frame must be its count line, its header and one
// line per particle, and a target file of three atoms must either name every
// record's species or stop at the first it contradicts.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "output/particle_export.h"
#include "output/record_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size > fuzz::MaxInputBytes) return 0;
    const std::string path = fuzz::WriteScratchFile(data, size, ".vsk");
    RecordFileReader reader(path);
    std::vector<ParticleSample> records;
    if (reader.Read(0, reader.Records(), records) != RecordFileStatus::Ok ||
        records.size() != size / SampleRecordSize || reader.TrailingBytes() != size % SampleRecordSize)
        std::abort();

    SpeciesSource source;
    if (size > 0 && (data[0] & 1)) {
        source.HasTarget = true;
        source.TargetZ = {29, 28, 0};
        source.TargetMass = {63.546, 58.69, 1.0};
    }
    ExportScan scan(source);
    const bool scanned = scan.Add(0, 0, records);
    if (!source.HasTarget && !scanned) std::abort();
    if (!scanned) return 0;

    std::uint64_t covered = 0;
    const std::vector<ExportFrame> frames = scan.Frames();
    const ExportSpecies species = scan.Species();
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const ExportFrame& f = frames[k];
        if (f.Count == 0) std::abort();
        const auto time = [](float t) { return std::isnan(t) ? HUGE_VAL : double(t); };
        if (k > 0 && (frames[k - 1].Run > f.Run ||
                      (frames[k - 1].Run == f.Run && time(frames[k - 1].Time) > time(f.Time))))
            std::abort();
        covered += f.Count;
        const std::span<const ParticleSample> frame(records.data() + f.First, f.Count);
        const std::string text = ExtendedXyzFrame(frame, scan.Box(), species);
        std::size_t lines = 0;
        for (char c : text) lines += c == '\n';
        if (lines != f.Count + 2) std::abort();
        LammpsDumpFrame(frame, static_cast<std::int64_t>(k), scan.Box(), species);
        CsvRows(frame, species, CsvUnits::Si);
    }
    if (covered != records.size()) std::abort();
    return 0;
}
