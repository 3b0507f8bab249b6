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
// in <name>." once the whole file has been read.  With switching on, the
// radii must satisfy r_c > r_sw > r_hi as soon as line 17 is read (a
// misread radius is a format error instead); the reader stops there.  The
// checks that need the tables or the target (radii against the tables,
// screening factors, precision, masses) belong to the model set-up.
#include "io/model_file.h"

#include <string>

#include "core/units.h"
#include "io/input_file.h"

namespace vantrel {

namespace {

double ReadLineReal(InputFile& in, const char* field) {
    const double value = in.ReadReal(field);
    in.SkipLine();
    return value;
}

std::int32_t ReadLineInteger(InputFile& in, const char* field) {
    const std::int32_t value = in.ReadInteger(field);
    in.SkipLine();
    return value;
}

PairValues ReadLineTriple(InputFile& in, double scale, const char* field) {
    PairValues values{};
    for (int t = AA; t <= AB; ++t) values[t] = in.ReadReal(field) * scale;
    in.SkipLine();
    return values;
}

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
    m.ProjectileScreeningCode = ReadLineInteger(in, "ProjectileScreeningCode");
    m.ProjectileScreeningFactor = ReadLineReal(in, "ProjectileScreeningFactor");
    m.TargetScreeningCode = ReadLineInteger(in, "TargetScreeningCode");
    m.TargetScreeningFactor = ReadLineReal(in, "TargetScreeningFactor");
    m.PotentialType = ReadLineInteger(in, "PotentialType");
    m.PairEnergy = ReadLineTriple(in, JoulesPerEvInput, "PairEnergy");
    m.PairLength = ReadLineTriple(in, MetresPerAngstrom, "PairLength");
    m.RepulsiveExponent = ReadLineTriple(in, 1.0, "RepulsiveExponent");
    m.DensityExponent = ReadLineTriple(in, 1.0, "DensityExponent");
    m.AttractiveWeight = ReadLineTriple(in, 1.0, "AttractiveWeight");
    // xi of the Tight-Binding forms is an energy; every Tight-Binding type
    // takes it in eV (the Sutton-Chen c is a pure number).
    m.DensityStrength = ReadLineTriple(in, 1.0, "DensityStrength");
    m.NBodyActive = false;
    for (int t = AA; t <= AB; ++t) {
        if (m.DensityStrength[t] != 0.0) m.NBodyActive = true;
        if (m.PotentialType != 0) m.DensityStrength[t] *= JoulesPerEvInput;
    }
    m.Reserved = ReadLineTriple(in, 1.0, "Reserved");
    m.SplineLowRadius = ReadLineReal(in, "SplineLowRadius");
    m.SplineHighRadius = ReadLineReal(in, "SplineHighRadius");
    m.CutoffRadius = ReadLineReal(in, "CutoffRadius");
    m.UseSwitching = ReadLineInteger(in, "UseSwitching") != 0;
    m.SwitchRadius = ReadLineReal(in, "SwitchRadius");

    // A misread radius is a format error, not a switching error.
    if (m.UseSwitching && !in.Failed() &&
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

    m.StaticLattice = ReadLineInteger(in, "StaticLattice");
    m.ModelMass = ReadLineReal(in, "mass");
    read.MassReadable = !in.Failed();

    m.TargetTemperature = ReadLineReal(in, "TargetTemperature");
    for (int line = 21; line <= 23; ++line) in.SkipLine();
    m.SurfaceBarrier = ReadLineReal(in, "SurfaceBarrier") * JoulesPerEvInput;
    m.SideBarrier = ReadLineReal(in, "SideBarrier") * JoulesPerEvInput;
    m.TerminationEnergy = ReadLineReal(in, "TerminationEnergy") * JoulesPerEvInput;
    m.ProjectileOnlyTest = ReadLineInteger(in, "ProjectileOnlyTest") != 0;
    m.MsdBulkA = in.ReadReal("MsdBulkA");
    m.MsdSurfaceNormalA = in.ReadReal("MsdSurfaceNormalA");
    m.MsdSurfaceInPlaneA = in.ReadReal("MsdSurfaceInPlaneA");
    in.SkipLine();
    m.MsdBulkB = in.ReadReal("MsdBulkB");
    m.MsdSurfaceNormalB = in.ReadReal("MsdSurfaceNormalB");
    m.MsdSurfaceInPlaneB = in.ReadReal("MsdSurfaceInPlaneB");
    in.SkipLine();
    for (int t = AA; t <= AB; ++t) {
        for (double& c : m.SplineCoefficients[t]) c = in.ReadReal("SplineCoefficients");
        in.SkipLine();
    }
    const bool failed = in.Failed();
    read.Failure = in.FirstFailure();
    in.Close();

    read.Status = failed ? ModelFileStatus::FormatError : ModelFileStatus::Read;
    if (failed)
        read.Messages.push_back(ErrorBoxMessage("Format error in " + std::string(name) + "."));
    return read;
}

}  // namespace vantrel
