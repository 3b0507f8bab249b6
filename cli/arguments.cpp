#include "cli/arguments.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

#include "core/options.h"
#include "job/per_run_files.h"

namespace vantrel::cli {

namespace {

// Flags that take a value, and where the value goes.
struct ValueFlag {
    const char* Name;
    std::string CliArguments::*Target;
};

constexpr ValueFlag FileFlags[] = {
    {"--target", &CliArguments::Target},   {"--model", &CliArguments::Model},
    {"--run", &CliArguments::Run},         {"--impact", &CliArguments::Impact},
    {"--inelastic", &CliArguments::Inelastic}, {"--initial", &CliArguments::Initial},
    {"--dynamic", &CliArguments::Dynamic}, {"--events", &CliArguments::Events},
    {"--results", &CliArguments::Results}, {"--sputtered", &CliArguments::Sputtered},
    {"--log", &CliArguments::LogFile},
};

bool TakesValue(std::string_view flag) {
    for (const ValueFlag& f : FileFlags)
        if (flag == f.Name) return true;
    return flag == "--config" || flag == "--set" || flag == "--max-runs" || flag == "--answer" ||
           flag == "--surface-binding" || flag == "--until-yield-error" || flag == "--min-runs" ||
           flag == "--jobs" || flag == "--threads";
}

bool IsKnownFlag(std::string_view flag) {
    return TakesValue(flag) || flag == "--quiet" || flag == "--progress";
}

bool IsJobFlag(std::string_view flag) { return flag != "--config" && flag != "--set"; }

// A batch file names each item's nine files itself.
bool IsFileFlag(std::string_view flag) {
    for (const ValueFlag& f : FileFlags)
        if (flag == f.Name && flag != "--log") return true;
    return false;
}

// One word after the command: an operand (any word after "--", "-", and
// every word that does not start with '-'), a request for help, or a flag
// split at its first '=' into its name and value.
struct CommandWord {
    enum { Operand, Help, Option } Kind = Operand;
    std::string Text;  // the word as given
    std::string Flag;
    std::string Value;
    bool HasValue = false;
};

// Reads the words after the command one at a time; "--" ends the flags and
// is no word itself.
class CommandWords {
public:
    explicit CommandWords(const std::vector<std::string>& args) : args_(args) {}

    // The next word; false after the last.
    bool Next(CommandWord& w) {
        for (;;) {
            if (++at_ >= args_.size()) return false;
            const std::string& arg = args_[at_];
            w = CommandWord{};
            w.Text = arg;
            if (flagsEnded_ || arg.size() < 2 || arg[0] != '-') return true;
            if (arg == "--") {
                flagsEnded_ = true;
                continue;
            }
            if (arg == "--help" || arg == "-h") {
                w.Kind = CommandWord::Help;
                return true;
            }
            w.Kind = CommandWord::Option;
            w.Flag = arg;
            if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
                w.Flag = arg.substr(0, equals);
                w.Value = arg.substr(equals + 1);
                w.HasValue = true;
            }
            return true;
        }
    }

    // The next flag: operands on the way go to onOperand; false after the
    // last word or at a help word (HelpAsked), which ends the reading.
    template <typename OnOperand>
    bool NextFlag(CommandWord& w, OnOperand&& onOperand) {
        while (Next(w)) {
            if (w.Kind == CommandWord::Option) return true;
            if (w.Kind == CommandWord::Help) {
                helpAsked_ = true;
                return false;
            }
            onOperand(w.Text);
        }
        return false;
    }
    bool HelpAsked() const { return helpAsked_; }

    // False, with the error, when a flag that takes no value was given one.
    static bool NoValue(const CommandWord& w, std::string& error) {
        if (!w.HasValue) return true;
        error = w.Flag + " takes no value";
        return false;
    }

