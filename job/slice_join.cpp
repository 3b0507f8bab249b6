#include "job/slice_join.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "core/number_text.h"
#include "job/output_backups.h"
#include "job/run_figures.h"
#include "job/runs_file.h"
#include "output/particle_sample.h"

namespace vantrel {

namespace {

struct Slice {
    std::string Name;
    std::vector<std::string> Log;  // whole lines, without their line ends
    RunsFile Runs;
    std::set<std::int32_t> Taken;  // the run numbers joined from this slice
};

bool ReadWhole(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The leading integer of a per-run table's line (events blank-separated, a
// CSV table comma-separated): its run number.
bool LeadingRunNumber(std::string_view line, std::int32_t& run) {
    std::size_t at = 0;
    while (at < line.size() && line[at] == ' ') ++at;
    const std::string token(line.substr(at, line.find_first_of(" ,\t", at) - at));
    if (token.empty()) return false;
    char* end = nullptr;
    const long value = std::strtol(token.c_str(), &end, 10);
    run = static_cast<std::int32_t>(value);
    return *end == '\0';
}

bool LoadSlice(Slice& slice, std::string& error) {
    const std::string logName = slice.Name + ".log";
    std::string text;
    if (!ReadWhole(logName, text)) {
        error = "cannot read " + logName;
        return false;
    }
    slice.Log = WholeLines(text);
    if (!ReadRunsFile(RunsFileName(logName), slice.Runs, error)) {
        error += " (join needs the runs file that a run with PerRunStreams and --log writes)";
        return false;
    }
    if (!slice.Runs.Seeded) {
        error = RunsFileName(logName) + " names no seed: the slice was not run with PerRunStreams";
        return false;
    }
    for (const RunsFileRun& run : slice.Runs.Runs) {
        const bool fits = run.Begin < run.End && run.End <= static_cast<std::int64_t>(slice.Log.size()) &&
                          slice.Log[static_cast<std::size_t>(run.Begin)] ==
                              "  Run count: " + IntegerText(run.RunNumber);
        if (!fits) {
            error = logName + " does not match its runs file at run " + IntegerText(run.RunNumber);
            return false;
        }
    }
    return true;
}

// Where a run of the joined job comes from.
struct JoinedRun {
    Slice* From;
    const RunsFileRun* Run;
};

// The figures that run over the joined job so far.
struct Figures {
    std::int32_t MaxPartners = 0;
    double ErrorSum = 0;
    double LssSum = 0, OrSum = 0, StSum = 0;
    bool AnyEnergy = false;
};

// The log lines of one run's block for its place in the joined job: run
// runIndex, the job's first or not.
void WriteBlock(const JoinedRun& joined, bool jobsFirstRun, std::int32_t runIndex,
                Figures& figures, std::string& out) {
    const RunsFileRun& run = *joined.Run;
    const std::vector<std::string>& log = joined.From->Log;
    auto put = [&out](const std::string& line) { out += line + '\n'; };
    for (std::int64_t line = run.Begin; line <= run.End; ++line) {
        bool skip = false;
        if (!jobsFirstRun)
            for (const RunsFileRun::Section& section : run.FirstRunLines) {
                if (section.Begin == line)
                    for (const std::string& later : section.Later) put(later);
                if (section.Begin <= line && line < section.End) skip = true;
            }
        if (skip || line == run.End) continue;
        if (line == run.PartnersLine) {
            figures.MaxPartners = std::max(figures.MaxPartners, run.MaxPartners);
            put(MaxPartnersText(figures.MaxPartners));
        } else if (line == run.EnergyLine) {
            figures.ErrorSum += run.Error;
            figures.AnyEnergy = true;
            put(EnergyErrorText(run.DE, run.Error, figures.ErrorSum / runIndex));
        } else if (run.LossLine >= 0 && line >= run.LossLine && line < run.LossLine + 3) {
            if (line == run.LossLine) {
                figures.LssSum += run.Losses[0];
                figures.OrSum += run.Losses[1];
                figures.StSum += run.Losses[2];
                for (const std::string& text :
                     LossTexts(run.Losses[0], run.Losses[1], run.Losses[2], figures.LssSum,
                               figures.OrSum, figures.StSum))
                    put(text);
            }
        } else {
            put(log[static_cast<std::size_t>(line)]);
        }
    }
}

// One slice's part of a per-run file: its records (lines) of the runs taken.
bool SlicePart(const Slice& slice, const PerRunFile& type, bool first, std::string& out,
               std::string& error) {
    const std::string name = slice.Name + type.SliceExtension;
    std::string bytes;
    if (!ReadWhole(name, bytes)) {
        error = "cannot read " + name;
        return false;
    }
    if (type.RecordBytes > 0) {
        for (std::size_t at = 0; at + SampleRecordSize <= bytes.size(); at += SampleRecordSize) {
            SampleRecord raw;
            std::memcpy(raw.data(), bytes.data() + at, SampleRecordSize);
            if (slice.Taken.count(DecodeSample(raw).RunNumber))
                out.append(bytes, at, SampleRecordSize);
        }
        return true;
    }
    int header = type.HeaderLines;
    for (const std::string& line : WholeLines(bytes)) {
        std::int32_t run = 0;
        if (header > 0) {
            --header;
            if (first) out += line + '\n';
        } else if (LeadingRunNumber(line, run) && slice.Taken.count(run)) {
            out += line + '\n';
        }
    }
    return true;
}

}  // namespace

std::string SliceName(const std::string& argument) {
    const std::string log = ".log";
    if (argument.size() > log.size() && argument.ends_with(log))
        return argument.substr(0, argument.size() - log.size());
    return argument;
}

bool JoinSlices(const JoinRequest& request, JoinReport& report, std::string& error) {
    report = JoinReport{};
    std::vector<Slice> slices;
    for (const std::string& argument : request.Slices) {
        Slice slice;
        slice.Name = SliceName(argument);
        if (!LoadSlice(slice, error)) return false;
        if (slice.Runs.Runs.empty()) {
            report.Notes.push_back(slice.Name + " finished no run");
            continue;
        }
        slices.push_back(std::move(slice));
    }
    if (slices.empty()) {
        error = "no finished run in the slices";
        return false;
    }
    std::sort(slices.begin(), slices.end(), [](const Slice& a, const Slice& b) {
        return a.Runs.Runs.front().RunNumber < b.Runs.Runs.front().RunNumber;
    });

    const Slice& firstSlice = slices.front();
    const auto opening = firstSlice.Log.begin() + firstSlice.Runs.Runs.front().Begin;
    std::vector<JoinedRun> runs;
    for (Slice& slice : slices) {
        if (slice.Runs.Seed != firstSlice.Runs.Seed) {
            error = slice.Name + " was run with seed " + std::to_string(slice.Runs.Seed) +
                    ", " + firstSlice.Name + " with seed " + std::to_string(firstSlice.Runs.Seed) +
                    ": not slices of one job";
            return false;
        }
        const auto begins = slice.Log.begin() + slice.Runs.Runs.front().Begin;
        if (!std::equal(slice.Log.begin(), begins, firstSlice.Log.begin(), opening)) {
            error = slice.Name + ".log begins otherwise than " + firstSlice.Name +
                    ".log: not slices of one job";
            return false;
        }
        for (const RunsFileRun& run : slice.Runs.Runs) runs.push_back({&slice, &run});
    }
    // A run that ended its slice's job early stands only at the very end.
    for (std::size_t k = 0; k + 1 < runs.size(); ++k)
        if (!runs[k].Run->ContinueJob) {
            report.Notes.push_back("run " + IntegerText(runs[k].Run->RunNumber) + " of " +
                                   runs[k].From->Name + " was cut short and is left out");
            runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(k));
            --k;
        }
    std::stable_sort(runs.begin(), runs.end(), [](const JoinedRun& a, const JoinedRun& b) {
        return a.Run->RunNumber < b.Run->RunNumber;
    });
    for (std::size_t k = 1; k < runs.size(); ++k) {
        const std::int32_t previous = runs[k - 1].Run->RunNumber;
        const std::int32_t run = runs[k].Run->RunNumber;
        if (run == previous) {
            error = "run " + IntegerText(run) + " is in " + runs[k - 1].From->Name + " and in " +
                    runs[k].From->Name;
            return false;
        }
        if (run != previous + 1) {
            error = run == previous + 2
                        ? "run " + IntegerText(previous + 1) + " is in no slice"
                        : "runs " + IntegerText(previous + 1) + " to " + IntegerText(run - 1) +
                              " are in no slice";
            return false;
        }
    }
    for (const JoinedRun& joined : runs) joined.From->Taken.insert(joined.Run->RunNumber);

