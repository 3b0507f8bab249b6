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
// than dropping parameters the user wrote.  The reader only reads and
// judges: switching a model off and adjusting the OR and ST radii are the
// job's, and happen only for a file that was accepted.
#include "io/inelastic_file.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "core/number_text.h"
#include "core/units.h"
#include "io/input_file.h"

namespace vantrel {

namespace {

constexpr double LssCoefficientFactor = 1.602192e-14;
constexpr double OrCoefficientFactor = 1.602192e-39 / (2.0 * std::numbers::pi);

// The record being filled and the tables that overflowed.
struct InelasticRead : InelasticFileRead {
    bool TooManyLss = false, TooManyOr = false, TooManySt = false;
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
        const std::int32_t key = in.ReadInteger("key");
        const double a = in.ReadReal("a");
        const double b = in.ReadReal("b");
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
    std::int32_t remaining = in.ReadInteger("LSS count");
    in.SkipLine();
    r.TooManyLss =
        ReadCoefficientLines(in, remaining, v.LssTable, v.LssCount, LssCoefficientFactor);
    v.LssSpeedThreshold = in.ReadReal("LSS speed threshold");
    in.SkipLine();
}

void ReadOr(InputFile& in, InelasticRead& r) {
    InelasticParameters& v = r.Values;
    in.SkipLine();
    std::int32_t remaining = in.ReadInteger("OR count");
    in.SkipLine();
    r.TooManyOr = ReadCoefficientLines(in, remaining, v.OrTable, v.OrCount, OrCoefficientFactor);
    r.OrRadius = in.ReadReal("OR radius") * MetresPerAngstrom;
    in.SkipLine();
    v.OrScreeningCoefficient = in.ReadReal("OR screening coefficient");
    in.SkipLine();
}

void ReadSt(InputFile& in, InelasticRead& r) {
    InelasticParameters& v = r.Values;
    in.SkipLine();
    std::int32_t remaining = in.ReadInteger("ST count");
    in.SkipLine();
    while (MoreLines(in, remaining)) {
        const std::int32_t key = in.ReadInteger("key");
        const double radius = in.ReadReal("ST radius");
        const double energy = in.ReadReal("ST energy");
        const std::int32_t order = in.ReadInteger("ST order");
        const double value = in.ReadReal("ST value");
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
    r.CoolingPeriodFs = in.ReadReal("cooling period");
    in.SkipLine();
    r.Values.CoolingGoal = in.ReadReal("cooling goal");
    in.SkipLine();
    r.CoolingStartFs = in.ReadReal("cooling start");
    r.CoolingEndFs = in.ReadReal("cooling end");
    in.SkipLine();
    r.Values.CoolingPeriod = r.CoolingPeriodFs * SecondsPerFemtosecond;
    r.Values.CoolingStart = r.CoolingStartFs * SecondsPerFemtosecond;
    r.Values.CoolingEnd = r.CoolingEndFs * SecondsPerFemtosecond;
}

void ReadImage(InputFile& in, InelasticRead& r) {
    InelasticParameters& v = r.Values;
    in.SkipLine();
    const double energyEv = in.ReadReal("image energy");
    in.SkipLine();
    const double distanceA = in.ReadReal("image distance");
    in.SkipLine();
    v.ImageEnergy = energyEv * JoulesPerEvInput;
    v.ImageDistance = distanceA * MetresPerAngstrom;
    // An energy of 0 gives an infinite softening length: the image force is
    // then 0 everywhere, which is what a null energy means.
    v.ImageLengthSquare = v.ImageEnergy != 0.0 ? std::pow(CoulombConstant / v.ImageEnergy, 2)
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
    for (int i = 0; i < v.LssCount; ++i)
        finite = finite && std::isfinite(v.LssTable[i].LssCoefficient);
    for (int i = 0; i < v.OrCount; ++i)
        finite = finite && std::isfinite(v.OrTable[i].OrCoefficient);
    for (int i = 0; i < v.StCount; ++i) finite = finite && std::isfinite(v.StTable[i].StEnergy);
    return finite;
}

void ReportTooMany(ReaderMessages& messages, bool tooMany, const char* table) {
    if (!tooMany) return;
    messages.push_back(ErrorLine(std::string("  Error: more than ") +
                                 IntegerText(InelasticTableSize) + " " + table +
                                 " entries in INL file"));
}

}  // namespace

InelasticFileRead ParseInelasticFile(std::string_view name, const SimulationOptions& options) {
    InelasticRead r;
    ReaderMessages& messages = r.Messages;
    InputFile in(name);
    if (!in.Opened() || in.AtEnd()) {
        messages.push_back(ErrorBoxMessage("Inelastic file not found: " + std::string(name)));
        r.Failure = in.FirstFailure();
        return r;
    }
    in.SkipLine();  // heading
    ReadLss(in, r);
    ReadOr(in, r);
    ReadSt(in, r);
    if (options.UseCooling) ReadCooling(in, r);
    if (options.UseImagePotential) ReadImage(in, r);
    in.Close();
    r.Failure = in.FirstFailure();

    ReportTooMany(messages, r.TooManyLss, "LSS");
    ReportTooMany(messages, r.TooManyOr, "OR");
    ReportTooMany(messages, r.TooManySt, "ST");
    if (in.Failed() || r.TooManyLss || r.TooManyOr || r.TooManySt || !AllFinite(r)) return r;
    r.Ok = true;

    const InelasticParameters& v = r.Values;
    if (v.LssCount == 0 && options.UseLSS)
        messages.push_back(
            ErrorLine("  Warning: LSS option disabled (null parameters in INL file)"));
    if (v.OrCount == 0 && options.UseOR)
        messages.push_back(
            ErrorLine("  Warning: Oen-Rob. option disabled (null parameters in INL file)"));
    if (v.StCount == 0 && options.UseST)
        messages.push_back(
            ErrorLine("  Warning: ST inelastic option disabled (null parameters in INL file)"));
    r.CoolingReportAt = messages.size();
    if (options.UseImagePotential && !(v.ImageEnergy > 0.0 && v.ImageDistance > 0.0))
        messages.push_back(ErrorLine("   Error in image potential parameters in INL file."));
    return r;
}

}  // namespace vantrel
