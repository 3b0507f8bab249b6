// Model file (*.mdl): one logical value or group per line, each followed by
// an optional free label.  Per-pair values come in the order AA, BB, AB.
//
//   line  values    unit in file      field
//    1    integer   -                 ProjectileScreeningCode (0 universal, 1 Lindhard, 2 Firsov)
//    2    real      -                 ProjectileScreeningFactor (multiplies the length)
//    3    integer   -                 TargetScreeningCode
//    4    real      -                 TargetScreeningFactor
//    5    integer   -                 PotentialType (0 Sutton-Chen, otherwise Tight-Binding)
//    6    3 reals   eV                PairEnergy (eps or A)                  x 1.602192e-19 -> J
//    7    3 reals   A                 PairLength (a or r0)                   x 1e-10 -> m
//    8    3 reals   -                 RepulsiveExponent (n or p)
//    9    3 reals   -                 DensityExponent (m or q)
//   10    3 reals   -                 AttractiveWeight (d)
//   11    3 reals   - or eV           DensityStrength (c, or xi in eV for Tight-Binding -> J)
//   12    3 reals   -                 Reserved, not used
//   13    real      A                 SplineLowRadius r_lo                   -> m
//   14    real      A                 SplineHighRadius r_hi                  -> m
//   15    real      A                 CutoffRadius r_c                       -> m
//   16    integer   -                 UseSwitching (non-zero = on)
//   17    real      A                 SwitchRadius r_sw                      -> m
//   18    integer   -                 StaticLattice (0 = thermal displacements)
//   19    real      amu               mass of the target element, checked against atom 1
//   20    real      K                 TargetTemperature
//   21-23 -         -                 free lines, skipped
//   24    real      eV                SurfaceBarrier                         -> J
//   25    real      eV                SideBarrier                            -> J
//   26    real      eV                TerminationEnergy                      -> J
//   27    integer   -                 ProjectileOnlyTest (non-zero = on)
//   28    3 reals   A^2               MsdBulkA, MsdSurfaceNormalA, MsdSurfaceInPlaneA
//   29    3 reals   A^2               MsdBulkB, MsdSurfaceNormalB, MsdSurfaceInPlaneB
//   30-32 4 reals   J, J/m, J/m^2, J/m^3   SplineCoefficients c0..c3 of AA, BB, AB
//
// Any failed read (missing file aside) gives the one message "Format error
// in <name>." once the whole file has been read.  After reading, the model
// must keep every look-up inside the tables (1 A <= r_lo <= r_hi < r_c <=
// 20 A, for both potential forms), have positive screening factors and give
// finite table entries; Sutton-Chen tables are also compared with the exact
// forms (0.001 eV/A).
#include "job/model_file.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>

#include "job/log.h"
#include "core/number_text.h"
#include "core/screening.h"
#include "job/state_views.h"
#include "io/input_file.h"
#include "core/potential_forms.h"

