// A scratch folder per test, removed afterwards, and small file helpers.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Full path of name inside the folder.
    std::string File(std::string_view name) const;
    // Writes contents (bytes as given) to name and returns its full path.
    std::string Write(std::string_view name, std::string_view contents) const;

private:
    std::filesystem::path path_;
};

// Whole contents of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

}  // namespace vantrel::testing
