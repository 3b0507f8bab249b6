#include "core/partner_lists.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vantrel {

namespace {

// The partner that would make this many is the overflow.  A capacity below
// one would let a list run past its room, so one is the least: then no
// partner at all fits and the first one found is the overflow.
std::int32_t PartnerLimit(std::int32_t maxPartners) { return maxPartners > 1 ? maxPartners : 1; }

// Steps of the list radius's velocity term: the rebuilds are k steps apart,
// and the lists must hold for the k - 1 steps after the one they are built
// at.  An interval below one never shrinks R below the cut-off.
double StepsBetweenRebuilds(std::int32_t k) { return k > 1 ? static_cast<double>(k - 1) : 0.0; }

// The start of a rebuild: the job's arrays emptied, with room for about as
// many pairs as the last rebuild found (the pair count changes little
// between rebuilds, so one reservation up front usually serves the whole
// rebuild).
void StartLists(PartnerLists& lists) {
    ++lists.Generation;
    const std::size_t previousPairs = lists.Index.size();
    lists.Index.clear();
    const std::size_t limit = static_cast<std::size_t>(PartnerLimit(lists.MaxPartners));
    if (lists.Index.capacity() < previousPairs + limit)
        lists.Index.reserve(previousPairs + previousPairs / 16 + limit);
}

// Room for one more list at its longest (limit entries before the overflow
// entry is taken back), so no push within a list reallocates.
inline void ReserveList(std::vector<std::int32_t>& index, std::size_t limit) {
    if (index.capacity() - index.size() < limit)
        index.reserve(std::max(index.capacity() + index.capacity() / 2, index.size() + limit));
}

// Closes the lists after a search: the end offset, and room in DistSq for
// the projectile's row, the one row whose distances the force evaluation
// keeps every step (the other rows get room only when a fault sends it pair
// by pair: on 200,000 atoms room for all would be some 140 MB, filled with
// zeros at the first rebuild).
void CloseLists(PartnerLists& lists, std::int32_t atomCount) {
    lists.Start[static_cast<std::size_t>(atomCount) + 1] =
        static_cast<std::uint32_t>(lists.Index.size());
    lists.DistSq.resize(lists.Start[1]);
}

// The integer nearest to v, ties to even, as std::nearbyint gives it in the
// default rounding mode but without a library call: adding and taking away
// 1.5 * 2^52 leaves no fraction bits.  Values beyond 2^51 (and infinities,
// and values that are not numbers) are returned as they are.
inline double NearestInteger(double v) {
    constexpr double shift = 6755399441055744.0;  // 1.5 * 2^52
    if (!(std::fabs(v) < 2.0e15)) return v;
    return (v + shift) - shift;
}

// Cells [lo, hi] whose nearest-integer coordinates cover [v - r, v + r] on
// one axis, clipped to the grid; false when the range misses the grid or the
// coordinate is not finite.  Clipping visits exactly the cells that a walk
// over the whole range with CellInRange would.
inline bool AxisCells(double v, double r, double w, int gridLo, int gridHi, int& lo, int& hi) {
    const double low = NearestInteger((v - r) / w);
    const double high = NearestInteger((v + r) / w);
    if (!(low <= gridHi && high >= gridLo)) return false;
    lo = low < gridLo ? gridLo : static_cast<int>(low);
    hi = high > gridHi ? gridHi : static_cast<int>(high);
    return true;
}

// Squared distance from v to the slab of each cell lo..hi on one axis (a
// particle in cell k has its coordinate within [(k - 1/2) w, (k + 1/2) w]).
inline void AxisGaps(double v, double w, int lo, int hi, double* gaps) {
    for (int k = lo; k <= hi; ++k) {
        const double below = (k - 0.5) * w - v;
        const double above = v - (k + 0.5) * w;
        const double gap = below > 0.0 ? below : above > 0.0 ? above : 0.0;
        gaps[k - lo] = gap * gap;
    }
}

// Every particle once, a closing node per used chain, and the one closing
// node that all empty chains share.
std::size_t LaidOutNodes(std::int32_t atomCount) {
    const std::size_t nodes = static_cast<std::size_t>(atomCount) + 1;
    return nodes + std::min<std::size_t>(nodes, CellGridSlots) + 1;
}

// Lays the chains out end to end (see CellGrid::Nodes), walking each from its
// head to -1, so that their order is the chains' own.
void LayOutChains(const ParticleTable& p, CellGrid& grid) {
    const std::int32_t* head = grid.Head.data();
    const std::int32_t* next = grid.Next.data();
    std::int32_t* chainStart = grid.ChainStart.data();
    CellNode* nodes = grid.Nodes.data();
    const double* x = p.X.data();
    const double* y = p.Y.data();
    const double* z = p.Z.data();

    nodes[0] = CellNode{};  // shared by the empty chains
    std::int32_t used = 1;
    for (int slot = 0; slot < CellGridSlots; ++slot) {
        if (head[slot] == -1) {
            chainStart[slot] = 0;
            continue;
        }
        chainStart[slot] = used;
        for (std::int32_t j = head[slot]; j != -1; j = next[j]) nodes[used++] = {x[j], y[j], z[j], j};
        nodes[used++] = CellNode{};
    }
}

// Rows per chunk of the threaded searches: chunks are claimed in turn, so
// many small ones keep the threads equally busy.
constexpr int ChunksPerThread = 8;

// The rows 0..n searched in chunks on the pool: searchRow(i, gathered, full)
// writes row i's partners into gathered (room for limit) and returns their
// count, setting full on an overflow.  Each chunk's lists go to its own
// buffer; the buffers are then laid end to end in row order, as the serial
// search lays the lists.  cut(k, chunks) gives the first row of chunk k.
template <typename SearchRow, typename Cut>
ListSearchResult SearchRowsThreaded(std::int32_t n, PartnerLists& lists, WorkerPool& pool,
                                    ListSearchWork& work, Cut&& cut, SearchRow&& searchRow) {
    ++lists.Generation;
    const std::size_t limit = static_cast<std::size_t>(PartnerLimit(lists.MaxPartners));
    const auto threads = static_cast<std::size_t>(pool.Threads());
    const std::size_t chunks = threads * ChunksPerThread;
    if (work.ThreadGathered.size() < threads) work.ThreadGathered.resize(threads);
    for (std::vector<std::int32_t>& g : work.ThreadGathered)
        if (g.size() < limit + 1) g.assign(limit + 1, 0);
    if (work.ChunkIndex.size() < chunks) work.ChunkIndex.resize(chunks);
    work.ChunkResult.assign(chunks, ListSearchResult{});

    std::uint32_t* start = lists.Start.data();
    pool.Run(chunks, [&](std::size_t c, int thread) {
        std::vector<std::int32_t>& buffer = work.ChunkIndex[c];
        buffer.clear();
        std::int32_t* gathered = work.ThreadGathered[static_cast<std::size_t>(thread)].data();
        ListSearchResult result;
        for (std::int32_t i = cut(c, chunks), end = cut(c + 1, chunks); i < end; ++i) {
            bool full = false;
            const std::int32_t count = searchRow(i, gathered, full);
            buffer.insert(buffer.end(), gathered, gathered + count);
            start[i] = static_cast<std::uint32_t>(count);
            if (count > result.Largest) result.Largest = count;
            result.Overflow = result.Overflow || full;
        }
        work.ChunkResult[c] = result;
    });

    // Where each chunk's lists go; the flat array keeps its room between
    // rebuilds and grows as the serial search's does.
    std::size_t total = 0;
    ListSearchResult found;
    for (std::size_t c = 0; c < chunks; ++c) {
        total += work.ChunkIndex[c].size();
        found.Largest = std::max(found.Largest, work.ChunkResult[c].Largest);
        found.Overflow = found.Overflow || work.ChunkResult[c].Overflow;
    }
    std::vector<std::int32_t>& index = lists.Index;
    if (index.capacity() < total) index.reserve(total + total / 16);
    index.resize(total);
    pool.Run(chunks, [&](std::size_t c, int) {
        std::size_t offset = 0;
        for (std::size_t k = 0; k < c; ++k) offset += work.ChunkIndex[k].size();
        const std::vector<std::int32_t>& buffer = work.ChunkIndex[c];
        std::copy(buffer.begin(), buffer.end(), index.begin() + static_cast<std::ptrdiff_t>(offset));
        for (std::int32_t i = cut(c, chunks), end = cut(c + 1, chunks); i < end; ++i) {
            const std::uint32_t count = start[i];
            start[i] = static_cast<std::uint32_t>(offset);
            offset += count;
        }
    });
    CloseLists(lists, n);
    return found;
}

// Chunk k of K over rows 0..n in equal parts.
std::int32_t EqualCut(std::int32_t n, std::size_t k, std::size_t chunks) {
    return static_cast<std::int32_t>(EqualPartStart(std::int64_t{n} + 1, k, chunks));
}

bool UsesThreads(const ListThreads& threads) { return Threaded(threads.Pool) && threads.Work; }

}  // namespace

