// A complete small job on disk: projectile, target, model, run and impact
// files in a scratch folder, with every value a test may want to change.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "job/state.h"
#include "tests/support/temp_dir.h"

namespace vantrel::testing {

struct JobFiles {
    // Projectile: energy (keV), Z, mass (amu), flags, name.
    std::string Projectile = "1.0 18 39.948 0 Ar";
    // Target: fcc Cu(100), cells along x, y and depth.
    std::array<int, 3> Cells{3, 3, 2};
    std::string TargetText;  // written as the target file instead, when not empty
    std::int32_t TargetZ = 29;
    double TargetMass = 63.546;
    // Model file, copied from the examples unless ModelText is given.
    std::string ModelFile = "examples/models/cu_sutton_chen.mdl";
    std::string ModelText;
    // Run file values.
    int SampleMode = 0;
    int SamplePeriod = 10;
    int SkipRecorded = 0;
    int OutputSelection = 0;
    double AltitudeDeg = 90.0;
    double AzimuthDeg = 0.0;
    double TimestepS = 1.0e-16;
    int UpdateInterval = 10;
    double MaxTimeFs = 20.0;
    double MinTimeFs = 0.0;
    int MaxPartners = 400;
    std::string Expression;
    // Impact lines (DeltaX DeltaY StartHeight in A).
    std::vector<std::string> Impacts{"0.3 0.4 3.0"};
    std::string InelasticText;  // written as the .inl file when not empty

    // Writes the files into dir as job.prj, job.trg, ... and returns their names.
    InputFileSet Write(const TempDir& dir) const;
    // Output names inside dir.
    static OutputFileSet Outputs(const TempDir& dir);
};

}  // namespace vantrel::testing