namespace vantrel {

namespace {

constexpr double MassTolerance = 0.1;          // amu between target and model file
constexpr double TableLowLimit = 1.0e-10;      // m, first table entry
constexpr double TableHighLimit = 2.0e-9;      // m, last table entry
constexpr double PrecisionLimit = 0.001;       // eV/A
constexpr double PrecisionScale = 6.241449214576030838e8;  // (J/m) -> (eV/A)
constexpr double PrecisionStep = 1.0e-11;      // m between compared points
constexpr double PrecisionStartOffset = 1.0e-12;  // m past the range start
constexpr double DensityCheckEndMargin = 2.0e-11;  // m before r_c
constexpr double SplineCheckEndMargin = 1.0e-11;   // m before r_hi

const char* const PrecisionHint = "\rCheck your parameters, or report error to the author.";

double ReadLineReal(InputFile& in) {
    const double value = in.ReadReal();
    in.SkipLine();
    return value;
}

std::int32_t ReadLineInteger(InputFile& in) {
    const std::int32_t value = in.ReadInteger();
    in.SkipLine();
    return value;
}

PairValues ReadLineTriple(InputFile& in, double scale) {
    PairValues values{};
    for (int t = AA; t <= AB; ++t) values[t] = in.ReadReal() * scale;
    in.SkipLine();
    return values;
}

// General number format with 5 significant digits: 0.10167, 1.2346E-5.
std::string FormatGeneral5(double x) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.5G", x);
    return CompactExponent(buffer);
}

float TableEntry(double value) {
    // Out-of-range values become infinities rather than undefined conversions;
    // the finiteness check then rejects the model.
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(value);
}

// Screening lengths of both pair families; logs the code errors.
bool ComputeScreeningLengths(SimulationState& s) {
    ModelParameters& m = s.Model;
    const ParticleTable& p = s.Particles;
    const std::int32_t z0 = p.AtomicNumber[0];
    const std::int32_t z1 = p.AtomicNumber[1];
    const std::int32_t zn = p.AtomicNumber[p.AtomCount];
    const bool projectileIsB = (p.Flags[0] & TypeB) != 0;
    UserInterface& ui = s.Ui();

    bool ok = true;
    const std::int32_t pc = m.ProjectileScreeningCode;
    const double pf = m.ProjectileScreeningFactor;
    PairValues& pl = m.ProjectileScreeningLength;
    if (!(ScreeningLength(pc, z0, z1, pf, pl[AA]) && ScreeningLength(pc, z0, zn, pf, pl[BB]) &&
          ScreeningLength(pc, z0, projectileIsB ? z1 : zn, pf, pl[AB]))) {
        LogLine(ui, "  Error in heteronuclear screening length.", ColourRed);
        ok = false;
    } else if (!(pf > 0.0)) {
        LogLine(ui, "  Error in heteronuclear screening length: factor must be positive.",
                ColourRed);
        ok = false;
    }

    const std::int32_t tc = m.TargetScreeningCode;
    const double tf = m.TargetScreeningFactor;
    PairValues& tl = m.TargetScreeningLength;
    if (!(ScreeningLength(tc, z1, z1, tf, tl[AA]) && ScreeningLength(tc, zn, zn, tf, tl[BB]) &&
          ScreeningLength(tc, z1, zn, tf, tl[AB]))) {
        LogLine(ui, "  Error in homonuclear screening length.", ColourRed);
        ok = false;
    } else if (!(tf > 0.0)) {
        LogLine(ui, "  Error in homonuclear screening length: factor must be positive.",
                ColourRed);
        ok = false;
    }
    return ok;
}

// Asks the self-bombardment questions; false when the user declines.
bool ConfirmProjectileSpecies(SimulationState& s) {
    const ParticleTable& p = s.Particles;
    const std::int32_t z0 = p.AtomicNumber[0];
    const std::int32_t z1 = p.AtomicNumber[1];
    const std::int32_t zn = p.AtomicNumber[p.AtomCount];
    const bool projectileIsB = (p.Flags[0] & TypeB) != 0;
    UserInterface& ui = s.Ui();

    if (s.Options().SelfBombard) {
        if ((!projectileIsB && z0 != z1) || (projectileIsB && z0 != zn))
            return ui.AskYesNo(
                "Projectile Z not consistent with self-bombardment option. Proceed anyway?",
                QuestionKind::Warning);
    } else if (z0 == z1 || z0 == zn) {
        return ui.AskYesNo(
            "Self-bombardment not specified, but projectile Z = target Z.\r Proceed anyway?",
            QuestionKind::Warning);
    }
    return true;
}

}  // namespace

namespace {

struct TableValues {
    double Density = 0;       // S f
    double DensityForce = 0;  // (S f' + S' f) / r
    double PairForce = 0;     // -(S phi' + S' phi) / r, the spline's below r_hi
};

// What the three tables of one pair category hold at r.
TableValues TableValuesAt(const ModelParameters& model, const PairParameters& p,
                          const SwitchingRange& range, const SplineCoefficients& spline,
                          double r) {
    TableValues v;
    if (r <= model.SplineHighRadius) {
        v.PairForce = -SplineSlope(spline, r) / r;
        return v;
    }
    const double s = Switching(range, r);
    const double sSlope = SwitchingSlope(range, r);
    v.PairForce = -(s * PairPotentialSlope(p, r) + sSlope * PairPotential(p, r)) / r;
    if (r <= model.CutoffRadius) {
        const double f = DensityFunction(p, r);
        v.Density = s * f;
        v.DensityForce = (s * DensityFunctionSlope(p, r) + sSlope * f) / r;
    }
    return v;
}

TableValues TableValuesAt(const ModelParameters& model, PairType t, double r) {
    return TableValuesAt(model, PairParametersOf(model, t), SwitchingRangeOf(model),
                         model.SplineCoefficients[t], r);
}

}  // namespace

