// Projectile file (*.prj): the incoming atom of a job.
#pragma once

#include <string_view>

#include "core/run_records.h"
#include "io/reader_messages.h"

namespace vantrel {

struct ProjectileFileRead {
    // The values as read; the name is kept even when the file is rejected.
    ProjectileData Projectile;
    bool Ok = false;
    ReadFailure Failure;
    // On rejection the two red lines
    //   "  ++++ Error ++++"
    //   "  File (<name>) could not be read or has wrong format."
    ReaderMessages Messages;
};

// Reads and judges the file.  A missing file, a number that does not
// convert, anything but one blank before the name, and values no run can
// start from all give the same rejection.
ProjectileFileRead ParseProjectileFile(std::string_view name);

}  // namespace vantrel
