// The names of a job's six input files and its output files: the three of
// the configuration's file dialogs and the two result tables (written only
// with the StoreResults option).
#pragma once

#include <string>

namespace vantrel {

struct InputFileSet {
    std::string Projectile = "*.prj";
    std::string Target = "*.trg";
    std::string Model = "*.mdl";
    std::string Run = "*.run";
    std::string Impact = "*.imp";
    std::string Inelastic = "*.inl";
};

struct OutputFileSet {
    std::string InitialConditions = "inivars.vsk";
    std::string DynamicalVariables = "dynvars.vsk";
    std::string InelasticEvents = "inelast.dat";
    std::string Results = "results.csv";
    std::string Sputtered = "sputtered.csv";
};

}  // namespace vantrel