double InitialListRadius(double projectileSpeed, double timestep, std::int32_t rebuildInterval,
                         double cutoffRadius) {
    return projectileSpeed * timestep * StepsBetweenRebuilds(rebuildInterval) + cutoffRadius;
}

double UpdatedListRadius(double radius, double fastestSpeed, double timestep,
                         std::int32_t rebuildInterval, double cutoffRadius) {
    const double reach =
        ListTravelShare * fastestSpeed * timestep * StepsBetweenRebuilds(rebuildInterval) +
        cutoffRadius;
    return (2.0 / 3.0) * radius + (1.0 / 3.0) * reach;
}

void SizePartnerLists(PartnerLists& lists, std::int32_t atomCount, std::int32_t maxPartners) {
    lists.MaxPartners = maxPartners;
    ++lists.Generation;
    lists.Start.assign(static_cast<std::size_t>(atomCount) + 2, 0u);
    lists.Index.clear();
    lists.DistSq.clear();
}

void SizeCellGrid(CellGrid& grid, std::int32_t atomCount, std::int32_t maxPartners) {
    grid.Head.assign(CellGridSlots, -1);
    grid.Next.assign(static_cast<std::size_t>(atomCount) + 1, -1);
    grid.ChainStart.assign(CellGridSlots, 0);
    grid.Nodes.assign(LaidOutNodes(atomCount), CellNode{});
    grid.Gathered.assign(static_cast<std::size_t>(PartnerLimit(maxPartners)) + 1, 0);
}

