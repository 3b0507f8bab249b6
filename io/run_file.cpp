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
#include "io/run_file.h"

#include <numbers>
#include <string>

#include "core/number_text.h"
#include "core/particles.h"
#include "core/units.h"
#include "io/input_file.h"

namespace vantrel {

namespace {

constexpr double RadiansPerDegree = 2.0 * std::numbers::pi / 360.0;
constexpr std::uint32_t HighestSampleMode = SampleModeLast;

void AddError(ReaderMessages& messages, const std::string& text) {
    messages.push_back(ErrorLine("  ++++ Error ++++"));
    messages.push_back(ErrorLine(text));
}

}  // namespace

RunFileRead ParseRunFile(std::string_view name) {
    RunFileRead read;
    RunParameters& run = read.Run;
    InputFile in(name);
    run.SampleMode = in.ReadInteger("sample mode");
    in.SkipLine();
    run.SamplePeriod = in.ReadInteger("sample period");
    in.SkipLine();
    run.SkipRecorded = in.ReadInteger("skip recorded") != 0;
    in.SkipLine();
    run.OutputSelection = in.ReadInteger("output selection");
    in.SkipLine();
    const double altitudeDegrees = in.ReadReal("altitude");
    run.Altitude = altitudeDegrees * RadiansPerDegree;
    in.SkipLine();
    run.Azimuth = in.ReadReal("azimuth") * RadiansPerDegree;
    in.SkipLine();
    run.InitialTimestep = in.ReadReal("timestep");
    in.SkipLine();
    run.PartnerUpdateInterval = in.ReadInteger("update interval");
    in.SkipLine();
    run.MaxTime = in.ReadReal("maximum time") * SecondsPerFemtosecond;
    run.MinTime = in.ReadReal("minimum time") * SecondsPerFemtosecond;
    in.SkipLine();
    run.MaxPartners = in.ReadInteger("partners");
    in.SkipLine();
    run.SelectionExpression = in.ReadString(ShortTextLimit);
    in.SkipLine();
    in.Close();
    read.Failure = in.FirstFailure();

    ReaderMessages& messages = read.Messages;
    bool ok = true;
    if (in.Failed()) {
        AddError(messages, RunFormatErrorText);
        ok = false;
    }
    if (run.OutputSelection < 0 || run.OutputSelection > UserProgrammedSelection) {
        AddError(messages, RunParameterErrorText);
        ok = false;
    }
    read.SummaryAt = messages.size();

    // Tested unsigned, so negative modes fail too.
    if (static_cast<std::uint32_t>(run.SampleMode) > HighestSampleMode) {
        AddError(messages, std::string(RunParameterErrorText) + " (sample mode)");
        ok = false;
    }
    if (run.MaxPartners > MaxPartnersLimit) {
        AddError(messages, "  No. of partners parameter (set at " + IntegerText(run.MaxPartners) +
                               ") in .RUN file is larger");
        messages.push_back(ErrorLine("  than the maximum allowed value of " +
                                     IntegerText(MaxPartnersLimit) + ". Decrease the former"));
        messages.push_back(ErrorLine(
            "  in the .RUN file, or increase the latter in the source file (if available)."));
        ok = false;
    }
    // Values read after a format error are zeros, not the user's: judge them
    // only when the whole file was read.
    if (!in.Failed()) {
        const std::string parameterError = RunParameterErrorText;
        if (run.MaxPartners < 1) {
            AddError(messages, parameterError + " (No. of partners below 1)");
            ok = false;
        }
        if (!(run.InitialTimestep > 0.0)) {
            AddError(messages, parameterError + " (timestep not above 0)");
            ok = false;
        }
        if (run.PartnerUpdateInterval < 1) {
            AddError(messages, parameterError + " (update interval below 1)");
            ok = false;
        }
        if (!(altitudeDegrees > 0.0 && altitudeDegrees < 180.0)) {
            AddError(messages, parameterError + " (altitude not between 0 and 180 degrees)");
            ok = false;
        }
    }
    read.Ok = ok;
    return read;
}

}  // namespace vantrel
