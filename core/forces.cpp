#include "core/forces.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

#include "core/inelastic.h"

namespace vantrel {

namespace {

// The faults that end a guarded pass (inexact and underflow are ordinary).
constexpr int FaultFlags = FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO;

// The arrays and model values of one evaluation, copied into locals once.
struct ForceArrays {
    std::int32_t Count = 0;  // n: particles 0..n
    const double* X = nullptr;
    const double* Y = nullptr;
    const double* Z = nullptr;
    double* FX = nullptr;
    double* FY = nullptr;
    double* FZ = nullptr;
    double* Density = nullptr;          // density sums
    double* EmbeddingFactor = nullptr;  // q = 0.5/sqrt(rho)
    const std::uint32_t* Flags = nullptr;
    const std::uint32_t* Start = nullptr;  // partners of i: Start[i] .. Start[i + 1] - 1
    const std::int32_t* Index = nullptr;
    double* DistSq = nullptr;
    PackedParticle* Packed = nullptr;  // positions and densities, one record each
    PackedForce* PackedForces = nullptr;
    ForceScratch* Scratch = nullptr;  // with the pairs within r_c of rows First..n
    double CutoffSq = 0;  // r_c^2
    double HighSq = 0;    // DensityRadius^2: r_hi^2, r_lo^2 with the continuous density join
    bool NBody = false;
    std::int32_t First = 1;  // first particle of the density sums: 0 with self-bombardment
};

ForceArrays ArraysOf(ParticleTable& p, PartnerLists& lists, ForceScratch& scratch,
                     const ForceModel& model) {
    const PotentialView& v = model.Potential;
    ForceArrays a;
    a.Count = p.AtomCount;
    a.X = p.X.data();
    a.Y = p.Y.data();
    a.Z = p.Z.data();
    a.FX = p.FX.data();
    a.FY = p.FY.data();
    a.FZ = p.FZ.data();
    a.Density = p.Density.data();
    a.EmbeddingFactor = p.EmbeddingFactor.data();
    a.Flags = p.Flags.data();
    a.Start = lists.Start.data();
    a.Index = lists.Index.data();
    a.DistSq = lists.DistSq.data();
    a.Packed = scratch.Particles.data();
    a.PackedForces = scratch.Forces.data();
    a.Scratch = &scratch;
    a.CutoffSq = v.CutoffRadius * v.CutoffRadius;
    a.HighSq = v.DensityRadius * v.DensityRadius;
    a.NBody = model.NBodyActive;
    a.First = v.SelfBombard ? 0 : 1;
    return a;
}

// Squared distance of i and j, summed y, x, z.
inline double DistanceSq(const ForceArrays& a, double xi, double yi, double zi, std::int32_t j) {
    const double dy = yi - a.Y[j];
    const double dx = xi - a.X[j];
    const double dz = zi - a.Z[j];
    return dy * dy + dx * dx + dz * dz;
}

// The projectile's distances when it takes no part in the density sums.
void ProjectileDistances(const ForceArrays& a) {
    const double x0 = a.X[0], y0 = a.Y[0], z0 = a.Z[0];
    for (std::uint32_t k = a.Start[0]; k < a.Start[1]; ++k)
        a.DistSq[k] = DistanceSq(a, x0, y0, z0, a.Index[k]);
}

// The packed copies of positions and density sums, and back.
void PackParticles(const ForceArrays& a) {
    PackedParticle* packed = a.Packed;
    for (std::int32_t i = 0; i <= a.Count; ++i) packed[i] = {a.X[i], a.Y[i], a.Z[i], a.Density[i]};
}

void PackDensities(const ForceArrays& a) {
    for (std::int32_t i = 0; i <= a.Count; ++i) a.Packed[i].DensityOrFactor = a.Density[i];
}

void PackForces(const ForceArrays& a) {
    PackedForce* forces = a.PackedForces;
    for (std::int32_t i = 0; i <= a.Count; ++i) forces[i] = {a.FX[i], a.FY[i], a.FZ[i], 0.0};
}

void UnpackForces(const ForceArrays& a) {
    const PackedForce* forces = a.PackedForces;
    for (std::int32_t i = 0; i <= a.Count; ++i) {
        a.FX[i] = forces[i].X;
        a.FY[i] = forces[i].Y;
        a.FZ[i] = forces[i].Z;
    }
}

// ---------------------------------------------------------------------------
// Density pass.

// The designed growth of the gathered pairs' arrays, to hold at least room
// entries: at once to three quarters of the listed pairs when they hold less
// (the first evaluation of a job), by an eighth at a time after that.  Never
// shrunk within a job.
[[gnu::noinline]] void GrowInsidePairs(ForceScratch& scratch, std::size_t room,
                                       std::size_t listedPairs) {
    const std::size_t size = scratch.InsideIndex.size();
    const std::size_t grown = std::max({room, listedPairs - listedPairs / 4, size + size / 8});
    scratch.InsideIndex.resize(grown);
    scratch.InsideDistance.resize(grown);
}

// Distances and density sums of rows First..n.  Each row is two loops:
// the first stores every listed pair's squared distance and gathers the
// pairs within r_c (each candidate is written, the count advances only for
// a pair inside, so the loop has no branch that depends on the data); the
// second takes the root of the gathered pairs, keeps it for the force pass
// and, above r_hi, adds the density.  The sums see the same pairs in the
// same order as a single loop over the list would.  NBody: whether the
// model has a density at all.  Binary: whether the pair's class picks the
// table (a binary target) or every pair reads AA.
template <bool NBody, bool Binary>
void DensityRows(const ForceArrays& a, const PotentialView& v) {
    PackedParticle* packed = a.Packed;
    const std::uint32_t* flags = a.Flags;
    const std::uint32_t* start = a.Start;
    const std::int32_t* index = a.Index;
    double* dist = a.DistSq;
    ForceScratch& scratch = *a.Scratch;
    std::uint32_t* insideStart = scratch.InsideStart.data();
    std::int32_t* insideIndex = scratch.InsideIndex.data();
    double* insideDistance = scratch.InsideDistance.data();
    const double cutoffSq = a.CutoffSq;
    const double highSq = a.HighSq;
    const float* densityAA = v.Density[AA];

    for (std::int32_t i = 0; i < a.First; ++i) insideStart[i] = 0;
    std::uint32_t inside = 0;
    for (std::int32_t i = a.First; i <= a.Count; ++i) {
        const double xi = packed[i].X, yi = packed[i].Y, zi = packed[i].Z;
        const std::uint32_t rowInside = inside;
        insideStart[i] = rowInside;
        // Room for the whole row: every candidate is written before it is
        // known to be kept.
        const std::size_t room = std::size_t{rowInside} + (start[i + 1] - start[i]);
        if (room > scratch.InsideIndex.size()) {
            GrowInsidePairs(scratch, room, start[a.Count + 1]);
            insideIndex = scratch.InsideIndex.data();
            insideDistance = scratch.InsideDistance.data();
        }
        for (std::uint32_t k = start[i], end = start[i + 1]; k < end; ++k) {
            const std::int32_t j = index[k];
            const PackedParticle& pj = packed[j];
            const double dy = yi - pj.Y;
            const double dx = xi - pj.X;
            const double dz = zi - pj.Z;
            const double d2 = dy * dy + dx * dx + dz * dz;
            dist[k] = d2;
            insideIndex[inside] = j;
            insideDistance[inside] = d2;
            // The force pass's own test: it skips a pair only when d2 > r_c^2,
            // so a distance that is not a number is kept (and faults there).
            inside += !(d2 > cutoffSq);
        }
        double rhoi = packed[i].DensityOrFactor;
        for (std::uint32_t m = rowInside; m < inside; ++m) {
            const double d2 = insideDistance[m];
            const double r = std::sqrt(d2);
            insideDistance[m] = r;
            // d2 <= r_c^2 holds for every gathered pair that is a number.
            if (NBody && d2 > highSq) {
                const std::int32_t j = insideIndex[m];
                const float* table =
                    Binary ? v.Density[PairTypeOfFlags(flags[i], flags[j])] : densityAA;
                const double c = DensityLookup(table, r);
                rhoi += c;
                packed[j].DensityOrFactor += c;
            }
        }
        packed[i].DensityOrFactor = rhoi;
    }
    insideStart[a.Count + 1] = inside;
}

// The density pass again from empty sums, testing the fault flags after
// every pair: the sums stop at the pair that raised a fault (its share is
// not added), the distances are still stored for every pair.  True when a
// fault stopped the sums.
bool DensityRowsGuarded(const ForceArrays& a, const PotentialView& v) {
    for (std::int32_t i = a.First; i <= a.Count; ++i) a.Density[i] = 0.0;
    bool stopped = false;
    for (std::int32_t i = a.First; i <= a.Count; ++i) {
        const double xi = a.X[i], yi = a.Y[i], zi = a.Z[i];
        for (std::uint32_t k = a.Start[i], end = a.Start[i + 1]; k < end; ++k) {
            const std::int32_t j = a.Index[k];
            std::feclearexcept(FaultFlags);
            const double d2 = DistanceSq(a, xi, yi, zi, j);
            a.DistSq[k] = d2;
            if (stopped) continue;
            const bool inside = a.NBody && d2 <= a.CutoffSq && d2 > a.HighSq;
            const double c = inside ? DensityContribution(v, i, j, std::sqrt(d2)) : 0.0;
            if (std::fetestexcept(FaultFlags)) {
                stopped = true;
                continue;
            }
            if (inside) {
                a.Density[i] += c;
                a.Density[j] += c;
            }
        }
    }
    return stopped;
}

// The density pass over the packed records; the sums stay there.
void DensityPass(const ForceArrays& a, const PotentialView& v) {
    PackParticles(a);
    if (!a.NBody)
        DensityRows<false, false>(a, v);
    else if (v.BinaryTarget)
        DensityRows<true, true>(a, v);
    else
        DensityRows<true, false>(a, v);
}

// Density sum -> embedding factor q = 0.5/sqrt(rho), each particle on its
// own: a sum that is not a number gives 0 (no N-body force on that
// particle), a sum at or below the floor stays as it is.  The comparisons
// are the quiet kind, so this raises no flag.  Reads the packed sums, keeps
// them in Density and leaves the factors in both the packed records (for
// the force pass) and EmbeddingFactor.
void EmbeddingTransform(const ForceArrays& a) {
    PackedParticle* packed = a.Packed;
    double* rho = a.Density;
    double* factor = a.EmbeddingFactor;
    for (std::int32_t i = 0; i <= a.Count; ++i) {
        const double sum = packed[i].DensityOrFactor;
        double value = sum;
        if (a.NBody && i >= a.First) {
            if (std::isgreater(value, DensityFloor))
                value = 0.5 / std::sqrt(value);
            else if (std::isnan(value))
                value = 0.0;
        }
        rho[i] = sum;
        packed[i].DensityOrFactor = value;
        factor[i] = value;
    }
}

// ---------------------------------------------------------------------------
// Force pass.

// Force factor of a target pair closer than r_lo: the screened-Coulomb
// repulsion.  Rare (only in hard collisions), so kept out of the loop.
[[gnu::noinline]] double CloseTargetFactor(const PotentialView& v, std::int32_t i, std::int32_t j,
                                           double r) {
    return ScreenedForceFactor(v, i, j, r, v.TargetFunction, TargetBranchRecord(v, i, j));
}

// Rows first..n of the target branch (every row but the projectile's when it
// is no target atom), over the pairs within r_c that the density pass
// gathered.  The same arithmetic as PairForce, term for term.
template <bool Binary>
void TargetForceRows(const ForceArrays& a, const PotentialView& v, std::int32_t first) {
    const PackedParticle* packed = a.Packed;
    PackedForce* forces = a.PackedForces;
    const std::uint32_t* flags = a.Flags;
    const std::uint32_t* insideStart = a.Scratch->InsideStart.data();
    const std::int32_t* insideIndex = a.Scratch->InsideIndex.data();
    const double* insideDistance = a.Scratch->InsideDistance.data();
    const double low = v.LowRadius;
    const double high = v.DensityRadius;
    const float* pairAA = v.PairForce[AA];
    const float* densityForceAA = v.DensityForce[AA];

    for (std::int32_t i = first; i <= a.Count; ++i) {
        const double xi = packed[i].X, yi = packed[i].Y, zi = packed[i].Z;
        const double qi = packed[i].DensityOrFactor;  // embedding factors by now
        double fxi = forces[i].X, fyi = forces[i].Y, fzi = forces[i].Z;
        for (std::uint32_t m = insideStart[i], end = insideStart[i + 1]; m < end; ++m) {
            const std::int32_t j = insideIndex[m];
            const PackedParticle& pj = packed[j];
            const double r = insideDistance[m];
            const double dx = xi - pj.X;
            const double dy = yi - pj.Y;
            const double dz = zi - pj.Z;
            double f;
            if (r >= low) {
                // One table index for the pair-force and density-force tables.
                const TablePoint p = TablePointOf(r);
                const PairType t = Binary ? PairTypeOfFlags(flags[i], flags[j]) : AA;
                f = Interpolate(Binary ? v.PairForce[t] : pairAA, p);
                if (r > high)
                    f += (qi + pj.DensityOrFactor) *
                         Interpolate(Binary ? v.DensityForce[t] : densityForceAA, p);
            } else {
                f = CloseTargetFactor(v, i, j, r);
            }
            const double gx = f * dx, gy = f * dy, gz = f * dz;
            fxi += gx;
            fyi += gy;
            fzi += gz;
            PackedForce& fj = forces[j];
            fj.X -= gx;
            fj.Y -= gy;
            fj.Z -= gz;
        }
        forces[i].X = fxi;
        forces[i].Y = fyi;
        forces[i].Z = fzi;
    }
}

// One row through the general pair force (the projectile's row).
void GeneralForceRow(const ForceArrays& a, const PotentialView& v, std::int32_t i) {
    const PackedParticle* packed = a.Packed;
    PackedForce* forces = a.PackedForces;
    const double xi = packed[i].X, yi = packed[i].Y, zi = packed[i].Z;
    for (std::uint32_t k = a.Start[i], end = a.Start[i + 1]; k < end; ++k) {
        const double d2 = a.DistSq[k];
        if (d2 > a.CutoffSq) continue;
        const std::int32_t j = a.Index[k];
        const ForceVector f = PairForce(v, i, j, std::sqrt(d2), xi - packed[j].X, yi - packed[j].Y,
                                        zi - packed[j].Z);
        forces[i].X += f.X;
        forces[i].Y += f.Y;
        forces[i].Z += f.Z;
        forces[j].X -= f.X;
        forces[j].Y -= f.Y;
        forces[j].Z -= f.Z;
    }
}

// The force pass over the packed records; the forces end in FX, FY, FZ.
void ForcePass(const ForceArrays& a, const PotentialView& v) {
    PackForces(a);
    std::int32_t first = 0;
    if (!v.SelfBombard) {
        GeneralForceRow(a, v, 0);
        first = 1;
    }
    if (v.BinaryTarget)
        TargetForceRows<true>(a, v, first);
    else
        TargetForceRows<false>(a, v, first);
    UnpackForces(a);
}

void ImageForcePass(const ForceArrays& a, const InelasticParameters& parameters) {
    for (std::int32_t i = 0; i <= a.Count; ++i)
        if (a.Flags[i] & ImageCharge) a.FZ[i] += ImageForce(parameters, a.Z[i]);
}

// The force pass (and the image force) again from zero forces, testing the
// fault flags after every pair and every image term: the sums stop at the
// first term that raised a fault, which is not added.  True when a fault
// stopped them.
bool ForcePassGuarded(const ForceArrays& a, const PotentialView& v,
                      const InelasticParameters* image) {
    for (std::int32_t i = 0; i <= a.Count; ++i) a.FX[i] = a.FY[i] = a.FZ[i] = 0.0;
    for (std::int32_t i = 0; i <= a.Count; ++i) {
        const double xi = a.X[i], yi = a.Y[i], zi = a.Z[i];
        for (std::uint32_t k = a.Start[i], end = a.Start[i + 1]; k < end; ++k) {
            std::feclearexcept(FaultFlags);
            const double d2 = a.DistSq[k];
            const bool inside = d2 <= a.CutoffSq;
            if (!inside) {
                if (std::fetestexcept(FaultFlags)) return true;
                continue;
            }
            const std::int32_t j = a.Index[k];
            const ForceVector f = PairForce(v, i, j, std::sqrt(d2), xi - a.X[j], yi - a.Y[j], zi - a.Z[j]);
            const double fxi = a.FX[i] + f.X, fyi = a.FY[i] + f.Y, fzi = a.FZ[i] + f.Z;
            const double fxj = a.FX[j] - f.X, fyj = a.FY[j] - f.Y, fzj = a.FZ[j] - f.Z;
            if (std::fetestexcept(FaultFlags)) return true;
            a.FX[i] = fxi;
            a.FY[i] = fyi;
            a.FZ[i] = fzi;
            a.FX[j] = fxj;
            a.FY[j] = fyj;
            a.FZ[j] = fzj;
        }
    }
    if (image) {
        for (std::int32_t i = 0; i <= a.Count; ++i) {
            if (!(a.Flags[i] & ImageCharge)) continue;
            std::feclearexcept(FaultFlags);
            const double fzi = a.FZ[i] + ImageForce(*image, a.Z[i]);
            if (std::fetestexcept(FaultFlags)) return true;
            a.FZ[i] = fzi;
        }
    }
    return false;
}

void CopyForcesToPrevious(ParticleTable& p) {
    std::copy(p.FX.begin(), p.FX.end(), p.PrevFX.begin());
    std::copy(p.FY.begin(), p.FY.end(), p.PrevFY.begin());
    std::copy(p.FZ.begin(), p.FZ.end(), p.PrevFZ.begin());
}

}  // namespace

void SizeForceScratch(ForceScratch& scratch, std::int32_t atomCount) {
    const std::size_t size = static_cast<std::size_t>(atomCount) + 1;
    scratch.Particles.assign(size, PackedParticle{});
    scratch.Forces.assign(size, PackedForce{});
    scratch.InsideStart.assign(size + 1, 0u);
    scratch.InsideIndex.assign(size * InitialInsidePairsPerParticle, 0);
    scratch.InsideDistance.assign(size * InitialInsidePairsPerParticle, 0.0);
}

void ClearForcesAndDensity(ParticleTable& p) {
    const std::int32_t n = p.AtomCount;
    double* fx = p.FX.data();
    double* fy = p.FY.data();
    double* fz = p.FZ.data();
    double* rho = p.Density.data();
    for (std::int32_t i = 0; i <= n; ++i) fx[i] = fy[i] = fz[i] = rho[i] = 0.0;
}

void EvaluateInitialForces(ParticleTable& p, PartnerLists& lists, ForceScratch& scratch,
                           const ForceModel& model) {
    ClearForcesAndDensity(p);
    const ForceArrays a = ArraysOf(p, lists, scratch, model);
    const PotentialView& v = model.Potential;
    if (!v.SelfBombard) ProjectileDistances(a);
    DensityPass(a, v);
    EmbeddingTransform(a);
    ForcePass(a, v);
    CopyForcesToPrevious(p);
}

ForceStatus EvaluateStepForces(ParticleTable& p, PartnerLists& lists, ForceScratch& scratch,
                               const ForceModel& model, const InelasticParameters* image) {
    const ForceArrays a = ArraysOf(p, lists, scratch, model);
    const PotentialView& v = model.Potential;
    ForceStatus status;

    if (!v.SelfBombard) ProjectileDistances(a);

    // Faults raised before the guarded passes stay for the caller.
    std::fexcept_t before;
    std::fegetexceptflag(&before, FE_ALL_EXCEPT);

    // The passes run at full speed with one flag test each; only a pass
    // that raised a fault runs again pair by pair to find where it stops.
    std::feclearexcept(FE_ALL_EXCEPT);
    DensityPass(a, v);
    if (std::fetestexcept(FaultFlags)) {
        status.DensityFault = DensityRowsGuarded(a, v);
        PackDensities(a);
    }

    EmbeddingTransform(a);

    std::feclearexcept(FE_ALL_EXCEPT);
    ForcePass(a, v);
    if (image) ImageForcePass(a, *image);
    if (std::fetestexcept(FaultFlags)) status.ForceFault = ForcePassGuarded(a, v, image);

    std::fesetexceptflag(&before, FE_ALL_EXCEPT);
    return status;
}

}  // namespace vantrel
