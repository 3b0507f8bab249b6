// Runs the built vantrel-cli as a child process in a folder, with no
// terminal: standard input from /dev/null, standard output and error
// captured.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::testing {

struct RunnerResult {
    int Status = -1;  // exit status; 128 + signal when killed by one
    std::string Out;
    std::string Err;
};

RunnerResult RunRunner(const std::filesystem::path& dir, const std::vector<std::string>& args);

// As RunRunner, and sends SIGINT `presses` times as soon as ready(standard
// output so far, standard error so far) is true, each press only after the
// one before has been delivered.
RunnerResult RunRunnerInterrupted(
    const std::filesystem::path& dir, const std::vector<std::string>& args,
    const std::function<bool(const std::string& out, const std::string& err)>& ready,
    int presses);

// As RunRunner, and calls act(the runner's process id, standard output so
// far, standard error so far) while the runner runs, until it returns true;
// act may signal the runner or its children.
RunnerResult RunRunnerActing(
    const std::filesystem::path& dir, const std::vector<std::string>& args,
    const std::function<bool(int pid, const std::string& out, const std::string& err)>& act);

// The processes whose parent is pid.
std::vector<int> ChildProcesses(int pid);

}  // namespace vantrel::testing
