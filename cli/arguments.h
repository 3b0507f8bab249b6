// The command line of vantrel-cli:
//
//   vantrel-cli run   [OPTIONS] PROJECTILE.prj
//   vantrel-cli batch [OPTIONS] FILE.bdf
//   vantrel-cli options [--config FILE.cfg] [--set NAME=VALUE ...]
//   vantrel-cli analyze [--json] [--plots DIR] [--bins N] RESULTS.csv...
//                       [--sputtered SPUTTERED.csv...]
//   vantrel-cli export --format extxyz|dump|csv [--target F.trg] [--projectile F.prj]
//                      [--per-run|--per-frame] [--si] -o OUT RECORDS.vsk...
//   vantrel-cli join [--log OUT.log] [--dynamic OUT.vsk] [--events OUT.dat] SLICE...
//   vantrel-cli --version
//
// Every flag takes its value either as the next argument or after "=".
// "--" ends the flags.  A flag given twice keeps its last value, except
// --set, whose assignments are applied in the order given; --threads T is
// the assignment Threads=T, in its place among them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/particle_export.h"

namespace vantrel::cli {

enum class Command { Run, Batch, Options, Analyze, Export, Join, Version, Help };

// How `export` spreads its frames over files.
enum class ExportSplit { OneFile, PerRun, PerFrame };

struct ExportArguments {
    ExportFormat Format = ExportFormat::ExtendedXyz;
    std::string Target, Projectile;  // empty: species by mass
    ExportSplit Split = ExportSplit::OneFile;
    CsvUnits Units = CsvUnits::AngstromEvFemtosecond;
    std::string Output;
    std::vector<std::string> Records;
};

// `join`: the joined files (empty: not written) and the slices' names.
struct JoinArguments {
    std::string Log;
    std::vector<std::string> Files;  // by job/per_run_files.h's PerRunFiles
    std::vector<std::string> Slices;
};

enum class AnswerChoice { Ask, Yes, No };

struct CliArguments {
    Command Kind = Command::Help;
    std::string File;  // projectile file (run) or batch definition file (batch)

    // Input files of `run`; empty means the projectile's companion name.
    std::string Target, Model, Run, Impact, Inelastic;
    // Output files; empty means the default name in the current directory.
    std::string Initial, Dynamic, Events, Results, Sputtered;

    std::optional<std::string> Config;
    std::vector<std::string> Sets;  // NAME=VALUE, in order
    std::int32_t MaxRuns = 0;       // 0: no limit
    std::int32_t Jobs = 1;          // worker processes; 0: one per core
    AnswerChoice Answer = AnswerChoice::Ask;
    std::string LogFile;
    bool Quiet = false;
    bool Progress = false;
    // Per-run results: the binding energy (eV, empty: the option's value),
    // and the yield target of `run` and `batch` (0: none).
    std::string SurfaceBinding;
    double UntilYieldError = 0;
    std::int32_t MinRuns = 10;

    // `analyze`: the result tables, the sputtered tables, and what to write.
    std::vector<std::string> ResultTables;
    std::vector<std::string> SputteredTables;
    bool Json = false;
    std::string PlotsDir;
    std::int32_t Bins = 30;

    ExportArguments Export;
    JoinArguments Join;
};

// Parses args (without the program name).  False with a one-line reason in
// error on a usage error.
bool ParseArguments(const std::vector<std::string>& args, CliArguments& parsed,
                    std::string& error);

// The usage text printed with every usage error and by --help.
const char* UsageText();

}  // namespace vantrel::cli
