#include "job/thread_count.h"

#include <algorithm>
#include <thread>

namespace vantrel {

std::int32_t ThreadsForJob(std::int32_t requested, std::int32_t atomCount,
                           std::int32_t processes) {
    if (requested > 0) return requested;
    if (atomCount < AutomaticThreadsFromAtoms) return 1;
    const auto cores = static_cast<std::int32_t>(std::thread::hardware_concurrency());
    const std::int32_t share = cores / std::max(processes, 1);
    return share > 1 ? share : 1;
}

}  // namespace vantrel
