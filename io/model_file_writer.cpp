#include "io/model_file_writer.h"

#include <charconv>
#include <string_view>

#include "io/model_file.h"

namespace vantrel {

namespace {

constexpr std::size_t ValueColumn = 44;  // labels start here (or after the values)

// Shortest text that reads back to the same double.
std::string RealText(double x) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
    return std::string(buffer, result.ptr);
}

void AddLine(std::string& text, const std::string& values, const std::string& label) {
    text += values;
    if (!label.empty()) {
        text += values.size() < ValueColumn ? std::string(ValueColumn - values.size(), ' ')
                                            : std::string(2, ' ');
        text += label;
    }
    text += "\r\n";
}

std::string Triple(const PairTriple& v) {
    return RealText(v[0]) + ' ' + RealText(v[1]) + ' ' + RealText(v[2]);
}

PairValues Scaled(const PairTriple& v, double scale) {
    return {0.0, v[0] * scale, v[1] * scale, v[2] * scale};
}

}  // namespace

std::string StandardModelLabel(int line, std::int32_t potentialType) {
    const bool sc = potentialType == 0;
    switch (line) {
        case 1: return "projectile screening: 0 universal, 1 Lindhard, 2 Firsov length";
        case 2: return "projectile screening length factor";
        case 3: return "target screening: 0 universal, 1 Lindhard, 2 Firsov length";
        case 4: return "target screening length factor";
        case 5: return "potential: 0 Sutton-Chen, 1 Tight-Binding";
        case 6: return sc ? "eps (eV) AA BB AB" : "A (eV) AA BB AB";
        case 7: return sc ? "a (A)" : "r0 (A)";
        case 8: return sc ? "n, repulsive exponent" : "p, repulsive exponent";
        case 9: return sc ? "m, density exponent" : "q, density exponent";
        case 10: return "d, weight of the attractive pair term";
        case 11: return sc ? "c, density strength" : "xi (eV), density strength";
        case 12: return "reserved";
        case 13: return "r(lo spline) (A): screened Coulomb below";
        case 14: return "r(hi spline) (A): N-body potential above";
        case 15: return "r(cut-off) (A)";
        case 16: return "switching function: 1 on, 0 off";
        case 17: return "rsw (A), switching starts";
        case 18: return "static lattice: 0 thermal displacements, 1 none";
        case 19: return "mass of the target element (amu)";
        case 20: return "target temperature (K)";
        case 24: return "surface barrier (eV)";
        case 25: return "side barrier (eV), 0 none";
        case 26: return "termination energy (eV)";
        case 27: return "termination test: 1 projectile only, 0 all particles";
        case 28: return "MSD of A (A^2): bulk, surface normal, surface in-plane";
        case 29: return "MSD of B (A^2): bulk, surface normal, surface in-plane";
        case 30: return "spline AA: c0 (J) c1 (J/m) c2 (J/m^2) c3 (J/m^3)";
        case 31: return "spline BB: c0 c1 c2 c3 (SI)";
        case 32: return "spline AB: c0 c1 c2 c3 (SI)";
        default: return {};
    }
}