    // Everything is built before anything is written.
    std::vector<std::pair<std::string, std::string>> outputs;  // name, bytes
    if (!request.Log.empty()) {
        std::string log;
        for (auto line = firstSlice.Log.begin(); line != opening; ++line) log += *line + '\n';
        Figures figures;
        std::int32_t index = 0;
        for (const JoinedRun& joined : runs) {
            index += 1;
            WriteBlock(joined, index == 1, index, figures, log);
        }
        if (figures.AnyEnergy) log += CumulativeEnergyErrorText(figures.ErrorSum / index) + '\n';
        outputs.emplace_back(request.Log, std::move(log));
    }
    for (std::size_t t = 0; t < request.Types.size() && t < request.Files.size(); ++t) {
        if (request.Files[t].empty()) continue;
        std::string bytes;
        bool first = true;
        for (const Slice& slice : slices) {
            if (slice.Taken.empty()) continue;
            if (!SlicePart(slice, request.Types[t], first, bytes, error)) return false;
            first = false;
        }
        outputs.emplace_back(request.Files[t], std::move(bytes));
    }

    // Each file under its staging name first; all of them placed at the end.
    for (const auto& [name, bytes] : outputs) {
        std::ofstream out(StagingName(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            error = "cannot write " + name;
            for (const auto& [other, unused] : outputs) DiscardStagedFile(StagingName(other));
            return false;
        }
    }
    for (const auto& [name, bytes] : outputs) {
        bool backedUp = false;
        if (!PlaceStagedFile(StagingName(name), name, backedUp)) {
            error = "cannot write " + name + " (left as " + StagingName(name) + ")";
            return false;
        }
        if (backedUp) report.Notes.push_back("previous " + name + " kept as " + BackupName(name));
    }
    report.Slices = static_cast<std::int32_t>(slices.size());
    report.FirstRun = runs.front().Run->RunNumber;
    report.LastRun = runs.back().Run->RunNumber;
    return true;
}

}  // namespace vantrel
