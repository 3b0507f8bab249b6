// Inelastic parameter file (*.inl).  Blocks follow one another; a free line
// is skipped whatever it holds.  Every value line is skipped after its values.
//
//   block    lines  values                                  kept / stored as
//   heading  1      free line
//   LSS      1      integer N
//            N      integer Z, real a, real b               Z > 0, a != 0, b != 0:
//                                                           LssCoefficient = a b 1.602192e-14
//            1      real                                    LssSpeedThreshold, as written
//   OR       1      free line
//            1      integer N
//            N      integer key (Z_i Z_j), real a, real b   key > 0, a != 0, b != 0:
//                                                           OrCoefficient = a b 1.602192e-39 / 2 pi
//            1      real, A                                 OR radius: lowers OrRadiusSquare
//            1      real                                    OrScreeningCoefficient, as written
//   ST       1      free line
//            1      integer N
//            N      integer key (Z_i Z_j), real radius (A), key, radius, energy, order,
//                   real energy (eV), integer order,        value all > 0: StRadius (m),
//                   real value                              StEnergy (J), StOrder, StValue
//   cooling  1      free line                               only when UseCooling is set
//            1      real, fs                                CoolingPeriod (s)
//            1      real, K                                 CoolingGoal
//            1      two reals, fs                           CoolingStart, CoolingEnd (s)
//   image    1      free line                               only when UseImagePotential is set
//            1      real, eV                                ImageEnergy (J)
//            1      real, A                                 ImageDistance (m)
//
// The counts N are not checked, but each table keeps at most 10 entries: a
// file that keeps more is rejected with a red line naming the table, rather
// than dropping parameters the user wrote.  The whole file is read before
// anything is applied, so a rejected file leaves the job's tables, the
// option block and the process-wide OR and ST radii as they were.
#include "job/inelastic_file.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "job/log.h"
#include "core/number_text.h"
#include "io/input_file.h"

