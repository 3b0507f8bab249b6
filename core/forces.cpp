#include "core/forces.h"

#include <algorithm>
#include <bit>
#include <chrono>
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

// Room in DistSq for every listed pair, for the pair-by-pair passes; the
// arrays' pointer follows it.
void RoomForAllDistances(ForceArrays& a, PartnerLists& lists) {
    lists.DistSq.resize(lists.Index.size());
    a.DistSq = lists.DistSq.data();
}

// The target rows' distances, for the pair-by-pair force pass.  The density
// pass computes them with the same arithmetic but keeps only the pairs within
// r_c: storing every listed pair's distance each step cost the large crystal
// some 8 bytes of memory traffic per pair for a fault path seldom taken.
void TargetDistances(const ForceArrays& a) {
    for (std::int32_t i = a.First; i <= a.Count; ++i) {
        const double xi = a.X[i], yi = a.Y[i], zi = a.Z[i];
        for (std::uint32_t k = a.Start[i]; k < a.Start[i + 1]; ++k)
            a.DistSq[k] = DistanceSq(a, xi, yi, zi, a.Index[k]);
    }
}

// The packed copies of positions and density sums, and back.
void PackParticles(const ForceArrays& a, std::int32_t lo, std::int32_t hi) {
    PackedParticle* packed = a.Packed;
    for (std::int32_t i = lo; i < hi; ++i) packed[i] = {a.X[i], a.Y[i], a.Z[i], a.Density[i]};
}

