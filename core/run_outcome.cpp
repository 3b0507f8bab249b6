#include "core/run_outcome.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/energy_sums.h"
#include "core/potential_forms.h"

namespace vantrel {

namespace {

constexpr std::string_view FateNames[] = {"stopped", "reflected", "transmitted", "trapped",
                                          "side"};

double Speed2(const ParticleTable& p, std::int32_t i) {
    return p.VX[i] * p.VX[i] + p.VY[i] * p.VY[i] + p.VZ[i] * p.VZ[i];
}

// True when particle i leaves upwards for good, with binding the planar
// energy it still has to overcome near the surface.
bool LeavesUpwards(const ParticleTable& p, std::int32_t i, const OutcomeGeometry& g,
                   double binding) {
    const double height = p.Z[i] - g.SurfaceZ;
    const bool barrier = g.BarrierEnergy > 0;
    const bool passed = (p.Flags[i] & LeftSurface) != 0;
    if (barrier && passed) return true;
    // Above the barrier plane without having passed it: the barrier has
    // turned it back.
    if (barrier && p.Z[i] > g.BarrierPlane) return false;
    if (!barrier && height > g.CutoffRadius) return true;
    if (height <= 0 || p.VZ[i] <= 0) return false;
    const double normal = 0.5 * p.Mass[i] * p.VZ[i] * p.VZ[i];
    return normal > binding + (barrier ? g.BarrierEnergy : 0.0);
}

// True when particle i leaves through the lower face: more than r_c below
// the lowest site, or below it and moving down with normal kinetic energy
// above binding (no barrier acts there).
bool LeavesDownwards(const ParticleTable& p, std::int32_t i, const OutcomeGeometry& g,
                     double binding) {
    const double depth = g.BottomZ - p.Z[i];
    if (depth > g.CutoffRadius) return true;
    if (depth <= SurfaceMargin || p.VZ[i] >= 0) return false;
    return 0.5 * p.Mass[i] * p.VZ[i] * p.VZ[i] > binding;
}

// True when particle i leaves through a side face: more than r_c outside
// the sites' lateral extent, or outside it and moving away with the kinetic
// energy of that motion above binding.
bool LeavesSideways(const ParticleTable& p, std::int32_t i, const OutcomeGeometry& g,
                    double binding) {
    const struct {
        double Outside, Speed;
    } faces[] = {{p.X[i] - g.XMax, p.VX[i]},
                 {g.XMin - p.X[i], -p.VX[i]},
                 {p.Y[i] - g.YMax, p.VY[i]},
                 {g.YMin - p.Y[i], -p.VY[i]}};
    for (const auto& f : faces) {
        if (f.Outside > g.CutoffRadius) return true;
        if (f.Outside > SurfaceMargin && f.Speed > 0 &&
            0.5 * p.Mass[i] * f.Speed * f.Speed > binding)
            return true;
    }
    return false;
}

}  // namespace

std::string_view FateName(ProjectileFate fate) {
    return FateNames[static_cast<std::size_t>(fate)];
}

bool FateFromName(std::string_view name, ProjectileFate& fate) {
    for (std::size_t k = 0; k < std::size(FateNames); ++k) {
        if (name != FateNames[k]) continue;
        fate = static_cast<ProjectileFate>(k);
        return true;
    }
    return false;
}

void MomentumAngles(double vx, double vy, double vz, double sign, double& polar,
                    double& azimuth) {
    const double speed = std::sqrt(vx * vx + vy * vy + vz * vz);
    polar = speed > 0 ? std::acos(std::clamp(sign * vz / speed, -1.0, 1.0)) : 0.0;
    azimuth = (vx != 0 || vy != 0) ? std::atan2(vy, vx) : 0.0;
    if (azimuth < 0) azimuth += 2.0 * std::numbers::pi;
}

RunOutcome ClassifyRun(const ParticleTable& p, const OutcomeGeometry& g,
                       std::vector<SputteredAtom>& sputtered) {
    RunOutcome out;
    sputtered.clear();
    for (std::int32_t i = 1; i <= p.AtomCount; ++i) {
        const double height = p.Z[i] - g.SurfaceZ;
        if (LeavesUpwards(p, i, g, g.SurfaceBinding)) {
            SputteredAtom atom;
            atom.Index = i;
            atom.Energy = 0.5 * p.Mass[i] * Speed2(p, i);
            atom.Height = height;
            MomentumAngles(p.VX[i], p.VY[i], p.VZ[i], 1.0, atom.Polar, atom.Azimuth);
            sputtered.push_back(atom);
            ++out.Sputtered;
            continue;
        }
        if (LeavesDownwards(p, i, g, g.SurfaceBinding)) {
            ++out.LeftBottom;
            continue;
        }
        if (LeavesSideways(p, i, g, g.SurfaceBinding)) {
            ++out.LeftSide;
            continue;
        }
        if (height > SurfaceMargin && p.VZ[i] > 0) ++out.Vibrating;
        if (height > -g.CutoffRadius && height <= g.CutoffRadius &&
            0.5 * p.Mass[i] * Speed2(p, i) > g.SurfaceBinding)
            ++out.FastNearSurface;
    }

    out.ProjectileEnergy = 0.5 * p.Mass[0] * Speed2(p, 0);
    const double height = p.Z[0] - g.SurfaceZ;
    if (LeavesDownwards(p, 0, g, g.ProjectileBound ? g.SurfaceBinding : 0.0)) {
        out.Projectile = ProjectileFate::Transmitted;
        MomentumAngles(p.VX[0], p.VY[0], p.VZ[0], -1.0, out.ProjectilePolar,
                       out.ProjectileAzimuth);
    } else if (height > SurfaceMargin && p.VZ[0] > 0 &&
               LeavesUpwards(p, 0, g, g.ProjectileBound ? g.SurfaceBinding : 0.0)) {
        out.Projectile = ProjectileFate::Reflected;
        MomentumAngles(p.VX[0], p.VY[0], p.VZ[0], 1.0, out.ProjectilePolar,
                       out.ProjectileAzimuth);
    } else if (LeavesSideways(p, 0, g, g.ProjectileBound ? g.SurfaceBinding : 0.0)) {
        out.Projectile = ProjectileFate::LeftSide;
        out.ProjectileDepth = -height;
    } else {
        out.Projectile =
            height > SurfaceMargin ? ProjectileFate::Trapped : ProjectileFate::Stopped;
        out.ProjectileDepth = -height;
    }
    return out;
}

std::int32_t SiteLayers(const ParticleTable& p, double tolerance, std::vector<std::int32_t>& layers) {
    const std::int32_t n = p.AtomCount;
    layers.assign(static_cast<std::size_t>(n) + 1, 0);
    std::vector<std::int32_t> order;
    order.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::int32_t a, std::int32_t b) { return p.SiteZ[a] > p.SiteZ[b]; });
    std::int32_t layer = 0;
    double previous = 0;
    for (const std::int32_t i : order) {
        if (layer == 0 || previous - p.SiteZ[i] > tolerance) ++layer;
        previous = p.SiteZ[i];
        layers[static_cast<std::size_t>(i)] = layer;
    }
    return layer;
}

