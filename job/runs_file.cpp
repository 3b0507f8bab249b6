#include "job/runs_file.h"

#include <cinttypes>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vantrel {

namespace {

constexpr const char* FormatLine = "vantrel-runs 1";

}  // namespace

std::string RunsFileName(const std::string& logFile) { return logFile + ".runs"; }

RunsFileWriter::RunsFileWriter(std::FILE* file, std::function<std::int64_t()> logLines)
    : file_(file), logLines_(std::move(logLines)) {
    std::fprintf(file_, "%s\n", FormatLine);
}

void RunsFileWriter::StreamsSeeded(std::uint32_t jobSeed) {
    std::fprintf(file_, "seed %" PRIu32 "\n", jobSeed);
}

void RunsFileWriter::RunStarting(std::int32_t runNumber) {
    std::fprintf(file_, "run %" PRId32 " %" PRId64 "\n", runNumber, logLines_());
}

void RunsFileWriter::FirstRunLinesBegin() { firstBegin_ = logLines_(); }

void RunsFileWriter::FirstRunLinesEnd(const std::vector<std::string>& laterLines) {
    std::fprintf(file_, "first %" PRId64 " %" PRId64 "\n", firstBegin_, logLines_());
    for (const std::string& line : laterLines) std::fprintf(file_, "later %s\n", line.c_str());
}

void RunsFileWriter::MaxPartnersLine(std::int32_t maxPartnersUsed) {
    std::fprintf(file_, "partners %" PRId64 " %" PRId32 "\n", logLines_(), maxPartnersUsed);
}

void RunsFileWriter::EnergyErrorLine(double dE, double error) {
    std::fprintf(file_, "energy %" PRId64 " %a %a\n", logLines_(), dE, error);
}

void RunsFileWriter::LossLines(double lss, double orLoss, double stLoss) {
    std::fprintf(file_, "losses %" PRId64 " %a %a %a\n", logLines_(), lss, orLoss, stLoss);
}

void RunsFileWriter::RunFinished(const RunEnd& end) {
    std::fprintf(file_, "done %" PRId32 " %" PRId64 " %d %d\n", end.RunNumber, logLines_(),
                 end.ContinueJob ? 1 : 0, end.AbortNow ? 1 : 0);
    std::fflush(file_);
}

bool RunsFileWriter::Good() const { return !std::ferror(file_); }

namespace {

bool ParseInteger(const std::string& token, std::int64_t& value) {
    if (token.empty()) return false;
    char* end = nullptr;
    value = std::strtoll(token.c_str(), &end, 10);
    return *end == '\0';
}

bool ParseReal(const std::string& token, double& value) {
    if (token.empty()) return false;
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    return *end == '\0';
}

}  // namespace

bool ReadRunsFile(const std::string& path, RunsFile& runs, std::string& error) {
    runs = RunsFile{};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::stringstream whole;
    whole << in.rdbuf();
    // A last line without its line end was being written when the runner
    // was stopped: it is not taken.
    std::string text = whole.str();
    text.erase(text.find_last_of('\n') == std::string::npos ? 0 : text.find_last_of('\n') + 1);
    std::istringstream lines(text);
    std::string line;
    std::int64_t number = 0;
    RunsFileRun current;
    bool inRun = false;
    auto fail = [&](const std::string& why) {
        error = path + ", line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(lines, line)) {
        number += 1;
        if (number == 1) {
            if (line != FormatLine) return fail("not a runs file");
            continue;
        }
        if (line.rfind("later ", 0) == 0) {
            if (!inRun || current.FirstRunLines.empty()) return fail("'later' without 'first'");
            current.FirstRunLines.back().Later.push_back(line.substr(6));
            continue;
        }
        std::istringstream fields(line);
        std::string key;
        std::vector<std::string> f;
        fields >> key;
        for (std::string token; fields >> token;) f.push_back(token);
        std::int64_t a = 0, b = 0, c = 0, d = 0;
        double x = 0, y = 0, z = 0;
        if (key == "seed") {
            if (f.size() != 1 || !ParseInteger(f[0], a)) return fail("bad seed");
            runs.Seeded = true;
            runs.Seed = static_cast<std::uint32_t>(a);
        } else if (key == "run") {
            if (f.size() != 2 || !ParseInteger(f[0], a) || !ParseInteger(f[1], b))
                return fail("bad run record");
            current = RunsFileRun{};
            current.RunNumber = static_cast<std::int32_t>(a);
            current.Begin = b;
            inRun = true;
        } else if (!inRun) {
            return fail("'" + key + "' outside a run");
        } else if (key == "first") {
            if (f.size() != 2 || !ParseInteger(f[0], a) || !ParseInteger(f[1], b))
                return fail("bad first record");
            current.FirstRunLines.push_back({a, b, {}});
        } else if (key == "partners") {
            if (f.size() != 2 || !ParseInteger(f[0], a) || !ParseInteger(f[1], b))
                return fail("bad partners record");
            current.PartnersLine = a;
            current.MaxPartners = static_cast<std::int32_t>(b);
        } else if (key == "energy") {
            if (f.size() != 3 || !ParseInteger(f[0], a) || !ParseReal(f[1], x) ||
                !ParseReal(f[2], y))
                return fail("bad energy record");
            current.EnergyLine = a;
            current.DE = x;
            current.Error = y;
        } else if (key == "losses") {
            if (f.size() != 4 || !ParseInteger(f[0], a) || !ParseReal(f[1], x) ||
                !ParseReal(f[2], y) || !ParseReal(f[3], z))
                return fail("bad losses record");
            current.LossLine = a;
            current.Losses[0] = x;
            current.Losses[1] = y;
            current.Losses[2] = z;
        } else if (key == "done") {
            if (f.size() != 4 || !ParseInteger(f[0], a) || !ParseInteger(f[1], b) ||
                !ParseInteger(f[2], c) || !ParseInteger(f[3], d) || a != current.RunNumber)
                return fail("bad done record");
            current.End = b;
            current.ContinueJob = c != 0;
            current.AbortNow = d != 0;
            runs.Runs.push_back(current);
            inRun = false;
        } else {
            return fail("unknown record '" + key + "'");
        }
    }
    if (number == 0) {
        error = path + " is empty";
        return false;
    }
    return true;
}

}  // namespace vantrel
