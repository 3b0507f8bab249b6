// Model file (*.mdl): the interatomic potential of a job and the physical
// settings of the target material.
#pragma once

#include <string_view>

#include "core/model_parameters.h"
#include "io/reader_messages.h"

namespace vantrel {

enum class ModelFileStatus {
    Read,
    CannotOpen,          // "  Cannot open <name> ...Aborting" (red line)
    SwitchingRadiusBad,  // switching on and not r_c > r_sw > r_hi: the reader stopped there
    FormatError,         // a value did not convert: "Format error in <name>."
    EndsEarly,           // the file ends before its last value: "Model file ends early: <name>."
    UnknownPotentialType,  // line 5 is neither 0 nor 1: "Unknown potential type in <name>: <type>"
};

struct ModelFileRead {
    // The values in SI units (radii, energies) with NBodyActive; the derived
    // screening values are the model set-up's.
    ModelParameters Model;
    ModelFileStatus Status = ModelFileStatus::CannotOpen;
    // Lines 1 to 19 were read without a failure, so the mass of line 19 can
    // be compared with the target's.
    bool MassReadable = false;
    ReadFailure Failure;
    // EndsEarly: the line of the format (1 to 32) whose value is the first missing.
    std::int32_t MissingLine = 0;
    // The one message of a status other than Read.  A format error is told
    // only after the model's report lines.
    ReaderMessages Messages;
};

// Potential types 10 and 11 (this plus 0 or 1) ask for the continuous
// density join; the record then holds type 0 or 1 and SmoothDensityJoin.
inline constexpr std::int32_t SmoothJoinTypeOffset = 10;

ModelFileRead ParseModelFile(std::string_view name);

}  // namespace vantrel
