#include "job/model_file.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/number_text.h"
#include "core/potential_tables.h"
#include "core/target_setup.h"
#include "io/model_file.h"
#include "job/log.h"
#include "job/output_backups.h"
#include "job/reader_messages.h"

namespace vantrel {

namespace {

constexpr double MassTolerance = 0.1;  // amu between target and model file

const char* const PrecisionHint = "\rCheck your parameters, or report error to the author.";

// General number format with 5 significant digits: 0.10167, 1.2346E-5.
std::string FormatGeneral5(double x) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.5G", x);
    return CompactExponent(buffer);
}

// The species as the target reader leaves them after atom 1.
SpeciesAtomicNumbers SpeciesOf(const ParticleTable& p) {
    return {p.AtomicNumber[0], p.AtomicNumber[1], p.AtomicNumber[p.AtomCount],
            (p.Flags[0] & TypeB) != 0};
}

void ShowModelReport(UserInterface& ui, const SimulationOptions& options,
                     const ModelParameters& m) {
    if (options.HotTarget)
        LogLine(ui, "  Hot target: T = " + FormatRealDecimals(2, m.TargetTemperature) + " K",
                ColourBlack);
    LogLine(ui, m.PotentialType == 0 ? "  Sutton-Chen potential" : "  Tight-Binding potential",
            ColourBlack);
    LogLine(ui,
            "   - Potential cuts off at " +
                FormatRealDecimals(3, m.CutoffRadius * AngstromPerMetre) + " A",
            ColourBlack);
    if (m.UseSwitching)
        LogLine(ui,
                "   - Using switching function for r > " +
                    FormatRealDecimals(3, m.SwitchRadius * AngstromPerMetre) + " A",
                ColourBlack);
    if (m.SmoothDensityJoin)
        LogLine(ui,
                "   - Density tapered to 0 from " +
                    FormatRealDecimals(3, m.SplineHighRadius * AngstromPerMetre) + " A down to " +
                    FormatRealDecimals(3, m.SplineLowRadius * AngstromPerMetre) + " A",
                ColourBlack);
}

// Logs the code errors of the screening lengths; true when both were computed.
bool ShowScreeningStatus(UserInterface& ui, const ScreeningLengthsStatus& status) {
    switch (status.Projectile) {
        case ScreeningStatus::UnknownCode:
            LogLine(ui, "  Error in heteronuclear screening length.", ColourRed);
            break;
        case ScreeningStatus::FactorNotPositive:
            LogLine(ui, "  Error in heteronuclear screening length: factor must be positive.",
                    ColourRed);
            break;
        case ScreeningStatus::Computed: break;
    }
    switch (status.Target) {
        case ScreeningStatus::UnknownCode:
            LogLine(ui, "  Error in homonuclear screening length.", ColourRed);
            break;
        case ScreeningStatus::FactorNotPositive:
            LogLine(ui, "  Error in homonuclear screening length: factor must be positive.",
                    ColourRed);
            break;
        case ScreeningStatus::Computed: break;
    }
    return status.Ok();
}

void ShowScreeningLengths(UserInterface& ui, const ModelParameters& m) {
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

// Radii the tables can serve: shows the limits or radii message otherwise.
bool TableRadiiUsable(SimulationState& s) {
    switch (CheckTableRadii(s.Model)) {
        case TableRadiiStatus::OutsideTableLimits:
            ShowError(s.Ui(),
                      "Allowed N-body potential limits are: \r1 A < R < 20 A.\r"
                      "Hint: change potential cut-off limit in .RUN file.");
            return false;
        case TableRadiiStatus::SplineRadiiOutOfOrder:
            ShowError(
                s.Ui(),
                "Spline radii must satisfy: 1 A <= r(lo spline) <= r(hi spline) < r(cut-off)");
            return false;
        case TableRadiiStatus::DensityJoinEmpty:
            ShowError(s.Ui(), "Continuous density join needs r(lo spline) < r(hi spline)");
            return false;
        case TableRadiiStatus::Usable: break;
    }
    return true;
}

// The Sutton-Chen tables against the exact forms; shows each failure's message.
bool TablesPrecise(SimulationState& s) {
    const TablePrecision precision = CheckTablePrecision(s.Model, s.Tables);
    if (!precision.DensityForcePrecise)
        ShowError(s.Ui(),
                  std::string("N-body potential precision error found in look-up tables (fatal).") +
                      PrecisionHint);
    if (!precision.SplinePrecise)
        ShowError(s.Ui(),
                  std::string("Spline potential precision error found in look-up tables (fatal).") +
                      PrecisionHint);
    return precision.Ok();
}

// Asks the self-bombardment questions; false when the user declines.
bool ConfirmProjectileSpecies(SimulationState& s) {
    switch (CheckSelfBombardment(s.Options().SelfBombard, SpeciesOf(s.Particles))) {
        case SelfBombardmentCheck::ProjectileNotTargetSpecies:
            return s.Ui().AskYesNo(
                "Projectile Z not consistent with self-bombardment option. Proceed anyway?",
                QuestionKind::Warning);
        case SelfBombardmentCheck::ProjectileIsTargetSpecies:
            return s.Ui().AskYesNo(
                "Self-bombardment not specified, but projectile Z = target Z.\r Proceed anyway?",
                QuestionKind::Warning);
        case SelfBombardmentCheck::Consistent: break;
    }
    return true;
}

}  // namespace

bool CheckTablesFinite(SimulationState& s, PairType t) {
    if (TablesFinite(s.Model, s.Tables, t)) return true;
    ShowError(s.Ui(),
              "Potential look-up tables hold values that are not finite numbers.\r"
              "Check your parameters.");
    return false;
}

bool ReadModelFile(SimulationState& s, std::string_view name) {
    UserInterface& ui = s.Ui();
    const SimulationOptions& options = s.Options();

    if (s.RunCounter != 1) {
        ShowError(ui, "Unexpected error in ReadModelFile - aborting");
        return false;
    }
    const ModelFileRead read = ParseModelFile(name);
    if (read.Status == ModelFileStatus::CannotOpen) {
        ShowReaderMessages(ui, read.Messages);
        return false;
    }
    ModelParameters& m = s.Model = read.Model;
    m.SmoothDensityJoin = m.SmoothDensityJoin || s.Program.Extended.SmoothDensityJoin;
    switch (read.Status) {
        case ModelFileStatus::SwitchingRadiusBad:
            ShowReaderMessages(ui, read.Messages);
            return false;
        case ModelFileStatus::EndsEarly:
            ShowReaderMessages(ui, read.Messages);
            LogLine(ui,
                    "  " + BareFileName(name) + " ends before line " + IntegerText(read.MissingLine) +
                        ": no value for " + read.Failure.Field,
                    ColourRed);
            return false;
        case ModelFileStatus::UnknownPotentialType:
            ShowReaderMessages(ui, read.Messages);
            ShowReadPlace(ui, name, ReadFailure{true, 5, "PotentialType", IntegerText(m.PotentialType)});
            return false;
        case ModelFileStatus::Read:
        case ModelFileStatus::FormatError:
        case ModelFileStatus::CannotOpen: break;
    }

    bool ok = true;
    // Mass[1] is still in amu here; the target reader converts it afterwards.
    if (m.StaticLattice == 0 && read.MassReadable &&
        std::fabs(m.ModelMass - s.Particles.Mass[1]) > MassTolerance) {
        if (!ui.AskYesNo("Masses given in TRG and MDL files differ significantly. Proceed anyway?",
                         QuestionKind::Warning))
            ok = false;
    }

    ShowModelReport(ui, options, m);
    ShowReaderMessages(ui, read.Messages);  // a format error, after the report
    if (read.Status == ModelFileStatus::FormatError) {
        ShowReadPlace(ui, name, read.Failure);
        return false;
    }

    // Nothing below may divide by a screening length that was not computed.
    if (!ShowScreeningStatus(ui, ComputeScreeningLengths(m, SpeciesOf(s.Particles)))) return false;

    if (options.Verbose) ShowScreeningLengths(ui, m);
    LogLine(ui,
            m.ProjectileOnlyTest ? "   - Testing projectile only for term. energy"
                                 : "   - Testing all particles for termination energy",
            ColourBlack);

    BuildPotentialTables(m, s.Tables);

    // The look-ups must never leave the tables, whatever the potential form.
    if (ok) ok = TableRadiiUsable(s);
    if (ok && m.PotentialType == 0) ok = TablesPrecise(s);
    if (ok) ok = CheckTablesFinite(s, AA);

    FillScreeningRecords(m);

    // Asked whatever happened before; a Yes never undoes an earlier failure.
    if (!ConfirmProjectileSpecies(s)) ok = false;
    return ok;
}

}  // namespace vantrel
