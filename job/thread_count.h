// How many threads a job's force, density, list and energy passes use.
#pragma once

#include <cstdint>

namespace vantrel {

// Crystals of fewer target atoms run on one thread when the count is
// automatic: below this size the hand-overs between the passes cost more
// than a second thread saves (measured: bench/README.md, "Threads").
inline constexpr std::int32_t AutomaticThreadsFromAtoms = 5000;

// The thread count of a job: the Threads option when it names one (1 or
// more), otherwise, for atomCount >= AutomaticThreadsFromAtoms, the cores
// shared among the job's worker processes (one per core for a job in one
// process; at least one), and one below that size.
std::int32_t ThreadsForJob(std::int32_t requested, std::int32_t atomCount,
                           std::int32_t processes = 1);

}  // namespace vantrel
