#include "output/result_tables.h"

#include <cmath>
#include <cstdio>

namespace vantrel {

namespace {

std::string Real(double value) {
    if (std::isnan(value)) return {};
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return buffer;
}

std::string Integer(std::int64_t value) { return std::to_string(value); }

OutputStatus Open(OutputFile& file, std::string_view name) {
    file.Name = std::string(name);
    file.Handle.reset(std::fopen(file.Name.c_str(), "w"));
    return file.Handle ? OutputStatus::Ok : OutputStatus::CannotCreate;
}

// Writes the lines and flushes: rows are few, and a reader may be watching.
OutputStatus WriteLines(OutputFile& file, const std::string& text) {
    std::FILE* f = file.Handle.get();
    if (!f) return OutputStatus::WriteFailed;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
                    std::fflush(f) == 0 && !std::ferror(f);
    return ok ? OutputStatus::Ok : OutputStatus::WriteFailed;
}

OutputStatus Close(OutputFile& file) {
    if (!file.Handle) return OutputStatus::Ok;
    bool ok = std::fflush(file.Handle.get()) == 0 && !std::ferror(file.Handle.get());
    ok = std::fclose(file.Handle.release()) == 0 && ok;
    return ok ? OutputStatus::Ok : OutputStatus::WriteFailed;
}

}  // namespace

std::string ResultsHeader(const RunResultRecord& first) {
    std::string line =
        "run,ion_energy_eV,ion_Z,incidence_polar_deg,incidence_azimuth_deg,impact_x_A,"
        "impact_y_A,start_height_A,sputtered";
    for (const auto& [z, count] : first.SputteredBySpecies) line += ",sputtered_Z" + Integer(z);
    line +=
        ",vibrating,left_bottom,left_side,fast_near_surface,projectile,projectile_energy_eV,"
        "projectile_polar_deg,projectile_azimuth_deg,projectile_depth_A,energy_error_pct,"
        "timesteps,time_fs,surface_binding_eV";
    return line;
}

std::string SputteredHeader() {
    return "run,index,Z,layer,origin_depth_A,energy_eV,polar_deg,azimuth_deg,height_A";
}

std::string ResultsRow(const RunResultRecord& r) {
    std::string line = Integer(r.Run) + "," + Real(r.IonEnergy) + "," + Integer(r.IonZ) + "," +
                       Real(r.IncidencePolar) + "," + Real(r.IncidenceAzimuth) + "," +
                       Real(r.ImpactX) + "," + Real(r.ImpactY) + "," + Real(r.StartHeight) +
                       "," + Integer(r.Sputtered);
    for (const auto& [z, count] : r.SputteredBySpecies) line += "," + Integer(count);
    line += "," + Integer(r.Vibrating) + "," + Integer(r.LeftBottom) + "," +
            Integer(r.LeftSide) + "," + Integer(r.FastNearSurface) + "," + std::string(FateName(r.Projectile)) + "," +
            Real(r.ProjectileEnergy) + "," + Real(r.ProjectilePolar) + "," +
            Real(r.ProjectileAzimuth) + "," + Real(r.ProjectileDepth) + "," +
            Real(r.EnergyError) + "," + Integer(r.Timesteps) + "," + Real(r.Time) + "," +
            Real(r.SurfaceBinding);
    return line;
}

std::string SputteredRow(const SputteredRecord& r) {
    return Integer(r.Run) + "," + Integer(r.Index) + "," + Integer(r.AtomicNumber) + "," +
           Integer(r.Layer) + "," + Real(r.OriginDepth) + "," + Real(r.Energy) + "," +
           Real(r.Polar) + "," + Real(r.Azimuth) + "," + Real(r.Height);
}

OutputStatus CreateResultsFile(ResultTableFiles& files, std::string_view name) {
    files.ResultsHeaderWritten = false;
    return Open(files.Results, name);
}

OutputStatus CreateSputteredFile(ResultTableFiles& files, std::string_view name) {
    const OutputStatus opened = Open(files.Sputtered, name);
    if (opened != OutputStatus::Ok) return opened;
    return WriteLines(files.Sputtered, SputteredHeader() + "\n");
}

OutputStatus AppendResultsRow(ResultTableFiles& files, const RunResultRecord& record) {
    std::string text;
    if (!files.ResultsHeaderWritten) text = ResultsHeader(record) + "\n";
    text += ResultsRow(record) + "\n";
    const OutputStatus status = WriteLines(files.Results, text);
    if (status == OutputStatus::Ok) files.ResultsHeaderWritten = true;
    return status;
}

OutputStatus AppendSputteredRows(ResultTableFiles& files,
                                 std::span<const SputteredRecord> records) {
    std::string text;
    for (const SputteredRecord& r : records) text += SputteredRow(r) + "\n";
    return WriteLines(files.Sputtered, text);
}

OutputStatus CloseResultsFile(ResultTableFiles& files) { return Close(files.Results); }

OutputStatus CloseSputteredFile(ResultTableFiles& files) { return Close(files.Sputtered); }

}  // namespace vantrel
