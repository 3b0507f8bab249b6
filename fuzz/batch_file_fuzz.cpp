// Reads arbitrary bytes as a batch definition file: the loop must end, never
// run more items than the file has groups of lines, and hand every job names
// of at most 255 characters.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "job/batch.h"
#include "job/log.h"
#include "fuzz/fuzz_support.h"

namespace {

bool WithinLimit(const std::string& text) {
    return vantrel::CutText(text, vantrel::ShortTextLimit) == text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size > fuzz::MaxInputBytes) return 0;
    const std::string path = fuzz::WriteScratchFile(data, size, ".bdf");
    std::size_t lineEnds = 0;
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] == '\n' || data[i] == '\r') ++lineEnds;

    SilentUserInterface ui;
    ProgramContext program(ui);
    std::int32_t jobs = 0;
    BatchHooks hooks;
    hooks.ItemStarting = [&](std::int32_t counter, const BatchItem& item) {
        if (counter != jobs + 1 || !WithinLimit(item.Title)) std::abort();
    };
    const BatchResult result = RunBatchItems(
        program, path, hooks, [&](const InputFileSet& in, const OutputFileSet& out) {
            for (const std::string* name :
                 {&in.Projectile, &in.Target, &in.Model, &in.Run, &in.Impact, &in.Inelastic,
                  &out.InitialConditions, &out.DynamicalVariables, &out.InelasticEvents})
                if (!WithinLimit(*name)) std::abort();
            ++jobs;
            program.AbortNow = (jobs % 3) == 0;  // the question is answered Yes
            return JobOutcome::Completed;
        });
    // An item needs five names of existing files, so at least five line ends
    // per item but the last.
    if (result.ItemsRun != jobs || static_cast<std::size_t>(jobs) > lineEnds / 5 + 1) std::abort();
    std::remove(path.c_str());
    return 0;
}
