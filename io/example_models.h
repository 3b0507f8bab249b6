// The example models shipped in examples/models/: Sutton-Chen Cu, Ni and Ag
// and a second-moment Tight-Binding Cu, each with its joining splines fitted
// by FitJoiningSpline.  The files are regenerated from these descriptions
// (vantrel-spline --examples DIR) and the tests compare them byte for byte.
#pragma once

#include <string>
#include <vector>

#include "io/model_file_writer.h"

namespace vantrel {

struct ExampleModel {
    std::string FileName;            // e.g. "cu_sutton_chen.mdl"
    std::int32_t TargetZ = 0;        // atomic number of the element
    ModelFileDescription Description;  // spline coefficients filled in
    bool SplinesDecreasing = false;  // every fitted cubic is monotonic
};

// Projectile the examples are written for: Ar.
inline constexpr std::int32_t ExampleProjectileZ = 18;

std::vector<ExampleModel> ExampleModels();

// Fills the three spline lines of a description for an elemental target of
// atomic number z; true when every cubic decreases monotonically.
bool FitExampleSplines(ModelFileDescription& description, std::int32_t z);

}  // namespace vantrel
