// Whole jobs through RunJob, timed phase by phase: vantrel-job-bench.
//
// Cases (Sutton-Chen Cu(100), a = 3.61 A, bench/models/cu_sc_rc7.mdl:
// r_c 7.0 A switched off from 6.85 A, no surface barrier; hot target at
// 300 K; cell-index search; reports off):
//   thermal  16 x 16 x 10 fcc cells (10,240 atoms), fixed 1 fs timestep,
//            partner lists rebuilt every 10 steps, 1,000 steps.  The
//            projectile, a 50 eV Ar atom, is there for the list radius:
//            with the fixed timestep the fastest speed stays its speed, so
//            the radius settles near 8 A (0.7 v0 dt 9 + r_c).  It starts
//            8 A above a hollow site and lands after some 50 fs, adding
//            about 4 K to the crystal.  It cannot start much higher: the
//            lattice zone takes in the projectile's start, and the cell
//            edge grows until the zone fits the fixed grid (from 200 A up
//            the cells would be some 50 A wide and the cell search would
//            test nearly every pair).
//   cascade  the same crystallite hit by 3 keV Ar 5 A above atom 1, adaptive
//            timestep from 0.04 fs, 500 fs.
//   large    50 x 50 x 20 cells (200,000 atoms) as in the thermal case, 20
//            steps.
//
// Every repetition runs in a child process of its own, so its peak memory
// (getrusage ru_maxrss) is its own; the figures printed are the medians over
// the repetitions, with the range.  The phase times come from the engine's
// StepTimers (core/step_timers.h):
//   step          loop time per particle and step (rebuilds included);
//   force         force-phase time per listed pair (every listed pair, also
//                 those between r_c and the list radius), and per target
//                 pair within r_c (the pairs that act);
//   rebuild share rebuild time over loop time; force and motion likewise;
//   other         loop time not in the three phases.
//
// --threads T runs every case on T threads (the Threads option; default 1,
// so that figures stay comparable with earlier ones; 0 is the automatic
// rule).  --cells XY Z replaces the thermal case's crystal by XY x XY x Z
// cells (for finding the size from which a second thread pays).
//
// --energy-check runs one step of the perfect 16 x 16 x 10 crystal (static
// lattice, target at rest) and prints the lattice energy per atom from the
// program's own report, for comparison with another code.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "job/program.h"
#include "job/run_driver.h"
#include "core/step_timers.h"
#include "job/user_interface.h"
#include "tools/crystal_builder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Log lines are kept so that a failed job can show why, and so that the
// energy check can read its report.
class BenchInterface : public UserInterface {
public:
    void AppendLogLine(std::string_view text, LogColour) override { Lines.emplace_back(text); }
    void SetStatusText(std::string_view) override {}
    void PlotUpdate(const PlotSnapshot&) override {}
    void PlotReset() override {}
    void ErrorBox(std::string_view text) override { Lines.push_back("[error box] " + std::string(text)); }
    void WarningBox(std::string_view text) override {
        Lines.push_back("[warning box] " + std::string(text));
    }
    bool AskYesNo(std::string_view, QuestionKind) override { return true; }
    void ProcessPendingEvents() override {}
    void Beep() override {}
    void ExpressionError(std::string_view text) override { Lines.emplace_back(text); }
    void RefreshMemoryDisplay() override {}

    std::vector<std::string> Lines;
};

struct BenchCase {
    std::string Name;
    int CellsXY = 16;
    int CellsZ = 10;
    std::string Projectile;  // projectile file line
    double TimestepFs = 1.0;
    bool FixedTimestep = true;
    double MaxTimeFs = 0;  // also the minimum time: every case runs to it
    std::string Impact;    // impact file line
};

// The time limits sit half a step before the last wanted step, so that the
// summed time passes them on that step and no later.
BenchCase ThermalCase(int steps) {
    return {"thermal", 16, 10, "0.050 18 39.948 0 Ar", 1.0, true, steps - 0.5, "1.805 0 8"};
}
BenchCase CascadeCase() {
    return {"cascade", 16, 10, "3.0 18 39.948 0 Ar", 0.04, false, 500.0, "0.45 0.45 5"};
}
BenchCase LargeCase(int steps) {
    return {"large", 50, 20, "0.050 18 39.948 0 Ar", 1.0, true, steps - 0.5, "1.805 0 8"};
}

bool WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Model line 18 (static lattice) set to 1: atoms stay on their sites.
std::string StaticLatticeModel(const std::string& model) {
    std::string out;
    std::istringstream in(model);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 18) line = "1 static lattice" + std::string(line.ends_with('\r') ? "\r" : "");
        out += line + "\n";
    }
    return out;
}

