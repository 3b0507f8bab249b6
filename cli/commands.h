// The commands of vantrel-cli, callable in-process: each takes the
// parsed command line and the two output streams and returns the exit
// status.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "job/program.h"
#include "io/file_sets.h"

namespace vantrel::cli {

inline constexpr int ExitCompleted = 0;     // the job, or every batch item, ran to its end
inline constexpr int ExitJobError = 1;      // a job ended on an error, or was declined
inline constexpr int ExitUsage = 2;         // bad command line
inline constexpr int ExitInterrupted = 130;  // stopped by Ctrl-C (128 + SIGINT)

// How many times Ctrl-C has been pressed so far.
using InterruptSource = std::function<int()>;

// The whole command line (without the program name) to its exit status.
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
           const InterruptSource& interrupts);

// "vantrel-cli: " + message, then the usage text, on err; returns ExitUsage.
int UsageError(std::FILE* err, std::string_view message);

// The options a command works with: ./vantrel.cfg as the desktop program
// loads it at start-up, or the --config file whatever its start-up byte says;
// then every --set in order; GraphScale from the final plot type.  False
// after a message on the interface (unreadable --config) or a usage error on
// err.
bool PrepareOptions(ProgramContext& program, const CliArguments& args, std::FILE* err);

// The input files of `run`: those given, else the projectile's path with its
// extension replaced, as the input-file dialog forms companion names.  Each
// name is cut to 255 characters.
InputFileSet JobInputFiles(const CliArguments& args);
// The output files: those given, else inivars.vsk, dynvars.vsk,
// inelast.dat, results.csv and sputtered.csv expanded against the current
// directory.
OutputFileSet JobOutputFiles(const CliArguments& args);

int RunOptionsCommand(const CliArguments& args, std::FILE* out, std::FILE* err);
int RunJobCommand(const CliArguments& args, std::FILE* out, std::FILE* err,
                  const InterruptSource& interrupts);
int RunBatchCommand(const CliArguments& args, std::FILE* out, std::FILE* err,
                    const InterruptSource& interrupts);
// `analyze`: 0 when every table was read (and every plot written), 1 when
// a table could not be read or held no run, or a file could not be written.
int RunAnalyzeCommand(const CliArguments& args, std::FILE* out, std::FILE* err);
// Writes the record files as text (cli/export_command.cpp); 0 when written,
// ExitJobError when a file cannot be read or written.
int RunExportCommand(const CliArguments& args, std::FILE* out, std::FILE* err);
// Joins slices of one job (cli/join_command.cpp); 0 when the joined files are
// written, ExitJobError when the slices are not one job's or a file cannot be
// read or written.
int RunJoinCommand(const CliArguments& args, std::FILE* out, std::FILE* err);

}  // namespace vantrel::cli
