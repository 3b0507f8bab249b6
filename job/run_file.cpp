// Run file (*.run): one value per line except line 9, each value followed by
// an optional label.
//
//   line  value(s)        unit in file  stored as
//   1     integer         -             SampleMode (0 none, 1 at end, 2 periodic, 3 both)
//   2     integer         timesteps     SamplePeriod
//   3     integer         -             SkipRecorded = value != 0
//   4     integer         -             OutputSelection (0..8, chooses the output filter)
//   5     real            degrees       Altitude, converted to rad
//   6     real            degrees       Azimuth, converted to rad
//   7     real            s             InitialTimestep, unconverted
//   8     integer         timesteps     PartnerUpdateInterval
//   9     two reals       fs            MaxTime, then MinTime, converted to s
//   10    integer         -             MaxPartners (at most 500)
//   11    text, <= 255    -             SelectionExpression (mode 8 only; may be absent)
//
// The checks beyond the format: output mode 0..8, sample mode 0..3, at most
// 500 partners.  Three more guard the trajectory loop: a timestep of 0 or
// less never advances time (the trajectory would not end), an update
// interval below 1 never rebuilds the partner lists again (so the abort
// buttons would never be polled), and fewer than 1 partner leaves no room in
// a list.  An altitude at or beyond 0 and 180 degrees puts the projectile's
// start at h * cot(altitude) sideways, i.e. at infinity.
#include "job/run_file.h"

#include <numbers>
#include <string>

#include "job/log.h"
#include "core/number_text.h"
#include "io/input_file.h"
#include "output/selection_text.h"