void SiteExtent(const ParticleTable& p, OutcomeGeometry& g) {
    g.XMin = g.XMax = p.AtomCount >= 1 ? p.SiteX[1] : 0.0;
    g.YMin = g.YMax = p.AtomCount >= 1 ? p.SiteY[1] : 0.0;
    for (std::int32_t i = 2; i <= p.AtomCount; ++i) {
        g.XMin = std::min(g.XMin, p.SiteX[i]);
        g.XMax = std::max(g.XMax, p.SiteX[i]);
        g.YMin = std::min(g.YMin, p.SiteY[i]);
        g.YMax = std::max(g.YMax, p.SiteY[i]);
    }
}

void SiteHeights(const ParticleTable& p, double& top, double& bottom) {
    top = bottom = p.AtomCount >= 1 ? p.SiteZ[1] : 0.0;
    for (std::int32_t i = 2; i <= p.AtomCount; ++i) {
        top = std::max(top, p.SiteZ[i]);
        bottom = std::min(bottom, p.SiteZ[i]);
    }
}

std::int32_t CentralSite(const ParticleTable& p) {
    const std::int32_t n = p.AtomCount;
    if (n < 1) return 0;
    double xMin = p.SiteX[1], xMax = xMin, yMin = p.SiteY[1], yMax = yMin;
    double top = 0, bottom = 0;
    SiteHeights(p, top, bottom);
    for (std::int32_t i = 2; i <= n; ++i) {
        xMin = std::min(xMin, p.SiteX[i]);
        xMax = std::max(xMax, p.SiteX[i]);
        yMin = std::min(yMin, p.SiteY[i]);
        yMax = std::max(yMax, p.SiteY[i]);
    }
    const double cx = 0.5 * (xMin + xMax), cy = 0.5 * (yMin + yMax), cz = 0.5 * (top + bottom);
    std::int32_t best = 0;
    double bestSq = 0;
    for (std::int32_t i = 1; i <= n; ++i) {
        if ((p.InitialFlags[i] & TypeB) != 0) continue;
        const double dx = p.SiteX[i] - cx, dy = p.SiteY[i] - cy, dz = p.SiteZ[i] - cz;
        const double sq = dx * dx + dy * dy + dz * dz;
        if (best == 0 || sq < bestSq) {
            best = i;
            bestSq = sq;
        }
    }
    return best;
}

