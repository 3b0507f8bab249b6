#include "job/output_backups.h"

#include <filesystem>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

std::string StagingName(std::string_view name) { return std::string(name) + ".part"; }

std::string BackupName(std::string_view name) { return std::string(name) + "~"; }

std::string BareFileName(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

bool CanStage(const std::string& name) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(fs::path(name), error);
    return status.type() == fs::file_type::not_found || status.type() == fs::file_type::regular;
}

bool KeepAsBackup(const std::string& name) {
    std::error_code error;
    if (fs::symlink_status(fs::path(name), error).type() != fs::file_type::regular) return false;
    // rename replaces an older backup in one step.
    fs::rename(fs::path(name), fs::path(BackupName(name)), error);
    return !error;
}

bool PlaceStagedFile(const std::string& staged, const std::string& name, bool& backedUp) {
    backedUp = KeepAsBackup(name);
    std::error_code error;
    fs::rename(fs::path(staged), fs::path(name), error);
    return !error;
}

void DiscardStagedFile(const std::string& staged) {
    std::error_code error;
    fs::remove(fs::path(staged), error);
}

std::string BackupNoteText(std::string_view name) {
    const std::string bare = BareFileName(name);
    return "  Previous " + bare + " kept as " + BackupName(bare);
}

std::vector<std::string> PlaceStagedFiles(OutputBackups& backups) {
    std::vector<std::string> failed;
    for (std::size_t k = 0; k < backups.Staged.size(); ++k) {
        bool backedUp = false;
        if (!PlaceStagedFile(backups.Staged[k], backups.StagedFor[k], backedUp))
            failed.push_back(backups.Staged[k]);
        if (backedUp) backups.BackedUp.push_back(backups.StagedFor[k]);
    }
    backups.Staged.clear();
    backups.StagedFor.clear();
    backups.Started = true;
    return failed;
}

void DiscardStagedFiles(OutputBackups& backups) {
    for (const std::string& staged : backups.Staged) DiscardStagedFile(staged);
    backups.Staged.clear();
    backups.StagedFor.clear();
}

}  // namespace vantrel
