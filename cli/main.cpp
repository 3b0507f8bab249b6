// vantrel-cli: runs Vantrel jobs and batches without a window.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/interrupt.h"

namespace {

// The second Ctrl-C ends the program at once.  The job's files are stdio
// streams; every write of a record or a line is one locked call, so flushing
// all streams from here and leaving with _Exit keeps whole records and
// lines, and the system closes the descriptors.  Nothing in the runner waits
// on a stream lock (terminal answers are read from the descriptor), so the
// flush cannot block.
void WatchForSecondInterrupt() {
    for (;;) {
        if (vantrel::cli::InterruptCount() >= 2) {
            std::fputs("interrupt: stopped at once; output files flushed and closed\n", stderr);
            std::fflush(nullptr);
            std::_Exit(vantrel::cli::ExitInterrupted);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool runsJobs = !args.empty() && (args[0] == "run" || args[0] == "batch");
    if (runsJobs) {
        vantrel::cli::InstallInterruptHandler();
        std::thread(WatchForSecondInterrupt).detach();
    }
    return vantrel::cli::RunCli(args, stdout, stderr, vantrel::cli::InterruptCount);
}