std::string ModelFileText(const ModelFileDescription& m) {
    const auto label = [&m](int line) {
        return m.Labels[line].empty() ? StandardModelLabel(line, m.PotentialType) : m.Labels[line];
    };
    const auto integer = [](std::int32_t v) { return std::to_string(v); };
    std::string text;
    AddLine(text, integer(m.ProjectileScreeningCode), label(1));
    AddLine(text, RealText(m.ProjectileScreeningFactor), label(2));
    AddLine(text, integer(m.TargetScreeningCode), label(3));
    AddLine(text, RealText(m.TargetScreeningFactor), label(4));
    if (m.SmoothDensityJoin)
        AddLine(text, integer(m.PotentialType + SmoothJoinTypeOffset),
                m.Labels[5].empty() ? "potential: 10 Sutton-Chen, 11 Tight-Binding, density "
                                      "tapered from r(hi) to r(lo)"
                                    : m.Labels[5]);
    else
        AddLine(text, integer(m.PotentialType), label(5));
    AddLine(text, Triple(m.PairEnergy), label(6));
    AddLine(text, Triple(m.PairLength), label(7));
    AddLine(text, Triple(m.RepulsiveExponent), label(8));
    AddLine(text, Triple(m.DensityExponent), label(9));
    AddLine(text, Triple(m.AttractiveWeight), label(10));
    AddLine(text, Triple(m.DensityStrength), label(11));
    AddLine(text, Triple(m.Reserved), label(12));
    AddLine(text, RealText(m.SplineLowRadius), label(13));
    AddLine(text, RealText(m.SplineHighRadius), label(14));
    AddLine(text, RealText(m.CutoffRadius), label(15));
    AddLine(text, integer(m.UseSwitching ? 1 : 0), label(16));
    AddLine(text, RealText(m.SwitchRadius), label(17));
    AddLine(text, integer(m.StaticLattice), label(18));
    AddLine(text, RealText(m.Mass), label(19));
    AddLine(text, RealText(m.TargetTemperature), label(20));
    for (const std::string& free : m.FreeLines) AddLine(text, free, {});
    AddLine(text, RealText(m.SurfaceBarrier), label(24));
    AddLine(text, RealText(m.SideBarrier), label(25));
    AddLine(text, RealText(m.TerminationEnergy), label(26));
    AddLine(text, integer(m.ProjectileOnlyTest ? 1 : 0), label(27));
    AddLine(text, Triple(m.MsdA), label(28));
    AddLine(text, Triple(m.MsdB), label(29));
    for (int t = 0; t < 3; ++t) {
        const SplineCoefficients& c = m.Spline[t];
        AddLine(text,
                RealText(c[0]) + ' ' + RealText(c[1]) + ' ' + RealText(c[2]) + ' ' +
                    RealText(c[3]),
                label(30 + t));
    }
    return text;
}

ModelParameters ModelParametersOf(const ModelFileDescription& d) {
    ModelParameters m;
    m.ProjectileScreeningCode = d.ProjectileScreeningCode;
    m.ProjectileScreeningFactor = d.ProjectileScreeningFactor;
    m.TargetScreeningCode = d.TargetScreeningCode;
    m.TargetScreeningFactor = d.TargetScreeningFactor;
    m.PotentialType = d.PotentialType;
    m.SmoothDensityJoin = d.SmoothDensityJoin;
    m.PairEnergy = Scaled(d.PairEnergy, JoulesPerEvInput);
    m.PairLength = Scaled(d.PairLength, MetresPerAngstrom);
    m.RepulsiveExponent = Scaled(d.RepulsiveExponent, 1.0);
    m.DensityExponent = Scaled(d.DensityExponent, 1.0);
    m.AttractiveWeight = Scaled(d.AttractiveWeight, 1.0);
    m.DensityStrength = Scaled(d.DensityStrength, d.PotentialType != 0 ? JoulesPerEvInput : 1.0);
    m.Reserved = Scaled(d.Reserved, 1.0);
    m.NBodyActive = d.DensityStrength[0] != 0.0 || d.DensityStrength[1] != 0.0 ||
                    d.DensityStrength[2] != 0.0;
    m.SplineLowRadius = d.SplineLowRadius * MetresPerAngstrom;
    m.SplineHighRadius = d.SplineHighRadius * MetresPerAngstrom;
    m.SplineHighRadiusSq = m.SplineHighRadius * m.SplineHighRadius;
    m.CutoffRadius = d.CutoffRadius * MetresPerAngstrom;
    m.UseSwitching = d.UseSwitching;
    m.SwitchRadius = d.SwitchRadius * MetresPerAngstrom;
    m.StaticLattice = d.StaticLattice;
    m.ModelMass = d.Mass;
    m.TargetTemperature = d.TargetTemperature;
    m.SurfaceBarrier = d.SurfaceBarrier * JoulesPerEvInput;
    m.SideBarrier = d.SideBarrier * JoulesPerEvInput;
    m.TerminationEnergy = d.TerminationEnergy * JoulesPerEvInput;
    m.ProjectileOnlyTest = d.ProjectileOnlyTest;
    m.MsdBulkA = d.MsdA[0];
    m.MsdSurfaceNormalA = d.MsdA[1];
    m.MsdSurfaceInPlaneA = d.MsdA[2];
    m.MsdBulkB = d.MsdB[0];
    m.MsdSurfaceNormalB = d.MsdB[1];
    m.MsdSurfaceInPlaneB = d.MsdB[2];
    for (int t = 0; t < 3; ++t) m.SplineCoefficients[t + 1] = d.Spline[t];
    return m;
}

}  // namespace vantrel
