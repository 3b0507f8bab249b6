#include "tests/support/temp_dir.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace vantrel::testing {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("vantrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::string TempDir::File(std::string_view name) const { return (path_ / std::string(name)).string(); }

std::string TempDir::Write(std::string_view name, std::string_view contents) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return path;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace vantrel::testing
