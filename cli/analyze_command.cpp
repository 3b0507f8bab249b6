// `analyze`: reads result tables, prints the summary (or its JSON) and, with
// --plots DIR, writes the histograms and curves as CSV, SVG and PNG.
//
// Sputtered tables pair with the result tables in the order given when
// there are as many of each (the jobs of a batch, whose run numbers
// repeat); otherwise every table is one set (the slices of one job, whose
// run numbers differ).  Problems with a table go to standard error as
// "analyze: <problem>"; a table that cannot be read makes the exit status 1,
// but the others are still analysed.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "io/result_tables.h"
#include "job/results_analysis.h"
#ifdef VANTREL_HAVE_PLOTS
#include "plots/result_plots.h"
#endif

namespace vantrel::cli {

namespace {

void Problem(std::FILE* err, const std::string& text) {
    std::fprintf(err, "analyze: %s\n", text.c_str());
}

}  // namespace

int RunAnalyzeCommand(const CliArguments& args, std::FILE* out, std::FILE* err) {
    bool ok = true;
    const bool paired = !args.SputteredTables.empty() &&
                        args.SputteredTables.size() == args.ResultTables.size() &&
                        args.ResultTables.size() > 1;
    std::vector<ResultTableSet> sets(paired ? args.ResultTables.size() : 1);
    for (std::size_t k = 0; k < args.ResultTables.size(); ++k) {
        ResultsTableRead read = ReadResultsTable(args.ResultTables[k]);
        for (const std::string& message : read.Messages) Problem(err, message);
        if (!read.Ok) {
            ok = false;
            continue;
        }
        std::vector<RunResultRecord>& runs = sets[paired ? k : 0].Runs;
        runs.insert(runs.end(), read.Rows.begin(), read.Rows.end());
    }
    for (std::size_t k = 0; k < args.SputteredTables.size(); ++k) {
        SputteredTableRead read = ReadSputteredTable(args.SputteredTables[k]);
        for (const std::string& message : read.Messages) Problem(err, message);
        ResultTableSet& set = sets[paired ? k : 0];
        set.HasAtomTable = true;
        if (!read.Ok) {
            ok = false;
            continue;
        }
        set.Atoms.insert(set.Atoms.end(), read.Rows.begin(), read.Rows.end());
    }

    const ResultsAnalysis analysis = AnalyseResults(sets, args.Bins);
    if (analysis.All.Runs == 0) {
        Problem(err, "no run in the result tables");
        ok = false;
    }
    if (args.Json) {
        std::fprintf(out, "%s\n", SummaryJson(analysis).c_str());
    } else {
        for (const std::string& line : SummaryLines(analysis)) std::fprintf(out, "%s\n", line.c_str());
    }
    std::fflush(out);

    if (!args.PlotsDir.empty()) {
#ifdef VANTREL_HAVE_PLOTS
        PlotSession session;
        std::vector<std::string> errors;
        WritePlotFiles(analysis, ResultPlots(analysis), args.PlotsDir, errors);
        for (const std::string& e : errors) Problem(err, e);
        if (!errors.empty()) ok = false;
#else
        Problem(err, "--plots: this vantrel-cli was built without Qt and draws no plots");
        ok = false;
#endif
    }
    std::fflush(err);
    return ok ? ExitCompleted : ExitJobError;
}

}  // namespace vantrel::cli
