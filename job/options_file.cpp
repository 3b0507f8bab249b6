#include "job/options_file.h"

#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <filesystem>

#include "io/config_file.h"
#include "job/log.h"
#include "job/option_names.h"

namespace vantrel {

namespace {

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// Reads the companion file into options (defaults for what it does not
// name).  Empty error: read; otherwise the reason, naming the line.
std::string ReadExtendedOptions(const std::string& path, ExtendedOptions& options) {
    std::ifstream in(path);
    if (!in) return "cannot be read";
    SilentUserInterface silent;
    ProgramContext scratch(silent);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = Trimmed(line);
        if (text.empty() || text.front() == '#') continue;
        const std::size_t equals = text.find('=');
        const std::string name = Trimmed(std::string_view(text).substr(0, equals));
        std::string error;
        if (equals == std::string::npos || !IsExtendedOptionName(name) ||
            !SetOptionByName(scratch, name, Trimmed(std::string_view(text).substr(equals + 1)),
                             error))
            return "line " + std::to_string(number) + ": " +
                   (error.empty() ? "not an option beside the block: '" + text + "'" : error);
    }
    options = scratch.Extended;
    return {};
}

// Loads the companion of configPath, or the defaults when there is none.
// False, after the error box, when it is there but unreadable.
bool LoadCompanion(ProgramContext& program, std::string_view configPath, bool quiet) {
    const std::string path = ExtendedOptionsPath(configPath);
    ExtendedOptions options;
    if (FileExists(path)) {
        const std::string error = ReadExtendedOptions(path, options);
        if (!error.empty()) {
            if (!quiet) ShowError(program.Ui, "Error reading options from " + path + ", " + error + ".");
            return false;
        }
    }
    program.Extended = options;
    return true;
}

}  // namespace

std::string ExtendedOptionsPath(std::string_view configPath) {
    std::string path(configPath);
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.erase(dot);
    return path + ".options";
}

void LoadOptionsAtStartUp(ProgramContext& program) {
    program.ConfigFilePath = DefaultConfigFilePath();
    OptionsRecord scratch{};
    if (!ReadOptionsRecord(program.ConfigFilePath, scratch)) return;
    if (scratch[LoadOptionsAtStartOffset] == 0) return;  // the file's own byte
    program.Options = DecodeOptions(scratch);
    LoadCompanion(program, program.ConfigFilePath, true);
}

bool SaveOptionsFile(ProgramContext& program) {
    bool ok = WriteOptionsRecord(program.ConfigFilePath, EncodeOptions(program.Options));
    if (!ok) {
        ShowError(program.Ui, "Error writing options to " + program.ConfigFilePath + ".");
        return false;
    }
    // The companion is written only when it says something, or to bring an
    // existing one up to date: saving the defaults leaves the folder as it was.
    const std::string companion = ExtendedOptionsPath(program.ConfigFilePath);
    if (program.Extended == ExtendedOptions{} && !FileExists(companion)) return true;
    std::ostringstream text;
    for (const std::string& line : ExtendedOptionLines(program.Extended)) text << line << "\n";
    std::ofstream out(companion, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.flush();
    if (!out) {
        ShowError(program.Ui, "Error writing options to " + companion + ".");
        return false;
    }
    return true;
}

bool LoadOptionsFile(ProgramContext& program, std::string_view path) {
    OptionsRecord record{};
    if (!ReadOptionsRecord(path, record)) {
        ShowError(program.Ui, "Error reading options from " + std::string(path) + ".");
        return false;
    }
    const SimulationOptions options = DecodeOptions(record);
    if (!LoadCompanion(program, path, false)) return false;
    program.Options = options;
    return true;
}

}  // namespace vantrel
