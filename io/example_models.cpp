#include "io/example_models.h"

#include <string>
#include <utility>

#include "core/spline_fit.h"

namespace vantrel {

namespace {

PairTriple Same(double v) { return {v, v, v}; }

// What every example shares: universal screening for both pair families,
// thermal displacements, a 300 K target, termination at 1 eV, switching on.
ModelFileDescription CommonDescription() {
    ModelFileDescription d;
    d.ProjectileScreeningCode = 0;
    d.ProjectileScreeningFactor = 1.0;
    d.TargetScreeningCode = 0;
    d.TargetScreeningFactor = 1.0;
    d.AttractiveWeight = Same(0.0);
    d.Reserved = Same(0.0);
    d.UseSwitching = true;
    d.StaticLattice = 0;
    d.TargetTemperature = 300.0;
    d.SideBarrier = 0.0;
    d.TerminationEnergy = 1.0;
    d.ProjectileOnlyTest = false;
    return d;
}

// Sutton-Chen: phi = eps (a/r)^n per pair, embedding -c eps sqrt(sum (a/r)^m).
ModelFileDescription SuttonChen(const char* element, double eps, double a, double n, double m,
                                double c) {
    ModelFileDescription d = CommonDescription();
    d.PotentialType = 0;
    d.PairEnergy = Same(eps);
    d.PairLength = Same(a);
    d.RepulsiveExponent = Same(n);
    d.DensityExponent = Same(m);
    d.DensityStrength = Same(c);
    d.FreeLines[0] = std::string("Sutton-Chen ") + element + ": phi = eps (a/r)^n per pair, " +
                     "embedding -c eps sqrt(sum (a/r)^m); projectile Ar (Z 18)";
    d.FreeLines[1] = "Cut-off between the 8th and 9th neighbour shells, switched off over the gap; "
                     "about 2% of the density lattice sum lies beyond it";
    d.FreeLines[2] = "Splines: universal screened Coulomb below r(lo), phi above r(hi), "
                     "fitted with vantrel-spline, monotonic";
    return d;
}

ExampleModel Make(const char* file, std::int32_t z, ModelFileDescription d) {
    ExampleModel e;
    e.FileName = file;
    e.TargetZ = z;
    e.SplinesDecreasing = FitExampleSplines(d, z);
    e.Description = std::move(d);
    return e;
}

}  // namespace

bool FitExampleSplines(ModelFileDescription& description, std::int32_t z) {
    const ModelParameters model = ModelParametersOf(description);
    bool decreasing = true;
    for (int t = AA; t <= AB; ++t) {
        JoiningSplineRequest request;
        if (!TargetSplineRequest(model, static_cast<PairType>(t), z, z, request)) return false;
        const JoiningSpline spline = FitJoiningSpline(request);
        description.Spline[t - 1] = spline.Coefficients;
        decreasing = decreasing && spline.Decreasing;
    }
    return decreasing;
}

std::vector<ExampleModel> ExampleModels() {
    std::vector<ExampleModel> models;

    // Copper: a = 3.61 A, nearest neighbours at 2.55 A; shells 8 and 9 at 7.22 and 7.66 A.
    ModelFileDescription cu = SuttonChen("Cu", 1.2382e-2, 3.61, 9.0, 6.0, 39.432);
    cu.SplineLowRadius = 1.4;
    cu.SplineHighRadius = 2.1;
    cu.SwitchRadius = 7.3;
    cu.CutoffRadius = 7.6;
    cu.Mass = 63.546;
    cu.SurfaceBarrier = 3.49;  // cohesive energy
    cu.MsdA = {0.0070, 0.0140, 0.0105};
    cu.MsdB = cu.MsdA;
    models.push_back(Make("cu_sutton_chen.mdl", 29, cu));

    // The same copper with the continuous density join: the density tapers
    // to 0 from r(hi) down to r(lo); the splines are the same fit.
    ModelFileDescription cuSmooth = cu;
    cuSmooth.SmoothDensityJoin = true;
    cuSmooth.FreeLines[2] = "Splines: universal screened Coulomb below r(lo), phi above r(hi); "
                            "density tapered to 0 from r(hi) down to r(lo) (type 10)";
    models.push_back(Make("cu_sutton_chen_smooth.mdl", 29, cuSmooth));

    // Nickel: a = 3.52 A; shells 8 and 9 at 7.04 and 7.47 A.
    ModelFileDescription ni = SuttonChen("Ni", 1.5707e-2, 3.52, 9.0, 6.0, 39.432);
    ni.SplineLowRadius = 1.4;
    ni.SplineHighRadius = 2.0;
    ni.SwitchRadius = 7.1;
    ni.CutoffRadius = 7.4;
    ni.Mass = 58.6934;
    ni.SurfaceBarrier = 4.44;
    ni.MsdA = {0.0047, 0.0094, 0.0070};
    ni.MsdB = ni.MsdA;
    models.push_back(Make("ni_sutton_chen.mdl", 28, ni));

    // Silver: a = 4.09 A; shells 8 and 9 at 8.18 and 8.68 A.
    ModelFileDescription ag = SuttonChen("Ag", 2.5415e-3, 4.09, 12.0, 6.0, 144.41);
    ag.SplineLowRadius = 1.6;
    ag.SplineHighRadius = 2.4;
    ag.SwitchRadius = 8.25;
    ag.CutoffRadius = 8.6;
    ag.Mass = 107.8682;
    ag.SurfaceBarrier = 2.95;
    ag.MsdA = {0.0085, 0.0170, 0.0128};
    ag.MsdB = ag.MsdA;
    models.push_back(Make("ag_sutton_chen.mdl", 47, ag));

    // Second-moment Tight-Binding copper.  The usual per-atom form
    //   E_i = sum_j A e^(-p (r/r0 - 1)) - sqrt(sum_j xi^2 e^(-2q (r/r0 - 1)))
    // counts every pair term twice when summed over atoms, and its density
    // exponent is 2q: here the pair prefactor is 2A and the density exponent 2q.
    ModelFileDescription tb = CommonDescription();
    tb.PotentialType = 1;
    tb.PairEnergy = Same(2.0 * 0.0855);
    tb.PairLength = Same(2.556);
    tb.RepulsiveExponent = Same(10.960);
    tb.DensityExponent = Same(2.0 * 2.278);
    tb.DensityStrength = Same(1.224);
    tb.Labels[6] = "2A (eV): A = 0.0855 of the per-atom form, doubled (each pair once here)";
    tb.Labels[7] = "r0 (A), nearest-neighbour distance";
    tb.Labels[8] = "p, repulsive exponent: phi = 2A exp(-p (r/r0 - 1))";
    tb.Labels[9] = "2q: q = 2.278, density f = xi^2 exp(-2q (r/r0 - 1))";
    tb.Labels[11] = "xi (eV): embedding -sqrt(sum f)";
    tb.SplineLowRadius = 1.4;
    tb.SplineHighRadius = 2.1;
    tb.SwitchRadius = 5.8;
    tb.CutoffRadius = 6.2;
    tb.Mass = 63.546;
    tb.SurfaceBarrier = 3.49;
    tb.MsdA = {0.0070, 0.0140, 0.0105};
    tb.MsdB = tb.MsdA;
    tb.FreeLines[0] = "Tight-Binding (second moment) Cu: A 0.0855 eV, xi 1.224 eV, p 10.960, "
                      "q 2.278, r0 2.556 A; projectile Ar (Z 18)";
    tb.FreeLines[1] = "Per-atom E_i = sum A e^(-p(r/r0-1)) - sqrt(sum xi^2 e^(-2q(r/r0-1))): "
                      "pair prefactor 2A, density exponent 2q";
    tb.FreeLines[2] = "Cut-off between the 5th and 6th neighbour shells (5.72, 6.26 A); "
                      "splines fitted with vantrel-spline, monotonic";
    models.push_back(Make("cu_tight_binding.mdl", 29, tb));
    return models;
}

}  // namespace vantrel
