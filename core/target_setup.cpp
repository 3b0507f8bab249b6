// Placing the projectile, with h = StartHeight and (x1, y1, z1) atom 1's
// lattice site, the beam coming in at Altitude above the surface plane and
// Azimuth from the x axis:
//
//   x0 = x1 + DeltaX + h cot(Altitude) cos(Azimuth)
//   y0 = y1 + DeltaY + h cot(Altitude) sin(Azimuth)
//   z0 = z1 + h
//
// so the projectile starts on the straight line through the aiming point
// (x1 + DeltaX, y1 + DeltaY, z1) along the beam.
//
// Thermal displacement sample for a mean square s (A^2), sigma = sqrt(s):
// sign = +1 if the first uniform number is below 1/2, else -1; c = 1 - the
// second; then d = sqrt(-2 ln(1 - u)) sigma sign cos(2 pi c), redrawing only
// u until 2.5 sigma > d.  Every draw comes from the job's one generator, in
// the order the runs make them, so a fixed seed repeats a job exactly.
#include "core/target_setup.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel {

namespace {

constexpr double BulkDepth = 1.0e-10;      // m below atom 1: deeper atoms are bulk
constexpr double DisplacementCut = 2.5;    // sigma: larger positive deviates are redrawn
constexpr double CellGrowth = 1.1;         // factor per cell-edge enlargement
constexpr double GridCellsLateral = 12.0;  // cells from the grid's centre to a side
constexpr double GridCellsTop = 4.0;       // cells from the centre to the top
// Below this |sin(altitude)| the beam lies in the surface plane and the
// projectile's start is undefined (altitude 0 or 180 degrees).
constexpr double GrazingSineLimit = 1.0e-9;

bool IsB(std::uint32_t flags) { return (flags & TypeB) != 0; }

}  // namespace

void PlaceOnSite(ParticleTable& p, std::int32_t i, const TargetAtom& atom) {
    p.X[i] = p.SiteX[i] = atom.X;
    p.Y[i] = p.SiteY[i] = atom.Y;
    p.Z[i] = p.SiteZ[i] = atom.Z;
    p.AtomicNumber[i] = atom.AtomicNumber;
    p.Mass[i] = atom.Mass;
    p.Flags[i] = p.InitialFlags[i] = atom.Flags;
}

bool BeamStartDefined(double altitude) { return std::fabs(std::sin(altitude)) >= GrazingSineLimit; }

double ThermalDisplacementSample(RandomGenerator& random, double meanSquare) {
    // The acceptance test below can never pass for sigma = 0.
    if (!(meanSquare > 0.0) || !std::isfinite(meanSquare)) return 0.0;
    const double sigma = std::sqrt(meanSquare);
    const double sign = random.Uniform() < 0.5 ? 1.0 : -1.0;
    const double c = 1.0 - random.Uniform();
    const double angle = std::cos(2.0 * std::numbers::pi * c);
    double d;
    do {
        d = std::sqrt(-2.0 * std::log(1.0 - random.Uniform())) * sigma * sign * angle;
    } while (!(DisplacementCut * sigma > d));
    return d * MetresPerAngstrom;
}

void PlaceProjectile(ParticleTable& p, const ImpactPoint& impact, const RunParameters& run) {
    const double h = impact.StartHeight * MetresPerAngstrom;
    const double altitude = run.Altitude;
    const double azimuth = run.Azimuth;
    const double travel = h * std::cos(altitude) / std::sin(altitude);  // lateral travel to the aim
    p.X[0] = p.SiteX[1] + impact.DeltaX * MetresPerAngstrom + travel * std::cos(azimuth);
    p.Y[0] = p.SiteY[1] + impact.DeltaY * MetresPerAngstrom + travel * std::sin(azimuth);
    p.Z[0] = p.SiteZ[1] + h;
    p.Flags[0] = p.InitialFlags[0];
}