// Writes the five input files of a case into dir; false with a message.
bool WriteJob(const BenchCase& c, const fs::path& dir, const std::string& modelText,
              InputFileSet& files) {
    CrystalSpec spec;
    spec.Cells = {c.CellsXY, c.CellsXY, c.CellsZ};
    spec.Name = "Cu(100) benchmark crystallite";
    std::vector<CrystalAtom> atoms;
    std::string error;
    if (!BuildCrystal(spec, atoms, error)) {
        std::fprintf(stderr, "crystal: %s\n", error.c_str());
        return false;
    }
    files.Projectile = (dir / "bench.prj").string();
    files.Target = (dir / "bench.trg").string();
    files.Model = (dir / "bench.mdl").string();
    files.Run = (dir / "bench.run").string();
    files.Impact = (dir / "bench.imp").string();
    files.Inelastic = (dir / "bench.inl").string();
    char run[512];
    std::snprintf(run, sizeof run,
                  "0 sample mode\n0 sample period\n0 skip recorded\n0 output selection\n"
                  "90 altitude\n0 azimuth\n%.17g timestep (s)\n10 update interval\n"
                  "%.17g %.17g max and min time (fs)\n400 max partners\n\n",
                  c.TimestepFs * 1e-15, c.MaxTimeFs, c.MaxTimeFs);
    if (!WriteTargetFile(files.Target, atoms, spec.Name, error)) {
        std::fprintf(stderr, "target: %s\n", error.c_str());
        return false;
    }
    if (!WriteText(files.Projectile, c.Projectile + "\n") || !WriteText(files.Model, modelText) ||
        !WriteText(files.Run, run) || !WriteText(files.Impact, c.Impact + "\n")) {
        std::fprintf(stderr, "cannot write the job files in %s\n", dir.c_str());
        return false;
    }
    return true;
}

// What one repetition measured.
struct Sample {
    StepTimers Timers;
    double JobSeconds = 0;  // RunJob from start to end, set-up included
    long PeakKb = 0;
    int Ok = 0;
};

// Threads option of every job (--threads).
std::int32_t BenchThreads = 1;

void ConfigureOptions(SimulationOptions& o) {
    o = SimulationOptions{};
    o.NeighbourSearch = false;  // cell index
    o.Verbose = false;
    o.ReportEnergy = false;
    o.ReportInelastic = false;
    o.HotTarget = true;
}

// One repetition, in this process.
Sample RunOnce(const BenchCase& c, const fs::path& dir, const std::string& modelText) {
    Sample sample;
    InputFileSet files;
    if (!WriteJob(c, dir, modelText, files)) return sample;
    BenchInterface ui;
    ProgramContext program(ui);
    ConfigureOptions(program.Options);
    program.Extended.Threads = BenchThreads;
    program.Options.FixedTimestep = c.FixedTimestep;
    program.Timers = &sample.Timers;
    OutputFileSet outputs;
    outputs.InitialConditions = (dir / "inivars.vsk").string();
    outputs.DynamicalVariables = (dir / "dynvars.vsk").string();
    outputs.InelasticEvents = (dir / "inelast.dat").string();

    const auto start = std::chrono::steady_clock::now();
    const JobOutcome outcome = RunJob(program, files, outputs, true);
    sample.JobSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    sample.PeakKb = usage.ru_maxrss;
    sample.Ok = outcome == JobOutcome::Completed && sample.Timers.Steps > 0;
    if (!sample.Ok)
        for (const std::string& line : ui.Lines) std::fprintf(stderr, "%s\n", line.c_str());
    return sample;
}

// One repetition in a child process; the parent reads its figures back.
bool RunInChild(const BenchCase& c, const fs::path& dir, const std::string& modelText,
                Sample& sample) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        close(fds[0]);
        const Sample s = RunOnce(c, dir, modelText);
        const bool written = write(fds[1], &s, sizeof s) == static_cast<ssize_t>(sizeof s);
        close(fds[1]);
        std::fflush(nullptr);
        _exit(written ? 0 : 1);
    }
    close(fds[1]);
    const bool read_ok = read(fds[0], &sample, sizeof sample) == static_cast<ssize_t>(sizeof sample);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return read_ok && WIFEXITED(status) && WEXITSTATUS(status) == 0 && sample.Ok;
}

struct Figure {
    double Median = 0, Min = 0, Max = 0;
};

Figure FigureOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
    return {median, values.front(), values.back()};
}

template <typename F>
Figure FigureOf(const std::vector<Sample>& samples, F value) {
    std::vector<double> values;
    for (const Sample& s : samples) values.push_back(value(s));
    return FigureOf(values);
}

