#include "job/options_file.h"

#include <string>

#include "io/config_file.h"
#include "job/log.h"

namespace vantrel {

void LoadOptionsAtStartUp(ProgramContext& program) {
    program.ConfigFilePath = DefaultConfigFilePath();
    OptionsRecord scratch{};
    if (!ReadOptionsRecord(program.ConfigFilePath, scratch)) return;
    if (scratch[LoadOptionsAtStartOffset] == 0) return;  // the file's own byte
    program.Options = DecodeOptions(scratch);
}

bool SaveOptionsFile(ProgramContext& program) {
    const bool ok = WriteOptionsRecord(program.ConfigFilePath, EncodeOptions(program.Options));
    if (!ok) ShowError(program.Ui, "Error writing options to " + program.ConfigFilePath + ".");
    return ok;
}

bool LoadOptionsFile(ProgramContext& program, std::string_view path) {
    OptionsRecord record{};
    if (!ReadOptionsRecord(path, record)) {
        ShowError(program.Ui, "Error reading options from " + std::string(path) + ".");
        return false;
    }
    program.Options = DecodeOptions(record);
    return true;
}

}  // namespace vantrel