void DisplaceThermally(ParticleTable& p, std::int32_t i, const ModelParameters& m,
                       bool noYVibration, RandomGenerator& random) {
    const bool bulk = p.Z[1] - BulkDepth > p.Z[i];
    const bool b = IsB(p.Flags[i]);
    double inPlane, normal;
    if (bulk) {
        inPlane = normal = b ? m.MsdBulkB : m.MsdBulkA;
    } else {
        inPlane = b ? m.MsdSurfaceInPlaneB : m.MsdSurfaceInPlaneA;
        normal = b ? m.MsdSurfaceNormalB : m.MsdSurfaceNormalA;
    }
    p.X[i] += ThermalDisplacementSample(random, inPlane);
    if (!noYVibration) p.Y[i] += ThermalDisplacementSample(random, inPlane);
    p.Z[i] += ThermalDisplacementSample(random, normal);
}

void ResetTarget(ParticleTable& p, const ImpactPoint& impact, const RunParameters& run,
                 const ModelParameters& model, bool noYVibration, RandomGenerator& random) {
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        p.X[i] = p.SiteX[i];
        p.Y[i] = p.SiteY[i];
        p.Z[i] = p.SiteZ[i];
        p.Flags[i] = p.InitialFlags[i];
        if (i == 1) PlaceProjectile(p, impact, run);
        if (model.StaticLattice == 0) DisplaceThermally(p, i, model, noYVibration, random);
    }
}

SpeciesDetection DetectSpecies(const ParticleTable& p, bool assumeElemental) {
    SpeciesDetection result;
    const std::int32_t n = p.AtomCount;
    if (!assumeElemental) {
        for (std::int32_t i = 2; i <= n; ++i) {
            if (PairTypeOfFlags(p.Flags[1], p.Flags[i]) == AB) {
                result.BinaryTarget = true;
                break;
            }
        }
    }
    if (result.BinaryTarget && !IsB(p.Flags[n]))
        result.Status = SpeciesStatus::LastAtomNotB;
    else if (result.BinaryTarget && IsB(p.Flags[1]))
        result.Status = SpeciesStatus::FirstAtomIsB;
    return result;
}

SelfBombardmentCheck CheckSelfBombardment(bool selfBombard, const SpeciesAtomicNumbers& s) {
    if (selfBombard) {
        if ((!s.ProjectileIsB && s.ProjectileZ != s.FirstZ) ||
            (s.ProjectileIsB && s.ProjectileZ != s.LastZ))
            return SelfBombardmentCheck::ProjectileNotTargetSpecies;
    } else if (s.ProjectileZ == s.FirstZ || s.ProjectileZ == s.LastZ) {
        return SelfBombardmentCheck::ProjectileIsTargetSpecies;
    }
    return SelfBombardmentCheck::Consistent;
}

void ComputeLatticeZone(const ParticleTable& p, double rc, LatticeZone& zone, double& surfaceZ) {
    zone.XMax = zone.XMin = p.X[1];
    zone.YMax = zone.YMin = p.Y[1];
    zone.ZMax = zone.ZMin = p.Z[1];
    surfaceZ = p.Z[1];
    for (std::int32_t i = 0; i <= p.AtomCount; ++i) {
        if (i >= 1 && p.Z[i] > zone.ZMax) surfaceZ = p.Z[i];
        zone.XMax = std::max(zone.XMax, p.X[i]);
        zone.XMin = std::min(zone.XMin, p.X[i]);
        zone.YMax = std::max(zone.YMax, p.Y[i]);
        zone.YMin = std::min(zone.YMin, p.Y[i]);
        zone.ZMax = std::max(zone.ZMax, p.Z[i]);
        zone.ZMin = std::min(zone.ZMin, p.Z[i]);
    }
    zone.XMax += rc;
    zone.XMin -= rc;
    zone.YMax += rc;
    zone.YMin -= rc;
    zone.ZMax += rc;
    zone.ZMin -= rc;
}

void FitCellGrid(const LatticeZone& zone, double& edge, double& halfWidth, double& top) {
    // Terminates: the zone is finite (positions come from checked numbers and
    // a defined beam), and the edge grows geometrically.
    while (!(zone.XMax <= GridCellsLateral * edge && zone.XMin >= -GridCellsLateral * edge &&
             zone.YMax <= GridCellsLateral * edge && zone.YMin >= -GridCellsLateral * edge &&
             zone.ZMax <= GridCellsTop * edge && zone.ZMin >= -GridCellsLateral * edge))
        edge *= CellGrowth;
    halfWidth = GridCellsLateral * edge;
    top = GridCellsLateral * edge / 3.0;
}

}  // namespace vantrel
