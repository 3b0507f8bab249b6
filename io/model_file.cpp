// Model file (*.mdl): one logical value or group per line, each followed by
// an optional free label.  Per-pair values come in the order AA, BB, AB.
//
//   line  values    unit in file      field
//    1    integer   -                 ProjectileScreeningCode (0 universal, 1 Lindhard, 2 Firsov)
//    2    real      -                 ProjectileScreeningFactor (multiplies the length)
//    3    integer   -                 TargetScreeningCode
//    4    real      -                 TargetScreeningFactor
//    5    integer   -                 PotentialType (0 Sutton-Chen, 1 Tight-Binding; 10 and
//                                     11 the same with the continuous density join)
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
// in <name>." once the whole file has been read.  A file that ends before
// its last value is refused too ("Model file ends early: <name>."), and so
// is a potential type other than 0, 1, 10 and 11 ("Unknown potential type in
// <name>: <type> (0 Sutton-Chen, 1 Tight-Binding)."): read as zeros or as
// Tight-Binding they would make a job that runs and means nothing.  With
// switching on, the radii must satisfy r_c > r_sw > r_hi as soon as line 17
// is read (a misread or missing radius is the error above instead); the
// reader stops there.  The checks that need the tables or the target (radii
// against the tables, screening factors, precision, masses) belong to the
// model set-up.
//
// Types 10 and 11 are Sutton-Chen and Tight-Binding with the continuous
// density join (core/potential_forms.h): the tens digit asks for it.  Line
// 5 is the one value that readers since the unknown-type check refuse
// outright, so a file that needs the join is never run without it by an
// older program: that one shows "Unknown potential type in <name>: 10" and
// the job stops before anything is built.  (Builds from before that check
// took any non-zero type as Tight-Binding and would misread such a file.)
#include "io/model_file.h"

#include <string>

#include "core/units.h"
#include "io/input_file.h"

namespace vantrel {

namespace {

// The file as the format's lines: each read notes the line of the format
// its value belongs to, so a file that ends early can name the first line
// it lacks.
struct ModelLines {
    InputFile& In;
    std::int32_t Line = 0;
    std::int32_t MissingLine = 0;