void PrintFigure(const char* label, const Figure& f, const char* unit, double scale, int decimals) {
    std::printf("  %-22s %10.*f %-16s (%.*f .. %.*f)\n", label, decimals, f.Median * scale, unit,
                decimals, f.Min * scale, decimals, f.Max * scale);
}

bool RunCase(const BenchCase& c, int repeat, const fs::path& dir, const std::string& modelText) {
    std::vector<Sample> samples;
    for (int r = 0; r < repeat; ++r) {
        Sample s;
        if (!RunInChild(c, dir, modelText, s)) {
            std::fprintf(stderr, "case %s: the job failed (repetition %d)\n", c.Name.c_str(), r + 1);
            return false;
        }
        samples.push_back(s);
    }
    const StepTimers& t = samples.front().Timers;
    const double particles = static_cast<double>(t.ParticleSteps) / static_cast<double>(t.Steps);
    std::printf("case %s: %.0f particles, threads option %d, %lld steps, %lld rebuilds, %.1f listed "
                "pairs per particle (%.1f within r_c), %d repetition%s\n",
                c.Name.c_str(), particles, BenchThreads, static_cast<long long>(t.Steps),
                static_cast<long long>(t.Rebuilds),
                static_cast<double>(t.ListedPairs) / static_cast<double>(t.ParticleSteps),
                static_cast<double>(t.PairsWithinCutoff) / static_cast<double>(t.ParticleSteps),
                repeat, repeat == 1 ? "" : "s");
    const auto perAtomStep = [](const Sample& s) {
        return s.Timers.LoopSeconds / static_cast<double>(s.Timers.ParticleSteps);
    };
    const auto perPair = [](const Sample& s) {
        return s.Timers.ForceSeconds / static_cast<double>(s.Timers.ListedPairs);
    };
    const auto share = [](double StepTimers::*phase) {
        return [phase](const Sample& s) { return s.Timers.*phase / s.Timers.LoopSeconds; };
    };
    PrintFigure("whole step", FigureOf(samples, perAtomStep), "ns/atom-step", 1e9, 1);
    PrintFigure("force phase", FigureOf(samples, perPair), "ns/listed pair", 1e9, 2);
    PrintFigure("", FigureOf(samples, [](const Sample& s) {
                    return s.Timers.ForceSeconds / static_cast<double>(s.Timers.PairsWithinCutoff);
                }), "ns/pair in r_c", 1e9, 2);
    PrintFigure("force share", FigureOf(samples, share(&StepTimers::ForceSeconds)), "% of loop", 100, 1);
    PrintFigure("rebuild share", FigureOf(samples, share(&StepTimers::RebuildSeconds)), "% of loop", 100, 1);
    PrintFigure("motion share", FigureOf(samples, share(&StepTimers::MotionSeconds)), "% of loop", 100, 1);
    PrintFigure("other share", FigureOf(samples, [](const Sample& s) {
                    const StepTimers& x = s.Timers;
                    return 1.0 - (x.ForceSeconds + x.RebuildSeconds + x.MotionSeconds) / x.LoopSeconds;
                }), "% of loop", 100, 1);
    PrintFigure("loop time", FigureOf(samples, [](const Sample& s) { return s.Timers.LoopSeconds; }),
                "s", 1, 3);
    PrintFigure("job time", FigureOf(samples, [](const Sample& s) { return s.JobSeconds; }), "s", 1, 3);
    PrintFigure("peak memory", FigureOf(samples, [](const Sample& s) { return double(s.PeakKb); }),
                "MB", 1.0 / 1024, 1);
    std::fflush(stdout);
    return true;
}

// The perfect crystal's lattice energy per atom, from the program's report.
bool EnergyCheck(const fs::path& dir, const std::string& modelText) {
    BenchCase c = ThermalCase(1);
    InputFileSet files;
    if (!WriteJob(c, dir, StaticLatticeModel(modelText), files)) return false;
    BenchInterface ui;
    ProgramContext program(ui);
    ConfigureOptions(program.Options);
    program.Options.HotTarget = false;
    program.Options.ReportLatticeEnergy = true;
    OutputFileSet outputs;
    outputs.InitialConditions = (dir / "inivars.vsk").string();
    outputs.DynamicalVariables = (dir / "dynvars.vsk").string();
    outputs.InelasticEvents = (dir / "inelast.dat").string();
    const JobOutcome outcome = RunJob(program, files, outputs, true);
    const std::string prefix = "  Lattice energy: ";
    for (const std::string& line : ui.Lines) {
        if (outcome != JobOutcome::Completed || line.rfind(prefix, 0) != 0) continue;
        const double energy = std::strtod(line.c_str() + prefix.size(), nullptr);
        const int atoms = 4 * c.CellsXY * c.CellsXY * c.CellsZ;
        std::printf("energy check: perfect crystal of %d atoms, lattice energy %.4f eV, "
                    "%.8f eV per atom\n", atoms, energy, energy / atoms);
        return true;
    }
    for (const std::string& line : ui.Lines) std::fprintf(stderr, "%s\n", line.c_str());
    return false;
}

