// The two result tables of a job, plain CSV with one header line, appended
// run by run:
//
//   results (one row per run)
//     run, ion_energy_eV, ion_Z, incidence_polar_deg, incidence_azimuth_deg,
//     impact_x_A, impact_y_A, start_height_A,
//     sputtered, sputtered_Z<z> (one column per species, ascending Z),
//     vibrating, left_bottom, left_side, fast_near_surface,
//     projectile (stopped | reflected | transmitted | trapped | side),
//     projectile_energy_eV, projectile_polar_deg, projectile_azimuth_deg,
//     projectile_depth_A, energy_error_pct, timesteps, time_fs,
//     surface_binding_eV
//   sputtered (one row per sputtered atom)
//     run, index, Z, layer, origin_depth_A, energy_eV, polar_deg,
//     azimuth_deg, height_A
//
// A value that does not apply is an empty field.  Reals are written with
// six significant digits ("%.6g").  The results table's header names the
// species of the target, so it is written with the first row; the
// sputtered table's header when the file is created.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/result_records.h"
#include "output/output_files.h"

namespace vantrel {

struct ResultTableFiles {
    OutputFile Results;
    OutputFile Sputtered;
    bool ResultsHeaderWritten = false;
};

// The header lines (without the line end).
std::string ResultsHeader(const RunResultRecord& first);
std::string SputteredHeader();
// One row of each table (without the line end).
std::string ResultsRow(const RunResultRecord& record);
std::string SputteredRow(const SputteredRecord& record);

// Creates both tables anew (the sputtered one with its header) and keeps
// them open for the whole job.  The first failure is returned; the other
// file is still attempted.
OutputStatus CreateResultsFile(ResultTableFiles& files, std::string_view name);
OutputStatus CreateSputteredFile(ResultTableFiles& files, std::string_view name);

// Appends a run's row (the header before the first) and flushes, so that
// the table can be read while the job runs.
OutputStatus AppendResultsRow(ResultTableFiles& files, const RunResultRecord& record);
// Appends the run's sputtered atoms and flushes.
OutputStatus AppendSputteredRows(ResultTableFiles& files,
                                 std::span<const SputteredRecord> records);

OutputStatus CloseResultsFile(ResultTableFiles& files);
OutputStatus CloseSputteredFile(ResultTableFiles& files);

}  // namespace vantrel