    // A flag's value: given after '=', or else the next word.  False, with
    // the error, when the words have ended.
    bool TakeValue(CommandWord& w, std::string& error) {
        if (w.HasValue) return true;
        if (at_ + 1 >= args_.size()) {
            error = w.Flag + " needs a value";
            return false;
        }
        w.Value = args_[++at_];
        return true;
    }

private:
    const std::vector<std::string>& args_;
    std::size_t at_ = 0;
    bool flagsEnded_ = false;
    bool helpAsked_ = false;
};

// The end of a parse that met a help word.
bool HelpAsked(const CommandWords& words, CliArguments& parsed) {
    if (words.HelpAsked()) parsed.Kind = Command::Help;
    return words.HelpAsked();
}

// A whole number from `least`.
bool ParseCount(std::string_view text, std::int32_t least, std::int32_t& value) {
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == last && value >= least;
}

bool ParseThreads(std::string_view text, std::int32_t& value) {
    return ParseCount(text, 0, value) && value <= MaxThreads;
}

// `join` names its joined files and any number of slices.
bool ParseJoinArguments(const std::vector<std::string>& args, CliArguments& parsed,
                        std::string& error) {
    JoinArguments& j = parsed.Join;
    j.Files.assign(PerRunFiles.size(), std::string());
    CommandWords words(args);
    const auto slice = [&](const std::string& text) { j.Slices.push_back(text); };
    for (CommandWord word; words.NextFlag(word, slice);) {
        const std::string& flag = word.Flag;
        std::string& value = word.Value;
        std::string* target = flag == "--log" ? &j.Log : nullptr;
        for (std::size_t t = 0; t < PerRunFiles.size(); ++t)
            if (flag == PerRunFiles[t].JoinFlag) target = &j.Files[t];
        if (!target) {
            error = IsKnownFlag(flag) ? flag + " is not an option of 'join'"
                                      : "unknown flag: '" + flag + "'";
            return false;
        }
        if (!words.TakeValue(word, error)) return false;
        if (value.empty()) {
            error = flag + " needs a file name";
            return false;
        }
        *target = value;
    }
    if (HelpAsked(words, parsed)) return true;
    if (j.Log.empty() && std::all_of(j.Files.begin(), j.Files.end(),
                                     [](const std::string& f) { return f.empty(); })) {
        error = "nothing to join: give --log, --dynamic or --events";
        return false;
    }
    if (j.Slices.empty()) {
        error = "missing slice (SLICE...)";
        return false;
    }
    return true;
}

bool ParsePositiveReal(std::string_view text, double& value) {
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == last && value > 0 &&
           value < 1e300;
}

// analyze [--json] [--plots DIR] [--bins N] RESULTS.csv... [--sputtered SPUTTERED.csv...]
// Every name after --sputtered is a sputtered table, up to the next flag.
bool ParseAnalyzeArguments(const std::vector<std::string>& args, CliArguments& parsed,
                           std::string& error) {
    bool sputtered = false;
    CommandWords words(args);
    const auto table = [&](const std::string& text) {
        (sputtered ? parsed.SputteredTables : parsed.ResultTables).push_back(text);
    };
    for (CommandWord word; words.NextFlag(word, table);) {
        const std::string& flag = word.Flag;
        std::string& value = word.Value;
        const bool hasValue = word.HasValue;
        if (flag == "--json") {
            if (!CommandWords::NoValue(word, error)) return false;
            parsed.Json = true;
            continue;
        }
        if (flag == "--sputtered") {
            sputtered = true;
            if (hasValue) parsed.SputteredTables.push_back(value);
            continue;
        }
        if (flag != "--plots" && flag != "--bins") {
            error = "unknown flag: '" + flag + "' (analyze takes --json, --plots, --bins, "
                    "--sputtered)";
            return false;
        }
        if (!words.TakeValue(word, error)) return false;
        if (flag == "--plots") {
            if (value.empty()) {
                error = "--plots needs a folder";
                return false;
            }
            parsed.PlotsDir = value;
        } else if (!ParseCount(value, 1, parsed.Bins) || parsed.Bins > 1000) {
            error = "bad value for --bins: '" + value + "' (a whole number from 1 to 1000)";
            return false;
        }
    }
    if (HelpAsked(words, parsed)) return true;
    if (parsed.ResultTables.empty()) {
        error = "missing result table (RESULTS.csv)";
        return false;
    }
    return true;
}

// `export` has flags of its own and any number of record files.
bool ParseExportArguments(const std::vector<std::string>& args, CliArguments& parsed,
                          std::string& error) {
    ExportArguments& e = parsed.Export;
    bool formatGiven = false;
    CommandWords words(args);
    const auto records = [&](const std::string& text) { e.Records.push_back(text); };
    for (CommandWord word; words.NextFlag(word, records);) {
        const std::string& flag = word.Flag;
        std::string& value = word.Value;
        if (flag == "--per-run" || flag == "--per-frame" || flag == "--si") {
            if (!CommandWords::NoValue(word, error)) return false;
            if (flag == "--si")
                e.Units = CsvUnits::Si;
            else {
                const ExportSplit split =
                    flag == "--per-run" ? ExportSplit::PerRun : ExportSplit::PerFrame;
                if (e.Split != ExportSplit::OneFile && e.Split != split) {
                    error = "--per-run and --per-frame exclude each other";
                    return false;
                }
                e.Split = split;
            }
            continue;
        }
        if (flag != "--format" && flag != "--target" && flag != "--projectile" && flag != "-o" &&
            flag != "--output") {
            error = IsKnownFlag(flag) ? flag + " is not an option of 'export'"
                                      : "unknown flag: '" + flag + "'";
            return false;
        }
        if (!words.TakeValue(word, error)) return false;
        if (flag == "--format") {
            if (value == "extxyz")
                e.Format = ExportFormat::ExtendedXyz;
            else if (value == "dump")
                e.Format = ExportFormat::LammpsDump;
            else if (value == "csv")
                e.Format = ExportFormat::Csv;
            else {
                error = "bad value for --format: '" + value + "' (extxyz, dump or csv)";
                return false;
            }
            formatGiven = true;
            continue;
        }
        if (value.empty()) {
            error = flag + " needs a file name";
            return false;
        }
        (flag == "--target" ? e.Target : flag == "--projectile" ? e.Projectile : e.Output) = value;
    }
    if (HelpAsked(words, parsed)) return true;
    if (!formatGiven) {
        error = "missing --format (extxyz, dump or csv)";
        return false;
    }
    if (e.Units == CsvUnits::Si && e.Format != ExportFormat::Csv) {
        error = "--si is an option of --format csv only";
        return false;
    }
    if (e.Output.empty()) {
        error = "missing output file (-o OUT)";
        return false;
    }
    if (e.Records.empty()) {
        error = "missing record file (RECORDS.vsk)";
        return false;
    }
    return true;
}

}  // namespace

