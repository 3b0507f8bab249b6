#include "job/thread_count.h"

#include <thread>

namespace vantrel {

std::int32_t ThreadsForJob(std::int32_t requested, std::int32_t atomCount) {
    if (requested > 0) return requested;
    if (atomCount < AutomaticThreadsFromAtoms) return 1;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? static_cast<std::int32_t>(cores) : 1;
}

}  // namespace vantrel