namespace vantrel {

namespace {

constexpr double RadiansPerDegree = 2.0 * std::numbers::pi / 360.0;
constexpr double DegreesPerRadian = 360.0 / (2.0 * std::numbers::pi);
constexpr std::int32_t UserProgrammedSelection = 8;
constexpr std::uint32_t HighestSampleMode = 3;

// Summary line of each output selection mode 0..7; mode 8 adds the condition.
constexpr const char* SelectionLines[] = {
    "  Output: for all particles",
    "  Output: for projectile only",
    "  Output: all particles with KE > 1 eV",
    "  Output: all particles with KE > 10 eV",
    "  Output: all particles with KE > 100 eV",
    "  Output: all particles emitted from surface",
    "  Output: emitted (reflected) projectiles",
    "  Output: all particles emitted within 5\u00f8 of surface normal",
};

const std::string ParameterError = "  Parameter error in .RUN file";

void LogError(UserInterface& ui, const std::string& text) {
    LogLine(ui, "  ++++ Error ++++", ColourRed);
    LogLine(ui, text, ColourRed);
}

const char* AlgorithmName(std::int32_t algorithm) {
    switch (algorithm) {
        case 0: return "HGE (B)";
        case 1: return "Two-Step (A)";
        case 2: return "Beeman";
        case 3: return "Verlet";
        default: return "***** UNDEFINED *****";
    }
}

}  // namespace

bool ReadRunFile(SimulationState& s, std::string_view name) {
    UserInterface& ui = s.Ui();
    LogLine(ui, "  " + std::string(LogLineLimit - 2, '-'), ColourBlack);

    InputFile in(name);
    RunParameters& run = s.Run;
    run.SampleMode = in.ReadInteger();
    in.SkipLine();
    run.SamplePeriod = in.ReadInteger();
    in.SkipLine();
    run.SkipRecorded = in.ReadInteger() != 0;
    in.SkipLine();
    run.OutputSelection = in.ReadInteger();
    in.SkipLine();
    const double altitudeDegrees = in.ReadReal();
    run.Altitude = altitudeDegrees * RadiansPerDegree;
    in.SkipLine();
    run.Azimuth = in.ReadReal() * RadiansPerDegree;
    in.SkipLine();
    run.InitialTimestep = in.ReadReal();
    in.SkipLine();
    run.PartnerUpdateInterval = in.ReadInteger();
    in.SkipLine();
    run.MaxTime = in.ReadReal() * SecondsPerFemtosecond;
    run.MinTime = in.ReadReal() * SecondsPerFemtosecond;
    in.SkipLine();
    run.MaxPartners = in.ReadInteger();
    in.SkipLine();
    run.SelectionExpression = in.ReadString(ShortTextLimit);
    in.SkipLine();
    in.Close();

    bool ok = true;
    if (in.Failed()) {
        LogError(ui, "  Format error in .RUN file");
        ok = false;
    }

    // The output filter itself is chosen by the output module from
    // OutputSelection; here only its summary line and the mode-8 condition.
    std::string selectionLine;
    if (run.OutputSelection >= 0 && run.OutputSelection < UserProgrammedSelection) {
        selectionLine = SelectionLines[run.OutputSelection];
    } else if (run.OutputSelection == UserProgrammedSelection) {
        selectionLine = "  Output: user-programmed = " + run.SelectionExpression;
        CompileSelectionExpression(s.Output.Selection, run.SelectionExpression);
    } else {
        LogError(ui, ParameterError);
        selectionLine = ParameterError;
        ok = false;
    }

    LogLine(ui, "  SIMULATION PARAMETERS", ColourBlack);
    LogLine(ui, run.SampleMode == 0 ? "  No dynamics vars. output specified." : selectionLine,
            ColourBlue);

    // Tested unsigned, so negative modes fail too.
    if (static_cast<std::uint32_t>(run.SampleMode) > HighestSampleMode) {
        LogError(ui, ParameterError + " (sample mode)");
        ok = false;
    }
    if (run.MaxPartners > MaxPartnersLimit) {
        LogLine(ui, "  ++++ Error ++++", ColourRed);
        LogLine(ui,
                "  No. of partners parameter (set at " + IntegerText(run.MaxPartners) +
                    ") in .RUN file is larger",
                ColourRed);
        LogLine(ui,
                "  than the maximum allowed value of " + IntegerText(MaxPartnersLimit) +
                    ". Decrease the former",
                ColourRed);
        LogLine(ui, "  in the .RUN file, or increase the latter in the source file (if available).",
                ColourRed);
        ok = false;
    }
    // Values read after a format error are zeros, not the user's: judge them
    // only when the whole file was read.
    if (!in.Failed()) {
        if (run.MaxPartners < 1) {
            LogError(ui, ParameterError + " (No. of partners below 1)");
            ok = false;
        }
        if (!(run.InitialTimestep > 0.0)) {
            LogError(ui, ParameterError + " (timestep not above 0)");
            ok = false;
        }
        if (run.PartnerUpdateInterval < 1) {
            LogError(ui, ParameterError + " (update interval below 1)");
            ok = false;
        }
        if (!(altitudeDegrees > 0.0 && altitudeDegrees < 180.0)) {
            LogError(ui, ParameterError + " (altitude not between 0 and 180 degrees)");
            ok = false;
        }
    }
    return ok;
}

bool PrintSimulationSummary(SimulationState& s, std::int32_t atomCount) {
    UserInterface& ui = s.Ui();
    const RunParameters& run = s.Run;
    const ProjectileData& projectile = s.Projectile;
    const SimulationOptions& options = s.Options();

    LogLine(ui, std::string("  Integration algorithm: ") + AlgorithmName(options.Algorithm),
            ColourBlack);
    const std::string period = IntegerText(run.SamplePeriod);
    switch (run.SampleMode) {
        case 1: LogLine(ui, "  Sampling at termination", ColourBlue); break;
        case 2:
            LogLine(ui,
                    "  Sampling periodically (every " + period +
                        " timesteps) but not at termination",
                    ColourBlue);
            break;
        case 3:
            LogLine(ui, "  Sampling periodically (every " + period + " timesteps) and at termination",
                    ColourBlue);
            break;
        default: break;
    }
    // The name as read, with "+" as for a singly charged ion.
    LogLine(ui,
            "  Projectile: " + FormatRealDecimals(3, projectile.Energy) + " keV " +
                projectile.ProjectileName + "+ (Z=" + IntegerText(projectile.AtomicNumber) +
                ", mass=" + FormatReal8(projectile.ProjectileMass) +
                ", altitude = " + FormatRealDecimals(2, run.Altitude * DegreesPerRadian) +
                ", azimuth = " + FormatRealDecimals(2, run.Azimuth * DegreesPerRadian) + ")",
            ColourBlue);
    LogLine(ui, "  Number of atoms in target: " + IntegerText(atomCount), ColourMagenta);
    LogLine(ui, "  General parameters: ", ColourBlack);
    LogLine(ui,
            "   - Calculations will start with " +
                FormatRealDecimals(4, run.InitialTimestep * FemtosecondsPerSecond) +
                " fs timestep",
            ColourBlack);
    LogLine(ui,
            "   - Time before termination tests begin: " +
                FormatRealDecimals(2, run.MinTime * FemtosecondsPerSecond) + " fs",
            ColourBlack);
    LogLine(ui,
            "   - Time before compulsory termination: " +
                FormatRealDecimals(2, run.MaxTime * FemtosecondsPerSecond) + " fs",
            ColourBlack);
    LogLine(ui, "   - Max. No. of collision partners = " + IntegerText(run.MaxPartners),
            ColourBlack);
    if (InelasticModelsInUse(options)) {
        std::string models = "   - Including inelastic effects: ";
        if (options.UseLSS) models += "LSS, ";
        if (options.UseOR) models += "OR, ";
        if (options.UseST) models += "ST, ";
        if (options.UseCooling) models += "cooling, ";
        LogLine(ui, models + "model(s) ", ColourBlack);
    } else {
        LogLine(ui, "   - Ignoring inelastic effects ", ColourBlack);
    }
    LogLine(ui,
            options.UseImagePotential ? "   - Using image potential effects"
                                      : "   - Ignoring image potential effects",
            ColourBlack);
    LogLine(ui, " ", ColourBlack);
    LogLine(ui, "  ==> Ready to run calculations in earnest.", ColourBlue);

    if (s.BatchMode) return true;
    return ui.AskYesNo("Proceed with simulation now?", QuestionKind::ConfirmationTopLeft);
}

}  // namespace vantrel