const char* UsageText() {
    return "usage: vantrel-cli run   [OPTIONS] PROJECTILE.prj\n"
           "       vantrel-cli batch [OPTIONS] FILE.bdf\n"
           "       vantrel-cli options [--config FILE.cfg] [--set NAME=VALUE ...]\n"
           "       vantrel-cli analyze [--json] [--plots DIR] [--bins N] RESULTS.csv...\n"
           "                           [--sputtered SPUTTERED.csv...]\n"
           "       vantrel-cli export --format extxyz|dump|csv [--target F.trg]\n"
           "                  [--projectile F.prj] [--per-run|--per-frame] [--si]\n"
           "                  -o OUT RECORDS.vsk...\n"
           "       vantrel-cli join [--log OUT.log] [--dynamic OUT.vsk] [--events OUT.dat]\n"
           "                  SLICE...\n"
           "       vantrel-cli --version\n"
           "OPTIONS:\n"
           "  --target F --model F --run F --impact F --inelastic F\n"
           "        input files; default: the projectile's path with the extension\n"
           "        replaced (.trg .mdl .run .imp .inl)\n"
           "  --initial F --dynamic F --events F\n"
           "        output files; default: inivars.vsk, dynvars.vsk, inelast.dat in the\n"
           "        current directory\n"
           "  --results F --sputtered F\n"
           "        result tables (with --set StoreResults=1); default: results.csv,\n"
           "        sputtered.csv in the current directory (batch: beside each item's\n"
           "        dynamical-variables file)\n"
           "  --surface-binding EV  binding energy of the sputtering criterion (default:\n"
           "                     the model's cohesive energy; sets SurfaceBinding)\n"
           "  --until-yield-error REL  end the job once the yield's relative standard\n"
           "                     error is below REL, after at least --min-runs N runs (10)\n"
           "  --config F.cfg     load this configuration file whatever its\n"
           "                     LoadOptionsAtStart byte says (default: ./vantrel.cfg,\n"
           "                     loaded only when it says so)\n"
           "  --set NAME=VALUE   set one option by its code name (see `vantrel-cli\n"
           "                     options`); repeatable; booleans as 0/1/true/false\n"
           "  --max-runs N       stop the job after N runs\n"
           "  --jobs N           share the runs among N worker processes (0: one per\n"
           "                     core); needs --set PerRunStreams=1.  Files and log as\n"
           "                     one process writes them\n"
           "  --threads T        threads of the force, list and energy passes (= --set\n"
           "                     Threads=T); 0: one per core on large crystals\n"
           "  --answer yes|no    how the job's questions are answered; without it: ask\n"
           "                     on a terminal, otherwise answer No and say so in the log\n"
           "  --log F            also write the plain log to F\n"
           "  --quiet            no log on standard output\n"
           "  --progress         the progress line on standard error even when it is not\n"
           "                     a terminal\n"
           "analyze: the summary of result tables (the slices of a job, or the jobs of a\n"
           "  batch) on standard output; --json as one JSON object; --plots DIR writes the\n"
           "  histograms and curves as CSV, SVG and PNG; --bins N bins per histogram (30);\n"
           "  sputtered tables in the order of their result tables.\n"
           "export: particle records (.vsk) as text, one frame per run and sample time:\n"
           "  --format F         extxyz (extended XYZ: OVITO, ASE), dump (LAMMPS text\n"
           "                     dump) or csv (one row per record)\n"
           "  --target F.trg --projectile F.prj\n"
           "                     the job's files: species by atomic number; without\n"
           "                     them, the element nearest each particle's mass\n"
           "  --per-run          one file per run: OUT's name with _run<R> added\n"
           "  --per-frame        one file per frame: with _run<R>_<NNNN> added\n"
           "  --si               csv columns in the records' SI units, not A, eV, fs\n"
           "  -o F, --output F   the output file\n"
           "join: the files of slices of one job (PerRunStreams on, one seed, runs cut\n"
           "  out with --set RunOffset=... --max-runs ...) as the one job writes them.\n"
           "  SLICE names a slice's files without extension: SLICE.log with the runs\n"
           "  file SLICE.log.runs that `run` writes beside its --log, SLICE.vsk,\n"
           "  SLICE.dat (a name ending in .log is taken without it):\n"
           "  --log F --dynamic F --events F   the joined log, records, events table\n"
           "Exit status: 0 the job (every batch item) ran to its end, the export or\n"
           "join is written, or the tables are analysed; 1 a job ended on an error,\n"
           "a worker process died, a file could not be read or written, or the\n"
           "slices are not one job's; 2 usage error; 130 stopped by Ctrl-C.\n";
}

