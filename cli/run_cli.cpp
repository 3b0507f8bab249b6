// The dispatch from the command line to the commands; apart from
// commands.cpp so that parsing and `options` link without the simulation.
#include "cli/commands.h"
#include "core/version.h"

namespace vantrel::cli {

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
           const InterruptSource& interrupts) {
    CliArguments parsed;
    std::string error;
    if (!ParseArguments(args, parsed, error)) return UsageError(err, error);
    switch (parsed.Kind) {
        case Command::Help:
            std::fputs(UsageText(), out);
            std::fflush(out);
            return ExitCompleted;
        case Command::Version:
            std::fprintf(out, "vantrel-cli %.*s\n", static_cast<int>(ProgramVersion().size()),
                         ProgramVersion().data());
            std::fflush(out);
            return ExitCompleted;
        case Command::Export:
            return RunExportCommand(parsed, out, err);
        case Command::Join:
            return RunJoinCommand(parsed, out, err);
        case Command::Options:
            return RunOptionsCommand(parsed, out, err);
        case Command::Run:
            return RunJobCommand(parsed, out, err, interrupts);
        case Command::Batch:
            return RunBatchCommand(parsed, out, err, interrupts);
        case Command::Analyze:
            return RunAnalyzeCommand(parsed, out, err);
    }
    return ExitUsage;
}

}  // namespace vantrel::cli
