// A job's state with a recording user interface and a scratch folder, set up
// the way the run driver leaves it before the target set-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "job/program.h"
#include "job/state.h"
#include "io/model_file_writer.h"
#include "tests/support/copper_models.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace vantrel::testing {

struct TestJob {
    RecordingUserInterface Ui;
    ProgramContext Program{Ui};
    SimulationState State{Program};
    TempDir Dir;

    // Particle arrays, Mass and AtomicNumber for atoms 0..n.
    void Allocate(std::int32_t n);
};

// text with its line number `line` (1-based, CR LF ends) replaced.
std::string ReplaceLine(const std::string& text, int line, std::string_view replacement);

// One target-file line: x y z (A), Z, mass (amu), flags, optional rest.
std::string TargetLine(double x, double y, double z, int atomicNumber, double mass,
                       int flags, std::string_view rest = {});

}  // namespace vantrel::testing