bool ParseArguments(const std::vector<std::string>& args, CliArguments& parsed,
                    std::string& error) {
    parsed = CliArguments{};
    if (args.empty()) {
        error = "no command given (run, batch, options, analyze, export or join)";
        return false;
    }
    const std::string& command = args[0];
    if (command == "--version") {
        parsed.Kind = Command::Version;
        if (args.size() == 1) return true;
        error = "unexpected argument: '" + args[1] + "'";
        return false;
    }
    if (command == "export") {
        parsed.Kind = Command::Export;
        return ParseExportArguments(args, parsed, error);
    }
    if (command == "join") {
        parsed.Kind = Command::Join;
        return ParseJoinArguments(args, parsed, error);
    }
    if (command == "run")
        parsed.Kind = Command::Run;
    else if (command == "batch")
        parsed.Kind = Command::Batch;
    else if (command == "options")
        parsed.Kind = Command::Options;
    else if (command == "analyze") {
        parsed.Kind = Command::Analyze;
        return ParseAnalyzeArguments(args, parsed, error);
    } else if (command == "--help" || command == "-h" || command == "help") {
        parsed.Kind = Command::Help;
        return true;
    } else {
        error = "unknown command: '" + command + "' (run, batch, options, analyze, export or join)";
        return false;
    }

    std::vector<std::string> positional;
    CommandWords words(args);
    const auto operand = [&](const std::string& text) { positional.push_back(text); };
    for (CommandWord word; words.NextFlag(word, operand);) {
        const std::string& flag = word.Flag;
        std::string& value = word.Value;

        if (flag == "--quiet" || flag == "--progress") {
            if (!CommandWords::NoValue(word, error)) return false;
            if (parsed.Kind == Command::Options) {
                error = flag + " is not an option of 'options'";
                return false;
            }
            (flag == "--quiet" ? parsed.Quiet : parsed.Progress) = true;
            continue;
        }
        if (!TakesValue(flag)) {
            error = "unknown flag: '" + flag + "'";
            return false;
        }
        if (parsed.Kind == Command::Options && IsJobFlag(flag)) {
            error = flag + " is not an option of 'options'";
            return false;
        }
        if (parsed.Kind == Command::Batch && IsFileFlag(flag)) {
            error = flag + " is not an option of 'batch' (the batch file names every file)";
            return false;
        }
        if (!words.TakeValue(word, error)) return false;

        if (flag == "--config") {
            if (value.empty()) {
                error = "--config needs a file name";
                return false;
            }
            parsed.Config = value;
        } else if (flag == "--set") {
            parsed.Sets.push_back(value);
        } else if (flag == "--threads") {
            std::int32_t threads = 0;
            if (!ParseThreads(value, threads)) {
                error = "bad value for --threads: '" + value + "' (a whole number from 0 to " +
                        std::to_string(MaxThreads) + ")";
                return false;
            }
            parsed.Sets.push_back("Threads=" + std::to_string(threads));
        } else if (flag == "--max-runs") {
            if (!ParseCount(value, 1, parsed.MaxRuns)) {
                error = "bad value for --max-runs: '" + value + "' (a whole number from 1)";
                return false;
            }
        } else if (flag == "--surface-binding") {
            parsed.SurfaceBinding = value;
        } else if (flag == "--until-yield-error") {
            if (!ParsePositiveReal(value, parsed.UntilYieldError)) {
                error = "bad value for --until-yield-error: '" + value + "' (a number above 0)";
                return false;
            }
        } else if (flag == "--min-runs") {
            if (!ParseCount(value, 1, parsed.MinRuns)) {
                error = "bad value for --min-runs: '" + value + "' (a whole number from 1)";
                return false;
            }
        } else if (flag == "--jobs") {
            if (!ParseCount(value, 0, parsed.Jobs)) {
                error = "bad value for --jobs: '" + value + "' (a whole number from 0)";
                return false;
            }
        } else if (flag == "--answer") {
            if (value == "yes")
                parsed.Answer = AnswerChoice::Yes;
            else if (value == "no")
                parsed.Answer = AnswerChoice::No;
            else {
                error = "bad value for --answer: '" + value + "' (yes or no)";
                return false;
            }
        } else {
            for (const ValueFlag& f : FileFlags)
                if (flag == f.Name) parsed.*(f.Target) = value;
            if (value.empty()) {
                error = flag + " needs a file name";
                return false;
            }
        }
    }
    if (HelpAsked(words, parsed)) return true;

    if (parsed.Kind == Command::Options) {
        if (!positional.empty()) {
            error = "unexpected argument: '" + positional[0] + "'";
            return false;
        }
        return true;
    }
    if (positional.empty()) {
        error = parsed.Kind == Command::Run ? "missing projectile file (PROJECTILE.prj)"
                                            : "missing batch definition file (FILE.bdf)";
        return false;
    }
    if (positional.size() > 1) {
        error = "unexpected argument: '" + positional[1] + "'";
        return false;
    }
    parsed.File = positional[0];
    return true;
}

}  // namespace vantrel::cli
