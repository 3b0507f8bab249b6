#include "cli/interrupt.h"

#include <atomic>
#include <csignal>

namespace vantrel::cli {

namespace {

// The one value a signal handler can reach has to be static.  A lock-free
// atomic is safe in the handler (as a volatile sig_atomic_t would be) and is
// also seen correctly by the watcher thread of main.
std::atomic<int> Presses{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnInterrupt(int) { Presses.fetch_add(1, std::memory_order_relaxed); }

}  // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a press must not turn a pending write into an error.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

int InterruptCount() { return Presses.load(std::memory_order_relaxed); }

}  // namespace vantrel::cli
