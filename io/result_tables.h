// The result tables a job writes with StoreResults (output/result_tables.h),
// read back for the analysis.
//
//   file       plain text, one header line, then one row per line; fields
//              separated by commas, no quoting; CR LF or LF line ends
//   header     the column names; their order is free and unknown names are
//              passed over, so tables of later versions still read
//   results    needs run, sputtered and projectile; sputtered_Z<z> columns
//              give the species; every other column may be missing (its
//              value is then 0, or NaN for the reals that may be empty)
//   sputtered  needs run, index, Z, energy_eV, polar_deg, azimuth_deg; the
//              rest may be missing
//   values     integers in decimal, reals as "%g" writes them, an empty
//              field for a real that does not apply; projectile is one of
//              stopped, reflected, transmitted, trapped, side
//
// Blank lines are skipped.  A last line without its line end (a job
// stopped while writing) is left out with a note.  Any other line that does
// not read rejects the file with a message naming the line and the column:
// a table with a wrong number is not one to average.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_records.h"

namespace vantrel {

struct ResultsTableRead {
    bool Ok = false;
    std::vector<RunResultRecord> Rows;
    // One line each: why the file was rejected, or what was passed over.
    std::vector<std::string> Messages;
};

struct SputteredTableRead {
    bool Ok = false;
    std::vector<SputteredRecord> Rows;
    std::vector<std::string> Messages;
};

// name goes into the messages ("results.csv, line 7: ...").
ResultsTableRead ParseResultsTable(std::string_view text, std::string_view name);
SputteredTableRead ParseSputteredTable(std::string_view text, std::string_view name);

// The same from a file; a file that cannot be read is rejected with
// "<path>: cannot be read".
ResultsTableRead ReadResultsTable(const std::string& path);
SputteredTableRead ReadSputteredTable(const std::string& path);

}  // namespace vantrel