bool CellGridSized(const CellGrid& grid, std::int32_t atomCount, std::int32_t maxPartners) {
    return grid.Head.size() == static_cast<std::size_t>(CellGridSlots) &&
           grid.Next.size() == static_cast<std::size_t>(atomCount) + 1 &&
           grid.ChainStart.size() == static_cast<std::size_t>(CellGridSlots) &&
           grid.Nodes.size() == LaidOutNodes(atomCount) &&
           grid.Gathered.size() == static_cast<std::size_t>(PartnerLimit(maxPartners)) + 1;
}

ListSearchResult BuildListsBruteForce(const ParticleTable& p, double radiusSq,
                                      bool projectileOnly, PartnerLists& lists,
                                      ListThreads threads) {
    const std::int32_t n = p.AtomCount;
    const double* x = p.X.data();
    const double* y = p.Y.data();
    const double* z = p.Z.data();
    const double r2 = radiusSq;
    const double r = std::sqrt(r2);
    const std::int32_t limit = PartnerLimit(lists.MaxPartners);
    // Only the projectile's pairs are wanted when the target's own forces are
    // ignored; the target atoms' lists stay empty.
    const std::int32_t lastListed = projectileOnly ? 0 : n;

    if (UsesThreads(threads)) {
        // Row i compares n - i pairs: chunks of about equal cost.
        const auto cut = [n](std::size_t k, std::size_t chunks) {
            if (k >= chunks) return n + 1;
            const double share = static_cast<double>(k) / static_cast<double>(chunks);
            return static_cast<std::int32_t>(static_cast<double>(n + 1) * (1.0 - std::sqrt(1.0 - share)));
        };
        const auto searchRow = [&](std::int32_t i, std::int32_t* gathered, bool& full) {
            std::int32_t count = 0;
            if (i > lastListed) return count;
            const double xi = x[i], yi = y[i], zi = z[i];
            for (std::int32_t j = i + 1; j <= n; ++j) {
                const double dx = xi - x[j];
                if (std::fabs(dx) > r) continue;
                const double dy = yi - y[j];
                if (std::fabs(dy) > r) continue;
                const double dz = zi - z[j];
                if (std::fabs(dz) > r) continue;
                if (dx * dx + dy * dy + dz * dz < r2) {
                    gathered[count] = j;
                    if (++count == limit) {
                        --count;
                        full = true;
                        break;
                    }
                }
            }
            return count;
        };
        return SearchRowsThreaded(n, lists, *threads.Pool, *threads.Work, cut, searchRow);
    }

    StartLists(lists);
    std::vector<std::int32_t>& index = lists.Index;
    std::uint32_t* start = lists.Start.data();
    ListSearchResult result;
    for (std::int32_t i = 0; i <= n; ++i) {
        start[i] = static_cast<std::uint32_t>(index.size());
        if (i > lastListed) continue;
        ReserveList(index, static_cast<std::size_t>(limit));
        const double xi = x[i], yi = y[i], zi = z[i];
        std::int32_t count = 0;
        for (std::int32_t j = i + 1; j <= n; ++j) {
            const double dx = xi - x[j];
            if (std::fabs(dx) > r) continue;
            const double dy = yi - y[j];
            if (std::fabs(dy) > r) continue;
            const double dz = zi - z[j];
            if (std::fabs(dz) > r) continue;
            if (dx * dx + dy * dy + dz * dz < r2) {
                index.push_back(j);
                if (++count == limit) {
                    // The list keeps limit - 1 partners; the rest are lost.
                    index.pop_back();
                    --count;
                    result.Overflow = true;
                    break;
                }
            }
        }
        if (count > result.Largest) result.Largest = count;
    }
    CloseLists(lists, n);
    return result;
}

