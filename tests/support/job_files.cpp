#include "tests/support/job_files.h"

#include <cstdio>
#include <sstream>

#include "tools/crystal_builder.h"

namespace vantrel::testing {

namespace {

std::string RunFileText(const JobFiles& job) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  "%d sample mode\n%d sample period\n%d skip recorded\n%d output selection\n"
                  "%.17g altitude\n%.17g azimuth\n%.17g timestep (s)\n%d update interval\n"
                  "%.17g %.17g max and min time (fs)\n%d max partners\n",
                  job.SampleMode, job.SamplePeriod, job.SkipRecorded, job.OutputSelection,
                  job.AltitudeDeg, job.AzimuthDeg, job.TimestepS, job.UpdateInterval,
                  job.MaxTimeFs, job.MinTimeFs, job.MaxPartners);
    return std::string(buffer) + job.Expression + "\n";
}

}  // namespace

InputFileSet JobFiles::Write(const TempDir& dir) const {
    InputFileSet files;
    files.Projectile = dir.Write("job.prj", Projectile + "\n");

    CrystalSpec spec;
    spec.Cells = Cells;
    spec.AtomicNumber = TargetZ;
    spec.Mass = TargetMass;
    spec.Name = "test crystal";
    std::vector<CrystalAtom> atoms;
    std::string error;
    BuildCrystal(spec, atoms, error);
    files.Target =
        dir.Write("job.trg", TargetText.empty() ? TargetFileText(atoms, spec.Name) : TargetText);

    files.Model = dir.Write(
        "job.mdl", ModelText.empty()
                       ? ReadFileBytes(std::string(VANTREL_SOURCE_DIR) + "/" + ModelFile)
                       : ModelText);
    files.Run = dir.Write("job.run", RunFileText(*this));
    std::string impacts;
    for (const std::string& line : Impacts) impacts += line + "\n";
    files.Impact = dir.Write("job.imp", impacts);
    files.Inelastic = InelasticText.empty() ? dir.File("job.inl")
                                            : dir.Write("job.inl", InelasticText);
    return files;
}

OutputFileSet JobFiles::Outputs(const TempDir& dir) {
    OutputFileSet outputs;
    outputs.InitialConditions = dir.File("inivars.vsk");
    outputs.DynamicalVariables = dir.File("dynvars.vsk");
    outputs.InelasticEvents = dir.File("inelast.dat");
    outputs.Results = dir.File("results.csv");
    outputs.Sputtered = dir.File("sputtered.csv");
    return outputs;
}

}  // namespace vantrel::testing
