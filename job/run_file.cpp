// The job's reading of the run file and the simulation summary that follows
// it: the reader's errors, the summary lines and the question to proceed.
#include "job/run_file.h"

#include <numbers>
#include <span>
#include <string>

#include "core/number_text.h"
#include "io/run_file.h"
#include "job/log.h"
#include "job/thread_count.h"
#include "job/reader_messages.h"
#include "output/selection_text.h"

namespace vantrel {

namespace {


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

    const RunFileRead read = ParseRunFile(name);
    const RunParameters& run = s.Run = read.Run;
    const std::span<const ReaderMessage> messages(read.Messages);
    // Where the format failed follows the format error itself.
    for (const ReaderMessage& message : messages.first(read.SummaryAt)) {
        ShowReaderMessages(ui, std::span(&message, 1));
        if (message.Text == RunFormatErrorText) ShowReadPlace(ui, name, read.Failure);
    }

    // The output filter itself is chosen by the output module from
    // OutputSelection; here only its summary line and the mode-8 condition.
    std::string selectionLine = RunParameterErrorText;
    if (run.OutputSelection >= 0 && run.OutputSelection < UserProgrammedSelection) {
        selectionLine = SelectionLines[run.OutputSelection];
    } else if (run.OutputSelection == UserProgrammedSelection) {
        selectionLine = "  Output: user-programmed = " + run.SelectionExpression;
        CompileSelectionExpression(s.Output.Selection, run.SelectionExpression);
    }
    LogLine(ui, "  SIMULATION PARAMETERS", ColourBlack);
    LogLine(ui, run.SampleMode == SampleNone ? "  No dynamics vars. output specified." : selectionLine,
            ColourBlue);

    ShowReaderMessages(ui, messages.subspan(read.SummaryAt));
    return read.Ok;
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
            LogLine(
                ui,
                "  Sampling periodically (every " + period + " timesteps) but not at termination",
                ColourBlue);
            break;
        case 3:
            LogLine(ui,
                    "  Sampling periodically (every " + period + " timesteps) and at termination",
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
                FormatRealDecimals(4, run.InitialTimestep * FemtosecondsPerSecond) + " fs timestep",
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
    // Named only when not 1, so that a job on one thread logs as it always has.
    const std::int32_t threads = ThreadsForJob(s.Program.Extended.Threads, atomCount, s.Processes);
    if (threads != 1)
        LogLine(ui, "   - Force, density and list passes on " + IntegerText(threads) + " threads",
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