namespace vantrel {

namespace {

constexpr double LssCoefficientFactor = 1.602192e-14;
constexpr double OrCoefficientFactor = 1.602192e-39 / (2.0 * std::numbers::pi);
constexpr double StRadiusMargin = 5.0e-11;  // m, added to the largest ST radius

// Everything the file says, before any of it is applied.
struct InelasticRead {
    InelasticParameters Values;
    double OrRadius = 0;  // m
    double LargestStRadius = 0;  // m
    bool TooManyLss = false, TooManyOr = false, TooManySt = false;
    double CoolingPeriodFs = 0, CoolingStartFs = 0, CoolingEndFs = 0;
    double ImageEnergyEv = 0, ImageDistanceA = 0;
};

// Table lines remaining to read.  Past the end of the file every line would
// read as zeros, which no table keeps, so a huge count stops there.
bool MoreLines(InputFile& in, std::int32_t& remaining) {
    if (remaining <= 0 || in.Failed() || in.AtEnd()) return false;
    --remaining;
    return true;
}

// The "key a b" lines of an LSS or OR block.  A line with a key of 0 or
// below, or a factor of 0, is skipped; a kept line stores {key, a b factor}.
// True when the block keeps more lines than the table holds: the excess is
// read but never stored.
template <typename Entry>
bool ReadCoefficientLines(InputFile& in, std::int32_t remaining,
                          std::array<Entry, InelasticTableSize>& table, int& count, double factor) {
    bool tooMany = false;
    while (MoreLines(in, remaining)) {
        const std::int32_t key = in.ReadInteger();
        const double a = in.ReadReal();
        const double b = in.ReadReal();
        in.SkipLine();
        if (key <= 0 || a == 0.0 || b == 0.0) continue;
        if (count == InelasticTableSize) {
            tooMany = true;
            continue;
        }
        table[count++] = {key, a * b * factor};
    }
    return tooMany;
}

void ReadLss(InputFile& in, InelasticRead& r) {
    InelasticParameters& v = r.Values;
    std::int32_t remaining = in.ReadInteger();
    in.SkipLine();
    r.TooManyLss = ReadCoefficientLines(in, remaining, v.LssTable, v.LssCount, LssCoefficientFactor);
    v.LssSpeedThreshold = in.ReadReal();
    in.SkipLine();
}

void ReadOr(InputFile& in, InelasticRead& r) {
    InelasticParameters& v = r.Values;
    in.SkipLine();
    std::int32_t remaining = in.ReadInteger();
    in.SkipLine();
    r.TooManyOr = ReadCoefficientLines(in, remaining, v.OrTable, v.OrCount, OrCoefficientFactor);
    r.OrRadius = in.ReadReal() * MetresPerAngstrom;
    in.SkipLine();
    v.OrScreeningCoefficient = in.ReadReal();
    in.SkipLine();
}

void ReadSt(InputFile& in, InelasticRead& r) {
    InelasticParameters& v = r.Values;
    in.SkipLine();
    std::int32_t remaining = in.ReadInteger();
    in.SkipLine();
    while (MoreLines(in, remaining)) {
        const std::int32_t key = in.ReadInteger();
        const double radius = in.ReadReal();
        const double energy = in.ReadReal();
        const std::int32_t order = in.ReadInteger();
        const double value = in.ReadReal();
        in.SkipLine();
        if (key <= 0 || !(radius > 0.0) || !(energy > 0.0) || order <= 0 || !(value > 0.0))
            continue;
        if (v.StCount == InelasticTableSize) {
            r.TooManySt = true;
            continue;
        }
        StEntry& entry = v.StTable[v.StCount++];
        entry.AtomicNumber = key;
        entry.StRadius = radius * MetresPerAngstrom;
        entry.StEnergy = energy * JoulesPerEvInput;
        entry.StOrder = order;
        entry.StValue = value;
        if (entry.StRadius > r.LargestStRadius) r.LargestStRadius = entry.StRadius;
    }
}

void ReadCooling(InputFile& in, InelasticRead& r) {
    in.SkipLine();
    r.CoolingPeriodFs = in.ReadReal();
    in.SkipLine();
    r.Values.CoolingGoal = in.ReadReal();
    in.SkipLine();
    r.CoolingStartFs = in.ReadReal();
    r.CoolingEndFs = in.ReadReal();
    in.SkipLine();
    r.Values.CoolingPeriod = r.CoolingPeriodFs * SecondsPerFemtosecond;
    r.Values.CoolingStart = r.CoolingStartFs * SecondsPerFemtosecond;
    r.Values.CoolingEnd = r.CoolingEndFs * SecondsPerFemtosecond;
}

void ReadImage(InputFile& in, InelasticRead& r) {
    InelasticParameters& v = r.Values;
    in.SkipLine();
    r.ImageEnergyEv = in.ReadReal();
    in.SkipLine();
    r.ImageDistanceA = in.ReadReal();
    in.SkipLine();
    v.ImageEnergy = r.ImageEnergyEv * JoulesPerEvInput;
    v.ImageDistance = r.ImageDistanceA * MetresPerAngstrom;
    // An energy of 0 gives an infinite softening length: the image force is
    // then 0 everywhere, which is what a null energy means.
    v.ImageLengthSquare = v.ImageEnergy != 0.0
                              ? std::pow(CoulombConstant / v.ImageEnergy, 2)
                              : std::numeric_limits<double>::infinity();
}

// Products of huge values (a b, radius squared) can overflow even though
// every number converted: such a file is as unusable as a misspelt one.
bool AllFinite(const InelasticRead& r) {
    const InelasticParameters& v = r.Values;
    bool finite = std::isfinite(v.LssSpeedThreshold) && std::isfinite(v.OrScreeningCoefficient) &&
                  std::isfinite(r.OrRadius * r.OrRadius) &&
                  std::isfinite((r.LargestStRadius + StRadiusMargin) *
                                (r.LargestStRadius + StRadiusMargin)) &&
                  std::isfinite(v.CoolingPeriod) && std::isfinite(v.CoolingGoal) &&
                  std::isfinite(v.CoolingStart) && std::isfinite(v.CoolingEnd) &&
                  std::isfinite(v.ImageEnergy) && std::isfinite(v.ImageDistance);
    for (int i = 0; i < v.LssCount; ++i) finite = finite && std::isfinite(v.LssTable[i].LssCoefficient);
    for (int i = 0; i < v.OrCount; ++i) finite = finite && std::isfinite(v.OrTable[i].OrCoefficient);
    for (int i = 0; i < v.StCount; ++i) finite = finite && std::isfinite(v.StTable[i].StEnergy);
    return finite;
}

void ReportTooMany(UserInterface& ui, bool tooMany, const char* table) {
    if (!tooMany) return;
    LogLine(ui,
            std::string("  Error: more than ") + IntegerText(InelasticTableSize) + " " + table +
                " entries in INL file",
            ColourRed);
}

}  // namespace

bool ReadInelasticFile(SimulationState& s, std::string_view name) {
    UserInterface& ui = s.Ui();
    SimulationOptions& options = s.Program.Options;

    InputFile in(name);
    if (!in.Opened() || in.AtEnd()) {
        ShowError(ui, "Inelastic file not found: " + std::string(name));
        return false;
    }
    InelasticRead r;
    in.SkipLine();  // heading
    ReadLss(in, r);
    ReadOr(in, r);
    ReadSt(in, r);
    if (options.UseCooling) ReadCooling(in, r);
    if (options.UseImagePotential) ReadImage(in, r);
    in.Close();

    ReportTooMany(ui, r.TooManyLss, "LSS");
    ReportTooMany(ui, r.TooManyOr, "OR");
    ReportTooMany(ui, r.TooManySt, "ST");
    if (in.Failed() || r.TooManyLss || r.TooManyOr || r.TooManySt || !AllFinite(r)) return false;

    const InelasticParameters& v = r.Values;
    if (v.LssCount == 0 && options.UseLSS) {
        LogLine(ui, "  Warning: LSS option disabled (null parameters in INL file)", ColourRed);
        options.UseLSS = false;
    }
    // The OR radius is only ever lowered while the program runs.  A radius of
    // 0 or less would switch OR off for good, so it is not taken.
    const double orRadiusSquare = r.OrRadius * r.OrRadius;
    if (r.OrRadius > 0.0 && orRadiusSquare < s.Program.OrRadiusSquare)
        s.Program.OrRadiusSquare = orRadiusSquare;
    if (v.OrCount == 0 && options.UseOR) {
        LogLine(ui, "  Warning: Oen-Rob. option disabled (null parameters in INL file)", ColourRed);
        options.UseOR = false;
    }
    // A file without ST entries says nothing about the ST radius; taking its
    // "largest radius" of 0 would shrink the capture radius for later jobs.
    if (v.StCount > 0 && r.LargestStRadius * r.LargestStRadius < s.Program.StRadiusSquare) {
        const double radius = r.LargestStRadius + StRadiusMargin;
        s.Program.StRadiusSquare = radius * radius;
    }
    if (v.StCount == 0 && options.UseST) {
        LogLine(ui, "  Warning: ST inelastic option disabled (null parameters in INL file)",
                ColourRed);
        options.UseST = false;
    }
    if (options.UseCooling) {
        LogLine(ui, "  Cooling goal = " + FormatRealFlexible(3, v.CoolingGoal) + "K", ColourBlack);
        LogLine(ui, "  Cooling period = " + FormatRealFlexible(3, r.CoolingPeriodFs) + "fs",
                ColourBlack);
        LogLine(ui, "  Cooling starts at " + FormatRealFlexible(3, r.CoolingStartFs) + "fs",
                ColourBlack);
        LogLine(ui, "  Cooling stops at " + FormatRealFlexible(3, r.CoolingEndFs) + "fs",
                ColourBlack);
    }
    if (options.UseImagePotential && !(v.ImageEnergy > 0.0 && v.ImageDistance > 0.0))
        LogLine(ui, "   Error in image potential parameters in INL file.", ColourRed);

    s.Inelastic = v;
    return true;
}

}  // namespace vantrel
