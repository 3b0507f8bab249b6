// vantrel-spline: the joining-spline coefficients of one pair category, or
// the example model files.
//
//   vantrel-spline --examples DIR
//   vantrel-spline --potential sc|tb --energy EV --length A --repulsive N
//                  --density-exponent M [--weight D] --za Z [--zb Z]
//                  [--screening 0|1|2] [--factor F] --low A --high A
//                  [--density-join step|smooth --strength C]
//
// Energies in eV, lengths in A, as in the model file; --energy is the pair
// prefactor of this program's forms (Sutton-Chen eps; Tight-Binding 2A when
// A is the per-atom form's).  Prints c0 c1 c2 c3 (SI) ready for lines 30-32
// of a model file.  Exit status: 0 fitted and monotonic, 1 fitted but the
// cubic rises somewhere between the joins, 2 bad arguments or file error.
//
// --density-join smooth: the model will taper the density to 0 from r(hi)
// down to r(lo) (potential type 10 or 11).  The cubic is the same fit (the
// taper leaves the pair term and both joins alone), but inside the region
// the energy now holds the tapered embedding energy as well; the tool checks
// the worst case for a well of the taper's own, two atoms alone (E = p(r) -
// 2 sqrt(T f), the square root steepest at the smallest density), with the
// density strength C of line 11 (Sutton-Chen c; Tight-Binding xi in eV).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include "io/example_models.h"
#include "io/input_file.h"
#include "core/spline_fit.h"
#include "core/version.h"

namespace {

using namespace vantrel;

constexpr double EvPerAngstromPerJoulePerMetre = EvPerJoule * MetresPerAngstrom;

constexpr const char* UsageText =
    "usage: vantrel-spline --examples DIR\n"
    "       vantrel-spline --potential sc|tb --energy EV --length A --repulsive N\n"
    "                      --density-exponent M [--weight D] --za Z [--zb Z]\n"
    "                      [--screening 0|1|2] [--factor F] --low A --high A\n"
    "                      [--density-join step|smooth --strength C]\n"
    "       vantrel-spline --help | --version\n";

int Usage() {
    std::fputs(UsageText, stderr);
    return 2;
}

int WriteExamples(const std::string& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    int status = 0;
    for (const ExampleModel& example : ExampleModels()) {
        const std::filesystem::path path = std::filesystem::path(dir) / example.FileName;
        std::ofstream out(path, std::ios::binary);
        out << ModelFileText(example.Description);
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
            return 2;
        }
        std::printf("%s%s\n", path.string().c_str(),
                    example.SplinesDecreasing ? "" : "  (spline not monotonic)");
        if (!example.SplinesDecreasing) status = 1;
    }
    return status;
}

bool Real(const std::map<std::string, std::string>& args, const char* key, double& value,
          bool required) {
    const auto it = args.find(key);
    if (it == args.end()) return !required;
    return ParseRealToken(it->second, value);
}

bool Integer(const std::map<std::string, std::string>& args, const char* key,
             std::int32_t& value, bool required) {
    const auto it = args.find(key);
    if (it == args.end()) return !required;
    return ParseIntegerToken(it->second, value);
}

int FitOne(const std::map<std::string, std::string>& args) {
    const auto potential = args.find("--potential");
    if (potential == args.end() || (potential->second != "sc" && potential->second != "tb"))
        return Usage();
    JoiningSplineRequest q;
    q.Pair.PotentialType = potential->second == "sc" ? 0 : 1;
    double energy = 0, length = 0, low = 0, high = 0, factor = 1.0;
    std::int32_t code = 0;
    q.Zb = -1;
    if (!Real(args, "--energy", energy, true) || !Real(args, "--length", length, true) ||
        !Real(args, "--repulsive", q.Pair.Repulsive, true) ||
        !Real(args, "--density-exponent", q.Pair.DensityExponent, true) ||
        !Real(args, "--weight", q.Pair.AttractiveWeight, false) ||
        !Integer(args, "--za", q.Za, true) || !Integer(args, "--zb", q.Zb, false) ||
        !Integer(args, "--screening", code, false) || !Real(args, "--factor", factor, false) ||
        !Real(args, "--low", low, true) || !Real(args, "--high", high, true))
        return Usage();
    if (q.Zb < 0) q.Zb = q.Za;
    q.Pair.Energy = energy * JoulesPerEvInput;
    q.Pair.Length = length * MetresPerAngstrom;
    q.LowRadius = low * MetresPerAngstrom;
    q.HighRadius = high * MetresPerAngstrom;
    q.Function = ScreeningFunctionOfCode(code);
    if (!(q.Za >= 1 && q.Zb >= 1 && factor > 0.0 && low >= 1.0 && low < high)) {
        std::fprintf(stderr, "need Z >= 1, a positive factor and 1 A <= low < high\n");
        return 2;
    }
    // The Moliere function of a mixed pair takes species A's length.
    const std::int32_t zb = code == 0 ? q.Zb : q.Za;
    if (!ScreeningLength(code, q.Za, zb, factor, q.ScreeningLength)) {
        std::fprintf(stderr, "screening must be 0, 1 or 2\n");
        return 2;
    }
    const auto join = args.find("--density-join");
    const bool smooth = join != args.end() && join->second == "smooth";
    if (join != args.end() && !smooth && join->second != "step") return Usage();
    if (smooth) {
        if (!Real(args, "--strength", q.Pair.DensityStrength, true)) return Usage();
        if (q.Pair.PotentialType != 0) q.Pair.DensityStrength *= JoulesPerEvInput;
    }
    const JoiningSpline spline = FitJoiningSpline(q);
    const SplineCoefficients& c = spline.Coefficients;
    std::printf("%.17g %.17g %.17g %.17g\n", c[0], c[1], c[2], c[3]);
    if (!spline.Decreasing) {
        std::printf("Warning: the spline is not monotonically decreasing: slope %+.4g eV/A at "
                    "r = %.4f A.  Choose other joining radii.\n",
                    spline.LargestSlope * EvPerAngstromPerJoulePerMetre,
                    spline.LargestSlopeRadius * AngstromPerMetre);
        return 1;
    }
    if (smooth) {
        const TaperedDimer dimer = CheckTaperedDimer(q, c);
        std::printf("Density join: potential type %d; two atoms alone reach %.4f eV at r = %.4f A "
                    "(the N-body pair alone %.4f eV)\n",
                    q.Pair.PotentialType + 10, dimer.Lowest * EvPerJoule,
                    dimer.LowestRadius * AngstromPerMetre, dimer.NBodyLowest * EvPerJoule);
        if (!dimer.Acceptable) {
            std::printf("Warning: with the tapered density two atoms find a well of the taper's "
                        "own in the joining region (%s).  Choose other joining radii.\n",
                        dimer.SingleMinimum ? "deeper than the N-body pair's"
                                            : "the energy rises and falls again");
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("vantrel-spline %s\n", std::string(ProgramVersion()).c_str());
        return 0;
    }
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (argc == 3 && std::string_view(argv[1]) == "--examples") return WriteExamples(argv[2]);
    std::map<std::string, std::string> args;
    for (int i = 1; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
    if (argc < 2 || argc % 2 == 0) return Usage();
    return FitOne(args);
}