void BinParticles(const ParticleTable& p, double cellEdge, CellGrid& grid) {
    std::int32_t* head = grid.Head.data();
    std::int32_t* next = grid.Next.data();
    const std::int32_t n = p.AtomCount;
    const double* x = p.X.data();
    const double* y = p.Y.data();
    const double* z = p.Z.data();
    const double w = cellEdge;
    const double halfWidth = CellHalfCount * w;
    const double top = halfWidth / 3.0;

    for (std::int32_t i = 0; i <= n; ++i) {
        // Written so that a position that is not a number is skipped too.
        if (!(std::fabs(x[i]) <= halfWidth && std::fabs(y[i]) <= halfWidth && z[i] <= top &&
              z[i] > -halfWidth))
            continue;
        const int a = static_cast<int>(NearestInteger(x[i] / w));
        const int b = static_cast<int>(NearestInteger(y[i] / w));
        const int c = static_cast<int>(NearestInteger(z[i] / w));
        if (!CellInRange(a, b, c)) continue;
        const int slot = CellSlot(a, b, c);
        next[i] = head[slot];
        head[slot] = i;
    }
}

void EmptyCellGrid(CellGrid& grid) { std::fill(grid.Head.begin(), grid.Head.end(), -1); }

namespace {

// One particle's search through the cells its box covers.
struct CellRowSearch {
    const std::int32_t* ChainStart;
    const CellNode* Nodes;
    const double* X;
    const double* Y;
    const double* Z;
    double W, R2, R;
    std::int32_t Limit;
    // R^2 with a margin far above rounding, for skipping whole cells.
    double ReachSq;