void Usage() {
    std::printf(
        "usage: vantrel-job-bench [--case thermal|cascade|large|all]... [--repeat N]\n"
        "                         [--steps N] [--large-steps N] [--model FILE] [--dir DIR]\n"
        "                         [--threads T] [--cells XY Z] [--energy-check]\n"
        "Runs whole jobs through RunJob and prints, per case, the medians over N\n"
        "repetitions (each in its own process) of: time per atom-step, force-phase time\n"
        "per listed pair, the shares of force phase, rebuild and particle updates in\n"
        "the time loop, and peak memory.  Defaults: --case thermal --case cascade\n"
        "--case large, --repeat 3, --steps 1000 (thermal), --large-steps 20.\n");
}

int Main(int argc, char** argv) {
    std::vector<std::string> cases;
    int repeat = 3, steps = 1000, largeSteps = 20, cellsXY = 0, cellsZ = 0;
    bool energyCheck = false;
    std::string model = std::string(VANTREL_SOURCE_DIR) + "/bench/models/cu_sc_rc7.mdl";
    std::string dirArg;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--case" && hasValue) {
            cases.push_back(argv[++i]);
        } else if (a == "--repeat" && hasValue) {
            repeat = std::atoi(argv[++i]);
        } else if (a == "--steps" && hasValue) {
            steps = std::atoi(argv[++i]);
        } else if (a == "--large-steps" && hasValue) {
            largeSteps = std::atoi(argv[++i]);
        } else if (a == "--model" && hasValue) {
            model = argv[++i];
        } else if (a == "--dir" && hasValue) {
            dirArg = argv[++i];
        } else if (a == "--threads" && hasValue) {
            BenchThreads = std::atoi(argv[++i]);
        } else if (a == "--cells" && i + 2 < argc) {
            cellsXY = std::atoi(argv[++i]);
            cellsZ = std::atoi(argv[++i]);
        } else if (a == "--energy-check") {
            energyCheck = true;
        } else if (a == "-h" || a == "--help") {
            Usage();
            return 0;
        } else {
            Usage();
            return 2;
        }
    }
    if (BenchThreads < 0 || BenchThreads > MaxThreads || cellsXY < 0 || cellsZ < 0) {
        std::fprintf(stderr, "--threads takes 0 to %d, --cells positive counts\n", MaxThreads);
        return 2;
    }
    if (repeat < 1 || steps < 1 || largeSteps < 1) {
        std::fprintf(stderr, "--repeat, --steps and --large-steps take positive counts\n");
        return 2;
    }
    if (cases.empty() && !energyCheck) cases = {"thermal", "cascade", "large"};
    if (std::find(cases.begin(), cases.end(), "all") != cases.end())
        cases = {"thermal", "cascade", "large"};

    const std::string modelText = ReadText(model);
    if (modelText.empty()) {
        std::fprintf(stderr, "cannot read the model file %s\n", model.c_str());
        return 1;
    }
    fs::path dir;
    bool removeDir = false;
    if (dirArg.empty()) {
        std::string pattern = (fs::temp_directory_path() / "vantrel-job-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::fprintf(stderr, "cannot create a scratch folder\n");
            return 1;
        }
        dir = pattern;
        removeDir = true;
    } else {
        dir = dirArg;
        std::error_code ec;
        fs::create_directories(dir, ec);
    }

    bool ok = true;
    if (energyCheck) ok = EnergyCheck(dir, modelText) && ok;
    for (const std::string& name : cases) {
        if (name == "thermal") {
            BenchCase c = ThermalCase(steps);
            if (cellsXY > 0 && cellsZ > 0) c.CellsXY = cellsXY, c.CellsZ = cellsZ;
            ok = RunCase(c, repeat, dir, modelText) && ok;
        }
        else if (name == "cascade")
            ok = RunCase(CascadeCase(), repeat, dir, modelText) && ok;
        else if (name == "large")
            ok = RunCase(LargeCase(largeSteps), repeat, dir, modelText) && ok;
        else {
            std::fprintf(stderr, "unknown case %s\n", name.c_str());
            ok = false;
        }
    }
    if (removeDir) {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) { return vantrel::Main(argc, argv); }
