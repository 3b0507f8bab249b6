// Writes model files: the values in the units of the file, one line per
// logical value or group, each followed by a label that documents it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/model_parameters.h"
#include "core/units.h"
#include "core/potential_forms.h"

namespace vantrel {

using PairTriple = std::array<double, 3>;  // AA, BB, AB

// A model in the units of the file (eV, A, amu, K, A^2; spline SI).
struct ModelFileDescription {
    std::int32_t ProjectileScreeningCode = 0;
    double ProjectileScreeningFactor = 1.0;
    std::int32_t TargetScreeningCode = 0;
    double TargetScreeningFactor = 1.0;
    std::int32_t PotentialType = 0;
    // Written as potential type 10 or 11: the continuous density join.
    bool SmoothDensityJoin = false;
    PairTriple PairEnergy{};        // eV
    PairTriple PairLength{};        // A
    PairTriple RepulsiveExponent{};
    PairTriple DensityExponent{};
    PairTriple AttractiveWeight{};
    PairTriple DensityStrength{};   // pure number (Sutton-Chen) or eV (Tight-Binding)
    PairTriple Reserved{};
    double SplineLowRadius = 0;     // A
    double SplineHighRadius = 0;    // A
    double CutoffRadius = 0;        // A
    bool UseSwitching = false;
    double SwitchRadius = 0;        // A
    std::int32_t StaticLattice = 0;
    double Mass = 0;                // amu
    double TargetTemperature = 0;   // K
    std::array<std::string, 3> FreeLines;  // lines 21-23, any text
    double SurfaceBarrier = 0;      // eV
    double SideBarrier = 0;         // eV
    double TerminationEnergy = 0;   // eV
    bool ProjectileOnlyTest = false;
    PairTriple MsdA{};              // bulk, surface normal, surface in-plane (A^2)
    PairTriple MsdB{};
    std::array<SplineCoefficients, 3> Spline{};  // AA, BB, AB; SI
    // Labels by line number 1..32 (index 0 unused); empty entries get the
    // standard label of the line.
    std::array<std::string, 33> Labels;
};

// The standard label of a line (1..32) for a potential type.
std::string StandardModelLabel(int line, std::int32_t potentialType);

// The whole file text; numbers are written so that they read back exactly.
std::string ModelFileText(const ModelFileDescription& model);

// The values the model reader would store for this description (SI), for
// fitting splines before the file exists.
ModelParameters ModelParametersOf(const ModelFileDescription& model);

}  // namespace vantrel
