// Inelastic parameter file (*.inl): the tables of the electronic-loss models
// and the settings of the cooling and image-potential models.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/inelastic_parameters.h"
#include "core/options.h"
#include "io/reader_messages.h"

namespace vantrel {

// Added to the largest ST radius of a file for the ST capture radius (m).
inline constexpr double StRadiusMargin = 5.0e-11;

struct InelasticFileRead {
    InelasticParameters Values;  // converted; cooling and image as the options ask
    double OrRadius = 0;         // m, as written
    double LargestStRadius = 0;  // m, of the kept ST lines
    // The cooling block as written, for the report.
    double CoolingPeriodFs = 0, CoolingStartFs = 0, CoolingEndFs = 0;
    // False when the file is missing or empty ("Inelastic file not found:
    // <name>"), a value does not convert, a table keeps more than 10 entries
    // (a red line per table) or a product of values overflows.
    bool Ok = false;
    ReadFailure Failure;
    // In order: the rejection messages, or else a red warning for each model
    // in use whose table kept nothing ("... option disabled"), then, from
    // CoolingReportAt on, the red line about image parameters that are not
    // above 0.  The cooling report goes at CoolingReportAt.
    ReaderMessages Messages;
    std::size_t CoolingReportAt = 0;
};

// Reads the file.  Which blocks it holds follows options.UseCooling and
// options.UseImagePotential; the warnings follow UseLSS, UseOR and UseST.
InelasticFileRead ParseInelasticFile(std::string_view name, const SimulationOptions& options);

}  // namespace vantrel
