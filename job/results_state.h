// What a job keeps for its per-run results (StoreResults, or a yield target
// of the run driver): the crystal's layers and heights, the binding energy,
// the result tables and the yield so far.
#pragma once

#include <cstdint>
#include <vector>

#include "core/result_statistics.h"
#include "core/run_outcome.h"
#include "output/result_tables.h"

namespace vantrel {

struct ResultsState {
    bool Active = false;    // classify every run of this job
    bool Prepared = false;  // layers, heights and binding energy known (after run 1)
    std::vector<std::int32_t> Layers;  // per particle, 1 = top layer
    std::vector<std::int32_t> Species;  // atomic numbers of the target, ascending
    OutcomeGeometry Geometry;
    std::vector<SputteredAtom> Sputtered;  // room for every atom
    ResultTableFiles Files;
    RunningMean Yield;           // sputtered atoms per run
    std::int32_t Reflected = 0;  // runs whose projectile was reflected
    std::int32_t Transmitted = 0;
};

}  // namespace vantrel
