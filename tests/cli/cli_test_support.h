// Helpers of the runner tests: captured output streams, a working directory
// for the length of one test.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace vantrel::testing {

// A scratch stream whose whole text can be read back.
class CapturedStream {
public:
    CapturedStream() : file_(std::tmpfile()) {}
    ~CapturedStream() {
        if (file_) std::fclose(file_);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* get() const { return file_; }
    std::string Text() const {
        std::fflush(file_);
        std::string text;
        std::rewind(file_);
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
        std::fseek(file_, 0, SEEK_END);
        return text;
    }

private:
    std::FILE* file_;
};

// Makes path the current directory until the end of the scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& path)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~CurrentDirectory() { std::filesystem::current_path(previous_); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace vantrel::testing
