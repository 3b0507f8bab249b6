#include "cli/commands.h"

#include <filesystem>
#include <system_error>

#include "job/option_names.h"
#include "job/console_ui.h"
#include "job/log.h"
#include "core/options.h"
#include "io/config_file.h"
#include "job/options_file.h"

namespace vantrel::cli {

namespace {

std::string CompanionName(const std::string& projectile, const char* extension) {
    std::filesystem::path path(projectile);
    path.replace_extension(extension);
    return path.string();
}

std::string Given(const std::string& given, const std::string& fallback) {
    return CutText(given.empty() ? fallback : given, ShortTextLimit);
}

// A default output name expanded against the current directory, as the
// desktop program does at start-up.
std::string InCurrentDirectory(const char* name) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(name, error);
    return error ? std::string(name) : full.string();
}

}  // namespace

int UsageError(std::FILE* err, std::string_view message) {
    std::fprintf(err, "vantrel-cli: %.*s\n%s", static_cast<int>(message.size()), message.data(),
                 UsageText());
    std::fflush(err);
    return ExitUsage;
}

bool PrepareOptions(ProgramContext& program, const CliArguments& args, std::FILE* err) {
    if (args.Config) {
        program.ConfigFilePath = DefaultConfigFilePath();
        if (!LoadOptionsFile(program, *args.Config)) {
            std::fputs(UsageText(), err);
            return false;
        }
    } else {
        LoadOptionsAtStartUp(program);
    }
    // The plot type may have come from the file; the scale goes with it, as
    // the options dialog's OK would set it.
    program.GraphScale =
        program.Options.GraphPlotType == 0 ? SpatialGraphScale : VelocityGraphScale;
    for (const std::string& assignment : args.Sets) {
        std::string error;
        if (!SetOptionAssignment(program, assignment, error)) {
            UsageError(err, error);
            return false;
        }
    }
    if (!args.SurfaceBinding.empty()) {
        std::string error;
        if (!SetOptionByName(program, "SurfaceBinding", args.SurfaceBinding, error)) {
            UsageError(err, "--surface-binding: " + error);
            return false;
        }
    }
    return true;
}

InputFileSet JobInputFiles(const CliArguments& args) {
    InputFileSet in;
    in.Projectile = CutText(args.File, ShortTextLimit);
    in.Target = Given(args.Target, CompanionName(args.File, ".trg"));
    in.Model = Given(args.Model, CompanionName(args.File, ".mdl"));
    in.Run = Given(args.Run, CompanionName(args.File, ".run"));
    in.Impact = Given(args.Impact, CompanionName(args.File, ".imp"));
    in.Inelastic = Given(args.Inelastic, CompanionName(args.File, ".inl"));
    return in;
}

OutputFileSet JobOutputFiles(const CliArguments& args) {
    OutputFileSet out;
    out.InitialConditions = Given(args.Initial, InCurrentDirectory("inivars.vsk"));
    out.DynamicalVariables = Given(args.Dynamic, InCurrentDirectory("dynvars.vsk"));
    out.InelasticEvents = Given(args.Events, InCurrentDirectory("inelast.dat"));
    out.Results = Given(args.Results, InCurrentDirectory("results.csv"));
    out.Sputtered = Given(args.Sputtered, InCurrentDirectory("sputtered.csv"));
    return out;
}

int RunOptionsCommand(const CliArguments& args, std::FILE* out, std::FILE* err) {
    ConsoleUserInterface ui(out, err, AnswerPolicy::AlwaysNo);
    ProgramContext program(ui);
    if (!PrepareOptions(program, args, err)) return ExitUsage;
    for (const std::string& line : OptionLines(program)) std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
    return ExitCompleted;
}

}  // namespace vantrel::cli