double ExactDensity(const ModelParameters& model, PairType t, double r) {
    return TableValuesAt(model, t, r).Density;
}

double ExactDensityForce(const ModelParameters& model, PairType t, double r) {
    return TableValuesAt(model, t, r).DensityForce;
}

double ExactPairForce(const ModelParameters& model, PairType t, double r) {
    return TableValuesAt(model, t, r).PairForce;
}

void BuildPotentialTables(const ModelParameters& model, PotentialTables& tables) {
    const SwitchingRange range = SwitchingRangeOf(model);
    for (int t = AA; t <= AB; ++t) {
        const PairParameters p = PairParametersOf(model, static_cast<PairType>(t));
        const SplineCoefficients& spline = model.SplineCoefficients[t];
        // One spare zero entry after k = 50000 (a look-up at exactly 20 A).
        std::vector<float>& density = tables.Density[t];
        std::vector<float>& densityForce = tables.DensityForce[t];
        std::vector<float>& pairForce = tables.PairForce[t];
        density.assign(TableEntries + 1, 0.0f);
        densityForce.assign(TableEntries + 1, 0.0f);
        pairForce.assign(TableEntries + 1, 0.0f);
        for (int k = TableFirstIndex; k <= TableLastIndex; ++k) {
            const double r = k * TableStep;
            const int position = k - TableFirstIndex;
            const TableValues v = TableValuesAt(model, p, range, spline, r);
            density[position] = TableEntry(v.Density * DensityTableScale);
            densityForce[position] = TableEntry(v.DensityForce);
            pairForce[position] = TableEntry(v.PairForce);
        }
    }
    tables.Density[0].clear();
    tables.DensityForce[0].clear();
    tables.PairForce[0].clear();
    tables.Allocated = true;
}

bool CheckTableRadii(SimulationState& s) {
    const ModelParameters& m = s.Model;
    if (m.CutoffRadius > TableHighLimit || m.SplineHighRadius < TableLowLimit) {
        ShowError(s.Ui(),
                  "Allowed N-body potential limits are: \r1 A < R < 20 A.\r"
                  "Hint: change potential cut-off limit in .RUN file.");
        return false;
    }
    // The look-ups read the tables from r_lo to r_c, the density from r_hi.
    if (!(m.SplineLowRadius >= TableLowLimit && m.SplineLowRadius <= m.SplineHighRadius &&
          m.SplineHighRadius < m.CutoffRadius)) {
        ShowError(s.Ui(), "Spline radii must satisfy: 1 A <= r(lo spline) <= r(hi spline) < r(cut-off)");
        return false;
    }
    return true;
}

bool CheckTablePrecision(SimulationState& s) {
    const ModelParameters& m = s.Model;
    const float* densityForce = s.Tables.DensityForce[AA].data();
    const float* pairForce = s.Tables.PairForce[AA].data();
    bool ok = true;

    // N-body part: rho'/r from r_hi to just below r_c.
    for (double r = m.SplineHighRadius + PrecisionStartOffset;; r += PrecisionStep) {
        const double error =
            std::fabs(TableLookup(densityForce, r) - ExactDensityForce(m, AA, r)) * r * PrecisionScale;
        if (!(error <= PrecisionLimit)) {  // a NaN fails too
            ShowError(s.Ui(), std::string("N-body potential precision error found in look-up tables (fatal).") +
                                  PrecisionHint);
            ok = false;
            break;
        }
        if (r >= m.CutoffRadius - DensityCheckEndMargin) break;
    }

    // Spline part: the pair force from r_lo to just below r_hi.
    for (double r = m.SplineLowRadius + PrecisionStartOffset;; r += PrecisionStep) {
        const double exact = -SplineSlope(m.SplineCoefficients[AA], r) / r;
        const double error = std::fabs(TableLookup(pairForce, r) - exact) * r * PrecisionScale;
        if (!(error <= PrecisionLimit)) {
            ShowError(s.Ui(), std::string("Spline potential precision error found in look-up tables (fatal).") +
                                  PrecisionHint);
            ok = false;
            break;
        }
        if (r >= m.SplineHighRadius - SplineCheckEndMargin) break;
    }
    return ok;
}