    void Next() {
        if (MissingLine == 0 && In.FirstMissing().Failed) MissingLine = Line;
        Line += 1;
    }
    double Real(const char* field) {
        Next();
        const double value = In.ReadReal(field);
        In.SkipLine();
        return value;
    }
    std::int32_t Integer(const char* field) {
        Next();
        const std::int32_t value = In.ReadInteger(field);
        In.SkipLine();
        return value;
    }
    PairValues Triple(double scale, const char* field) {
        Next();
        PairValues values{};
        for (int t = AA; t <= AB; ++t) values[t] = In.ReadReal(field) * scale;
        In.SkipLine();
        return values;
    }
    void Skip() {
        Next();
        In.SkipLine();
    }
    // Several values on the current line; the caller skips the line.
    double Value(const char* field) { return In.ReadReal(field); }
    bool Missing() {
        Next();
        return MissingLine != 0;
    }
};

}  // namespace

ModelFileRead ParseModelFile(std::string_view name) {
    ModelFileRead read;
    InputFile in(name);
    if (!in.Opened()) {
        read.Status = ModelFileStatus::CannotOpen;
        read.Failure = in.FirstFailure();
        read.Messages.push_back(ErrorLine("  Cannot open " + std::string(name) + " ...Aborting"));
        return read;
    }

    ModelParameters& m = read.Model;
    ModelLines lines{in};
    m.ProjectileScreeningCode = lines.Integer("ProjectileScreeningCode");
    m.ProjectileScreeningFactor = lines.Real("ProjectileScreeningFactor");
    m.TargetScreeningCode = lines.Integer("TargetScreeningCode");
    m.TargetScreeningFactor = lines.Real("TargetScreeningFactor");
    m.PotentialType = lines.Integer("PotentialType");
    if (m.PotentialType == SmoothJoinTypeOffset || m.PotentialType == SmoothJoinTypeOffset + 1) {
        m.PotentialType -= SmoothJoinTypeOffset;
        m.SmoothDensityJoin = true;
    }
    m.PairEnergy = lines.Triple(JoulesPerEvInput, "PairEnergy");
    m.PairLength = lines.Triple(MetresPerAngstrom, "PairLength");
    m.RepulsiveExponent = lines.Triple(1.0, "RepulsiveExponent");
    m.DensityExponent = lines.Triple(1.0, "DensityExponent");
    m.AttractiveWeight = lines.Triple(1.0, "AttractiveWeight");
    // xi of the Tight-Binding forms is an energy; every Tight-Binding type
    // takes it in eV (the Sutton-Chen c is a pure number).
    m.DensityStrength = lines.Triple(1.0, "DensityStrength");
    m.NBodyActive = false;
    for (int t = AA; t <= AB; ++t) {
        if (m.DensityStrength[t] != 0.0) m.NBodyActive = true;
        if (m.PotentialType != 0) m.DensityStrength[t] *= JoulesPerEvInput;
    }
    m.Reserved = lines.Triple(1.0, "Reserved");
    m.SplineLowRadius = lines.Real("SplineLowRadius");
    m.SplineHighRadius = lines.Real("SplineHighRadius");
    m.CutoffRadius = lines.Real("CutoffRadius");
    m.UseSwitching = lines.Integer("UseSwitching") != 0;
    m.SwitchRadius = lines.Real("SwitchRadius");

    // A misread or missing radius is a format error, not a switching error.
    if (m.UseSwitching && !in.Failed() && !in.FirstMissing().Failed &&
        !(m.CutoffRadius > m.SwitchRadius && m.SwitchRadius > m.SplineHighRadius)) {
        in.Close();
        read.Status = ModelFileStatus::SwitchingRadiusBad;
        read.Messages.push_back(ErrorBoxMessage(
            "Switching func. radius must satisfy: r(cut-off) > rsw > r(hi spline)"));
        return read;
    }

    m.SplineLowRadius *= MetresPerAngstrom;
    m.SplineHighRadius *= MetresPerAngstrom;
    m.SplineHighRadiusSq = m.SplineHighRadius * m.SplineHighRadius;
    m.CutoffRadius *= MetresPerAngstrom;
    m.SwitchRadius *= MetresPerAngstrom;

    m.StaticLattice = lines.Integer("StaticLattice");
    m.ModelMass = lines.Real("mass");
    read.MassReadable = !in.Failed();

    m.TargetTemperature = lines.Real("TargetTemperature");
    for (int line = 21; line <= 23; ++line) lines.Skip();
    m.SurfaceBarrier = lines.Real("SurfaceBarrier") * JoulesPerEvInput;
    m.SideBarrier = lines.Real("SideBarrier") * JoulesPerEvInput;
    m.TerminationEnergy = lines.Real("TerminationEnergy") * JoulesPerEvInput;
    m.ProjectileOnlyTest = lines.Integer("ProjectileOnlyTest") != 0;
    lines.Next();
    m.MsdBulkA = lines.Value("MsdBulkA");
    m.MsdSurfaceNormalA = lines.Value("MsdSurfaceNormalA");
    m.MsdSurfaceInPlaneA = lines.Value("MsdSurfaceInPlaneA");
    in.SkipLine();
    lines.Next();
    m.MsdBulkB = lines.Value("MsdBulkB");
    m.MsdSurfaceNormalB = lines.Value("MsdSurfaceNormalB");
    m.MsdSurfaceInPlaneB = lines.Value("MsdSurfaceInPlaneB");
    in.SkipLine();
    for (int t = AA; t <= AB; ++t) {
        lines.Next();
        for (double& c : m.SplineCoefficients[t]) c = lines.Value("SplineCoefficients");
        in.SkipLine();
    }
    const bool missing = lines.Missing();
    const bool failed = in.Failed();
    read.Failure = in.FirstFailure();
    in.Close();

    read.Status = ModelFileStatus::Read;
    if (failed) {
        read.Status = ModelFileStatus::FormatError;
        read.Messages.push_back(ErrorBoxMessage("Format error in " + std::string(name) + "."));
    } else if (missing) {
        read.Status = ModelFileStatus::EndsEarly;
        read.Failure = in.FirstMissing();
        read.MissingLine = lines.MissingLine;
        read.Messages.push_back(ErrorBoxMessage("Model file ends early: " + std::string(name) + "."));
    } else if (m.PotentialType != 0 && m.PotentialType != 1) {
        read.Status = ModelFileStatus::UnknownPotentialType;
        read.Messages.push_back(
            ErrorBoxMessage("Unknown potential type in " + std::string(name) + ": " +
                            std::to_string(m.PotentialType) + " (0 Sutton-Chen, 1 Tight-Binding)."));
    }
    return read;
}

}  // namespace vantrel
