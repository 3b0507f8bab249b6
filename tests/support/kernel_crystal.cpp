#include "tests/support/kernel_crystal.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/partner_lists.h"
#include "core/potential_forms.h"
#include "core/screening.h"
#include "core/units.h"
#include "core/verlet.h"
#include "core/potential_tables.h"

namespace vantrel::testing {

namespace {

// The screening lengths and records of both pair families, as the model
// reader makes them from the projectile's, the first and the last atom's Z.
bool SetScreening(ModelParameters& m, std::int32_t z0, std::int32_t z1, std::int32_t zn,
                  bool projectileIsB) {
    const std::int32_t pc = m.ProjectileScreeningCode, tc = m.TargetScreeningCode;
    const double pf = m.ProjectileScreeningFactor, tf = m.TargetScreeningFactor;
    PairValues& pl = m.ProjectileScreeningLength;
    PairValues& tl = m.TargetScreeningLength;
    if (!(ScreeningLength(pc, z0, z1, pf, pl[AA]) && ScreeningLength(pc, z0, zn, pf, pl[BB]) &&
          ScreeningLength(pc, z0, projectileIsB ? z1 : zn, pf, pl[AB]) &&
          ScreeningLength(tc, z1, z1, tf, tl[AA]) && ScreeningLength(tc, zn, zn, tf, tl[BB]) &&
          ScreeningLength(tc, z1, zn, tf, tl[AB])))
        return false;
    for (int t = AA; t <= AB; ++t) {
        m.ProjectileScreening[t] = MakeScreeningRecord(pl[t]);
        m.TargetScreening[t] = MakeScreeningRecord(tl[t]);
    }
    return true;
}

// The neighbour search's cell edge: 4 A grown by a tenth until every
// particle, widened by r_c, lies inside the grid.
double FittingCellEdge(const ParticleTable& p, double cutoff) {
    double xMax = -1e300, xMin = 1e300, yMax = -1e300, yMin = 1e300, zMax = -1e300, zMin = 1e300;
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        xMax = std::max(xMax, p.X[i]), xMin = std::min(xMin, p.X[i]);
        yMax = std::max(yMax, p.Y[i]), yMin = std::min(yMin, p.Y[i]);
        zMax = std::max(zMax, p.Z[i]), zMin = std::min(zMin, p.Z[i]);
    }
    double w = 4.0e-10;
    while (!(xMax + cutoff <= 12 * w && xMin - cutoff >= -12 * w && yMax + cutoff <= 12 * w &&
             yMin - cutoff >= -12 * w && zMax + cutoff <= 4 * w && zMin - cutoff >= -12 * w))
        w *= 1.1;
    return w;
}

}  // namespace

KernelCrystal::KernelCrystal(const KernelCrystalSpec& spec) : SelfBombard(spec.SelfBombard) {
    std::vector<CrystalAtom> atoms = spec.Atoms;
    std::string error;
    if (atoms.empty() && !BuildCrystal(spec.Crystal, atoms, error)) return;

    const auto n = static_cast<std::int32_t>(atoms.size());
    ParticleTable& p = Particles;
    p.AtomCount = n;
    const std::size_t size = static_cast<std::size_t>(n) + 1;
    for (std::vector<double>* field :
         {&p.X, &p.Y, &p.Z, &p.SiteX, &p.SiteY, &p.SiteZ, &p.VX, &p.VY, &p.VZ, &p.FX, &p.FY,
          &p.FZ, &p.PrevFX, &p.PrevFY, &p.PrevFZ, &p.Density, &p.EmbeddingFactor, &p.Mass})
        field->assign(size, 0.0);
    p.AtomicNumber.assign(size, 0);
    p.Flags.assign(size, 0u);
    p.InitialFlags.assign(size, 0u);
    for (std::int32_t i = 1; i <= n; ++i) {
        const CrystalAtom& a = atoms[static_cast<std::size_t>(i - 1)];
        p.X[i] = p.SiteX[i] = a.X * MetresPerAngstrom;
        p.Y[i] = p.SiteY[i] = a.Y * MetresPerAngstrom;
        p.Z[i] = p.SiteZ[i] = a.Z * MetresPerAngstrom;
        p.Mass[i] = a.Mass * KilogramsPerAmu;
        p.AtomicNumber[i] = a.AtomicNumber;
        p.Flags[i] = p.InitialFlags[i] = a.Flags;
    }
    p.X[0] = p.X[1] + spec.DeltaX * MetresPerAngstrom;
    p.Y[0] = p.Y[1] + spec.DeltaY * MetresPerAngstrom;
    p.Z[0] = p.Z[1] + spec.Height * MetresPerAngstrom;
    p.Mass[0] = spec.ProjectileMassAmu * KilogramsPerAmu;
    p.AtomicNumber[0] = spec.ProjectileZ;
    p.Flags[0] = p.InitialFlags[0] = spec.ProjectileFlags;
    for (std::int32_t i = 2; i <= n; ++i)
        if (PairTypeOfFlags(p.Flags[1], p.Flags[i]) == AB) BinaryTarget = true;

    Model = ModelParametersOf(spec.Model);
    if (!SetScreening(Model, spec.ProjectileZ, p.AtomicNumber[1], p.AtomicNumber[n],
                      (spec.ProjectileFlags & TypeB) != 0))
        return;
    BuildPotentialTables(Model, Tables);

    SizePartnerLists(Lists, n, spec.MaxPartners);
    SizeCellGrid(Grid, n, spec.MaxPartners);
    SizeForceScratch(Scratch, n);
    SizeEnergyScratch(EnergyWork, n);
    Ok = true;
}

PotentialView KernelCrystal::View() const {
    return MakePotentialView(Particles, Model, Tables, BinaryTarget, SelfBombard);
}

ForceModel KernelCrystal::Forces() const { return {View(), Model.NBodyActive, Workers}; }

EnergyView KernelCrystal::Energy() const { return {Particles, Model, BinaryTarget}; }

EnergyTerms KernelCrystal::Terms() const { return {SelfBombard, false, nullptr}; }

void KernelCrystal::BuildLists(bool bruteForce, double marginAngstrom) {
    const double radius = Model.CutoffRadius + marginAngstrom * MetresPerAngstrom;
    const ListThreads threads{Workers, &ListWork};
    if (bruteForce)
        BuildListsBruteForce(Particles, radius * radius, false, Lists, threads);
    else
        BuildListsCellIndex(Particles, radius * radius,
                            FittingCellEdge(Particles, Model.CutoffRadius), Grid, Lists, threads);
}

void KernelCrystal::EvaluateForces() { EvaluateInitialForces(Particles, Lists, Scratch, Forces()); }

double KernelCrystal::PotentialEnergyNow() {
    EvaluateForces();
    return PotentialEnergy(Energy(), Terms(), EnergyWork, Workers);
}

ForceStatus KernelCrystal::Step(double dt) {
    AdvancePositions(Particles, dt);
    const ForceStatus status = EvaluateStepForces(Particles, Lists, Scratch, Forces(), nullptr);
    AdvanceVelocities(Particles, dt);
    return status;
}

}  // namespace vantrel::testing
