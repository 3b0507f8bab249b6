// The batch loop wired to the run driver; kept apart from batch.cpp so that
// the loop can be linked and exercised without the simulation.
#include "job/batch.h"

namespace vantrel {

BatchResult RunBatch(ProgramContext& program, std::string_view path, const BatchHooks& hooks,
                     const JobSettings& settings) {
    return RunBatchItems(program, path, hooks,
                         [&](const InputFileSet& inputs, const OutputFileSet& outputs) {
                             return RunJob(program, inputs, outputs, true, settings);
                         });
}

}  // namespace vantrel