double LatticeCohesiveEnergy(const ParticleTable& p, const ModelParameters& model,
                             bool binaryTarget, std::int32_t i0) {
    const double rc = model.CutoffRadius;
    // The neighbourhood: i0 as particle 1, then every site within r_c.
    std::vector<std::int32_t> members{i0};
    for (std::int32_t j = 1; j <= p.AtomCount; ++j) {
        if (j == i0) continue;
        const double dx = p.SiteX[j] - p.SiteX[i0], dy = p.SiteY[j] - p.SiteY[i0],
                     dz = p.SiteZ[j] - p.SiteZ[i0];
        if (dx * dx + dy * dy + dz * dz <= rc * rc) members.push_back(j);
    }
    const std::size_t size = members.size() + 1;
    ParticleTable local;
    local.AtomCount = static_cast<std::int32_t>(members.size());
    for (auto* v : {&local.X, &local.Y, &local.Z, &local.EmbeddingFactor, &local.Density})
        v->assign(size, 0.0);
    local.Flags.assign(size, 0);
    local.AtomicNumber.assign(size, 0);
    for (std::size_t k = 0; k < members.size(); ++k) {
        const std::int32_t j = members[k];
        local.X[k + 1] = p.SiteX[j];
        local.Y[k + 1] = p.SiteY[j];
        local.Z[k + 1] = p.SiteZ[j];
        local.Flags[k + 1] = p.InitialFlags[j];
        local.AtomicNumber[k + 1] = p.AtomicNumber[j];
    }
    // Its density sum as the force evaluation forms it, and the embedding
    // factor q = 0.5 / sqrt(rho) the cohesive energy reads.
    const SwitchingRange range = SwitchingRangeOf(model);
    double rho = 0;
    for (std::int32_t k = 2; k <= local.AtomCount; ++k) {
        const double dx = local.X[k] - local.X[1], dy = local.Y[k] - local.Y[1],
                     dz = local.Z[k] - local.Z[1];
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        const PairType t = binaryTarget ? PairTypeOfFlags(local.Flags[1], local.Flags[k]) : AA;
        rho += Switching(range, r) * DensityFunction(PairParametersOf(model, t), r);
    }
    if (rho > 0) local.EmbeddingFactor[1] = 0.5 / std::sqrt(rho);
    return CohesiveEnergy(EnergyView{local, model, binaryTarget}, 1);
}

}  // namespace vantrel