bool CheckTablesFinite(SimulationState& s, PairType t) {
    const ModelParameters& m = s.Model;
    const auto position = [](double r) {
        const double a = r * TableScale - TableFirstIndex;
        if (!(a > 0.0)) return 0;
        if (a > TableEntries) return static_cast<int>(TableEntries);
        return static_cast<int>(a);
    };
    const int first = position(m.SplineLowRadius);
    const int last = std::min(position(m.CutoffRadius) + 1, static_cast<int>(TableEntries));
    for (const std::vector<float>* table :
         {&s.Tables.Density[t], &s.Tables.DensityForce[t], &s.Tables.PairForce[t]}) {
        for (int k = first; k <= last && k < static_cast<int>(table->size()); ++k) {
            if (!std::isfinite((*table)[k])) {
                ShowError(s.Ui(),
                          "Potential look-up tables hold values that are not finite numbers.\r"
                          "Check your parameters.");
                return false;
            }
        }
    }
    return true;
}

bool ReadModelFile(SimulationState& s, std::string_view name) {
    UserInterface& ui = s.Ui();
    const SimulationOptions& options = s.Options();

    if (s.RunCounter != 1) {
        ShowError(ui, "Unexpected error in ReadModelFile - aborting");
        return false;
    }
    InputFile in(name);
    if (!in.Opened()) {
        LogLine(ui, "  Cannot open " + std::string(name) + " ...Aborting", ColourRed);
        return false;
    }

    ModelParameters& m = s.Model;
    m = ModelParameters{};
    bool ok = true;

    m.ProjectileScreeningCode = ReadLineInteger(in);
    m.ProjectileScreeningFactor = ReadLineReal(in);
    m.TargetScreeningCode = ReadLineInteger(in);
    m.TargetScreeningFactor = ReadLineReal(in);
    m.PotentialType = ReadLineInteger(in);
    m.PairEnergy = ReadLineTriple(in, JoulesPerEvInput);
    m.PairLength = ReadLineTriple(in, MetresPerAngstrom);
    m.RepulsiveExponent = ReadLineTriple(in, 1.0);
    m.DensityExponent = ReadLineTriple(in, 1.0);
    m.AttractiveWeight = ReadLineTriple(in, 1.0);
    // xi of the Tight-Binding forms is an energy; every Tight-Binding type
    // takes it in eV (the Sutton-Chen c is a pure number).
    m.DensityStrength = ReadLineTriple(in, 1.0);
    m.NBodyActive = false;
    for (int t = AA; t <= AB; ++t) {
        if (m.DensityStrength[t] != 0.0) m.NBodyActive = true;
        if (m.PotentialType != 0) m.DensityStrength[t] *= JoulesPerEvInput;
    }
    m.Reserved = ReadLineTriple(in, 1.0);
    m.SplineLowRadius = ReadLineReal(in);
    m.SplineHighRadius = ReadLineReal(in);
    m.CutoffRadius = ReadLineReal(in);
    m.UseSwitching = ReadLineInteger(in) != 0;
    m.SwitchRadius = ReadLineReal(in);

    // A misread radius is a format error, not a switching error.
    if (m.UseSwitching && !in.Failed() &&
        !(m.CutoffRadius > m.SwitchRadius && m.SwitchRadius > m.SplineHighRadius)) {
        ShowError(ui, "Switching func. radius must satisfy: r(cut-off) > rsw > r(hi spline)");
        in.Close();
        return false;
    }

    m.SplineLowRadius *= MetresPerAngstrom;
    m.SplineHighRadius *= MetresPerAngstrom;
    m.SplineHighRadiusSq = m.SplineHighRadius * m.SplineHighRadius;
    m.CutoffRadius *= MetresPerAngstrom;
    m.SwitchRadius *= MetresPerAngstrom;

    m.StaticLattice = ReadLineInteger(in);
    m.ModelMass = ReadLineReal(in);
    // Mass[1] is still in amu here; the target reader converts it afterwards.
    if (m.StaticLattice == 0 && !in.Failed() &&
        std::fabs(m.ModelMass - s.Particles.Mass[1]) > MassTolerance) {
        if (!ui.AskYesNo("Masses given in TRG and MDL files differ significantly. Proceed anyway?",
                         QuestionKind::Warning))
            ok = false;
    }

    m.TargetTemperature = ReadLineReal(in);
    for (int line = 21; line <= 23; ++line) in.SkipLine();
    m.SurfaceBarrier = ReadLineReal(in) * JoulesPerEvInput;
    m.SideBarrier = ReadLineReal(in) * JoulesPerEvInput;
    m.TerminationEnergy = ReadLineReal(in) * JoulesPerEvInput;
    m.ProjectileOnlyTest = ReadLineInteger(in) != 0;
    m.MsdBulkA = in.ReadReal();
    m.MsdSurfaceNormalA = in.ReadReal();
    m.MsdSurfaceInPlaneA = in.ReadReal();
    in.SkipLine();
    m.MsdBulkB = in.ReadReal();
    m.MsdSurfaceNormalB = in.ReadReal();
    m.MsdSurfaceInPlaneB = in.ReadReal();
    in.SkipLine();
    for (int t = AA; t <= AB; ++t) {
        for (double& c : m.SplineCoefficients[t]) c = in.ReadReal();
        in.SkipLine();
    }

    if (options.HotTarget)
        LogLine(ui, "  Hot target: T = " + FormatRealDecimals(2, m.TargetTemperature) + " K",
                ColourBlack);
    LogLine(ui, m.PotentialType == 0 ? "  Sutton-Chen potential" : "  Tight-Binding potential",
            ColourBlack);
    LogLine(ui,
            "   - Potential cuts off at " + FormatRealDecimals(3, m.CutoffRadius * AngstromPerMetre) +
                " A",
            ColourBlack);
    if (m.UseSwitching)
        LogLine(ui,
                "   - Using switching function for r > " +
                    FormatRealDecimals(3, m.SwitchRadius * AngstromPerMetre) + " A",
                ColourBlack);

    const bool readFailed = in.Failed();
    in.Close();
    if (readFailed) {
        ShowError(ui, "Format error in " + std::string(name) + ".");
        return false;
    }

    // Nothing below may divide by a screening length that was not computed.
    if (!ComputeScreeningLengths(s)) return false;

    if (options.Verbose) {
        const PairValues& pl = m.ProjectileScreeningLength;
        const PairValues& tl = m.TargetScreeningLength;
        LogLine(ui,
                "  Proj-Targ screening lengths (A): " + FormatGeneral5(pl[AA] * AngstromPerMetre) +
                    ", " + FormatGeneral5(pl[AB] * AngstromPerMetre),
                ColourBlack);
        LogLine(ui,
                "  Targ-Targ screening lengths (A): " + FormatGeneral5(tl[AA] * AngstromPerMetre) +
                    ", " + FormatGeneral5(tl[BB] * AngstromPerMetre) + ", " +
                    FormatGeneral5(tl[AB] * AngstromPerMetre),
                ColourBlack);
    }
    LogLine(ui,
            m.ProjectileOnlyTest ? "   - Testing projectile only for term. energy"
                                 : "   - Testing all particles for termination energy",
            ColourBlack);

    BuildPotentialTables(m, s.Tables);

    // The look-ups must never leave the tables, whatever the potential form.
    if (ok) ok = CheckTableRadii(s);
    if (ok && m.PotentialType == 0) ok = CheckTablePrecision(s);
    if (ok) ok = CheckTablesFinite(s, AA);

    for (int t = AA; t <= AB; ++t) {
        m.ProjectileScreening[t] = MakeScreeningRecord(m.ProjectileScreeningLength[t]);
        m.TargetScreening[t] = MakeScreeningRecord(m.TargetScreeningLength[t]);
    }

    // Asked whatever happened before; a Yes never undoes an earlier failure.
    if (!ConfirmProjectileSpecies(s)) ok = false;
    return ok;
}

}  // namespace vantrel