void PackParticles(const ForceArrays& a) { PackParticles(a, 0, a.Count + 1); }

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
    scratch.GatheredPairs = inside;
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
void EmbeddingTransform(const ForceArrays& a, std::int32_t lo, std::int32_t hi) {
    PackedParticle* packed = a.Packed;
    double* rho = a.Density;
    double* factor = a.EmbeddingFactor;
    for (std::int32_t i = lo; i < hi; ++i) {
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

void EmbeddingTransform(const ForceArrays& a) { EmbeddingTransform(a, 0, a.Count + 1); }

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
            // TargetForceFactor's arithmetic, written out here: calling it
            // measured about 1 % slower in this, the serial pass's hot loop.
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

// ---------------------------------------------------------------------------
// Threaded evaluation.
//
// Serially, a particle p's density sum (and its force) receives, in this
// order: the shares of the rows i < p that list p, in ascending i and each at
// its place in row i's list, and then the shares of its own row in list
// order, each added onto the running value.  The threaded passes keep that
// order exactly, so every sum is the serial one to the bit, whatever the
// number of threads:
//
//   - the rows are cut into contiguous blocks, one per thread; a pair whose
//     partner lies in a later block is "outgoing" (every pair of the
//     projectile row is, when the projectile is no target atom);
//   - first, rows in any order: every outgoing pair's share is computed and
//     kept twice, in row order (for the row's own sum) and in the order in
//     which its partner takes it (among that partner's incoming entries), so
//     that both blocks read their kept values one after the other;
//   - then each block on its own: every particle of the block takes the kept
//     shares of the outgoing pairs that list it, in ascending row and list
//     order (all those rows lie before the block's), and then the block's rows
//     run as the serial pass does, an internal pair's share added to both of
//     its particles, an outgoing pair's kept share to the row's own.  No block
//     writes another block's particles.
//
// A pair the serial pass skips (beyond r_c, or without a density share) is
// skipped here too, never added as a zero: x + 0 turns -0 into +0.  The
// floating-point operations are the serial ones, each done once, so the
// passes raise the same flags; the pool raises every thread's flags on the
// caller's, where the serial fault tests read them.
//
// What the blocks cost: per outgoing pair its place among the partner's
// incoming entries (4 bytes), its kept value in row order with that place
// (24 + 4 bytes) and its kept value in incoming order (24 bytes); with one
// block per thread few pairs cross a block's end.  The gathered pairs have
// the room of the whole lists: a block packs its rows' pairs one after the
// other from its first list's start, a row with outgoing pairs (gathered
// before the blocks run) keeps its own list's place.

// A kept value that is none (the pair lies beyond r_c, or, for a density
// share, inside r_hi, or the model has no density): a NaN with a payload no
// table look-up or force gives, told apart by its bits, so that the test
// raises no flag.
constexpr std::uint64_t NoShareBits = 0x7ff80000deadbeefull;
inline double NoValue() { return std::bit_cast<double>(NoShareBits); }
inline bool IsShare(double c) { return std::bit_cast<std::uint64_t>(c) != NoShareBits; }

// The passes over rows and particles run as this many chunks per thread,
// claimed in turn, so that a slow thread does not hold up the others.
constexpr int ChunksPerThread = 4;

// Cuts rows 0..rows - 1 into parts, part k taking about share(k) of the
// whole weight, the weight of rows [0, r) being prefix[r] + r (pairs, and
// one for the row itself).
template <typename Share>
void CutRowsByShare(const std::uint32_t* prefix, std::int32_t rows, int parts, Share&& share,
                    std::vector<std::int32_t>& cut) {
    cut.assign(static_cast<std::size_t>(parts) + 1, 0);
    const std::uint64_t total = std::uint64_t{prefix[rows]} + static_cast<std::uint64_t>(rows);
    std::int32_t r = 0;
    double before = 0.0;
    for (int k = 1; k < parts; ++k) {
        before += share(k - 1);
        const auto target = static_cast<std::uint64_t>(static_cast<double>(total) * before);
        std::int32_t lo = r, hi = rows;
        while (lo < hi) {
            const std::int32_t mid = lo + (hi - lo) / 2;
            if (std::uint64_t{prefix[mid]} + static_cast<std::uint64_t>(mid) < target)
                lo = mid + 1;
            else
                hi = mid;
        }
        r = lo;
        cut[static_cast<std::size_t>(k)] = r;
    }
    cut[static_cast<std::size_t>(parts)] = rows;
}

// Cuts rows into parts of about equal weight.
void CutRows(const std::uint32_t* prefix, std::int32_t rows, int parts,
             std::vector<std::int32_t>& cut) {
    CutRowsByShare(prefix, rows, parts, [parts](int) { return 1.0 / parts; }, cut);
}

// The blocks' shares of the rows' weight for the next cut.  Equal weights
// are not equal work: the rows that have outgoing pairs are gathered in the
// shared first pass, the partner's block adds the kept shares, and the
// crystal's edges hold fewer pairs per row.  So each block's time since the
// last cut is measured, and the next cut gives each block a share in
// proportion to the speed it showed (weight per second), blended half and
// half with the share it had, so that one disturbed interval moves the cut
// only a little.  The cut never changes a result: every sum gets the same
// shares in the same order whatever the blocks.
void RebalanceShares(ForceBlocks& b, int threads) {
    const auto blocks = static_cast<std::size_t>(threads);
    if (b.Share.size() != blocks || b.Threads != threads) {
        b.Share.assign(blocks, 1.0 / threads);
        b.Seconds.assign(blocks, 0.0);
        return;
    }
    double speedSum = 0.0;
    for (std::size_t c = 0; c < blocks; ++c)
        if (!(b.Seconds[c] > 0.0)) return;  // nothing measured yet: keep the cut
    std::vector<double>& speed = b.Seconds;  // reused: weight share per second
    for (std::size_t c = 0; c < blocks; ++c) {
        speed[c] = b.Share[c] / b.Seconds[c];
        speedSum += speed[c];
    }
    // Kept within half and one and a half of the equal share, so that a
    // thread that lost its core for a while cannot starve its block.
    const double equal = 1.0 / threads;
    double sum = 0.0;
    for (std::size_t c = 0; c < blocks; ++c) {
        const double blended = 0.5 * b.Share[c] + 0.5 * speed[c] / speedSum;
        b.Share[c] = std::clamp(blended, 0.5 * equal, 1.5 * equal);
        sum += b.Share[c];
    }
    for (double& share : b.Share) share /= sum;
    std::fill(b.Seconds.begin(), b.Seconds.end(), 0.0);
}

// The block that holds row i.
inline std::size_t BlockOf(const std::vector<std::int32_t>& blockStart, std::int32_t i) {
    return static_cast<std::size_t>(
        std::upper_bound(blockStart.begin(), blockStart.end(), i) - blockStart.begin() - 1);
}

// Room for size entries whose old values are not kept (they are written
// again before they are read): the old block goes first, so growing copies
// nothing and never holds both.
template <typename Array>
void EnsureSize(Array& v, std::size_t size) {
    if (v.size() >= size) return;
    Array().swap(v);
    v.resize(size + size / 16);
}

// Visits the outgoing entries (entry, partner) of rows 0..lastRow - 1 whose
// partner lies in [lo, hi), in ascending row and list order.
template <typename Visit>
void ForEachIncoming(const ForceArrays& a, const ForceBlocks& b, std::int32_t lastRow,
                     std::int32_t lo, std::int32_t hi, Visit&& visit) {
    const std::uint32_t* start = a.Start;
    const std::int32_t* index = a.Index;
    const std::uint32_t* out = b.OutStart.data();
    std::size_t block = 0;
    for (std::int32_t i = 0; i < lastRow; ++i) {
        while (i >= b.BlockStart[block + 1]) ++block;
        if (out[i] == out[i + 1]) continue;
        const std::int32_t blockEnd = b.BlockStart[block + 1];
        const bool all = i < a.First;
        std::uint32_t e = out[i];
        for (std::uint32_t k = start[i], end = start[i + 1]; k < end; ++k) {
            const std::int32_t j = index[k];
            if (!all && j < blockEnd) continue;
            if (j >= lo && j < hi) visit(e, j);
            ++e;
        }
    }
}

// Derives the blocks, the outgoing entries of every row and the incoming
// entries of every particle from the lists, when the lists, the first
// density row or the thread count have changed since the last time (once per
// rebuild).  Integer work only.
void PrepareBlocks(const ForceArrays& a, std::uint64_t generation, WorkerPool& pool) {
    ForceScratch& scratch = *a.Scratch;
    ForceBlocks& b = scratch.Blocks;
    const int threads = pool.Threads();
    if (b.Generation == generation && b.FirstRow == a.First && b.Threads == threads) return;

    const std::int32_t rows = a.Count + 1;
    const std::uint32_t* start = a.Start;
    const std::int32_t* index = a.Index;
    const std::int32_t first = a.First;
    const auto blocks = static_cast<std::size_t>(threads);
    RebalanceShares(b, threads);
    CutRowsByShare(start, rows, threads, [&b](int k) { return b.Share[static_cast<std::size_t>(k)]; },
                   b.BlockStart);

    // Outgoing entries: counted row by row, then summed into offsets.
    b.OutStart.resize(static_cast<std::size_t>(rows) + 1);
    std::uint32_t* out = b.OutStart.data();
    pool.RunOwn(blocks, [&](std::size_t c, int) {
        const std::int32_t blockEnd = b.BlockStart[c + 1];
        for (std::int32_t i = b.BlockStart[c]; i < blockEnd; ++i) {
            std::uint32_t count = 0;
            if (i < first) {
                count = start[i + 1] - start[i];
            } else {
                for (std::uint32_t k = start[i], end = start[i + 1]; k < end; ++k)
                    count += index[k] >= blockEnd;
            }
            out[i + 1] = count;
        }
    });
    out[0] = 0;
    for (std::int32_t i = 0; i < rows; ++i) out[i + 1] += out[i];
    const std::size_t entries = out[rows];
    CutRows(out, rows, threads * ChunksPerThread, b.OutChunkStart);
    EnsureSize(b.SlotIn, entries);
    EnsureSize(b.Value, entries);
    EnsureSize(b.EntryIn, entries);
    EnsureSize(b.InValue, entries);

    // Incoming entries of each particle, counted and filled block by block.
    b.InStart.resize(static_cast<std::size_t>(rows) + 1);
    b.Cursor.resize(static_cast<std::size_t>(rows));
    std::uint32_t* in = b.InStart.data();
    pool.RunOwn(blocks, [&](std::size_t c, int) {
        const std::int32_t lo = b.BlockStart[c], hi = b.BlockStart[c + 1];
        for (std::int32_t p = lo; p < hi; ++p) in[p + 1] = 0;
        ForEachIncoming(a, b, hi, lo, hi, [&](std::uint32_t, std::int32_t j) { in[j + 1] += 1; });
    });
    in[0] = 0;
    for (std::int32_t p = 0; p < rows; ++p) in[p + 1] += in[p];
    std::uint32_t* cursor = b.Cursor.data();
    std::uint32_t* entryIn = b.EntryIn.data();
    pool.RunOwn(blocks, [&](std::size_t c, int) {
        const std::int32_t lo = b.BlockStart[c], hi = b.BlockStart[c + 1];
        for (std::int32_t p = lo; p < hi; ++p) cursor[p] = in[p];
        ForEachIncoming(a, b, hi, lo, hi,
                        [&](std::uint32_t e, std::int32_t j) { entryIn[e] = cursor[j]++; });
    });

    // Room for every listed pair (see GatherRow's callers).
    const std::size_t pairs = start[rows];
    EnsureSize(scratch.InsideIndex, pairs);
    EnsureSize(scratch.InsideDistance, pairs);
    b.InsideBegin.resize(static_cast<std::size_t>(rows));
    b.InsideEnd.resize(static_cast<std::size_t>(rows));
    b.BlockGathered.assign(blocks, 0);

    b.Generation = generation;
    b.FirstRow = first;
    b.Threads = threads;
}

// Adds the time of one block's task to the block's count.
class BlockTimer {
public:
    BlockTimer(ForceBlocks& b, std::size_t c)
        : seconds_(b.Seconds[c]), start_(std::chrono::steady_clock::now()) {}
    ~BlockTimer() {
        seconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    BlockTimer(const BlockTimer&) = delete;
    BlockTimer& operator=(const BlockTimer&) = delete;

private:
    double& seconds_;
    std::chrono::steady_clock::time_point start_;
};

// One row's distances and gathering from position begin on, as
// DensityRows's first loop; the end of its gathered pairs out.  With
// outgoing pairs (WithOut: the pass before the blocks) each kept value's
// slot gets the place of its entry among the partner's incoming ones, and
// an entry beyond r_c gets no value there.
template <bool WithOut>
inline std::uint32_t GatherRow(const ForceArrays& a, std::int32_t i, std::int32_t blockEnd,
                               std::uint32_t begin) {
    const PackedParticle* packed = a.Packed;
    const std::int32_t* index = a.Index;
    ForceScratch& scratch = *a.Scratch;
    ForceBlocks& b = scratch.Blocks;
    std::int32_t* insideIndex = scratch.InsideIndex.data();
    double* insideDistance = scratch.InsideDistance.data();
    std::uint32_t* slotIn = b.SlotIn.data();
    const std::uint32_t* entryIn = b.EntryIn.data();
    PairValue* inValue = b.InValue.data();
    const double cutoffSq = a.CutoffSq;
    const double xi = packed[i].X, yi = packed[i].Y, zi = packed[i].Z;
    std::uint32_t inside = begin;
    std::uint32_t e = b.OutStart[static_cast<std::size_t>(i)];
    std::uint32_t slot = e;
    for (std::uint32_t k = a.Start[i], end = a.Start[i + 1]; k < end; ++k) {
        const std::int32_t j = index[k];
        const PackedParticle& pj = packed[j];
        const double dy = yi - pj.Y;
        const double dx = xi - pj.X;
        const double dz = zi - pj.Z;
        const double d2 = dy * dy + dx * dx + dz * dz;
        insideIndex[inside] = j;
        insideDistance[inside] = d2;
        const bool in = !(d2 > cutoffSq);
        inside += in;
        if (WithOut && j >= blockEnd) {
            if (in)
                slotIn[slot++] = entryIn[e];
            else
                inValue[entryIn[e]].X = NoValue();
            ++e;
        }
    }
    return inside;
}

// The rows among r0..r1 - 1 that have outgoing pairs: distances and
// gathering, and for the outgoing pairs also the root and the density share
// (or NoShare), kept in row order.  The other rows are gathered by their
// block, just before their sums, while the gathered pairs are still in the
// cache (gathering every row here and reading the pairs back there measured
// some 10 % slower on 200,000 atoms).  The projectile row, when it is no
// target atom, is left to the force pass.
template <bool NBody, bool Binary>
void GatherChunk(const ForceArrays& a, const PotentialView& v, std::int32_t r0, std::int32_t r1) {
    ForceBlocks& b = a.Scratch->Blocks;
    const std::uint32_t* flags = a.Flags;
    const std::uint32_t* out = b.OutStart.data();
    std::uint32_t* insideBegin = b.InsideBegin.data();
    std::uint32_t* insideEnd = b.InsideEnd.data();
    const std::int32_t* insideIndex = a.Scratch->InsideIndex.data();
    double* insideDistance = a.Scratch->InsideDistance.data();
    PairValue* value = b.Value.data();
    PairValue* inValue = b.InValue.data();
    const std::uint32_t* entryIn = b.EntryIn.data();
    const std::uint32_t* slotIn = b.SlotIn.data();
    const double highSq = a.HighSq;
    const float* densityAA = v.Density[AA];
    const double noShare = NoValue();

    std::size_t block = BlockOf(b.BlockStart, r0);
    for (std::int32_t i = r0; i < r1; ++i) {
        while (i >= b.BlockStart[block + 1]) ++block;
        if (i < a.First) {
            // The projectile row's entries carry no density.
            insideBegin[i] = insideEnd[i] = a.Start[i];
            for (std::uint32_t e = out[i]; e < out[i + 1]; ++e) inValue[entryIn[e]].X = noShare;
            continue;
        }
        if (out[i + 1] == out[i]) continue;
        const std::int32_t blockEnd = b.BlockStart[block + 1];
        const std::uint32_t inside = GatherRow<true>(a, i, blockEnd, a.Start[i]);
        insideBegin[i] = a.Start[i];
        insideEnd[i] = inside;
        std::uint32_t slot = out[i];
        for (std::uint32_t m = a.Start[i]; m < inside; ++m) {
            const std::int32_t j = insideIndex[m];
            if (j < blockEnd) continue;
            const double d2 = insideDistance[m];
            const double r = std::sqrt(d2);
            insideDistance[m] = r;
            double c = noShare;
            if (NBody && d2 > highSq) {
                const float* table =
                    Binary ? v.Density[PairTypeOfFlags(flags[i], flags[j])] : densityAA;
                c = DensityLookup(table, r);
            }
            value[slot].X = c;
            inValue[slotIn[slot++]].X = c;
        }
    }
}

// Block c of the density pass: its particles' incoming shares, its rows as
// DensityRows's second loop, the embedding transform of its particles
// (final by then).
template <bool NBody, bool Binary>
void DensityBlock(const ForceArrays& a, const PotentialView& v, std::size_t c) {
    ForceScratch& scratch = *a.Scratch;
    ForceBlocks& b = scratch.Blocks;
    PackedParticle* packed = a.Packed;
    const std::uint32_t* flags = a.Flags;
    const std::uint32_t* start = a.Start;
    const std::uint32_t* out = b.OutStart.data();
    const std::uint32_t* in = b.InStart.data();
    const PairValue* inValue = b.InValue.data();
    std::uint32_t* insideBegin = b.InsideBegin.data();
    std::uint32_t* insideEnd = b.InsideEnd.data();
    const std::int32_t* insideIndex = scratch.InsideIndex.data();
    double* insideDistance = scratch.InsideDistance.data();
    const PairValue* value = b.Value.data();
    const double highSq = a.HighSq;
    const float* densityAA = v.Density[AA];
    const std::int32_t lo = b.BlockStart[c], hi = b.BlockStart[c + 1];

    if (NBody) {
        for (std::int32_t p = lo; p < hi; ++p) {
            if (in[p] == in[p + 1]) continue;
            double rho = packed[p].DensityOrFactor;
            for (std::uint32_t n = in[p], end = in[p + 1]; n < end; ++n) {
                const double share = inValue[n].X;
                if (IsShare(share)) rho += share;
            }
            packed[p].DensityOrFactor = rho;
        }
    }

    // One row as DensityRows's second loop; with outgoing pairs (WithOut)
    // their kept shares are taken instead.  Most rows have none, and are
    // gathered here first, each right after the one before as the serial
    // pass packs them (a row with outgoing pairs keeps its place at its
    // list's start, which no row before it reaches): spread over the
    // lists' room they measured some 10 % slower on 200,000 atoms.
    std::uint32_t next = start[std::max(lo, a.First)];
    const auto row = [&]<bool WithOut>(std::int32_t i) {
        if (!WithOut) {
            insideBegin[i] = next;
            insideEnd[i] = GatherRow<false>(a, i, hi, next);
        }
        next = insideEnd[i];
        double rhoi = packed[i].DensityOrFactor;
        std::uint32_t slot = out[i];
        for (std::uint32_t m = insideBegin[i], end = insideEnd[i]; m < end; ++m) {
            const std::int32_t j = insideIndex[m];
            if (WithOut && j >= hi) {
                const double share = value[slot++].X;
                if (IsShare(share)) rhoi += share;
                continue;
            }
            const double d2 = insideDistance[m];
            const double r = std::sqrt(d2);
            insideDistance[m] = r;
            if (NBody && d2 > highSq) {
                const float* table =
                    Binary ? v.Density[PairTypeOfFlags(flags[i], flags[j])] : densityAA;
                const double share = DensityLookup(table, r);
                rhoi += share;
                packed[j].DensityOrFactor += share;
            }
        }
        packed[i].DensityOrFactor = rhoi;
    };
    std::size_t gathered = 0;
    for (std::int32_t i = std::max(lo, a.First); i < hi; ++i) {
        if (out[i] == out[i + 1])
            row.template operator()<false>(i);
        else
            row.template operator()<true>(i);
        gathered += insideEnd[i] - insideBegin[i];
    }
    b.BlockGathered[c] = gathered;
    EmbeddingTransform(a, lo, hi);
}

template <bool NBody, bool Binary>
void DensityPassThreaded(const ForceArrays& a, const PotentialView& v, WorkerPool& pool) {
    ForceBlocks& b = a.Scratch->Blocks;
    // The packed records first, block by block, so that the outgoing rows
    // read one record per partner: read from X, Y and Z instead (three
    // cache lines), with each block packing its own records after them, the
    // force evaluation took 4-6 % longer on 10,240 and 200,000 atoms
    // (alternated within one run), although the packing costs a hand-over.
    pool.RunOwn(b.BlockStart.size() - 1, [&](std::size_t c, int) {
        PackParticles(a, b.BlockStart[c], b.BlockStart[c + 1]);
    });
    pool.Run(b.OutChunkStart.size() - 1, [&](std::size_t c, int) {
        GatherChunk<NBody, Binary>(a, v, b.OutChunkStart[c], b.OutChunkStart[c + 1]);
    });
    pool.RunOwn(b.BlockStart.size() - 1, [&](std::size_t c, int) {
        const BlockTimer timer(b, c);
        DensityBlock<NBody, Binary>(a, v, c);
    });
    std::size_t gathered = 0;
    for (const std::size_t g : b.BlockGathered) gathered += g;
    a.Scratch->GatheredPairs = gathered;
}

// The tables and radii of the target pairs' forces, held in locals (the
// force sums written in the loops cannot alias them).
struct TargetForceTables {
    double Low, High;
    const float* PairAA;
    const float* DensityForceAA;
    const PotentialView* View;
};

inline TargetForceTables TargetForceTablesOf(const PotentialView& v) {
    return {v.LowRadius, v.DensityRadius, v.PairForce[AA], v.DensityForce[AA], &v};
}

// The force factor of a gathered target pair, as TargetForceRows computes it.
template <bool Binary>
inline double TargetForceFactor(const TargetForceTables& t, std::uint32_t flagsI,
                                std::uint32_t flagsJ, std::int32_t i, std::int32_t j, double r,
                                double qi, double qj) {
    if (r >= t.Low) {
        const TablePoint p = TablePointOf(r);
        const PairType type = Binary ? PairTypeOfFlags(flagsI, flagsJ) : AA;
        double f = Interpolate(Binary ? t.View->PairForce[type] : t.PairAA, p);
        if (r > t.High)
            f += (qi + qj) * Interpolate(Binary ? t.View->DensityForce[type] : t.DensityForceAA, p);
        return f;
    }
    return CloseTargetFactor(*t.View, i, j, r);
}

// Rows r0..r1 - 1: the force of every outgoing pair within r_c, kept in row
// order.  The projectile row, when it is no target atom, takes the general
// pair force over its list, as GeneralForceRow does, and its entries get
// their slots here.
template <bool Binary>
void OutgoingForceChunk(const ForceArrays& a, const PotentialView& v, std::int32_t r0,
                        std::int32_t r1) {
    ForceScratch& scratch = *a.Scratch;
    ForceBlocks& b = scratch.Blocks;
    const PackedParticle* packed = a.Packed;
    const std::uint32_t* flags = a.Flags;
    const std::uint32_t* out = b.OutStart.data();
    const std::uint32_t* insideBegin = b.InsideBegin.data();
    const std::uint32_t* insideEnd = b.InsideEnd.data();
    const std::int32_t* insideIndex = scratch.InsideIndex.data();
    const double* insideDistance = scratch.InsideDistance.data();
    const std::uint32_t* entryIn = b.EntryIn.data();
    const std::uint32_t* slotIn = b.SlotIn.data();
    PairValue* value = b.Value.data();
    PairValue* inValue = b.InValue.data();
    const TargetForceTables tables = TargetForceTablesOf(v);

    std::size_t block = BlockOf(b.BlockStart, r0);
    for (std::int32_t i = r0; i < r1; ++i) {
        while (i >= b.BlockStart[block + 1]) ++block;
        if (out[i] == out[i + 1]) continue;
        const double xi = packed[i].X, yi = packed[i].Y, zi = packed[i].Z;
        std::uint32_t slot = out[i];
        if (i < a.First) {
            std::uint32_t e = out[i];
            for (std::uint32_t k = a.Start[i], end = a.Start[i + 1]; k < end; ++k, ++e) {
                const double d2 = a.DistSq[k];
                if (d2 > a.CutoffSq) {
                    inValue[entryIn[e]].X = NoValue();
                    continue;
                }
                const std::int32_t j = a.Index[k];
                const ForceVector f = PairForce(v, i, j, std::sqrt(d2), xi - packed[j].X,
                                                yi - packed[j].Y, zi - packed[j].Z);
                inValue[entryIn[e]] = {f.X, f.Y, f.Z};
            }
            continue;
        }
        const std::int32_t blockEnd = b.BlockStart[block + 1];
        const double qi = packed[i].DensityOrFactor;
        for (std::uint32_t m = insideBegin[i], end = insideEnd[i]; m < end; ++m) {
            const std::int32_t j = insideIndex[m];
            if (j < blockEnd) continue;
            const PackedParticle& pj = packed[j];
            const double r = insideDistance[m];
            const double dx = xi - pj.X;
            const double dy = yi - pj.Y;
            const double dz = zi - pj.Z;
            const double f =
                TargetForceFactor<Binary>(tables, flags[i], flags[j], i, j, r, qi, pj.DensityOrFactor);
            const PairValue kept{f * dx, f * dy, f * dz};
            value[slot] = kept;
            inValue[slotIn[slot++]] = kept;
        }
    }
}

// Block c of the force pass: the incoming forces of its particles, the
// projectile row's own sum, its rows as TargetForceRows, and its forces
// back into FX, FY, FZ.
template <bool Binary>
void ForceBlock(const ForceArrays& a, const PotentialView& v, std::size_t c) {
    ForceScratch& scratch = *a.Scratch;
    ForceBlocks& b = scratch.Blocks;
    const PackedParticle* packed = a.Packed;
    PackedForce* forces = a.PackedForces;
    const std::uint32_t* flags = a.Flags;
    const std::uint32_t* out = b.OutStart.data();
    const std::uint32_t* in = b.InStart.data();
    const std::uint32_t* entryIn = b.EntryIn.data();
    const PairValue* inValue = b.InValue.data();
    const std::uint32_t* insideBegin = b.InsideBegin.data();
    const std::uint32_t* insideEnd = b.InsideEnd.data();
    const std::int32_t* insideIndex = scratch.InsideIndex.data();
    const double* insideDistance = scratch.InsideDistance.data();
    const PairValue* value = b.Value.data();
    const std::int32_t lo = b.BlockStart[c], hi = b.BlockStart[c + 1];

    for (std::int32_t p = lo; p < hi; ++p) {
        double fx = a.FX[p], fy = a.FY[p], fz = a.FZ[p];
        for (std::uint32_t n = in[p], end = in[p + 1]; n < end; ++n) {
            const PairValue& g = inValue[n];
            if (!IsShare(g.X)) continue;
            fx -= g.X;
            fy -= g.Y;
            fz -= g.Z;
        }
        forces[p] = {fx, fy, fz, 0.0};
    }

    // The projectile row (no target atom) adds its own pairs in list order.
    for (std::int32_t i = lo; i < std::min(hi, a.First); ++i) {
        PackedForce& fi = forces[i];
        for (std::uint32_t e = out[i], end = out[i + 1]; e < end; ++e) {
            const PairValue& g = inValue[entryIn[e]];
            if (!IsShare(g.X)) continue;
            fi.X += g.X;
            fi.Y += g.Y;
            fi.Z += g.Z;
        }
    }

    // One row as TargetForceRows; with outgoing pairs (WithOut) their kept
    // forces are taken instead.  Most rows have none.
    const TargetForceTables tables = TargetForceTablesOf(v);
    const auto row = [&]<bool WithOut>(std::int32_t i) {
        const double xi = packed[i].X, yi = packed[i].Y, zi = packed[i].Z;
        const double qi = packed[i].DensityOrFactor;
        double fxi = forces[i].X, fyi = forces[i].Y, fzi = forces[i].Z;
        std::uint32_t slot = out[i];
        for (std::uint32_t m = insideBegin[i], end = insideEnd[i]; m < end; ++m) {
            const std::int32_t j = insideIndex[m];
            if (WithOut && j >= hi) {
                const PairValue& g = value[slot++];
                fxi += g.X;
                fyi += g.Y;
                fzi += g.Z;
                continue;
            }
            const PackedParticle& pj = packed[j];
            const double r = insideDistance[m];
            const double dx = xi - pj.X;
            const double dy = yi - pj.Y;
            const double dz = zi - pj.Z;
            const double f =
                TargetForceFactor<Binary>(tables, flags[i], flags[j], i, j, r, qi, pj.DensityOrFactor);
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
    };
    for (std::int32_t i = std::max(lo, a.First); i < hi; ++i) {
        if (out[i] == out[i + 1])
            row.template operator()<false>(i);
        else
            row.template operator()<true>(i);
    }

    for (std::int32_t p = lo; p < hi; ++p) {
        a.FX[p] = forces[p].X;
        a.FY[p] = forces[p].Y;
        a.FZ[p] = forces[p].Z;
    }
}

template <bool Binary>
void ForcePassThreaded(const ForceArrays& a, const PotentialView& v, WorkerPool& pool) {
    ForceBlocks& b = a.Scratch->Blocks;
    pool.Run(b.OutChunkStart.size() - 1, [&](std::size_t c, int) {
        OutgoingForceChunk<Binary>(a, v, b.OutChunkStart[c], b.OutChunkStart[c + 1]);
    });
    pool.RunOwn(b.BlockStart.size() - 1, [&](std::size_t c, int) {
        const BlockTimer timer(b, c);
        ForceBlock<Binary>(a, v, c);
    });
}

// The density pass and, threaded, the embedding transform with it; false
// when the transform is still to be done.
bool DensityPass(const ForceArrays& a, const PotentialView& v, WorkerPool* pool) {
    if (!Threaded(pool)) {
        DensityPass(a, v);
        return false;
    }
    if (!a.NBody)
        DensityPassThreaded<false, false>(a, v, *pool);
    else if (v.BinaryTarget)
        DensityPassThreaded<true, true>(a, v, *pool);
    else
        DensityPassThreaded<true, false>(a, v, *pool);
    return true;
}

void ForcePass(const ForceArrays& a, const PotentialView& v, WorkerPool* pool) {
    if (!Threaded(pool))
        ForcePass(a, v);
    else if (v.BinaryTarget)
        ForcePassThreaded<true>(a, v, *pool);
    else
        ForcePassThreaded<false>(a, v, *pool);
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
    scratch.InsideIndex.clear();
    scratch.InsideDistance.clear();
    scratch.InsideIndex.resize(size * InitialInsidePairsPerParticle);
    scratch.InsideDistance.resize(size * InitialInsidePairsPerParticle);
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
    WorkerPool* pool = model.Workers;
    if (Threaded(pool)) PrepareBlocks(a, lists.Generation, *pool);
    if (!v.SelfBombard) ProjectileDistances(a);
    if (!DensityPass(a, v, pool)) EmbeddingTransform(a);
    ForcePass(a, v, pool);
    CopyForcesToPrevious(p);
}

ForceStatus EvaluateStepForces(ParticleTable& p, PartnerLists& lists, ForceScratch& scratch,
                               const ForceModel& model, const InelasticParameters* image) {
    ForceArrays a = ArraysOf(p, lists, scratch, model);
    const PotentialView& v = model.Potential;
    WorkerPool* pool = model.Workers;
    ForceStatus status;

    if (Threaded(pool)) PrepareBlocks(a, lists.Generation, *pool);
    if (!v.SelfBombard) ProjectileDistances(a);

    // Faults raised before the guarded passes stay for the caller.
    std::fexcept_t before;
    std::fegetexceptflag(&before, FE_ALL_EXCEPT);

    // The passes run at full speed with one flag test each; only a pass
    // that raised a fault runs again pair by pair to find where it stops.
    std::feclearexcept(FE_ALL_EXCEPT);
    bool transformed = DensityPass(a, v, pool);
    if (std::fetestexcept(FaultFlags)) {
        RoomForAllDistances(a, lists);
        status.DensityFault = DensityRowsGuarded(a, v);
        PackDensities(a);
        transformed = false;
    }

    if (!transformed) EmbeddingTransform(a);

    std::feclearexcept(FE_ALL_EXCEPT);
    ForcePass(a, v, pool);
    if (image) ImageForcePass(a, *image);
    if (std::fetestexcept(FaultFlags)) {
        RoomForAllDistances(a, lists);
        TargetDistances(a);
        status.ForceFault = ForcePassGuarded(a, v, image);
    }

    std::fesetexceptflag(&before, FE_ALL_EXCEPT);
    return status;
}

}  // namespace vantrel
