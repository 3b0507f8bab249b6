#include "tests/cli/runner_process.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <string>
#include <thread>
#include <vector>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vantrel::testing {

namespace {

constexpr auto ProcessTimeLimit = std::chrono::seconds(600);

// True while a SIGINT sent to pid waits for delivery.  Two presses sent
// before the first is delivered would merge into one signal.
bool InterruptPending(pid_t pid) {
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    std::error_code error;
    std::vector<std::filesystem::path> files{proc / "status"};
    for (const auto& task : std::filesystem::directory_iterator(proc / "task", error))
        files.push_back(task.path() / "status");
    for (const std::filesystem::path& file : files) {
        const std::string text = ReadFileBytes(file.string());
        for (const char* key : {"SigPnd:", "ShdPnd:"}) {
            const std::size_t at = text.find(key);
            if (at == std::string::npos) continue;
            const unsigned long long mask = std::stoull(text.substr(at + 7), nullptr, 16);
            if (mask & (1ull << (SIGINT - 1))) return true;
        }
    }
    return false;
}

int StatusOf(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

using Act = std::function<bool(int, const std::string&, const std::string&)>;

RunnerResult Run(const std::filesystem::path& dir, const std::vector<std::string>& args,
                 const std::function<bool(const std::string&, const std::string&)>& ready,
                 int presses, const Act& act = nullptr) {
    // The captured streams live beside dir, not in it, so that the folder
    // holds only what the runner wrote.
    TempDir capture;
    const std::string outPath = capture.File("stdout");
    const std::string errPath = capture.File("stderr");

    std::vector<std::string> argv{VANTREL_CLI_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (std::string& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0 || ::chdir(dir.c_str()) != 0)
            ::_exit(127);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    RunnerResult result;
    if (pid < 0) {
        ADD_FAILURE() << "cannot start " << VANTREL_CLI_PROGRAM;
        return result;
    }

    const auto start = std::chrono::steady_clock::now();
    int sent = 0;
    bool acted = false;
    int raw_status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &raw_status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() - start > ProcessTimeLimit) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw_status, 0);
            ADD_FAILURE() << "vantrel-cli did not finish in time";
            break;
        }
        if (act && !acted) acted = act(pid, ReadFileBytes(outPath), ReadFileBytes(errPath));
        if (ready && sent < presses && !InterruptPending(pid) &&
            ready(ReadFileBytes(outPath), ReadFileBytes(errPath))) {
            ::kill(pid, SIGINT);
            ++sent;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (ready) {
        EXPECT_EQ(sent, presses) << "the runner ended before it could be interrupted";
    }
    if (act) {
        EXPECT_TRUE(acted) << "the runner ended before the test could act";
    }
    result.Status = StatusOf(raw_status);
    result.Out = ReadFileBytes(outPath);
    result.Err = ReadFileBytes(errPath);
    return result;
}

}  // namespace

RunnerResult RunRunner(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    return Run(dir, args, nullptr, 0);
}

RunnerResult RunRunnerActing(const std::filesystem::path& dir, const std::vector<std::string>& args,
                             const Act& act) {
    return Run(dir, args, nullptr, 0, act);
}

std::vector<int> ChildProcesses(int pid) {
    std::vector<int> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        // "pid (comm) state ppid ...": the name in brackets may hold blanks.
        const std::string stat = ReadFileBytes((entry.path() / "stat").string());
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        int parent = 0;
        char state = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
            parent == pid)
            children.push_back(std::stoi(name));
    }
    return children;
}

RunnerResult RunRunnerInterrupted(
    const std::filesystem::path& dir, const std::vector<std::string>& args,
    const std::function<bool(const std::string&, const std::string&)>& ready, int presses) {
    return Run(dir, args, ready, presses);
}

}  // namespace vantrel::testing
