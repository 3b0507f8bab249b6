#include "io/config_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "core/file_handle.h"
#include "core/number_text.h"

namespace vantrel {

namespace {

void PutInt32(OptionsRecord& record, std::size_t offset, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t k = 0; k < 4; ++k)
        record[offset + k] = static_cast<std::uint8_t>(bits >> (8 * k));
}

std::int32_t GetInt32(const OptionsRecord& record, std::size_t offset) {
    std::uint32_t bits = 0;
    for (std::size_t k = 0; k < 4; ++k)
        bits |= static_cast<std::uint32_t>(record[offset + k]) << (8 * k);
    return static_cast<std::int32_t>(bits);
}

// Byte offsets of the boolean fields, in the record's order.
struct BoolField {
    std::size_t Offset;
    bool SimulationOptions::*Field;
};

constexpr BoolField BoolFields[] = {
    {4, &SimulationOptions::NeighbourSearch},
    {12, &SimulationOptions::Verbose},
    {13, &SimulationOptions::ReportEnergy},
    {14, &SimulationOptions::ReportInelastic},
    {15, &SimulationOptions::ReportLatticeEnergy},
    {24, &SimulationOptions::ElementalTarget},
    {25, &SimulationOptions::StoreInitial},
    {26, &SimulationOptions::StoreInelastic},
    {27, &SimulationOptions::HotTarget},
    {28, &SimulationOptions::LoadOptionsAtStart},
    {29, &SimulationOptions::FixedTimestep},
    {30, &SimulationOptions::NoYVibration},
    {31, &SimulationOptions::UseLSS},
    {32, &SimulationOptions::UseOR},
    {33, &SimulationOptions::UseST},
    {34, &SimulationOptions::UseCooling},
    {35, &SimulationOptions::IgnoreTargetForces},
    {36, &SimulationOptions::SelfBombard},
    {37, &SimulationOptions::UseImagePotential},
};

}  // namespace

OptionsRecord EncodeOptions(const SimulationOptions& options) {
    OptionsRecord record{};
    PutInt32(record, 0, options.Algorithm);
    PutInt32(record, 8, options.GraphPlotType);
    PutInt32(record, 16, options.LatticeSiteIndex);
    PutInt32(record, 20, options.LogBufferLines);
    for (const BoolField& field : BoolFields)
        record[field.Offset] = options.*field.Field ? 1 : 0;
    return record;
}

SimulationOptions DecodeOptions(const OptionsRecord& record) {
    SimulationOptions options;
    options.Algorithm = GetInt32(record, 0);
    options.GraphPlotType = GetInt32(record, 8);
    options.LatticeSiteIndex = GetInt32(record, 16);
    options.LogBufferLines = GetInt32(record, 20);
    for (const BoolField& field : BoolFields)
        options.*field.Field = record[field.Offset] != 0;
    return options;
}

std::string DefaultConfigFilePath() {
    std::error_code error;
    std::filesystem::path dir = std::filesystem::current_path(error);
    std::string path = error ? std::string("vantrel.cfg") : (dir / "vantrel.cfg").string();
    return CutText(path, ShortTextLimit);
}

bool ReadOptionsRecord(std::string_view path, OptionsRecord& record) {
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::path(std::string(path)), error))
        return false;
    FileHandle file(std::fopen(std::string(path).c_str(), "rb"));
    if (!file) return false;
    return std::fread(record.data(), 1, record.size(), file.get()) == record.size();
}

bool WriteOptionsRecord(std::string_view path, const OptionsRecord& record) {
    FileHandle file(std::fopen(std::string(path).c_str(), "wb"));
    if (!file) return false;
    const bool written = std::fwrite(record.data(), 1, record.size(), file.get()) == record.size();
    return (std::fflush(file.get()) == 0) && written;
}

}  // namespace vantrel