    // Row i's partners into gathered; their count.  Each candidate is written
    // and the count advances only for a partner, which keeps the test free of
    // branches that depend on the data.  full: the list overflowed.
    inline std::int32_t operator()(std::int32_t i, std::int32_t* gathered, bool& full) const {
        const double xi = X[i], yi = Y[i], zi = Z[i];
        const double xLo = xi - R, xHi = xi + R;
        const double yLo = yi - R, yHi = yi + R;
        const double zLo = zi - R, zHi = zi + R;
        int aLo, aHi, bLo, bHi, cLo, cHi;
        std::int32_t count = 0;
        if (!(AxisCells(xi, R, W, -CellHalfCount, CellHalfCount, aLo, aHi) &&
              AxisCells(yi, R, W, -CellHalfCount, CellHalfCount, bLo, bHi) &&
              AxisCells(zi, R, W, -CellHalfCount, CellTopCount, cLo, cHi)))
            return count;
        // Squared gaps between i and the cells' slabs on each axis: a cell
        // whose nearest point lies beyond R holds no partner.
        double gapA[2 * CellHalfCount + 1], gapB[2 * CellHalfCount + 1], gapC[2 * CellHalfCount + 1];
        AxisGaps(xi, W, aLo, aHi, gapA);
        AxisGaps(yi, W, bLo, bHi, gapB);
        AxisGaps(zi, W, cLo, cHi, gapC);
        for (int a = aLo; a <= aHi; ++a) {
            for (int b = bLo; b <= bHi; ++b) {
                const double gapAB = gapA[a - aLo] + gapB[b - bLo];
                if (gapAB > ReachSq) continue;
                const int column = CellSlot(a, b, 0);
                for (int c = cLo; c <= cHi; ++c) {
                    if (gapAB + gapC[c - cLo] > ReachSq) continue;
                    // A chain runs in descending index order (nodes are pushed
                    // to its front), so it can be left at the first j <= i; its
                    // closing -1 ends it as well.
                    for (const CellNode* node = Nodes + ChainStart[column + c]; node->Index > i;
                         ++node) {
                        const double px = node->X, py = node->Y, pz = node->Z;
                        const double dx = xi - px;
                        const double dy = yi - py;
                        const double dz = zi - pz;
                        // Inside the box (inclusive) exactly when no difference
                        // to a face is negative.
                        const double margin = std::min(
                            std::min(std::min(px - xLo, xHi - px), std::min(py - yLo, yHi - py)),
                            std::min(pz - zLo, zHi - pz));
                        const bool partner = (margin >= 0.0) & (dx * dx + dy * dy + dz * dz < R2);
                        gathered[count] = node->Index;
                        count += partner;
                        if (count == Limit) {
                            full = true;
                            return count - 1;
                        }
                    }
                }
            }
        }
        return count;
    }
};

}  // namespace

ListSearchResult BuildListsCellIndex(const ParticleTable& p, double radiusSq, double cellEdge,
                                     CellGrid& grid, PartnerLists& lists, ListThreads threads) {
    const bool threaded = UsesThreads(threads);
    if (!threaded) StartLists(lists);
    BinParticles(p, cellEdge, grid);
    LayOutChains(p, grid);

    const std::int32_t n = p.AtomCount;
    const double r = std::sqrt(radiusSq);
    const CellRowSearch search{grid.ChainStart.data(), grid.Nodes.data(), p.X.data(), p.Y.data(),
                               p.Z.data(), cellEdge, radiusSq, r,
                               PartnerLimit(lists.MaxPartners), radiusSq * (1.0 + 1e-9)};

    ListSearchResult result;
    if (threaded) {
        const auto cut = [n](std::size_t k, std::size_t chunks) { return EqualCut(n, k, chunks); };
        result = SearchRowsThreaded(n, lists, *threads.Pool, *threads.Work, cut, search);
    } else {
        std::vector<std::int32_t>& index = lists.Index;
        std::uint32_t* start = lists.Start.data();
        std::int32_t* gathered = grid.Gathered.data();
        for (std::int32_t i = 0; i <= n; ++i) {
            start[i] = static_cast<std::uint32_t>(index.size());
            bool full = false;
            const std::int32_t count = search(i, gathered, full);
            if (full) result.Overflow = true;
            ReserveList(index, static_cast<std::size_t>(count));
            index.insert(index.end(), gathered, gathered + count);
            if (count > result.Largest) result.Largest = count;
        }
        CloseLists(lists, n);
    }
    EmptyCellGrid(grid);
    return result;
}

}  // namespace vantrel
