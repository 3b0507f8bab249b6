// `join`: slices of one job put together (job/slice_join.h).
#include <cstdio>

#include "cli/commands.h"
#include "job/slice_join.h"

namespace vantrel::cli {

int RunJoinCommand(const CliArguments& args, std::FILE* out, std::FILE* err) {
    JoinRequest request;
    request.Slices = args.Join.Slices;
    request.Log = args.Join.Log;
    request.Files = args.Join.Files;
    JoinReport report;
    std::string error;
    const bool joined = JoinSlices(request, report, error);
    for (const std::string& note : report.Notes) std::fprintf(err, "join: %s\n", note.c_str());
    if (!joined) {
        std::fprintf(err, "vantrel-cli: join: %s\n", error.c_str());
        std::fflush(err);
        return ExitJobError;
    }
    std::fprintf(out, "join: runs %d to %d from %d slice%s\n", report.FirstRun, report.LastRun,
                 report.Slices, report.Slices == 1 ? "" : "s");
    std::fflush(out);
    std::fflush(err);
    return ExitCompleted;
}

}  // namespace vantrel::cli
