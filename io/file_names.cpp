#include "io/file_names.h"

#include <filesystem>
#include <system_error>

namespace vantrel {

bool IsExistingPlainFile(std::string_view name) {
    if (name.empty()) return false;
    if (name.find_first_of("*?") != std::string_view::npos) return false;
    std::error_code error;
    const std::filesystem::path path{std::string(name)};
    return std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
}

std::string ProgramDirFile(std::string_view name) {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string dir;
    if (!error) dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir.push_back('/');
    return dir + std::string(name);
}

std::string ProgramDataFolder(std::string_view name) {
    const std::filesystem::path dir = std::filesystem::path(ProgramDirFile("")).parent_path();
    std::error_code error;
    for (const std::filesystem::path& folder :
         {dir / name, dir.parent_path() / "share" / "vantrel" / name}) {
        if (std::filesystem::is_directory(folder, error))
            return folder.lexically_normal().string();
    }
    return {};
}

}  // namespace vantrel
